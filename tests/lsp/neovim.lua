-- Neovim (Debian's, headless) as a real client of the language server:
--   nvim --headless -u NONE -c "luafile neovim.lua" with QUILLON_LSP (the
--   server's command, words split by spaces) and QUILLON_TEXT (a copy of
--   examples/exact_room.c to edit) in the environment.
-- It starts the server on the text, waits for its diagnostics, asks for
-- hover, definition, completion and rename, then types a typo and waits for
-- its diagnostic. Exits 0 when every check holds, else 1 after naming them.
local failed = {}
local function check(ok, what)
  if not ok then table.insert(failed, what) end
end
local function finish()
  for _, f in ipairs(failed) do io.stderr:write('neovim: ' .. f .. '\n') end
  vim.cmd((#failed == 0) and 'qall!' or 'cquit! 1')
end

local cmd = vim.split(os.getenv('QUILLON_LSP'), ' ', { trimempty = true })
vim.cmd('edit ' .. os.getenv('QUILLON_TEXT'))
local buf = vim.api.nvim_get_current_buf()
local published = 0
local handlers = {
  ['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
    published = published + 1
    vim.lsp.diagnostic.on_publish_diagnostics(err, result, ctx, config)
  end,
}
local id = vim.lsp.start_client({ name = 'quillon', cmd = cmd, handlers = handlers })
vim.lsp.buf_attach_client(buf, id)
check(vim.wait(5000, function() return published > 0 end, 20), 'no diagnostics published')
check(#vim.diagnostic.get(buf) == 0, 'the example has diagnostics')

local uri = vim.uri_from_bufnr(buf)
local function ask(method, line, character, extra)
  local params = vim.tbl_extend('force', {
    textDocument = { uri = uri },
    position = { line = line, character = character },
  }, extra or {})
  local answers = vim.lsp.buf_request_sync(buf, method, params, 3000) or {}
  local answer = answers[id] or {}
  return answer.result
end

-- Hover on "Ck" (line 11).
local hover = ask('textDocument/hover', 10, 5)
check(hover and hover.contents.value:find('opcode 0x21', 1, true), 'hover on Ck')
-- Definition of the Sub00 that Evt_exec names (line 5): its head, line 4.
local def = ask('textDocument/definition', 4, 17)
check(def and def.range and def.range.start.line == 3, 'definition of Sub00')
-- Completion at the start of an empty place: instructions with snippets.
local items = ask('textDocument/completion', 6, 1)
local snippet = false
for _, item in ipairs((items and items.items) or {}) do
  if item.label == 'Evt_exec' and item.insertTextFormat == 2 then snippet = true end
end
check(snippet, 'completion of Evt_exec')
-- Rename Sub00: its head and both references.
local edit = ask('textDocument/rename', 3, 5, { newName = 'Opening' })
check(edit and edit.changes and #edit.changes[uri] == 3, 'rename of Sub00')
if edit then vim.lsp.util.apply_workspace_edit(edit, 'utf-16') end
check(vim.api.nvim_buf_get_lines(buf, 3, 4, false)[1] == 'int Opening(void) {', 'the rename applied')

-- A typo, typed: the compiler's error with its guess.
published = 0
vim.api.nvim_buf_set_text(buf, 10, 10, 10, 16, { 'STATSU' })
check(vim.wait(5000, function() return #vim.diagnostic.get(buf) > 0 end, 20), 'no diagnostic for the typo')
local d = vim.diagnostic.get(buf)[1]
check(d and d.lnum == 10 and d.message:find("did you mean 'FG_STATUS'", 1, true), 'the typo\'s diagnostic')

vim.lsp.stop_client(id)
finish()
