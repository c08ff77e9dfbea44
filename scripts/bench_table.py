#!/usr/bin/env python3
"""Prints the medians of Google Benchmark JSON reports as one Markdown table.

Benchmarks are named Group/Subject[/args]; the one of a group whose subject starts with
"Baseline", "Limit" or "Bare" is the limit the others are measured against in the same run,
and the ratio column divides each median by the limit's median (same trailing args first). Counters (documents per second,
peak memory) are printed beside the time."""
import json, sys

rows = []
for path in sys.argv[1:]:
    try:
        data = json.load(open(path))
    except (OSError, ValueError):
        continue
    for b in data.get("benchmarks", []):
        if b.get("aggregate_name") != "median":
            continue
        name = b["run_name"]
        extra = {k: v for k, v in b.items() if k not in (
            "name", "run_name", "run_type", "repetitions", "threads", "aggregate_name",
            "aggregate_unit", "iterations", "real_time", "cpu_time", "time_unit",
            "family_index", "per_family_instance_index", "repetition_index", "label",
            "error_occurred", "error_message")}
        rows.append((name, b["real_time"], b["time_unit"], extra, b.get("label", "")))

scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
medians = {name: t * scale[u] for name, t, u, _, _ in rows}
print("| benchmark | median | ratio to its limit | notes |")
print("|---|---|---|---|")
for name, t, unit, extra, label in rows:
    ms = t * scale[unit]
    parts = name.split("/")
    ratio = ""
    limits = [n for n in medians if n != name and n.split("/")[0] == parts[0]
              and len(n.split("/")) > 1
              and n.split("/")[1].lower().startswith(("baseline", "limit", "bare"))]
    same_args = [n for n in limits if n.split("/")[2:] == parts[2:]]
    if len(parts) > 1 and not parts[1].lower().startswith(("baseline", "limit", "bare")):
        for candidate in same_args or limits[:1]:
            ratio = f"{ms / medians[candidate]:.2f}×"
    notes = ", ".join(f"{k} {v:,.1f}" if isinstance(v, float) else f"{k} {v}" for k, v in extra.items())
    notes = (label + " " + notes).strip()
    print(f"| {name} | {ms:.3f} ms | {ratio} | {notes} |")
