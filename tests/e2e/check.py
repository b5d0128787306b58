#!/usr/bin/env python3
"""Checks of the end-to-end suite on what a run left in the Wine prefix.

  check.py copies   <manifest> <File_Save folder> <groups, e.g. 2 or 12>
  check.py tracelog <gathrix.log>
  check.py wholelines <gathrix.log>     (a killed run: every line whole, no closing line needed)
  check.py userinfo <userinfo.txt> <de|en> <name> <computer> <product> <email> <problem>
  check.py fileattr <fileattr.txt> <folder>...   (Windows paths; expected from the prefix)
  check.py equal    <file> <expected text, CP1252 written as UTF-8 here>

Windows paths (C:\\...) are resolved inside $WINEPREFIX case-insensitively.
Exits 1 with a message on the first failed check.
"""
import os
import re
import stat
import sys


def fail(message):
    print("check failed: " + message, file=sys.stderr)
    sys.exit(1)


def host(windows_path):
    prefix = os.environ["WINEPREFIX"]
    drive, rest = windows_path[0].lower(), windows_path[3:]
    path = os.path.join(prefix, "drive_" + drive) if drive != "z" else "/"
    for part in [p for p in rest.split("\\") if p]:
        exact = os.path.join(path, part)
        if os.path.exists(exact) or not os.path.isdir(path):
            path = exact
            continue
        matches = [n for n in os.listdir(path) if n.lower() == part.lower()]
        path = os.path.join(path, matches[0] if matches else part)
    return path


def read(windows_path):
    with open(host(windows_path), "rb") as f:
        return f.read()


def same_file(path):
    """A path as the file system sees it: case and doubled separators do not count."""
    return re.sub(r"\\+", r"\\", path.lower())


def copies(manifest, file_save, groups):
    rows = []
    with open(host(manifest), encoding="cp1252") as f:
        for line in f:
            row, group, present, source, below = line.rstrip("\r\n").split("\t")
            rows.append((int(row), group, present == "1", source, below))
    wanted = [r for r in rows if r[1] in groups]
    provided = {same_file(r[4]) for r in wanted if r[2]}
    checked = 0
    for row, group, present, source, below in wanted:
        target = host(file_save.rstrip("\\") + "\\" + below)
        if present:
            if not os.path.isfile(target):
                fail("row %d: no copy at %s" % (row, target))
            if read(source) != open(target, "rb").read():
                fail("row %d: copy of %s differs" % (row, source))
            checked += 1
        elif same_file(below) not in provided and os.path.exists(target):
            fail("row %d: %s was absent but a copy exists" % (row, source))
    skipped = [r for r in rows if r[1] not in groups]
    for row, group, present, source, below in skipped:
        if same_file(below) not in provided and os.path.exists(host(file_save.rstrip("\\") + "\\" + below)):
            fail("row %d of group %s was copied although the group is skipped" % (row, group))
    print("%d copies byte-identical" % checked)


def tracelog(path, closed=True):
    lines = read(path).split(b"\r\n")
    if lines[-1] != b"":
        fail("the log does not end with a line end")
    lines = lines[:-1]
    stamp = re.compile(rb"^\d{1,2}:\d{1,2}:\d{1,2}:\d{1,3}\t")
    messages = []
    for number, line in enumerate(lines):
        if line == b"":  # the empty line after a message that ends in a line feed
            messages.append(b"")
            continue
        if not stamp.match(line):
            fail("line %d is not whole: %r" % (number + 1, line[:80]))
        messages.append(line.split(b"\t", 1)[1])
    if not closed:
        print("%d lines whole" % len(lines))
        return
    if not messages or not messages[0].startswith(b"Version:V 2.1.0003.3402-REL"):
        fail("first line is not the version: %r" % messages[:1])
    if messages[-1] != b"TraceOut::~TraceOut()":
        fail("last line is not the closing line: %r" % messages[-1:])
    print("%d lines well-formed" % len(lines))


LABELS = {
    "de": ["Name, Firma", "Computer", "Welches Produkt installieren Sie?", "Kontakt/Emailadresse",
           "Kurze Beschreibung des Problems"],
    "en": ["name, company", "computer", "which product do you install?", "email address",
           "short explanation of the problem"],
}


def userinfo(path, language, values):
    expected = b""
    for index, (label, value) in enumerate(zip(LABELS[language], values)):
        expected += (b"\r\n" if index == 0 else b"\r\n\r\n") + label.encode("cp1252") + b": \r\n" + value.encode("cp1252")
    actual = read(path)
    if actual != expected:
        fail("userinfo.txt differs:\n  expected %r\n  actual   %r" % (expected, actual))
    print("userinfo.txt byte-exact (%d bytes)" % len(actual))


def attributes_of(host_path):
    # Wine keeps the read-only bit as the missing Unix write permission.
    bits = 0x10 if os.path.isdir(host_path) else 0x20
    if not os.stat(host_path).st_mode & stat.S_IWUSR:
        bits |= 0x1
    return bits


def fileattr(path, folders):
    expected = b""
    for folder in folders:
        folder_host = host(folder)
        if not os.path.isdir(folder_host):
            continue
        own = attributes_of(folder_host)
        expected += b"\r\n attribute of %s: %d \r\n" % (folder.encode("cp1252"), own)
        if own & 0x1:
            expected += b"Attribute:readonly \r\n"
        # Wine lists "." and ".." first, then by upper-cased name.
        entries = [(".", folder_host), ("..", os.path.dirname(folder_host))]
        entries += [(n, os.path.join(folder_host, n)) for n in sorted(os.listdir(folder_host), key=lambda n: n.upper())]
        for name, entry in entries:
            if attributes_of(entry) & 0x1:
                expected += name.encode("cp1252") + b" Attribute:readonly \r\n"
    actual = read(path)
    if actual != expected:
        fail("fileattr.txt differs:\n  expected %r\n  actual   %r" % (expected[:600], actual[:600]))
    print("fileattr.txt byte-exact (%d bytes)" % len(actual))


def equal(path, text):
    actual = read(path)
    if actual != text.encode("cp1252"):
        fail("%s differs: %r" % (path, actual[:200]))


def main(argv):
    command = argv[1]
    if command == "copies":
        copies(argv[2], argv[3], set(argv[4]))
    elif command == "tracelog":
        tracelog(argv[2])
    elif command == "wholelines":
        tracelog(argv[2], closed=False)
    elif command == "userinfo":
        userinfo(argv[2], argv[3], argv[4:9])
    elif command == "fileattr":
        fileattr(argv[2], argv[3:])
    elif command == "equal":
        equal(argv[2], argv[3])
    else:
        fail("unknown command " + command)


if __name__ == "__main__":
    main(sys.argv)
