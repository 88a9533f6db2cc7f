#!/usr/bin/env bash
# The disk search's walk next to find(1) over the same tree of 20,000 files:
# files per second of each and their ratio. The win64 tree must be built.
#   run-bench.sh TOP
set -eu
top=$1
tree=$top/build/win64/bench-disksearch-tree
python3 "$top/plugs/common/bench/make-tree.py" "$tree" >/dev/null
win=$(printf 'Z:%s' "$tree" | tr / '\\')
walk=$("$top/tools/wine-session" "$top/build/win64" "$top/tools/wine-run" "$top/build/win64/bin/plugs_disksearch_bench.exe" "$win" 5 | tr -d '\r')
echo "walk under Wine (best of 5): $walk"
python3 - "$tree" "$walk" <<'PY'
import subprocess, sys, time
tree, walk = sys.argv[1], sys.argv[2].split()
walk_fps = float(walk[walk.index("files_per_second") + 1])
# Names only (find reads the folders' entry types), then with each file's size
# as the walk reads it.
for label, extra in (("find -type f", []), ("find -type f -printf %s", ["-printf", "%s\n"])):
    best = None
    for _ in range(5):
        t0 = time.perf_counter()
        out = subprocess.run(["find", tree, "-type", "f"] + extra, capture_output=True, check=True).stdout
        dt = time.perf_counter() - t0
        best = dt if best is None or dt < best else best
    files = out.count(b"\n")
    find_fps = files / best
    print("%s on Linux (best of 5): files %d seconds %.4f files_per_second %.0f; walk / find: %.2f"
          % (label, files, best, find_fps, walk_fps / find_fps))
PY
