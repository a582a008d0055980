#!/usr/bin/env python3
"""Packs a folder into a zip whose bytes depend only on the files' names and contents.

    pack-zip.py <seconds since 1970> <parent folder> <folder name> <zip>

The zip holds the folder itself, then its files and subfolders in name order, each with
the given time (as a UTC date and time), the attributes of an ordinary file or folder
and no owner, permissions or extra time fields. Every packed file and folder is given
that time too, so that a setup program built from the folder stores it as well.
"""
import os
import sys
import time
import zipfile

DOS_DIRECTORY = 0x10
DOS_ARCHIVE = 0x20
EARLIEST_ZIP_TIME = 315532800  # 1980-01-01 00:00 UTC


def entries(parent, name):
    """The entry names below parent, folders ending in "/", in a fixed order."""
    for folder, subfolders, files in os.walk(os.path.join(parent, name)):
        subfolders.sort()
        prefix = os.path.relpath(folder, parent).replace(os.sep, "/") + "/"
        yield prefix
        for file in sorted(files):
            yield prefix + file


def main(epoch, parent, name, out):
    stamp = time.gmtime(max(int(epoch), EARLIEST_ZIP_TIME))[:6]
    part = out + ".part"
    with zipfile.ZipFile(part, "w") as archive:
        for entry in entries(parent, name):
            path = os.path.join(parent, *entry.rstrip("/").split("/"))
            info = zipfile.ZipInfo(entry, stamp)
            info.create_system = 0  # attributes in MS-DOS form
            if entry.endswith("/"):
                info.external_attr = DOS_DIRECTORY
                archive.writestr(info, b"")
            else:
                info.external_attr = DOS_ARCHIVE
                with open(path, "rb") as file:
                    archive.writestr(info, file.read(), zipfile.ZIP_DEFLATED, 9)
            os.utime(path, (int(epoch), int(epoch)))
    os.replace(part, out)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
