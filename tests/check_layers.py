#!/usr/bin/env python3
"""Every arrow of the house points down.

The program's folders stand on floors, lowest first. A source file may
include headers of its own folder or of a folder on a lower floor, never of
one on its own floor or above: so no two folders can include each other,
directly or through others. The shared state at the bottom (settings/shared.h)
includes nothing of ours at all, and no .cpp file declares another file's
things with `extern`, which would reach past the includes.

    check_layers.py SOURCE_DIR    checks the program's folders under SOURCE_DIR
    check_layers.py --self-check  shows on made-up folders that it catches
                                  what it must, and passes a sound house

Exit status 0 when the house is sound, 1 with every fault named otherwise.
"""
import os
import re
import sys
import tempfile

# Lowest first. Folders on one floor may not include each other either.
FLOORS = [
    ["settings"],  # the settings record and the shared state (shared.h)
    ["geometry"],
    ["render"],
    ["readout", "avoidance"],
    ["menu"],
    ["app"],
]
BOTTOM = "settings/shared.h"
# Top-level folders that hold no part of the program (or another program).
NOT_PROGRAM = {"about", "bench", "build", "cmake", "docs", "resources", "scripts", "tests",
               "tools"}
SOURCE_SUFFIXES = (".cpp", ".h", ".c", ".hpp")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
EXTERN = re.compile(r"^\s*extern\b")


def floor_of(folder):
    for n, folders in enumerate(FLOORS):
        if folder in folders:
            return n
    return None


def sources(root, folder):
    for name in sorted(os.listdir(os.path.join(root, folder))):
        if name.endswith(SOURCE_SUFFIXES):
            yield name


def faults(root):
    found = []
    for entry in sorted(os.listdir(root)):
        path = os.path.join(root, entry)
        if (not os.path.isdir(path) or entry.startswith(".") or entry in NOT_PROGRAM or
                entry.startswith("build")):
            continue
        if floor_of(entry) is None and any(True for _ in sources(root, entry)):
            found.append(f"{entry}/: a folder of sources on no floor (give it one in FLOORS)")
    for folders in FLOORS:
        for folder in folders:
            if not os.path.isdir(os.path.join(root, folder)):
                continue
            here = floor_of(folder)
            for name in sources(root, folder):
                rel = f"{folder}/{name}"
                with open(os.path.join(root, folder, name), encoding="utf-8") as f:
                    lines = f.read().splitlines()
                for number, line in enumerate(lines, 1):
                    where = f"{rel}:{number}"
                    if name.endswith(".cpp") and EXTERN.match(line):
                        found.append(f"{where}: extern declaration in a .cpp file: "
                                     "include the header that offers it")
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    target = m.group(1)
                    if rel == BOTTOM:
                        found.append(f"{where}: {BOTTOM} includes \"{target}\"; "
                                     "the bottom of the house includes nothing of ours")
                        continue
                    if "/" not in target:
                        continue  # generated (version.h) or the system's
                    other = target.split("/")[0]
                    if other == folder:
                        continue
                    there = floor_of(other)
                    if there is None:
                        if os.path.isdir(os.path.join(root, other)):
                            found.append(f"{where}: includes \"{target}\" from a folder "
                                         "that is not part of the program")
                        continue
                    if there >= here:
                        way = "sideways" if there == here else "up"
                        found.append(f"{where}: includes \"{target}\", which points {way} "
                                     f"({folder}/ on floor {here}, {other}/ on floor {there})")
    return found


def self_check():
    """Made-up houses: each fault must be named, and a sound house pass."""
    cases = {
        "up": ({"render/capture.cpp": '#include "app/app.h"\n'}, "points up"),
        "sideways": ({"readout/readout.cpp": '#include "avoidance/avoidance.h"\n'},
                     "points sideways"),
        "bottom": ({BOTTOM: '#include "settings/settings.h"\n'}, "includes nothing of ours"),
        "extern": ({"menu/menu.cpp": "extern int LensShown;\n"}, "extern declaration"),
        "no floor": ({"shared/state.h": "#pragma once\n"}, "on no floor"),
        "not program": ({"app/x.cpp": '#include "tools/demo.h"\n',
                         "tools/demo.h": "\n"}, "not part of the program"),
    }
    sound = {
        BOTTOM: "#include <windows.h>\n",
        "settings/record.cpp": '#include "settings/settings.h"\n#include "settings/shared.h"\n',
        "render/capture.cpp": '#include "geometry/geometry.h"\n#include "settings/shared.h"\n',
        "readout/readout.cpp": '#include "render/render.h"\n',
        "app/shell.cpp": '#include "menu/menu.h"\n#include "readout/readout.h"\n'
                         '#include "version.h"\n',
    }
    ok = True
    for label, (files, expected) in list(cases.items()) + [("sound", (sound, None))]:
        with tempfile.TemporaryDirectory() as root:
            for rel, text in {**sound, **files}.items():
                os.makedirs(os.path.join(root, os.path.dirname(rel)), exist_ok=True)
                with open(os.path.join(root, rel), "w", encoding="utf-8") as f:
                    f.write(text)
            found = faults(root)
        if expected is None:
            caught = not found
        else:
            caught = len(found) == 1 and expected in found[0]
        print(f"{'ok ' if caught else 'MISSED'} {label}: {found or 'sound'}")
        ok = ok and caught
    return ok


def main():
    if sys.argv[1:] == ["--self-check"]:
        return 0 if self_check() else 1
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    found = faults(sys.argv[1])
    for fault in found:
        print(fault)
    if not found:
        print("every include points down: " +
              " < ".join("/".join(folders) for folders in FLOORS))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
