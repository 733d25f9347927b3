#!/usr/bin/env python3
"""Compares the states a headless run and a browser run wrote, file by file.

The boxes the headless front end answered from its script ("messages") and
what its window's corner said ("notices") are its own record; everything else, the frame digest included, must be equal,
with each run's data folder taken out of the file names it holds.
Prints each state that differs with the keys that differ; exit code 1 then.
"""
import json
import pathlib
import re
import sys

# The save list shows each slot file's time: the wall clock's, not the game's.
FILE_TIME = re.compile(r"'\d\d/\d\d/\d\d \d\d:\d\d:\d\d")


def differences(a, b, where=""):
    if isinstance(a, dict) and isinstance(b, dict):
        for key in sorted(set(a) | set(b)):
            if key not in a or key not in b:
                yield f"{where}{key}: only in the {'browser' if key in b else 'headless'} run"
            else:
                yield from differences(a[key], b[key], f"{where}{key}.")
    elif a != b:
        yield f"{where.rstrip('.')}: headless {json.dumps(a, ensure_ascii=False)[:120]}, " \
              f"browser {json.dumps(b, ensure_ascii=False)[:120]}"


def without_folder(value, folder):
    if isinstance(value, dict):
        return {k: without_folder(v, folder) for k, v in value.items()}
    if isinstance(value, list):
        return [without_folder(v, folder) for v in value]
    if isinstance(value, str) and folder and value.startswith(folder + "/"):
        return "DATA" + value[len(folder):]
    if isinstance(value, str):
        return FILE_TIME.sub("'YY/MM/DD hh:mm:ss", value)
    return value


def main(headless_dir, web_dir, headless_data="", web_data=""):
    headless_dir, web_dir = pathlib.Path(headless_dir), pathlib.Path(web_dir)
    states = sorted(p.name for p in headless_dir.glob("*.json"))
    if not states:
        print("compare_states: the headless run wrote no states")
        return 1
    failed = 0
    for name in states:
        web = web_dir / name
        if not web.exists():
            print(f"{name}: the browser run did not write it")
            failed += 1
            continue
        a = without_folder(json.loads((headless_dir / name).read_text(encoding="utf-8")),
                           headless_data)
        b = without_folder(json.loads(web.read_text(encoding="utf-8")), web_data)
        a.pop("messages", None)
        a.pop("notices", None)
        diff = list(differences(a, b))
        if diff:
            failed += 1
            print(f"{name} (tick {a.get('ticks')}):")
            for line in diff[:20]:
                print("  " + line)
        else:
            print(f"{name}: the same at tick {a['ticks']} (frame {a['frame']}, {a['MainProc']})")
    print(f"{len(states) - failed} of {len(states)} states the same")
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 5):
        print("usage: compare_states.py HEADLESS_DIR WEB_DIR [HEADLESS_DATA WEB_DATA]")
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
