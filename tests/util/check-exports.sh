#!/usr/bin/env bash
# Reads the export table of the Windows program and checks that it exports
# every class member and free function of the string and file library
# (tests/util/exports.txt), and that GFile's exported virtual table holds the
# virtual operations in their order.
#
#   tests/util/check-exports.sh [PROGRAM.exe]     (default build-win/shell/quillon.exe)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
exe="${1:-$root/build-win/shell/quillon.exe}"
expected="$root/tests/util/exports.txt"

if [ ! -f "$exe" ]; then
    echo "check-exports: SKIPPED: $exe has not been built (no Windows program yet)"
    exit 0
fi
objdump=x86_64-w64-mingw32-objdump
cxxfilt=x86_64-w64-mingw32-c++filt
command -v "$cxxfilt" >/dev/null 2>&1 || cxxfilt=c++filt

table="$(mktemp)"
trap 'rm -f "$table"' EXIT
"$objdump" -p "$exe" >"$table"

python3 - "$exe" "$table" "$expected" "$objdump" "$cxxfilt" <<'PYTHON'
import re
import subprocess
import sys

exe, table_path, expected_path, objdump, cxxfilt = sys.argv[1:]
text = open(table_path, encoding="utf-8", errors="replace").read()

image_base = int(re.search(r"^ImageBase\s+([0-9a-fA-F]+)", text, re.M).group(1), 16)
rvas = {}  # ordinal index -> address
for index, rva in re.findall(r"^\s*\[\s*(\d+)\] \+base\[\s*\d+\]\s+([0-9a-fA-F]+) Export RVA", text, re.M):
    rvas[int(index)] = int(rva, 16)
names = {}  # decorated name -> ordinal index
part = text.split("[Ordinal/Name Pointer] Table", 1)
if len(part) == 2:
    for line in part[1].splitlines()[1:]:
        m = re.match(r"^\s*\[\s*(\d+)\] (\S+)$", line)
        if not m:
            break
        names[m.group(2)] = int(m.group(1))
if not names:
    print(f"check-exports: FAILED: {exe} has no export table")
    sys.exit(1)

decorated = sorted(names)
demangled = subprocess.run([cxxfilt], input="\n".join(decorated) + "\n", capture_output=True,
                           text=True, check=True).stdout.splitlines()
by_plain = {}
for d, p in zip(decorated, demangled):
    by_plain.setdefault(p, d)

wanted = [l.strip() for l in open(expected_path, encoding="utf-8")]
wanted = [l for l in wanted if l and not l.startswith("#")]
missing = [w for w in wanted if w not in by_plain]
for w in missing:
    print(f"check-exports: missing export: {w}")

# The virtual table: offset to top, type information, then the slots.
slots = ["operator int() const", "Abort()", "Close()", "Duplicate() const", "Flush()",
         "GetFileName() const", "GetFilePath() const", "GetFileTitleW() const",
         "GetHandle() const", "GetInformation(_BY_HANDLE_FILE_INFORMATION&) const",
         "GetLength() const", "GetPosition() const", "GetSecurityAttributes() const",
         "GetSecurityDescriptor() const", "LockRange(unsigned long long, unsigned long long)",
         "Open(wchar_t const*, unsigned int)", "Read(void*, unsigned int)",
         "ReadHuge(void*, unsigned long)", "Seek(unsigned long long, unsigned int)",
         "SeekToBegin()", "SeekToEnd()", "SetEndOfFile(unsigned long long)",
         "SetFilePath(wchar_t const*)", "SetLength(unsigned long long)",
         "UnlockRange(unsigned long long, unsigned long long)", "Write(void const*, unsigned int)",
         "WriteHuge(void const*, unsigned long)"]
order_faults = []
if "vtable for GFile" in by_plain:
    start = image_base + rvas[names[by_plain["vtable for GFile"]]]
    stop = start + 8 * (2 + len(slots))
    dump = subprocess.run([objdump, "-s", f"--start-address={start:#x}", f"--stop-address={stop:#x}", exe],
                          capture_output=True, text=True, check=True).stdout
    data = bytearray()
    for line in dump.splitlines():
        m = re.match(r"^ ([0-9a-f]+) ((?:[0-9a-f]{2,8} ?){1,4})", line)
        if m:
            data += bytes.fromhex(m.group(2).replace(" ", ""))
    entries = [int.from_bytes(data[i:i + 8], "little") for i in range(0, len(data) - 7, 8)][2:]
    by_address = {image_base + rvas[i]: p for p, d in by_plain.items() for i in [names[d]]}
    for n, name in enumerate(slots):
        got = by_address.get(entries[n], f"{entries[n]:#x}") if n < len(entries) else "(none)"
        if got != "GFile::" + name:
            order_faults.append(f"check-exports: vtable slot {n} is {got}, not GFile::{name}")
    for f in order_faults:
        print(f)

if missing or order_faults:
    print(f"check-exports: FAILED: {len(missing)} missing, {len(order_faults)} slots out of order")
    sys.exit(1)
print(f"check-exports: {len(wanted)} library exports found in {exe}; "
      f"GFile's virtual table holds its {len(slots)} operations in order")
PYTHON
