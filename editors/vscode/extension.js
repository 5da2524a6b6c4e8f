// The Quillon extension: starts `quillon lsp` (from the setting quillon.path,
// else from PATH) for exact texts and hands it the settings.
"use strict";
const vscode = require("vscode");
const { LanguageClient } = require("vscode-languageclient/node");

let client;

function settings() {
  const c = vscode.workspace.getConfiguration("quillon");
  return { namesHeader: c.get("namesHeader", ""), includePaths: c.get("includePaths", []) };
}

async function activate(context) {
  const command = vscode.workspace.getConfiguration("quillon").get("path", "quillon") || "quillon";
  const server = { command, args: ["lsp"] };
  client = new LanguageClient(
    "quillon",
    "Quillon",
    { run: server, debug: server },
    {
      documentSelector: [
        { scheme: "file", language: "quillon-exact" },
        { scheme: "untitled", language: "quillon-exact" },
      ],
      initializationOptions: settings(),
      // Headers changed outside the editor reach the texts that include them.
      synchronize: {
        configurationSection: "quillon",
        fileEvents: vscode.workspace.createFileSystemWatcher("**/*.{h,H,c}"),
      },
    }
  );
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration((e) => {
      if (e.affectsConfiguration("quillon.path"))
        vscode.window.showInformationMessage("Quillon: reload the window to start the new quillon.");
    })
  );
  await client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
