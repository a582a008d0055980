#!/usr/bin/env python3
"""Builds the benchmark tree: <top> directories of <mid> directories holding <per>
sparse files each (no blocks written), with lengths spread up to 3 MB.

    make_tree.py <root> [top mid per]      (defaults 100 100 20: 200,000 files)
"""
import os
import sys

root = sys.argv[1]
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
