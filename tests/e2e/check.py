#!/usr/bin/env python3
"""Checks of the end-to-end suite on what a run left in the Wine prefix.

  check.py copies   <manifest> <File_Save folder> <groups, e.g. 2 or 12>
  check.py tracelog <gathrix.log>
  check.py wholelines <gathrix.log>     (a killed run: every line whole, no closing line needed)
  check.py userinfo <userinfo.txt> <de|en> <name> <computer> <product> <email> <problem>
  check.py fileattr <fileattr.txt> <folder>...   (Windows paths; expected from the prefix)
  check.py equal    <file> <expected text, CP1252 written as UTF-8 here>
  check.py same     <file> <copy>       (byte for byte)
  check.py hives    <Registry_Save> <64-bit family key> <64-bit Uninstall key>   (the sample's, by lane)
  check.py loaddll  <Wine +loaddll trace> <exe folder> <library>...
                    nothing but the exe itself from its folder; each library loaded, from elsewhere
  check.py archive  <output folder>     (its one .cab, unpacked by cabextract, against the folder)
  check.py summary  <summary.txt> <manifest> <groups> [<product> <problem>]   (against the sample installation)
  check.py findings <findings.json> <summary.txt> clean|<id,id,...> [<id>=<evidence text>...]
                    clean: no failed rule of severity error; else exactly these rules failed,
                    each given text in one of its evidence lines, in both files

Windows paths (C:\\...) are resolved inside $WINEPREFIX case-insensitively,
C:\\windows\\system32 as the real System32 (in a 64-bit prefix the 32-bit
program's System32 is windows/syswow64). GX_LANE=64: a 64-bit Windows.
Exits 1 with a message on the first failed check.
"""
import json
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile


LANE64 = os.environ.get("GX_LANE") == "64"
# The hive files of every run (on 64-bit Windows, <name>64.sav files of the
# 64-bit view come beside them).
HIVES = ["halvorn.sav", "services.sav", "msole.sav", "msuninst.sav", "msinstfeat.sav"]


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
    if not os.path.isfile(host(windows_path)):
        fail("no file %s" % windows_path)
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


def tree(root, skip=lambda rel: False):
    files = {}
    for base, _, names in os.walk(root):
        for name in names:
            rel = os.path.relpath(os.path.join(base, name), root).replace(os.sep, "\\")
            if not skip(rel):
                with open(os.path.join(base, name), "rb") as f:
                    files[rel] = f.read()
    return files


def archive(folder):
    root = host(folder)
    cabs = [n for n in os.listdir(root) if n.lower().endswith(".cab")]
    if len(cabs) != 1:
        fail("%d archives in %s: %s" % (len(cabs), folder, cabs))
    if not re.fullmatch(r"gathrix_[A-Za-z0-9_-]+_\d{8}_\d{6}\.cab", cabs[0]):
        fail("archive name %s" % cabs[0])
    if [n for n in os.listdir(root) if n.lower().endswith(".tmp")]:
        fail("temporary files left in %s" % folder)
    out = tempfile.mkdtemp()
    try:
        result = subprocess.run(["cabextract", "-q", "-d", out, os.path.join(root, cabs[0])],
                                capture_output=True, text=True)
        if result.returncode != 0:
            fail("cabextract: %s" % (result.stderr or result.stdout).strip())
        packed = tree(out)
    finally:
        shutil.rmtree(out)
    present = tree(root, lambda rel: rel == cabs[0])
    if set(packed) != set(present):
        fail("archive and folder differ: only packed %s, only in the folder %s" %
             (sorted(set(packed) - set(present)), sorted(set(present) - set(packed))))
    for name, data in present.items():
        if name == "gathrix.log":
            if not packed[name] or not data.startswith(packed[name]):
                fail("the packed trace log is not the start of the folder's")
        elif packed[name] != data:
            fail("%s differs between archive and folder" % name)
    size = os.path.getsize(os.path.join(root, cabs[0]))
    print("%s: %d files byte-identical (%d bytes in the folder, %d packed)" %
          (cabs[0], len(packed), sum(len(d) for d in present.values()), size))


# The Uninstall entries of the sample installation (tests/e2e/gxsample.cpp).
SAMPLE_FAMILY = ["corvane project viewer", "Corvane NET PC Software 7", "Fieldbus Driver Pack"] + \
    (["Fieldbus Driver Pack x64"] if LANE64 else [])  # a 64-bit program's, lib_e2e.sh
SAMPLE_OTHERS = ["Acme Zip Utility", "Zeta Editor"]
OUTCOME = re.compile(r"^ +(\d+)  (.+?) +(copied|not present|no folder|refused|skipped|not reached|"
                     r"failed \([^)]*\)|reported done, no file) *(\d*)$")


def summary(path, manifest, groups, typed=None):
    text = read(path)
    if not text.endswith(b"\r\n") or b"\n" in text.replace(b"\r\n", b""):
        fail("summary.txt does not end every line with CR LF")
    lines = text.decode("cp1252").split("\r\n")[:-1]
    for line in lines:
        if len(line) > 100:
            fail("a line of %d columns: %r" % (len(line), line))
    # The user's own words in the heading block, as typed (short enough not to be cut).
    if typed:
        product, problem = typed
        at = lines.index("Product, as the user typed  " + product)
        quoted = [l[28:] for l in lines[at + 1:at + 1 + len(problem.split("\r\n"))]]
        if lines[at + 1][:28] != "Problem, as the user typed  " or quoted != problem.split("\r\n"):
            fail("the user's problem quoted as %r" % lines[at + 1:at + 4])
    # Installed software: the family first, then the rest, each by name.
    start = lines.index("Product family (Halvorn, Corvane):")
    middle = lines.index("Other software:", start)
    end = next(i for i in range(middle, len(lines)) if re.match(r"\d+ entries listed", lines[i]))
    names = lambda part: [re.sub(r"  \[key [^]]*\]$", "", l[2:]) for l in part
                          if l.startswith("  ") and not l.startswith("   ")]
    family, others = names(lines[start + 1:middle]), names(lines[middle + 1:end])
    if family != sorted(SAMPLE_FAMILY, key=str.lower):
        fail("product family listed as %s" % family)
    if [n for n in others if n in SAMPLE_OTHERS] != sorted(SAMPLE_OTHERS, key=str.lower) or \
            others != sorted(others, key=str.lower):
        fail("other software listed as %s" % others)
    if not re.search(r"^\d+ entries listed, [1-9]\d* without a display name", lines[end]):
        fail("the entry without a display name is not counted: %s" % lines[end])
    # The file table by source folder: rows worth a look one by one, the
    # rows not present or skipped counted and named per folder.
    listed, named, folder = {}, {}, None
    start = next(i for i, l in enumerate(lines) if l.startswith("File table ("))
    end = lines.index("Event log backups (in File_Save):", start)
    device = "Device-setup log of Windows Vista and later (in File_Save, mirrored):"
    if device in lines[start:end]:
        # Since Vista: INF\setupapi.dev.log, copied as the rows are, when there.
        at = lines.index(device, start)
        copy = host(path[:path.rfind("\\")] + "\\File_Save\\windows\\INF\\setupapi.dev.log")
        expected = (r"copied +%d$" % os.path.getsize(copy)) if os.path.exists(copy) else r"not present"
        if not re.search(expected, lines[at + 1]):
            fail("device-setup log: %r, expected %s" % (lines[at + 1], expected))
        end = at
    kind = None
    for line in lines[start + 2:end]:
        m = OUTCOME.match(line)
        count = re.match(r"^ {8}(\d+) (not present|skipped):(.*)$", line)
        if m:
            listed[int(m.group(1))] = (folder, m.group(2), m.group(3), m.group(4))
        elif count:
            kind = (folder, count.group(2))
            named[kind] = [int(count.group(1)), count.group(3)]
        elif line.startswith(" " * 10) and kind:
            named[kind][1] += " " + line.strip()
        elif re.match(r"^  \S", line):
            folder, kind = line[2:], None
        else:
            fail("a line of the file table that is none of its kinds: %r" % line)
    for key, (count, text) in list(named.items()):
        names = [n.strip() for n in text.split(",")]
        if len(names) != count:
            fail("%s %s: %d counted, %d named" % (key[0], key[1], count, len(names)))
        named[key] = names
    checked = 0
    with open(host(manifest), encoding="cp1252") as f:
        for entry in f:
            row, group, present, source, below = entry.rstrip("\r\n").split("\t")
            number, name = int(row) + 1, source[source.rfind("\\") + 1:]
            if group in groups and present == "1":
                expected = listed.get(number)
                if not expected or expected[1:] != (name, "copied", str(len(read(source)))) or \
                        same_file(expected[0] + "\\" + name) != same_file(source):
                    fail("row %d (%s): %s, expected copied" % (number, source, expected))
                continue
            if number in listed:
                fail("row %d (%s) is listed although not copied: %s" % (number, source, listed[number]))
            kind = "not present" if group in groups else "skipped"
            folders = [key for key in named if key[1] == kind and name in named[key] and
                       (kind == "skipped" or same_file(key[0] + "\\" + name) == same_file(source))]
            if not folders:
                fail("row %d (%s) is not named as %s under its folder" % (number, source, kind))
            named[folders[0]].remove(name)
            checked += 1
    left = {key: names for key, names in named.items() if names}
    if left or len(listed) + checked != 114:
        fail("the file table does not account for 114 rows: %d listed, %d named, left over %s" %
             (len(listed), checked, left))
    # Event-log backups and hives as the run left them.
    folder = os.path.dirname(host(path))
    for log in ["_SysEvent.evt", "_AppEvent.evt", "_SecEvent.evt"]:
        line = next(l for l in lines if (" " + log + " ") in l)
        file = os.path.join(folder, "File_Save", log)
        if os.path.exists(file):
            ok = re.search(r"backed up +%d$" % os.path.getsize(file), line)
        else:  # Wine's backup is a stub that reports success and writes nothing
            ok = "reported done, no file" in line or "failed (" in line
        if not ok:
            fail("event log backup %s: %r" % (log, line))
    saved = set(os.listdir(os.path.join(folder, "Registry_Save")))
    for hive in sorted(saved | set(HIVES)):
        line = next((l for l in lines if l.startswith("  " + hive + " ")), None)
        file = os.path.join(folder, "Registry_Save", hive)
        if not line or not os.path.exists(file) or not re.search(r"saved +%d$" % os.path.getsize(file), line):
            fail("hive %s: %r" % (hive, line))
    print("summary.txt: %d rows as in the sample, %d family entries first" % (len(listed) + checked, len(family)))


# The rules in the order of their results.
RULE_IDS = ["pending-restart", "installer-busy", "installer-log-failure", "installer-events", "service-failures",
            "family-services", "installer-service", "duplicate-products", "installer-cache", "product-paths",
            "product-file-attributes", "crash-evidence", "low-disk", "collection-incomplete",
            "device-setup-failures", "locked-files"]
FIELDS = {"pass": {"id", "status"}, "skip": {"id", "status", "reason"},
          "fail": {"id", "status", "severity", "title", "evidence", "remedy"}}


def findings(json_path, summary_path, expected, evidence):
    try:
        data = json.loads(read(json_path).decode("utf-8"))
    except ValueError as error:
        fail("findings.json does not parse: %s" % error)
    if list(data) != ["schema", "ruleset", "results"] or data["schema"] != 1 or not data["ruleset"]:
        fail("findings.json head: %r" % {k: data[k] for k in data if k != "results"})
    results = data["results"]
    ids = [r.get("id") for r in results]
    if ids != RULE_IDS:
        fail("rules out of order, missing or unknown: %s" % ids)
    for r in results:
        if set(r) != FIELDS.get(r.get("status"), set()):
            fail("result fields of %s: %s" % (r.get("id"), sorted(r)))
    failed = [r for r in results if r["status"] == "fail"]
    text = read(summary_path).decode("cp1252").replace("\r\n      ", "")  # lines the page continued
    start, end = text.find("\r\nFindings\r\n--------\r\n"), text.find("\r\nWindows\r\n-------\r\n")
    if not 0 <= start < end:
        fail("summary.txt has no Findings section before Windows")
    section = text[start:end]
    for r in failed:
        if "%s: %s [%s]" % (r["severity"].upper(), r["title"], r["id"]) not in section:
            fail("the overview lacks %s" % r["id"])
    counts = "%d rules ran: %d failed, %d passed, %d skipped" % (
        len(results), len(failed), sum(r["status"] == "pass" for r in results),
        sum(r["status"] == "skip" for r in results))
    if counts not in section or (not failed) != ("No known problem found" in section):
        fail("the overview's counts are not %r" % counts)
    if expected == "clean":
        errors = [r["id"] + ": " + r["title"] for r in failed if r["severity"] == "error"]
        if errors:
            fail("false alarms on the sample: %s" % errors)
    else:
        wanted = set(expected.split(","))
        if {r["id"] for r in failed} != wanted:
            fail("failed rules %s, expected %s" % (sorted(r["id"] for r in failed), sorted(wanted)))
        for item in evidence:
            rule, _, shown = item.partition("=")
            lines = [e["source"] + (":%d" % e["line"] if "line" in e else "") + ": " + e["text"]
                     for r in failed if r["id"] == rule for e in r["evidence"]]
            if not any(shown in line for line in lines):
                fail("%s: no evidence with %r in %s" % (rule, shown, lines))
            if not any(("    " + line) in section for line in lines if shown in line):
                fail("%s: the overview lacks the evidence with %r" % (rule, shown))
    print("findings: %d rules, failed: %s" % (len(results), ", ".join(
        "%s (%s)" % (r["id"], r["severity"]) for r in failed) or "none"))


def hives(folder, family64_key, uninstall64):
    """The five files in both lanes; on 64-bit Windows also the 64-bit view's
    files, each with what only a 64-bit component wrote, which the 32-bit
    view's files lack. Wine saves hives as text."""
    root = host(folder)
    names = set(os.listdir(root))
    for name in HIVES:
        if not read(folder + "\\" + name).startswith(b"WINE REGISTRY Version 2"):
            fail("%s is not a saved hive" % name)
    if not LANE64:
        if [n for n in names if n.lower().endswith("64.sav")]:
            fail("64-bit view files on 32-bit Windows: %s" % sorted(names))
        print("%d hive files, none of a 64-bit view" % len(names))
        return
    family = family64_key.rsplit("\\", 1)[1].encode("cp1252")
    for name, marker in (("halvorn", family), ("msuninst", uninstall64.encode("cp1252"))):
        if name + "64.sav" not in names:
            fail("no %s64.sav: %s" % (name, sorted(names)))
        if marker not in read(folder + "\\" + name + "64.sav"):
            fail("%s64.sav lacks %r" % (name, marker))
        if marker in read(folder + "\\" + name + ".sav"):
            fail("%s.sav (the 32-bit view) holds %r" % (name, marker))
    print("%d hive files, the 64-bit view's with its own keys" % len(names))


def loaddll(trace, folder, libraries):
    loads = []  # (path, builtin or native)
    with open(trace, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = re.search(r':loaddll:\w+ Loaded L"(.*?)" at \w+: (\w+)', line)
            if m:
                loads.append((m.group(1).replace("\\\\", "\\"), m.group(2)))
    if not loads:
        fail("no loader trace in %s" % trace)
    own = same_file(folder.rstrip("\\") + "\\")
    wrong = sorted({"%s (%s)" % l for l in loads if same_file(l[0]).startswith(own) and
                    not same_file(l[0]).endswith(".exe")})
    unused = []
    for library in libraries:
        places = sorted({"%s (%s)" % l for l in loads if same_file(l[0]).endswith("\\" + library.lower())})
        print("  %s: %s" % (library, ", ".join(places) or "never loaded"))
        unused += [] if places else [library]
    if wrong:
        fail("loaded from %s: %s" % (folder, ", ".join(wrong)))
    if unused:
        fail("never loaded, so planting them tests nothing: %s" % ", ".join(unused))
    print("%d loads, none from %s" % (len(loads), folder))


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
    elif command == "archive":
        archive(argv[2])
    elif command == "summary":
        summary(argv[2], argv[3], set(argv[4]), argv[5:7] if len(argv) > 5 else None)
    elif command == "findings":
        findings(argv[2], argv[3], argv[4], argv[5:])
    elif command == "same":
        if read(argv[2]) != read(argv[3]):
            fail("%s is not a copy of %s" % (argv[3], argv[2]))
        print("%s byte-identical" % argv[3])
    elif command == "loaddll":
        loaddll(argv[2], argv[3], argv[4:])
    elif command == "hives":
        hives(argv[2], argv[3], argv[4])
    elif command == "equal":
        equal(argv[2], argv[3])
    else:
        fail("unknown command " + command)


if __name__ == "__main__":
    main(sys.argv)
