#!/usr/bin/env bash
# Expands with msexpand every "<name>.fd" that the Windows interoperability test
# compressed with iLzFileOp, and compares each with "<name>".
set -u
dir=$1
command -v msexpand >/dev/null || { echo "msexpand is missing (Debian package mscompress)"; exit 1; }
cd "$dir" || exit 1
passed=0 failed=0
for packed in *.fd; do
    [ -e "$packed" ] || { echo "no .fd files: the Windows interoperability test did not run"; exit 1; }
    name=${packed%.fd}
    if msexpand < "$packed" > "$name.msexpand" && cmp -s "$name" "$name.msexpand"; then
        passed=$((passed + 1))
    else
        echo "FAILED: $packed does not expand to $name with msexpand"
        failed=$((failed + 1))
    fi
    rm -f "$name.msexpand"
done
echo "$passed passed, $failed failed"
[ "$failed" = 0 ] && [ "$passed" -ge 7 ]
