#!/usr/bin/python3
"""A small read-only FUSE file system whose listings misbehave as a failing share's do.

    slowfs.py <mount point> [seconds] [lifetime]   (defaults 3 and 600)

It unmounts itself and ends after <lifetime> seconds, so that none is left behind.

Its root holds two directories, each with ten files of 1,000 bytes:
    slow/    every listing takes <seconds>
    stuck/   a listing never returns (until the file system goes)
Runs in the foreground; end it with SIGKILL (a listing it holds returns then).
"""
import errno
import os
import stat
import subprocess
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations

FILES = {"f%d.bin" % i: 1000 for i in range(10)}
DIRS = {"slow": FILES, "stuck": FILES}


class SlowFs(Operations):
    def __init__(self, seconds):
        self.seconds = seconds
        self.now = time.time()

    def _attrs(self, mode, size=0):
        return dict(st_mode=mode, st_nlink=2, st_size=size, st_atime=self.now, st_mtime=self.now, st_ctime=self.now)

    def getattr(self, path, fh=None):
        parts = path.strip("/").split("/") if path != "/" else []
        if not parts or (len(parts) == 1 and parts[0] in DIRS):
            return self._attrs(stat.S_IFDIR | 0o755)
        if len(parts) == 2 and parts[0] in DIRS and parts[1] in DIRS[parts[0]]:
            return self._attrs(stat.S_IFREG | 0o644, DIRS[parts[0]][parts[1]])
        raise FuseOSError(errno.ENOENT)

    def readdir(self, path, fh):
        name = path.strip("/")
        if path == "/":
            return [".", ".."] + list(DIRS)
        if name == "slow":
            time.sleep(self.seconds)
        elif name == "stuck":
            threading.Event().wait()
        return [".", ".."] + list(DIRS[name])


def main():
    mount = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 3
    lifetime = float(sys.argv[3]) if len(sys.argv) > 3 else 600

    def leave():
        subprocess.run(["umount", "-l", mount])
        os._exit(0)

    timer = threading.Timer(lifetime, leave)
    timer.daemon = True
    timer.start()
    FUSE(SlowFs(seconds), mount, foreground=True, ro=True, allow_other=True)


if __name__ == "__main__":
    main()
