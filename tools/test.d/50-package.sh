#!/usr/bin/env bash
# The packages: cpack of the Linux release build (quillon, its manual page,
# the README, the reference in docs/*.md and the names header bio2.h in a
# .tar.gz) and of the Windows build (quillon.exe, quillon-cli.exe, the README,
# docs/*.md and bio2.h in a .zip), each with the pictures and the schema that
# the pages link. The packed quillon.exe exports the library, the packed programs print
# the packed names header, and the packed quillon-cli.exe converts the bundled
# example under Wine. Both ship the VS Code extension (editors/vscode, packed
# from npm's packages) as share/quillon/quillon.vsix, and both programs serve
# an editor (quillon lsp).
set -euo pipefail
cd "$(dirname "$0")/../.."
prefix="${QUILLON_BUILD_PREFIX:-build}"
release="$prefix-release"
windows="${QUILLON_BUILD_WIN:-$prefix-win}"
export QUILLON_WINEPREFIX="${QUILLON_WINEPREFIX:-$PWD/$windows/wineprefix}"

mkdir -p "$release"
vsix="$PWD/$release/quillon.vsix"
(cd editors/vscode && npm run --silent package -- -o "$vsix" >/dev/null)
cmake --preset release -B "$release" -DQUILLON_VSIX="$vsix" >/dev/null
cmake --build "$release" -j2 --target quillon
cmake --preset windows -B "$windows" -DQUILLON_VSIX="$vsix" >/dev/null
cmake --build "$windows" -j2 --target quillon quillon_exe
rm -rf "$release/packages" "$windows/packages"
(cd "$release" && cpack -G TGZ)
(cd "$windows" && cpack -G ZIP)

work=$(mktemp -d)
trap 'rm -rf "$work"; tools/wine-run --stop' EXIT
version=$(sed -n 's/^project(Quillon VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)

# Each package holds exactly its files.
check() {
    local listing="$1" package="$2"
    shift 2
    local want
    want=$(printf '%s\n' "$@" | sort)
    if [ "$listing" != "$want" ]; then
        echo "50-package: $package holds:" >&2
        printf '%s\n' "$listing" >&2
        echo "50-package: expected:" >&2
        printf '%s\n' "$want" >&2
        exit 1
    fi
}
reference=()
for page in docs/*.md docs/*.png docs/*.json; do reference+=("${page#docs/}"); done
tgz="$release/packages/quillon-$version-Linux.tar.gz"
check "$(tar -tzf "$tgz" | grep -v '/$' | sort)" "$tgz" \
    "quillon-$version-Linux/bin/quillon" \
    "quillon-$version-Linux/share/doc/quillon/README.md" \
    "${reference[@]/#/quillon-$version-Linux/share/doc/quillon/docs/}" \
    "quillon-$version-Linux/share/man/man1/quillon.1" \
    "quillon-$version-Linux/share/quillon/bio2.h" \
    "quillon-$version-Linux/share/quillon/quillon.vsix"
zip="$windows/packages/quillon-$version-win64.zip"
check "$(python3 -c 'import sys, zipfile; [print(n) for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/")]' "$zip" | sort)" "$zip" \
    "quillon-$version-win64/README.md" \
    "${reference[@]/#/quillon-$version-win64/docs/}" \
    "quillon-$version-win64/quillon-cli.exe" \
    "quillon-$version-win64/quillon.exe" \
    "quillon-$version-win64/share/quillon/bio2.h" \
    "quillon-$version-win64/share/quillon/quillon.vsix"

# The packed programs run.
tar -xzf "$tgz" -C "$work"
"$work/quillon-$version-Linux/bin/quillon" --version
"$work/quillon-$version-Linux/bin/quillon" names | cmp - "$work/quillon-$version-Linux/share/quillon/bio2.h"
# The packed tool is a Release build, optimised across files, which no other
# stage runs: it converts the bundled examples as the tests expect.
bin="$work/quillon-$version-Linux/bin/quillon"
for example in room100:retail proto_room:prototype retail_all:retail; do
  name=${example%%:*} dialect=${example##*:}
  cp "examples/$name.scd" "$work/"
  "$bin" disassemble -q --dialect "$dialect" "$work/$name.scd"
  cmp "$work/$name.c" "examples/$name.c"
  # (retail_all holds bytes that its classic text does not keep)
  [ "$name" = retail_all ] && continue
  rm "$work/$name.scd"
  "$bin" compile -q --dialect "$dialect" "$work/$name.c"
  cmp "$work/$name.scd" "examples/$name.scd"
done
cp examples/exact_room.c "$work/"
"$bin" compile --exact -q "$work/exact_room.c"
cmp "$work/exact_room.scd" examples/exact_room.scd
# The packed server answers initialize and ends cleanly after shutdown and exit.
lsp_session() {
    local m
    for m in '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}' \
             '{"jsonrpc":"2.0","id":2,"method":"shutdown"}' '{"jsonrpc":"2.0","method":"exit"}'; do
        printf 'Content-Length: %d\r\n\r\n%s' "${#m}" "$m"
    done
}
lsp_session | "$bin" lsp | grep -q '"serverInfo":{"name":"quillon"'
python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); assert "extension/package.json" in z.namelist()' \
    "$work/quillon-$version-Linux/share/quillon/quillon.vsix"
grep -q "^\.TH QUILLON 1 .*\"Quillon $version\"" "$work/quillon-$version-Linux/share/man/man1/quillon.1"
# The atlas's door graph of the example rooms, drawn by Graphviz where it is
# installed (tools/setup installs it).
if command -v dot >/dev/null; then
  "$bin" atlas examples/atlas --format dot --svg "$work/doors.svg" -o "$work/doors.dot"
  grep -q "<svg" "$work/doors.svg"
  grep -q ">stage 2<" "$work/doors.svg"
else
  echo "50-package: Graphviz's dot is not installed: the door graph is not drawn" >&2
fi
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work"
tests/util/check-exports.sh "$work/quillon-$version-win64/quillon.exe"
cp examples/room100.scd "$work/"
root="$PWD"
(cd "$work" && "$root/tools/wine-run" "quillon-$version-win64/quillon-cli.exe" disassemble room100.scd)
cmp "$work/room100.c" examples/room100.c
(cd "$work" && "$root/tools/wine-run" "quillon-$version-win64/quillon-cli.exe" names -o bio2.h)
cmp "$work/bio2.h" "$work/quillon-$version-win64/share/quillon/bio2.h"
lsp_session > "$work/session.txt"
(cd "$work" && QUILLON_WINE_STDIN=1 "$root/tools/wine-run" "quillon-$version-win64/quillon-cli.exe" lsp \
    < session.txt > answers.txt)
grep -q '"serverInfo":{"name":"quillon"' "$work/answers.txt"
echo "50-package: $tgz and $zip, each with quillon.vsix; the packed quillon-cli.exe converts room100.scd, prints bio2.h and serves an editor"
