#!/usr/bin/env bash
# The Windows game is hardened and reproducible: its code calls the stack
# protector (every library of ours given refers to __stack_chk_fail), whose
# runtime is linked into the .exe (its message is there, and the import
# check shows no DLL of the compiler's); the image may be loaded anywhere,
# high-entropy, with data not executable; and the PE header carries no time
# stamp, so two links of the same code are the same file.
#   tests/win32/hardening.sh path/to/blockdrop.exe path/to/libours.a...
set -euo pipefail
exe=$1
shift
status=0
fail() { echo "hardening: $*" >&2; status=1; }

for library in "$@"; do
  count=$(x86_64-w64-mingw32-nm "$library" | grep -c ' U __stack_chk_fail$' || true)
  echo "$(basename "$library"): $count objects call __stack_chk_fail"
  ((count > 0)) || fail "$library was compiled without the stack protector"
done
# The .exe is stripped: its __stack_chk_fail shows by what it prints.
grep -qaF '*** stack smashing detected ***' "$exe" || fail "no stack protector runtime in $exe"

header=$(x86_64-w64-mingw32-objdump -p "$exe")
for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
  grep -qw "$flag" <<<"$header" || fail "$exe lacks $flag"
done
stamp=$(sed -n 's/^Time\/Date\s*//p' <<<"$header")
echo "time stamp: $stamp; $(grep -E '^CheckSum' <<<"$header")"
[[ $stamp == 'Thu Jan  1 00:00:00 1970' ]] || fail "$exe carries a link time stamp"
exit "$status"
