#!/usr/bin/env python3
"""reproducible_zip.py ZIP EPOCH FILE...: writes ZIP holding each FILE under its own name, in the
order given, so that the same files give the same bytes on any machine, in any folder, time zone
or umask. Every entry carries the time EPOCH (seconds, UTC), a fixed mode (0755 where the file
may be run, else 0644) and no owner or extra time fields."""
import os
import sys
import time
import zipfile

# The earliest time a zip entry can carry.
ZIP_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC


def main(zip_path, epoch, files):
    date_time = time.gmtime(max(int(epoch), ZIP_EPOCH))[:6]
    partial = zip_path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for path in files:
            entry = zipfile.ZipInfo(os.path.basename(path), date_time)
            entry.create_system = 3  # Unix, so that the mode below is what unzip restores
            mode = 0o755 if os.access(path, os.X_OK) else 0o644
            entry.external_attr = (0o100000 | mode) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)
    # A failed or interrupted run leaves no zip that looks complete.
    os.replace(partial, zip_path)


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
