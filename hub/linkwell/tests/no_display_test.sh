#!/usr/bin/env bash
# Linkwell.exe in a Wine session that has no display (a copy of the tree's
# prefix, booted by a wineserver of its own without DISPLAY): its main window
# cannot be created, so the hub must not start. Expected: exit code 2 within
# the bound, and the error line in its trace (C:\Linkwell<date>.log).
# Usage: no_display_test.sh <source dir> <build dir> <Linkwell.exe>
set -u
source_dir=$1 build=$2 exe=$3
. "$source_dir/tools/wine-env"
fd_wine_env "$build"
fd_wine_prefix_ready

fresh=$(mktemp -d "$FD_WINE_DIR/nodisplay.XXXXXX")
cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    rm -rf "$fresh"
}
trap cleanup EXIT
cp -a --reflink=auto "$FD_WINE_DIR/prefix/." "$fresh/"
export WINEPREFIX="$fresh"
unset DISPLAY WAYLAND_DISPLAY
fd_wine_boot
"$WINELOADER" reg add 'HKLM\Software\FDGame\Binaries\LinkwellV2' /v LogToTextFile /t REG_DWORD /d 1 /f \
    </dev/null >/dev/null 2>&1

timeout 60 "$WINELOADER" "$exe" </dev/null >/dev/null 2>&1
rc=$?
fail=0
if [ "$rc" != 2 ]; then
    echo "FAIL: Linkwell.exe without a display ended with $rc (124: still running after 60 s), expected 2"
    fail=1
fi
# The trace is CP1252: "fenêtre principale impossible à créer".
if ! cat "$fresh"/drive_c/Linkwell*.log 2>/dev/null | iconv -f CP1252 -t UTF-8 |
        grep -q '!ERREUR! Linkwell : fenêtre principale impossible à créer'; then
    echo "FAIL: no error line in the hub's trace:"
    cat "$fresh"/drive_c/Linkwell*.log 2>/dev/null | iconv -f CP1252 -t UTF-8
    fail=1
fi
[ "$fail" = 0 ] && echo "PASS: no display, exit code 2, error traced"
exit "$fail"
