#!/usr/bin/env python3
"""Lays the disk-search benchmark's tree: FOLDERS top folders of SUB
sub-folders with FILES small files each.
   make-tree.py ROOT [FOLDERS SUB FILES]"""
import os
import shutil
import sys

root = sys.argv[1]
folders, subs, files = (int(a) for a in (sys.argv[2:5] if len(sys.argv) > 4 else (40, 10, 50)))
shutil.rmtree(root, ignore_errors=True)
for f in range(folders):
    for s in range(subs):
        d = os.path.join(root, "f%03d" % f, "s%02d" % s)
        os.makedirs(d)
        for n in range(files):
            with open(os.path.join(d, "file%03d.dat" % n), "wb") as out:
                out.write(b"x" * (n % 7))
print(folders * subs * files)
