#!/usr/bin/env python3
"""Ours' copies set against the mandated floor's, copy by copy.

    copy_by_copy.py <ours' copies> <floor's copies> [how many]

Each file has one "ms<TAB>source" line per copy (trace_figures.py and the
mandated floor write them). Prints one line: both sums over the copies
both made, and the copies where ours took longest beyond the floor.
"""
import sys


def read(path):
    copies = {}
    try:
        for line in open(path, encoding="cp1252"):
            took, _, source = line.rstrip("\r\n").partition("\t")
            copies[source.lower()] = copies.get(source.lower(), 0.0) + float(took)
    except (OSError, ValueError):
        return {}
    return copies


def main():
    ours, floor = read(sys.argv[1]), read(sys.argv[2])
    shown = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    both = sorted(set(ours) & set(floor))
    if not both:
        print("not measured")
        return
    beyond = sorted(((ours[s] - floor[s], s) for s in both), reverse=True)
    name = lambda source: source.rsplit("\\", 1)[-1]
    print("%d copies: ours %.0f ms, floor %.0f ms; most beyond the floor: %s" % (
        len(both), sum(ours[s] for s in both), sum(floor[s] for s in both),
        ", ".join("%s %+.0f ms" % (name(s), d) for d, s in beyond[:shown])))


if __name__ == "__main__":
    main()
