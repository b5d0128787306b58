#!/usr/bin/env python3
"""Grows the benchmark's sample installation (made by gxsample) in place.

    scale_sample.py <drive_c> <manifest> 10|50    logs and folder entries ten or fifty times today's
    scale_sample.py <drive_c> <manifest> remove   takes the extra folder entries away
    scale_sample.py <drive_c> <manifest> count    changes nothing

For a factor, the files that a collection of group 2 copies add up to about
200 MB or 1 GB, among them single dumps of 100 to 300 MB, filled with
log-like text; the four folders of the attribute report get extra entries
(empty files, one in a thousand read-only) up to 30,000 or 100,000. The logs
go back to their sample size when gxsample runs again. Prints, as key=value
lines, the bytes a group-2 run copies, the largest file and the entries the
report enumerates.
"""
import os
import random
import stat
import sys

MB = 1000 * 1000
SCALES = {
    # factor: (bytes a group-2 run copies, single big dumps, folder entries)
    10: (200 * MB, [100 * MB], 30000),
    50: (1000 * MB, [300 * MB, 200 * MB, 100 * MB], 100000),
}
# The attribute report's folders and the share of the extra entries each gets.
FOLDERS = [("windows/system32", 50), ("windows/system32/drivers", 10),
           ("Program Files", 25), ("Program Files/Common Files", 15)]
ENTRY_PREFIX = "gxentry"


def host_path(drive_c, windows_path):
    parts = [p for p in windows_path[3:].split("\\") if p]
    return os.path.join(drive_c, *parts)


def group2_rows(drive_c, manifest):
    rows = []
    with open(manifest, encoding="cp1252") as lines:
        for row in lines:
            _, group, present, source, _ = row.rstrip("\r\n").split("\t")
            if group == "2" and present == "1":
                rows.append(host_path(drive_c, source))
    return rows


def log_block(seed, size):
    """About `size` bytes of trace-like lines: compressible as real logs are."""
    rng = random.Random(seed)
    words = ["Init", "Connect", "Read", "Write", "Config", "Station", "Driver", "Tag", "Alarm", "Trend",
             "License", "Update", "Service", "Panel", "Project", "Channel", "Device", "Timeout", "Retry"]
    lines, total = [], 0
    while total < size:
        line = "%02d:%02d:%02d:%03d\t%s::%s%s, id:%d value:0x%08x state:%s\r\n" % (
            rng.randrange(24), rng.randrange(60), rng.randrange(60), rng.randrange(1000),
            rng.choice(words), rng.choice(words), rng.choice(words), rng.randrange(100000),
            rng.getrandbits(32), rng.choice(["ok", "ok", "ok", "busy", "failed"]))
        lines.append(line)
        total += len(line)
    return "".join(lines).encode("ascii")[:size]


def write_log(path, size, block):
    with open(path, "wb") as out:
        left, n = size, 0
        while left > 0:
            chunk = (b"-- block %d --\r\n" % n) + block
            out.write(chunk[:left])
            left -= min(left, len(chunk))
            n += 1


def grow_logs(drive_c, manifest, total, dumps):
    rows = group2_rows(drive_c, manifest)
    copies = {}
    for path in rows:
        copies[path] = copies.get(path, 0) + 1
    big = [p for p in copies if p.lower().endswith(".dmp")][:len(dumps)]
    sizes = dict(zip(big, dumps))
    rest = [p for p in copies if p not in sizes]
    share = (total - sum(sizes[p] * copies[p] for p in sizes)) // sum(copies[p] for p in rest)
    for path in rest:
        sizes[path] = share
    block = log_block(1, 1 << 20)
    for path, size in sizes.items():
        write_log(path, size, block)


def entries(drive_c):
    return sum(len(os.listdir(os.path.join(drive_c, f))) + 2 for f, _ in FOLDERS)  # with "." and ".."


def add_entries(drive_c, wanted):
    extra = max(0, wanted - entries(drive_c))
    n = 0
    for folder, share in FOLDERS:
        base = os.path.join(drive_c, folder)
        for _ in range(extra * share // 100):
            path = os.path.join(base, "%s%06d.dll" % (ENTRY_PREFIX, n))
            os.close(os.open(path, os.O_CREAT | os.O_WRONLY, 0o644))
            if n % 1000 == 999:
                os.chmod(path, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
            n += 1


def remove_entries(drive_c):
    for folder, _ in FOLDERS:
        base = os.path.join(drive_c, folder)
        for name in os.listdir(base):
            if name.startswith(ENTRY_PREFIX):
                os.remove(os.path.join(base, name))


def main():
    drive_c, manifest, what = sys.argv[1:4]
    if what == "remove":
        remove_entries(drive_c)
    elif what != "count":
        total, dumps, wanted = SCALES[int(what)]
        grow_logs(drive_c, manifest, total, dumps)
        add_entries(drive_c, wanted)
    sizes = [os.path.getsize(p) for p in group2_rows(drive_c, manifest)]
    print("copied_bytes=%d" % sum(sizes))
    print("largest=%d" % max(sizes))
    print("entries=%d" % entries(drive_c))


if __name__ == "__main__":
    main()
