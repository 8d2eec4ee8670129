#!/usr/bin/env python3
"""Prints the min and median aggregates of Google Benchmark JSON files, one row per benchmark and
argument: its rate in its unit and, where it ran beside a peer, the peer's rate and the ratio ours /
peer. A benchmark without a rate shows its first counter (or its time in ms), with the limit it is
held to in the peer column; every further counter follows on its row as name=median."""
import json
import re
import sys


def human(v):
    for div, suffix in ((1e9, "G"), (1e6, "M"), (1e3, "k")):
        if abs(v) >= div:
            return f"{v / div:.3g}{suffix}"
    return f"{v:.3g}"


# Parts of a run name that say how it ran, not what: repetitions, clocks, fixed iterations.
NOT_NAME = re.compile(r"^(repeats:\d+|real_time|manual_time|process_time|iterations:\d+|threads:\d+)$")
NOT_COUNTER = {"real_time", "cpu_time", "iterations", "repetitions", "repetition_index", "threads",
               "family_index", "per_family_instance_index"}


def counters(b):
    return {k: v for k, v in b.items() if isinstance(v, (int, float)) and not isinstance(v, bool)
            and k not in NOT_COUNTER}


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
            name = "/".join(p for p in b["run_name"].split("/") if not NOT_NAME.match(p))
            if name not in rows:
                rows[name] = {}
                order.append(name)
            rows[name][b["aggregate_name"]] = b
    fmt = "{:<44} {:>14} {:>10} {:>10} {:>12} {:>8} {:>8}  {}"
    print(fmt.format("benchmark", "unit", "median", "min", "peer median", "ratio", "min", "other (median)"))
    for name in order:
        med, low = rows[name].get("median", {}), rows[name].get("min", {})
        cm, cl = counters(med), counters(low)
        units = [k for k in cm if k.endswith("/s") and not k.startswith("peer_")]
        limited = [k for k in cm if "limit_" + k in cm]
        if units:
            unit = units[0]
        elif limited:
            unit = limited[0]
        elif cm:
            unit = next(k for k in cm if k != "ratio" and not k.startswith(("peer_", "limit_")))
        else:
            unit = "ms"
            cm["ms"], cl["ms"] = med.get("real_time", 0), low.get("real_time", 0)
        peer = cm.get("peer_" + unit, cm.get("limit_" + unit))
        shown = {unit, "peer_" + unit, "limit_" + unit, "ratio"}
        other = " ".join(f"{k}={human(v)}" for k, v in cm.items() if k not in shown)
        print(fmt.format(name, unit, human(cm[unit]), human(cl[unit]) if unit in cl else "-",
                         human(peer) if peer is not None else "-",
                         f"{cm['ratio']:.2f}" if "ratio" in cm else "-",
                         f"{cl['ratio']:.2f}" if "ratio" in cl else "-", other))


if __name__ == "__main__":
    main(sys.argv[1:])
