#!/usr/bin/env bash
# tools/check-includes on small fixture trees: folders in order pass, an
# include of a later folder fails, and so does a portable library that links
# a library that is not portable, directly, through a portable one, through a
# generator expression or under a condition.
set -u
here=$(cd "$(dirname "$0")" && pwd)
check="$here/../check-includes"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

# A tree of three folders: low (portable core and Windows half), mid and top.
# $1 names the tree; the CMakeLists of mid comes on stdin.
make_tree() {
    local t="$tmp/$1"
    mkdir -p "$t/low" "$t/mid" "$t/top"
    printf 'foreach(dir low mid top)\n  add_subdirectory(${dir})\nendforeach()\n' > "$t/CMakeLists.txt"
    cat > "$t/low/CMakeLists.txt" <<'CMAKE'
fd_add_library(low_core PORTABLE SOURCES Low.cpp)
if(NOT FD_WINDOWS)
  return()
endif()
fd_add_library(low_win SOURCES LowWin.cpp LIBS low_core user32)
add_library(low_whole INTERFACE)
CMAKE
    cat > "$t/mid/CMakeLists.txt"
    printf 'fd_add_library(top SOURCES Top.cpp LIBS mid_core low_win)\n' > "$t/top/CMakeLists.txt"
    printf '#pragma once\n' > "$t/low/Low.h"
    printf '#include "Low.h"\n' > "$t/low/Low.cpp"
    printf '#include "Low.h"\n' > "$t/mid/Mid.cpp"
    printf '#include "Mid.h"\n#include "Low.h"\n' > "$t/top/Top.cpp"
    printf '#pragma once\n' > "$t/mid/Mid.h"
}

# expect <tree> <exit code> [text the output must hold]
expect() {
    local out code
    out=$(python3 "$check" "$tmp/$1" 2>&1)
    code=$?
    if [ "$code" != "$2" ]; then
        echo "FAIL $1: exit $code, wanted $2"; echo "$out"; failures=$((failures + 1)); return
    fi
    if [ -n "${3:-}" ] && ! grep -qF -- "$3" <<<"$out"; then
        echo "FAIL $1: no \"$3\" in:"; echo "$out"; failures=$((failures + 1)); return
    fi
    echo "ok $1"
}

make_tree clean <<'CMAKE'
fd_add_library(mid_core PORTABLE SOURCES Mid.cpp LIBS low_core)
fd_add_library(mid_win SOURCES MidWin.cpp LIBS mid_core low_win)
target_link_libraries(mid_win PUBLIC "$<LINK_LIBRARY:WHOLE_ARCHIVE,low_whole>")
CMAKE
expect clean 0 "in order"

make_tree upward <<'CMAKE'
fd_add_library(mid_core PORTABLE SOURCES Mid.cpp LIBS low_core)
CMAKE
printf '#include "Mid.h"\n' >> "$tmp/upward/low/Low.cpp"
expect upward 1 "low/Low.cpp:2: low includes mid/Mid.h of mid, which comes after it"

make_tree direct <<'CMAKE'
fd_add_library(mid_core PORTABLE
  SOURCES Mid.cpp
  LIBS low_core low_win
  INCLUDES inc)
CMAKE
expect direct 1 "mid/CMakeLists.txt:1: portable library mid_core links low_win, which is not portable (low/CMakeLists.txt:5)"

make_tree conditional <<'CMAKE'
fd_add_library(mid_core PORTABLE SOURCES Mid.cpp LIBS low_core)
fd_add_library(mid_win SOURCES MidWin.cpp LIBS mid_core)
if(FD_WINDOWS)
  # The core reads through the Windows half.
  target_link_libraries(mid_core PUBLIC mid_win)
endif()
CMAKE
expect conditional 1 "mid/CMakeLists.txt:5: portable library mid_core links mid_win, which is not portable (mid/CMakeLists.txt:2)"

make_tree through <<'CMAKE'
fd_add_library(mid_core PORTABLE SOURCES Mid.cpp LIBS low_core)
target_link_libraries(low_core PUBLIC "$<LINK_LIBRARY:WHOLE_ARCHIVE,low_whole>")
CMAKE
expect through 1 "portable library mid_core links low_whole through low_core, which is not portable (low/CMakeLists.txt:6)"

# A plain interface library outside any Windows condition builds everywhere.
make_tree headers <<'CMAKE'
add_library(mid_headers INTERFACE)
fd_add_library(mid_core PORTABLE SOURCES Mid.cpp LIBS low_core mid_headers)
CMAKE
expect headers 0 "in order"

[ "$failures" = 0 ] && echo "check-includes fixtures: ok"
exit $(( failures > 0 ))
