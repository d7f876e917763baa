"""Prints ours/pugixml time ratios from a Google Benchmark JSON file (nothing for an empty run)."""
import json
import sys

try:
    runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
except (OSError, ValueError, KeyError):
    sys.exit(0)
for name, run in sorted(runs.items()):
    if "_Ours" not in name:
        continue
    other = runs.get(name.replace("_Ours", "_Pugi"))
    if other:
        ratio = run["real_time"] / other["real_time"]
        print(f"{name:32s} {run.get('label', ''):20s} ours/pugixml = {ratio:5.2f}")
    elif "memory_per_file_byte" in run:
        print(f"{name:32s} {run.get('label', ''):20s} memory/file = {run['memory_per_file_byte']:.2f}"
              f"  saves identical = {int(run['saves_identical'])}")
