#!/usr/bin/env bash
# The Windows game must run on a bare Windows: it may import only DLLs that
# every Windows has. Prints what it imports and fails on anything else.
# (ADVAPI32 is the stack protector's: it seeds the guard with CryptGenRandom.)
#   tests/win32/imports.sh path/to/blockdrop.exe
set -euo pipefail
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|msvcrt)\.dll$'
mapfile -t dlls < <(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p')
echo "imports: ${dlls[*]}"
((${#dlls[@]} > 0)) || { echo "no import table found" >&2; exit 1; }
status=0
for dll in "${dlls[@]}"; do
  [[ $dll =~ $allowed ]] || { echo "not a system DLL: $dll" >&2; status=1; }
done
exit "$status"
