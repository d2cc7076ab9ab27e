#!/bin/sh
# Runs the link command given and fails it when Binaryen warns that the
# Asyncify list names a function the program does not have: the dialog would
# then suspend a function that was never made able to, and the link would
# pass all the same.
log=$(mktemp) || exit 1
"$@" 2>"$log"
status=$?
cat "$log" >&2
if grep -q '^warning: Asyncify .*list contained a non-' "$log"; then
    echo "strict_link.sh: the Asyncify list names a function that is not in the program" >&2
    status=1
fi
rm -f "$log"
exit "$status"
