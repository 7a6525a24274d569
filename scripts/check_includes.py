#!/usr/bin/env python3
"""Checks that every #include "folder/..." of the program's sources runs along
an allowed arrow. The arrows are read from the table under "## Allowed
includes" in ARCHITECTURE.md, so they are stated in one place:

    | folder | may include |
    |---|---|
    | `engine/` | `common/` `net/` ... |

A row names a folder or a file (the longest matching prefix of a file's path
decides which row a file falls under) and the folders or headers it may
include besides its own folder.
A folder written as `app/*.h` stands for the headers directly in app/ only.

    check_includes.py [ROOT]     exit 0 when clean, 1 with one line per
                                 include that runs the wrong way
"""
import os
import re
import sys

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_SUFFIXES = (".h", ".cpp", ".inc")


def read_arrows():
    """The table of ARCHITECTURE.md: {folder: [allowed patterns]}."""
    text = open(os.path.join(ROOT, "ARCHITECTURE.md"), encoding="utf-8").read()
    section = text.split("## Allowed includes", 1)
    if len(section) < 2:
        sys.exit("check_includes: ARCHITECTURE.md has no '## Allowed includes' table")
    arrows = {}
    for line in section[1].splitlines():
        if line.startswith("## "):
            break
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) != 2 or not cells[0].startswith("`"):
            continue
        folder = cells[0].strip("`")
        arrows[folder] = re.findall(r"`([^`]+)`", cells[1])
    if not arrows:
        sys.exit("check_includes: the '## Allowed includes' table is empty")
    return arrows


def row_of(path, arrows):
    best = None
    for folder in arrows:
        if path.startswith(folder) and (best is None or len(folder) > len(best)):
            best = folder
    return best


def allowed(target, patterns):
    for p in patterns:
        if p.endswith("*.h"):
            base = p[:-3]
            if target.startswith(base) and "/" not in target[len(base):]:
                return True
        elif target.startswith(p):
            return True
    return False


def main():
    arrows = read_arrows()
    problems = []
    checked = 0
    for folder in sorted(arrows):
        top = os.path.join(ROOT, folder)
        if os.path.isfile(top):
            walk = [(os.path.dirname(top), [], [os.path.basename(top)])]
        elif os.path.isdir(top):
            walk = os.walk(top)
        else:
            problems.append(f"{folder}: named in ARCHITECTURE.md but missing")
            continue
        for dirpath, _, files in walk:
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), ROOT)
                row = row_of(path, arrows)
                if row != folder:
                    continue  # a deeper row of the table owns this file
                patterns = [row] + arrows[row]
                with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m or "/" not in m.group(1):
                            continue
                        checked += 1
                        target = m.group(1)
                        if not allowed(target, patterns):
                            problems.append(f"{path}:{number}: includes {target}, "
                                            f"but {row} may include only {' '.join(patterns)}")
    for p in problems:
        print(p)
    print(f"check_includes: {checked} includes checked, {len(problems)} running the wrong way",
          file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
