#!/usr/bin/env bash
# Lays the SZDD interoperability data into $1: data files of every shape the
# tests name, and each one compressed by the classic compressor as "<name>_".
set -eu
dir=$1
for tool in mscompress msexpand; do
    command -v $tool >/dev/null || { echo "$tool is missing (Debian package mscompress)"; exit 1; }
done
rm -rf "$dir"
mkdir -p "$dir"
python3 - "$dir" <<'PY'
import os, random, sys
d = sys.argv[1]
rng = random.Random(20261208)
def rand(n): return rng.randbytes(n)
def runs(n):
    out = bytearray()
    while len(out) < n:
        out += bytes([rng.choice(b" \x00Az")]) * rng.randint(1, 300)
    return bytes(out[:n])
words = [b"plug-in ", b"composant ", b"Orbelle ", b"t\xe9l\xe9chargement ", b"\r\n", b"SZDD ", b"version 2.1.0.5 "]
def text(n):
    out = bytearray()
    while len(out) < n:
        out += rng.choice(words)
    return bytes(out[:n])
def mixed(n):
    out = bytearray()
    while len(out) < n:
        out += rng.choice([text, runs, rand])(rng.randint(100, 20000))
    return bytes(out[:n])
files = {
    "empty": b"",
    "one": b"Z",
    "random4096": rand(4096),
    "random4097": rand(4097),
    "text4096": text(4096),
    "text4097": text(4097),
    "random": rand(200000),
    "runs": runs(300000),
    "mixed": mixed(2 * 1024 * 1024 + 3),
}
for name, data in files.items():
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)
PY
cd "$dir"
for f in *; do
    mscompress "$f"
    # What the classic expander reads from it (mscompress writes zeros in place of
    # the data of files under 16 bytes: there the peers' own reading is the reference).
    msexpand < "${f}_" > "$f.ref"
done
echo "prepared $(ls | wc -l) files in $dir"
