#!/usr/bin/env python3
"""Builds a benchmark tree.

    make_tree.py <root> [top mid per]      (defaults 100 100 20: 200,000 files)
        <top> directories of <mid> directories holding <per> sparse files each (no
        blocks written), with lengths spread up to 3 MB: a flat, wide tree.
    make_tree.py <root> branching [n]      (default 20)
        n x n x n directories (8,421 for 20) branching at every level, two files of
        100 bytes in each leaf, as a tree of a real disk is shaped.
    make_tree.py <root> single [n]         (default 200,000)
        one directory of n empty files.
"""
import os
import sys

root = sys.argv[1]
if len(sys.argv) >= 3 and sys.argv[2] == "branching":
    n = int(sys.argv[3]) if len(sys.argv) >= 4 else 20
    for a in range(n):
        for b in range(n):
            for c in range(n):
                d = os.path.join(root, "a%02d" % a, "b%02d" % b, "c%02d" % c)
                os.makedirs(d)
                for f in range(2):
                    with open(os.path.join(d, "f%d.bin" % f), "wb") as fh:
                        fh.write(b"x" * 100)
    sys.exit(0)
if len(sys.argv) >= 3 and sys.argv[2] == "single":
    n = int(sys.argv[3]) if len(sys.argv) >= 4 else 200000
    for f in range(n):
        open(os.path.join(root, "f%06d" % f), "wb").close()
    sys.exit(0)
top, mid, per = (int(x) for x in sys.argv[2:5]) if len(sys.argv) >= 5 else (100, 100, 20)
n = 0
for a in range(top):
    for b in range(mid):
        d = os.path.join(root, "d%03d" % a, "e%03d" % b)
        os.makedirs(d)
        for f in range(per):
            n += 1
            with open(os.path.join(d, "f%02d.bin" % f), "wb") as fh:
                fh.truncate((n * 7919) % 3000000)
