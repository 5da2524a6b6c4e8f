#!/usr/bin/env bash
# Formatting: every C++ source of the project must be as clang-format
# (.clang-format) leaves it. Lists the files that are not and fails;
# `clang-format -i FILE` mends one. The layers are checked here too: a
# source that includes a folder its own folder may not include fails
# (tools/check-layers).
set -euo pipefail
cd "$(dirname "$0")/../.."
layers=0
tools/check-layers || layers=1
format=""
for candidate in clang-format clang-format-14; do
    if command -v "$candidate" >/dev/null 2>&1; then
        format="$candidate"
        break
    fi
done
if [ -z "$format" ]; then
    echo "05-format: clang-format is not installed (tools/setup installs it)" >&2
    exit 1
fi
mapfile -t files < <(find codec io lsp cli shell util tests testkit bench fuzz -type f \
    \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
unformatted=()
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    "$format" --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "05-format: ${#unformatted[@]} of ${#files[@]} files differ from .clang-format" \
         "(clang-format -i FILE mends them):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "05-format: ${#files[@]} files follow .clang-format"
exit "$layers"
