#!/usr/bin/env bash
# Checks that the manual page keeps up with the help of the command-line tool:
# every command of `quillon --help` and every option that any help text shows
# must appear in the page.
#
#   tests/check-manual.sh QUILLON MANUAL_PAGE
set -euo pipefail
quillon="$1"
page="$2"

# The page's text with roff's escaped minus signs as plain ones.
text="$(sed 's/\\-/-/g' "$page")"
help="$("$quillon" --help)"
# The commands: the first word of each line of the "commands:" block.
mapfile -t commands < <(printf '%s\n' "$help" |
    sed -n '/^commands:$/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
if [ ${#commands[@]} -eq 0 ]; then
    echo "check-manual: no commands found in 'quillon --help'" >&2
    exit 1
fi
all="$help"
for command in "${commands[@]}"; do
    all+=$'\n'"$("$quillon" help "$command")"
done
# Options: words that start with one or two dashes and a letter.
mapfile -t options < <(printf '%s\n' "$all" |
    grep -oE '(^|[^-[:alnum:]])--?[[:alpha:]][[:alnum:]-]*' | sed 's/^[^-]*//' | sort -u)

missing=0
for word in "${commands[@]}"; do
    if ! grep -qE "^\.(B|BR|TP) +\"?$word\b" <<<"$text"; then
        echo "check-manual: $page does not describe the command '$word' of 'quillon --help'" >&2
        missing=1
    fi
done
for word in "${options[@]}"; do
    if ! grep -qE -- "(^|[^-[:alnum:]])$word([^-[:alnum:]]|\$)" <<<"$text"; then
        echo "check-manual: $page does not mention the option '$word' of the help texts" >&2
        missing=1
    fi
done
if [ "$missing" -ne 0 ]; then
    echo "check-manual: update the manual page with cli/help.cpp" >&2
    exit 1
fi
echo "check-manual: ${#commands[@]} commands and ${#options[@]} options described"
