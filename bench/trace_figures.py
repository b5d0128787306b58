#!/usr/bin/env python3
"""Figures of one collection from its trace log's time stamps (1 ms steps).

    trace_figures.py <gathrix.log> [<each copy>]

Prints key=value lines:
  items     rows and hives (on 64-bit Windows also those saved again from
            the 64-bit view), each paused 250 ms
  beyond    ms from "> CAction::Collect_Files" to "< Tool::Collect_Registry"
            beyond the pauses: the copies, backups and saves with the
            per-item work
  lines     trace lines in that span (the mandated floor writes as many)
  item      ms each row costs beyond its pause when nothing is copied: the
            median gap after a missing file's line (the next row's progress
            step, status text, drain, pause and a trace line)
  copy      ms of the copies alone: the gap after each existing file's
            attribute line, less the median gap after a missing file's
            line (the same next-item work without a copy)
  report    ms of the attribute report (to the next line after the export)
  pack, packed_bytes, cab_bytes   the archive step, when the log has one
  findings  ms of the facts and rules, when the log has their lines
With a second file, writes each copy's ms and source into it, one a line
(as the mandated floor writes its own).
"""
import re
import statistics
import sys

HIVES = 5

# ---- the facts and rules: the two trace lines that bound them ------------
# From the first line starting with FINDINGS_FROM to the last later line
# starting with FINDINGS_TO. The findings step names its own pair here.
FINDINGS_FROM = "Findings"
FINDINGS_TO = "Findings"


def main():
    raw = open(sys.argv[1], "rb").read().decode("cp1252").split("\r\n")
    log = [line.split("\t", 1) for line in raw if "\t" in line]

    def ms(i):
        h, m, s, f = (int(x) for x in log[i][0].split(":"))
        return ((h * 60 + m) * 60 + s) * 1000 + f

    def find(prefix, after=-1):
        return next(i for i in range(after + 1, len(log)) if log[i][1].startswith(prefix))

    start = find("> CAction::Collect_Files")
    end = find("< Tool::Collect_Registry", start)
    rows = [i for i in range(start, end) if log[i][1].startswith("CAction::Collect_Files, 1_1 ")]
    # On 64-bit Windows the branches saved again from the 64-bit view, each
    # also paused (one refused for its path's length is not).
    hives64 = [i for i in range(start, end)
               if log[i][1].startswith("Tool::Collect_Registry -> 64-bit view of ")
               or (log[i][1].startswith("ERR Tool::Collect_Registry(") and ", 64-bit view): " in log[i][1])]
    items = len(rows) + HIVES + len(hives64)
    print("items=%d" % items)
    print("beyond=%d" % (ms(end) - ms(start) - items * 250))
    print("lines=%d" % (end - start + 1))

    absent, present = [], []
    for i in range(start, end):
        text = log[i][1]
        if text.startswith("Tool::CopyFileTo -> File not exist"):
            absent.append(ms(i + 1) - ms(i))
        elif text.startswith("CTool::CopyFileTo -> GetFileAttributes") and not text.endswith("dwRet=-1"):
            paused = log[i + 1][1].startswith("CAction::Collect_Files, 1_1 ")
            source = re.search(r"szFullSourcePath:(.*),dwRet=", text)
            present.append((ms(i + 1) - ms(i), paused, source.group(1) if source else "?"))
    baseline = statistics.median(absent) if absent else 250
    copies = [(gap - (baseline if paused else 0), source) for gap, paused, source in present]
    print("item=%d" % (baseline - 250))
    print("copy=%d" % max(0, sum(took for took, _ in copies)))
    if len(sys.argv) > 2:
        with open(sys.argv[2], "w", encoding="cp1252") as each:
            for took, source in copies:
                each.write("%d\t%s\n" % (took, source))
    print("report=%d" % (ms(end + 1) - ms(end)))

    starts = [i for i in range(len(log)) if log[i][1].startswith(FINDINGS_FROM)]
    if starts:
        ends = [i for i in range(starts[0] + 1, len(log)) if log[i][1].startswith(FINDINGS_TO)]
        if ends:
            print("findings=%d" % (ms(ends[-1]) - ms(starts[0])))

    try:
        begin = find("> Handoff::PackCollectInfo")
        done = find("< Handoff::PackCollectInfo", begin)
    except StopIteration:
        return
    print("pack=%d" % (ms(done) - ms(begin)))
    for i in range(begin, done):
        sizes = re.search(r"(\d+) bytes packed into (\d+) bytes", log[i][1])
        if sizes:
            print("packed_bytes=%s\ncab_bytes=%s" % sizes.groups())


if __name__ == "__main__":
    main()
