#!/usr/bin/python3
"""write_zip.py OUT.zip EPOCH FILE...

Writes a zip whose bytes depend only on the files' contents and names: entries in name order,
each stamped with EPOCH (seconds, e.g. SOURCE_DATE_EPOCH) in the zip's local-time-free DOS
form, ordinary-file attributes, deflate at level 9, no extra fields."""
import os
import sys
import time
import zipfile


def main(out, epoch, files):
    # DOS times cannot go before 1980; they have two-second steps.
    stamp = time.gmtime(max(int(epoch), 315532800))[:6]
    with zipfile.ZipFile(out + ".part", "w") as archive:
        for path in sorted(files, key=os.path.basename):
            entry = zipfile.ZipInfo(os.path.basename(path), date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0  # MS-DOS: Windows reads the attributes below
            entry.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE, not read-only
            with open(path, "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)
    os.replace(out + ".part", out)


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
