#!/usr/bin/env python3
"""Every arrow of the house points down.

The program's folders stand on floors, lowest first. A source file may
include headers of its own folder or of a folder on a lower floor, never of
one on its own floor or above: so no two folders can include each other,
directly or through others. The shared state at the bottom (settings/shared.h)
includes nothing of ours at all, and no .cpp file declares another file's
things with `extern`, which would reach past the includes. Nor may the
program's .cpp files grow their mutable variables at namespace scope past
MUTABLE_LIMIT: each piece of state has one owner, not a global.

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


# The program's .cpp files keep at most this many mutable variables at
# namespace scope (non-const, non-constexpr, one per declarator, an array as
# one). State belongs to one owner: raise it only with a reason.
MUTABLE_LIMIT = 101

COMMENT_OR_TEXT = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'',
                             re.S)
NOT_A_VARIABLE = re.compile(r"^(using|typedef|template|static_assert|namespace|friend|"
                            r"struct|class|enum|union)\b")
NAME = re.compile(r"([A-Za-z_]\w*)\s*(\[[^\]]*\]\s*)*$")


def code_only(text):
    """The text with comments, strings and preprocessor lines blanked, line breaks kept."""
    def blank(m):
        s = m.group(0)
        if s.startswith("/"):
            return re.sub(r"[^\n]", " ", s)
        return s[0] + " " * (len(s) - 2) + s[-1]
    text = COMMENT_OR_TEXT.sub(blank, text)
    return "\n".join("" if l.lstrip().startswith("#") else l for l in text.split("\n"))


def split_top(text, sep):
    """Pieces of text between seps that stand outside every bracket."""
    pieces, depth, start = [], 0, 0
    for i, c in enumerate(text):
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
        elif c == "<" and i > 0 and (text[i - 1].isalnum() or text[i - 1] == "_"):
            depth += 1
        elif c == ">" and depth > 0 and text[i - 1] != "-":
            depth -= 1
        elif c == sep and depth == 0:
            pieces.append(text[start:i])
            start = i + 1
    pieces.append(text[start:])
    return pieces


def declared_variables(statement):
    """Names of the mutable variables a namespace-scope statement declares."""
    s = " ".join(statement.split())
    if not s or NOT_A_VARIABLE.match(s) or re.match(r'extern\s*"', s):
        return []
    head = split_top(s, "=")[0].split("{")[0]
    # const binds to the variable itself only after the last '*'.
    if "constexpr" in re.findall(r"\w+", head) or "const" in re.findall(r"\w+",
                                                                      head.split("*")[-1]):
        return []
    names = []
    for n, declarator in enumerate(split_top(s, ",")):
        head = declarator.split("=")[0]
        head = split_top(head, "{")[0] if "{" in head else head
        head = head.split("{")[0]
        if "(" in head and "(*" not in head.replace(" ", ""):
            return []  # a function's declaration
        m = NAME.search(head.strip())
        if m and (n > 0 or len(head.split()) > 1 or "*" in head or "&" in head):
            names.append(m.group(1))
    return names


def namespace_statements(text):
    """(line, statement) for each statement standing at namespace scope."""
    code = code_only(text)
    out, start, i, line = [], 0, 0, 1
    while i < len(code):
        c = code[i]
        if c == ";":
            out.append((line, code[start:i]))
            start = i + 1
        elif c == "{":
            head = code[start:i]
            if re.search(r"\bnamespace\b[\w\s:]*$", head) or re.search(r'extern\s*"C"\s*$', head):
                start = i + 1  # a namespace's body stands at namespace scope too
            else:
                depth, j = 1, i + 1
                while j < len(code) and depth:
                    depth += {"{": 1, "}": -1}.get(code[j], 0)
                    j += 1
                line += code.count("\n", i, j)
                i = j
                h = " ".join(head.split())
                function = re.search(r"\)\s*(const|noexcept|override|->[\w\s:<>*&]*)?\s*$", h)
                type_body = re.match(r"(template\s*<[^{]*>\s*)?(struct|class|enum|union)\b", h)
                if not function and ("=" in h or type_body or re.search(r"[\w\]>]$", h)):
                    continue  # an initialiser or a type's body: the statement goes on to its ';'
                start = j  # a function's body ends its statement
                continue
        elif c == "}":
            start = i + 1  # the end of a namespace
        if c == "\n":
            line += 1
        i += 1
    return [(n, s) for n, s in out if s.strip()]


def mutable_globals(root):
    """(file:line, name) of every mutable namespace-scope variable in the program's .cpp files."""
    found = []
    for folders in FLOORS:
        for folder in folders:
            if not os.path.isdir(os.path.join(root, folder)):
                continue
            for name in sources(root, folder):
                if not name.endswith(".cpp"):
                    continue
                with open(os.path.join(root, folder, name), encoding="utf-8") as f:
                    text = f.read()
                for line, statement in namespace_statements(text):
                    for var in declared_variables(statement):
                        found.append((f"{folder}/{name}:{line}", var))
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
    counted = {
        "int A, B[4] = {1};\nconst int C = 1;\nconstexpr int D = 2;\n"
        "int F(int x) { int e; return x; }\n"
        "namespace { HWND G; struct S { int h; }; std::map<int, int> I{{1, 2}}; }\n"
        "using T = int (*)(int);\nstatic const char* J = \"{;\";\nconst char* const K = nullptr;\n"
        "template <typename R> void L(R r) { r(); }\nDWORD M = 0, N = 0;\n":
        ["A", "B", "G", "I", "J", "M", "N"],
    }
    for text, expected in counted.items():
        names = [n for _, s in namespace_statements(text) for n in declared_variables(s)]
        caught = names == expected
        print(f"{'ok ' if caught else 'MISSED'} counting: {names}")
        ok = ok and caught
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
    mutable = mutable_globals(sys.argv[1])
    if len(mutable) > MUTABLE_LIMIT:
        found.append(f"{len(mutable)} mutable variables at namespace scope, more than "
                     f"{MUTABLE_LIMIT}; give each to one owner:\n" +
                     "\n".join(f"  {w}: {n}" for w, n in mutable))
    for fault in found:
        print(fault)
    if not found:
        print("every include points down: " +
              " < ".join("/".join(folders) for folders in FLOORS) +
              f"; {len(mutable)} mutable variables at namespace scope (at most {MUTABLE_LIMIT})")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
