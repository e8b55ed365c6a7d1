#!/usr/bin/env python3
"""The table ./bench.sh prints: every benchmark program's JSON results read
against the goals and rows of bench/goals.json.

    bench/report.py RESULTS GOALS --commit C --preset P --repetitions N

RESULTS holds one PROGRAM.json per program (Google Benchmark's JSON output).
Of each case's repetitions, a time is the fastest (the machine is shared: the
least disturbed run), a memory figure and a copy time the least, and the rest
of a report the median (a difference of two figures of the same size has no
least disturbed run).
"""

import argparse
import json
import re
import statistics
import sys
from pathlib import Path

LENGTHS = (1000, 10000, 100000)
SCALE = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
# Parts of a run's name that are options, not part of the case.
OPTIONS = re.compile(r"/(manual_time|real_time|iterations:[0-9]+|repeats:[0-9]+|min_time:[^/]+)")


class Runs:
    """Every repetition of every case, by PROGRAM:NAME/LENGTH."""

    def __init__(self, results):
        self.step, self.cpu, self.memory, self.copy, self.rest = {}, {}, {}, {}, {}
        for path in sorted(Path(results).glob("*.json")):
            with open(path, encoding="utf-8") as f:
                report = json.load(f)
            for run in report.get("benchmarks", []):
                if run.get("run_type") != "iteration" or run.get("error_occurred"):
                    continue
                scale = SCALE.get(run.get("time_unit"), 1.0)
                key = path.stem + ":" + OPTIONS.sub("", run["run_name"])
                per_second = run.get("items_per_second")
                self.add(self.step, key, 1 / per_second if per_second else run["real_time"] * scale)
                self.add(self.cpu, key, run["cpu_time"] * scale)
                for table, counter in ((self.memory, "beyond_text_per_line"), (self.copy, "copy_seconds"),
                                       (self.rest, "rest_seconds")):
                    if counter in run:
                        self.add(table, key, run[counter])

    @staticmethod
    def add(table, key, value):
        table.setdefault(key, []).append(value)

    def figure(self, kind, key):
        """The figure of one case at one length, or None when it did not run."""
        if kind == "rest":
            values = self.rest.get(key)
            return statistics.median(values) if values else None
        table = {"time": self.step, "memory": self.memory, "copy": self.copy, "cpu": self.cpu}[kind]
        return min(table[key]) if key in table else None


def shown(value, unit):
    if value is None:
        return "not run"
    if unit == "ms":
        return "%.2f ms" % (value * 1e3)
    if unit == "us":
        return "%.2f µs" % (value * 1e6)
    return "%.1f B" % value


def growth(small, large):
    return "%.1f×" % (large / small) if small and large and small > 0 and large > 0 else "–"


def verdict(met):
    return "met" if met else "**NOT MET**"


def line(cells):
    """A table row; a cell of None is one the row never fills."""
    return "|" + "".join(" |" if cell is None else " %s |" % cell for cell in cells)


def row(runs, spec):
    what, goal, case, kind = spec["what"], spec["goal"], spec["case"], spec["figure"]
    if kind == "cpu ratio":
        ours, theirs = runs.figure("cpu", case), runs.figure("cpu", spec["against"])
        if ours is None or theirs is None:
            return line([what, goal, "not run", None, None, None, None])
        ratio = ours / theirs
        return line([what, goal, None, None, "%.3f× (%.1f / %.1f ms)" % (ratio, ours * 1e3, theirs * 1e3), None,
                     verdict(ratio <= spec["at_most"])])
    unit = spec.get("unit", "B")
    figures = {n: runs.figure(kind, "%s/%d" % (case, n)) for n in LENGTHS}
    if "only at" in spec:
        return line([what, goal or None] + [shown(figures[n], unit) if n in spec["only at"] else None for n in LENGTHS]
                    + [None, None])
    cells = [what, goal] + [shown(figures[n], unit) for n in LENGTHS] + [growth(figures[1000], figures[100000])]
    if kind in ("copy", "rest"):
        return line(cells + [None])
    if "at_most" not in spec:
        return line(cells + [""])
    large = figures[100000]
    return line(cells + ["not run" if large is None else verdict(large <= spec["at_most"])])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("results")
    parser.add_argument("goals")
    parser.add_argument("--commit", required=True)
    parser.add_argument("--preset", required=True)
    parser.add_argument("--repetitions", required=True)
    args = parser.parse_args()
    with open(args.goals, encoding="utf-8") as f:
        goals = json.load(f)
    runs = Runs(args.results)
    out = ["Commit %s; `./bench.sh`, preset %s, fastest of %s repetitions, thread CPU time." %
           (args.commit, args.preset, args.repetitions)]
    for table in goals["tables"]:
        out += ["", table["title"], ""] if "title" in table else [""]
        out.append(line([column or None for column in table["columns"]]))
        out.append("|" + "---|" * len(table["columns"]))
        out += [row(runs, spec) for spec in table["rows"]]
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
