"""One table of every measured path: ours and its floor (median and 95th percentile), the ratio of
the medians, the goal, and whether it is met.

Arguments are files: Google Benchmark JSON (*.json, run with repetitions: each repetition is one
try) and the output of speed_bench.exe, whose lines are
    row <TAB> path <TAB> goal <TAB> ours <TAB> ms... <TAB> floor <TAB> ms...
    note <TAB> text
A goal is one or more parts joined by ";", all of which must hold: a ratio to the floor ("1.5"),
a bound on the median with its unit ("30 ms", "40 MB"), or on the 95th percentile ("p95 60 ms").
A row with a bound may have a floor beside it for comparison.
"""
import json
import statistics
import sys

# Native paths from the Google Benchmark runs: (path, ours, floor or None, goal).
NATIVE = [
    ("XML parse of the 999x15 index, ours / pugixml (native)", "Parse_Ours/3", "Parse_Pugi/3", "1.0"),
    ("XML load-edit-save cycle, 999x15, ours / pugixml (native)", "Cycle_Ours/3", "Cycle_Pugi/3", "0.7"),
    ("lowest free history number, 999 clips (native)", "LowestFreeNumber", None, "0.25 ms"),
    ("archive's index copy, 999 clips; floor: the same bytes written durably (native)", "SaveArchiveIndexOnly",
     "WriteIndexDurably", "2.0"),
    ("archive save / plain copy of the same files (native)", "SaveArchive", "PlainCopyLoop", "1.2"),
    ("find anything: a word over 100 runs of 999 clips; floor: a scan of the same texts folded in memory (native)",
     "SearchRunsWord", "SearchFloorScan", "p95 50 ms"),
    ("find anything: a pattern over the same 100 runs; floor: the same scan (native)", "SearchRunsPattern",
     "SearchFloorScan", "p95 100 ms"),
    ("one run's search index made from its 999 clips (native)", "BuildRunIndex", None, "200 ms"),
    ("growth: a word over 1 kept run; floor: over 10 runs (native)", "SearchRunsWordGrowth/1", "SearchRunsWordGrowth/10",
     "1.2"),
    ("growth: a word over 100 kept runs; floor: over 10 runs, a tenth of the clips (native)", "SearchRunsWordGrowth/100",
     "SearchRunsWordGrowth/10", "10"),
]
TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))] if ordered else None


def read_json(path, rows):
    try:
        runs = json.load(open(path))["benchmarks"]
    except (OSError, ValueError, KeyError):
        return
    times = {}
    for run in runs:
        if run.get("run_type", "iteration") == "iteration":
            name = run["run_name"].split("/repeats:")[0]
            times.setdefault(name, []).append(run["real_time"] * TO_MS[run["time_unit"]])
    for path_name, ours, floor, goal in NATIVE:
        if ours in times and (floor is None or floor in times):
            rows.append((path_name, goal, times[ours], times.get(floor, [])))


def read_speed(path, rows, notes):
    for line in open(path, encoding="utf-8", errors="replace"):
        fields = line.rstrip("\r\n").split("\t")
        if fields[0] == "note" and len(fields) > 1:
            notes.append(fields[1])
        elif fields[0] == "row" and len(fields) >= 4 and "floor" in fields:
            split = fields.index("floor")
            rows.append((fields[1], fields[2], [float(v) for v in fields[4:split]],
                         [float(v) for v in fields[split + 1:]]))


def goal_met(words, ratio, median, p95):
    """One part of a goal: ["1.5"] a ratio, ["30", "ms"] the median, ["p95", "60", "ms"] the 95th."""
    if words[0] == "p95":
        return p95 <= float(words[1])
    if len(words) > 1:
        return median <= float(words[0])
    return ratio is not None and ratio <= float(words[0])


def goal_text_of(words):
    return "p95 <= " + " ".join(words[1:]) if words[0] == "p95" else "<= " + " ".join(words)


def cell(value):
    return "-" if value is None else f"{value:.2f}" if value < 10 else f"{value:.0f}"


def main():
    rows, notes = [], []
    for path in sys.argv[1:]:
        (read_json if path.endswith(".json") else read_speed)(path, rows, *([] if path.endswith(".json") else [notes]))
    header = f"{'path':78s} {'tries':>5s} {'ours med':>9s} {'p95':>7s} {'floor med':>9s} {'p95':>7s} {'ratio':>6s} {'goal':>8s}  result"
    print(header)
    print("-" * len(header))
    missed = 0
    for path, goal, ours, floor in rows:
        if not ours:
            print(f"{path:78s} no result")
            missed += 1
            continue
        median, p95 = statistics.median(ours), percentile(ours, 0.95)
        floor_median = statistics.median(floor) if floor else None
        ratio = (median / floor_median if floor_median > 0 else float("inf")) if floor else None
        met = all(goal_met(part.split(), ratio, median, p95) for part in goal.split(";"))
        goal_text = "; ".join(goal_text_of(part.split()) for part in goal.split(";"))
        missed += not met
        print(f"{path:78s} {len(ours):5d} {cell(median):>9s} {cell(p95):>7s} {cell(floor_median):>9s} "
              f"{cell(percentile(floor, 0.95) if floor else None):>7s} {cell(ratio):>6s} {goal_text:>8s}  "
              f"{'met' if met else 'MISSED'}")
    print("(times in milliseconds, or the unit of the goal for rows without a floor; ratio = ours / floor, medians)")
    for text in notes:
        print("  " + text)
    print(f"{len(rows) - missed} of {len(rows)} paths meet their goal")


if __name__ == "__main__":
    main()
