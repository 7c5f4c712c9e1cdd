#!/usr/bin/env python3
"""Draws the time left against the estimates for a few logs, from estimate_accuracy --minutes.

    plot_accuracy.py MINUTES.tsv OUT.png [LOG_PREFIX...]   (default logs: 02 08 12)
"""
import csv
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

SERIES = [
    # column, label, style
    ("left_s", "real time left", dict(color="black", linewidth=2.4)),
    ("fresh_s", "Voltline, first start", dict(color="#1f77b4", linestyle=":", linewidth=1.6)),
    ("learned_s", "Voltline, learned", dict(color="#1f77b4", linewidth=1.6)),
    ("instantaneous_s", "instantaneous (energy / present power)",
     dict(color="#ff7f0e", linewidth=0.8, alpha=0.8)),
    ("smoothed_s", "smoothed (rate averaged over 200 s)",
     dict(color="#2ca02c", linewidth=1.2, alpha=0.9)),
]


def hours(value):
    return float(value) / 3600 if value else None


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    minutes_path, out_path = sys.argv[1], sys.argv[2]
    prefixes = sys.argv[3:] or ["02", "08", "12"]

    logs = {}
    with open(minutes_path, newline="") as f:
        for row in csv.DictReader(f, delimiter="\t"):
            logs.setdefault(row["log"], []).append(row)
    chosen = []
    for prefix in prefixes:
        names = sorted(n for n in logs if n.startswith(prefix))
        if not names:
            sys.exit(f"plot_accuracy: no measured minutes for a log named {prefix}*")
        chosen.append(names[0])

    fig, axes = plt.subplots(1, len(chosen), figsize=(5.2 * len(chosen), 4.4), squeeze=False)
    for ax, name in zip(axes[0], chosen):
        rows = logs[name]
        x = [float(r["awake_s"]) / 3600 for r in rows]
        for column, label, style in SERIES:
            y = [hours(r[column]) for r in rows]
            if any(v is not None for v in y):
                ax.plot(x, [v if v is not None else float("nan") for v in y], label=label, **style)
        ax.set_title(name, fontsize=9)
        ax.set_xlabel("hours awake since the log began")
        ax.set_ylabel("hours left to the end of the discharge")
        ax.set_ylim(bottom=0)
        ax.grid(True, linewidth=0.3)
    handles, labels = axes[0][0].get_legend_handles_labels()
    for ax in axes[0][1:]:
        for h, lab in zip(*ax.get_legend_handles_labels()):
            if lab not in labels:
                handles.append(h)
                labels.append(lab)
    fig.legend(handles, labels, loc="lower center", ncol=len(labels), fontsize=8, frameon=False)
    fig.tight_layout(rect=(0, 0.07, 1, 1))
    fig.savefig(out_path, dpi=110)


if __name__ == "__main__":
    main()
