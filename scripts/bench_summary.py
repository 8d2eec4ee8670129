#!/usr/bin/env python3
"""Prints the min and median aggregates of Google Benchmark JSON files: every benchmark's rate in
its unit and, where it ran beside a peer, the peer's rate and the ratio ours / peer."""
import json
import sys


def human(v):
    for div, suffix in ((1e9, "G"), (1e6, "M"), (1e3, "k")):
        if abs(v) >= div:
            return f"{v / div:.3g}{suffix}"
    return f"{v:.3g}"


def main(paths):
    rows = {}
    order = []
    for path in paths:
        try:
            with open(path) as f:
                data = json.load(f)
        except (OSError, ValueError):
            continue  # a program none of whose benchmarks matched the filter
        for b in data.get("benchmarks", []):
            if b.get("run_type") != "aggregate" or b.get("aggregate_name") not in ("min", "median"):
                continue
            name = b["run_name"].split("/")[0]
            if name not in rows:
                rows[name] = {}
                order.append(name)
            rows[name][b["aggregate_name"]] = b
    fmt = "{:<44} {:>14} {:>10} {:>10} {:>12} {:>8} {:>8}"
    print(fmt.format("benchmark", "unit", "median", "min", "peer median", "ratio", "min"))
    for name in order:
        med, low = rows[name].get("median", {}), rows[name].get("min", {})
        units = [k for k in med if k.endswith("/s") and not k.startswith("peer_")]
        if not units:
            continue
        unit = units[0]
        peer = med.get("peer_" + unit)
        print(fmt.format(name, unit, human(med[unit]), human(low.get(unit, 0)),
                         human(peer) if peer is not None else "-",
                         f"{med['ratio']:.2f}" if "ratio" in med else "-",
                         f"{low['ratio']:.2f}" if "ratio" in low else "-"))


if __name__ == "__main__":
    main(sys.argv[1:])
