#!/usr/bin/env python3
"""Holds saves of our own and going back to their targets on the demo game.

Usage: bench/check_saves.py VELMOR_BENCH DEMO_DIR

  - saving a slot (BM_SaveOwnSlot) and loading it (BM_LoadOwnSlot): at most
    50 ms each, on wall time (the save is flushed to the disk), the median of
    the benchmark's iterations;
  - the history after 100 steps (BM_HistoryOf100Steps): 100 steps kept, in
    at most 32 MiB;
  - the history of a game that shows a new picture every 5 clicks
    (BM_HistoryOfChangingPictures/5) and of one that shows a new picture at
    every click (/1): the same.

Exits 1 when a figure misses its target, 2 when it cannot measure.
"""
import json
import os
import pathlib
import subprocess
import sys
import tempfile

SAVE_LOAD_MS = 50.0
HISTORY_MIB = 32.0


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    bench, demo = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    with tempfile.TemporaryDirectory() as work:
        out = pathlib.Path(work) / "report.json"
        env = dict(os.environ, VELMOR_DEMO_DIR=demo)
        done = subprocess.run([bench, "--benchmark_filter=OwnSlot|HistoryOf",
                               f"--benchmark_out={out}", "--benchmark_out_format=json"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env,
                              cwd=work, timeout=600, check=False)
        if done.returncode != 0 or not out.exists():
            print(f"check_saves: the benchmark failed:\n{done.stderr.decode()[-2000:]}",
                  file=sys.stderr)
            return 2
        runs = {}
        for b in json.loads(out.read_text())["benchmarks"]:
            parts = b["name"].split("/")
            runs[parts[0] + ("/" + parts[1] if parts[1:] and parts[1].isdigit() else "")] = b
    failed = False
    for name in ("BM_SaveOwnSlot", "BM_LoadOwnSlot"):
        if name not in runs or runs[name].get("error_occurred"):
            print(f"check_saves: {name} did not run", file=sys.stderr)
            return 2
        ms = runs[name]["real_time"]
        ok = ms <= SAVE_LOAD_MS
        failed |= not ok
        print(f"{name}: {ms:.1f} ms (target {SAVE_LOAD_MS:.0f} ms) {'ok' if ok else 'MISSED'}")
    for name in ("BM_HistoryOf100Steps", "BM_HistoryOfChangingPictures/5",
                 "BM_HistoryOfChangingPictures/1"):
        history = runs.get(name)
        if not history or history.get("error_occurred"):
            print(f"check_saves: {name} did not run", file=sys.stderr)
            return 2
        mib, steps = history["history_mib"], history["steps"]
        ok = steps >= 100 and mib <= HISTORY_MIB
        failed |= not ok
        print(f"{name}: {steps:.0f} steps in {mib:.1f} MiB (target 100 in {HISTORY_MIB:.0f}) "
              f"{'ok' if ok else 'MISSED'}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
