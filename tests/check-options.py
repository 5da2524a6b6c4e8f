#!/usr/bin/env python3
"""Holds the help, the manual page and docs/command-line.md equal to the
option rows of the command-line tool. Which command takes which option is
asked of the program itself (its parser reads the rows): for every command
and option, each synopsis (the command's help, the top-level help, the
manual page, docs/command-line.md) and the command's list of options in its
help show the option exactly when the command takes it, and the manual
page's and the table's lists of commands for an option are the commands that
take it.

    tests/check-options.py QUILLON MANUAL_PAGE COMMAND_LINE_MD
"""
import re
import subprocess
import sys

COMMANDS = ["disassemble", "compile", "verify", "opcodes", "names", "extract", "inject", "atlas", "lsp"]
# The help and version options belong to every command and to none of the rows.
GENERAL = {"-h", "--help", "-V", "--version"}
OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][\w-]*)")


def run(quillon, *args):
    done = subprocess.run([quillon, *args], capture_output=True, text=True, check=False)
    return done.stdout + done.stderr


def options_in(text):
    return {o for o in OPTION.findall(text) if o not in GENERAL}


def block(text, head):
    """The lines after the line `head` up to the next blank line."""
    lines = text.split("\n")
    if head not in lines:
        return ""
    start = lines.index(head) + 1
    end = lines.index("", start) if "" in lines[start:] else len(lines)
    return "\n".join(lines[start:end])


def split_synopsis(text, start):
    """The synopsis lines of each command: a line that the pattern `start`
    matches begins the part of the command it captures, the lines after it
    continue it."""
    parts, current = {}, None
    for line in text.split("\n"):
        m = re.match(start, line)
        if m:
            current = m.group(1)
        if current in COMMANDS:
            parts[current] = parts.get(current, "") + line + "\n"
    return parts


def help_synopsis(text):
    usage = next((p for p in text.split("\n\n") if p.startswith("usage:")), "")
    return split_synopsis(usage, r"^(?:usage:)?\s*quillon (\w+)")


def manual(page):
    text = page.replace("\\-", "-")
    synopsis = text.split(".SH SYNOPSIS\n")[1].split(".SH ")[0]
    parts = split_synopsis(synopsis, r"^\.B quillon (\w+)")
    # The OPTIONS entries: the tag after .TP, and the last line of the
    # entry's text, which lists the commands that take it.
    entries = {}
    section = text.split(".SH OPTIONS\n")[1].split(".SH ")[0]
    for entry in section.split(".TP\n")[1:]:
        lines = [l for l in entry.split(".PP\n")[0].strip().split("\n") if l]
        tag, last = lines[0], lines[-1]
        if last == "All commands.":
            takers = set(COMMANDS)
        else:
            takers = {w for w in re.split(r"[,.\s]+", last) if w}
            if not takers <= set(COMMANDS):
                takers = None
        for option in options_in(tag):
            entries[option] = takers
    return parts, entries


def markdown(text):
    synopsis = text.split("## Synopsis")[1].split("```")[1]
    parts = split_synopsis(synopsis, r"^quillon (\w+)")
    table = {}
    for row in text.split("## Options")[1].split("\n"):
        cells = [c.strip() for c in row.strip().strip("|").split("|")]
        if len(cells) < 3 or not cells[0].startswith("`"):
            continue
        takers = set(COMMANDS) if cells[1] == "all" else {
            w for w in re.split(r"[,\s]+", cells[1]) if w}
        for option in options_in(cells[0]):
            table.setdefault(option, set()).update(takers)
    return parts, table


def main():
    quillon, page_path, md_path = sys.argv[1:4]
    faults = []
    helps = {c: run(quillon, "help", c) for c in COMMANDS}
    top = help_synopsis(run(quillon, "--help"))
    with open(page_path, encoding="utf-8") as f:
        man_synopsis, man_entries = manual(f.read())
    with open(md_path, encoding="utf-8") as f:
        md_synopsis, md_table = markdown(f.read())

    # Aliases: the "-d, --dialect D" lines of the helps' option lists.
    alias = {}
    for text in helps.values():
        for short, long in re.findall(r"^\s+(-\w), (--[\w-]+)", text, re.M):
            alias[short], alias[long] = long, short

    sources = {
        "its help's synopsis": {c: help_synopsis(helps[c]).get(c, "") for c in COMMANDS},
        "its help's options": {c: block(helps[c], "options:") for c in COMMANDS},
        "the synopsis of 'quillon --help'": top,
        "the manual page's synopsis": man_synopsis,
        "the synopsis of docs/command-line.md": md_synopsis,
    }
    mentioned = set(man_entries) | set(md_table)
    for parts in sources.values():
        for text in parts.values():
            mentioned |= options_in(text)
    # The rows, as the parser reads them: a refused option says so.
    takes = {}
    for option in sorted(mentioned):
        answers = {c: run(quillon, c, option) for c in COMMANDS}
        if all("unknown option" in a for a in answers.values()):
            faults.append(f"'{option}' is shown, but no command knows it")
            continue
        takes[option] = {c for c, a in answers.items() if "does not take the option" not in a}

    for option, takers in sorted(takes.items()):
        names = {option, alias.get(option, option)}
        if option in alias and alias[option] < option:
            continue  # checked under its other name
        for where, parts in sources.items():
            for command in COMMANDS:
                shown = bool(names & options_in(parts.get(command, "")))
                if shown != (command in takers):
                    verb = "shows" if shown else "lacks"
                    faults.append(f"'{command}': {where} {verb} '{option}', which "
                                  f"'{command}' {'refuses' if shown else 'takes'}")
        for what, listed in (("the manual page's OPTIONS", man_entries),
                             ("the options table of docs/command-line.md", md_table)):
            found = [listed[n] for n in names if n in listed]
            if not found:
                faults.append(f"{what} does not describe '{option}'")
            elif found[0] != takers:
                faults.append(f"{what} gives '{option}' to {sorted(found[0] or [])}, but the "
                              f"commands that take it are {sorted(takers)}")
    for fault in faults:
        print(f"check-options: {fault}", file=sys.stderr)
    if faults:
        print("check-options: keep cli/help.cpp, docs/quillon.1.in and docs/command-line.md "
              "with the option rows of cli/options.cpp", file=sys.stderr)
        return 1
    print(f"check-options: {len(takes)} options of {len(COMMANDS)} commands agree")
    return 0


if __name__ == "__main__":
    sys.exit(main())
