#!/usr/bin/env python3
"""Fails when a folder includes a header of a folder above it.

The layers, lowest first: support < script < settings < options < host < tools. A folder
may include its own headers and those of the folders below it. host/records.h, the leaf
header of the host interface's records, may be included from anywhere. The checker
(check/) sits on script/ beside the plugin's upper layers: it includes support/ and
script/, only tools/ includes it.
Run from anywhere: python3 cmake/check-layers.py [ROOT]
"""
import pathlib
import re
import sys

LAYERS = ["support", "script", "settings", "options", "host", "tools"]
# Folders beside the line: the layers each may include besides its own.
BESIDE = {"check": ["support", "script"]}
OPEN_TO_ALL = {"host/records.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    rank = {name: i for i, name in enumerate(LAYERS)}
    faults = []
    for folder in LAYERS + list(BESIDE):
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".inc", ".def"):
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for match in INCLUDE.finditer(text):
                target = match.group(1)
                top = target.split("/", 1)[0]
                if target in OPEN_TO_ALL or top == folder:
                    continue
                if folder in BESIDE:
                    allowed = top in BESIDE[folder] or top not in rank and top not in BESIDE
                elif top in BESIDE:
                    allowed = folder == "tools"
                else:
                    allowed = top not in rank or rank[top] <= rank[folder]
                if not allowed:
                    line = text.count("\n", 0, match.start()) + 1
                    faults.append(f"{path.relative_to(root)}:{line}: {folder}/ includes {target}, "
                                  f"a layer above it")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) against the layers "
              + " < ".join(LAYERS), file=sys.stderr)
        return 1
    print("layers hold: " + " < ".join(LAYERS) + "; check on script, below tools")
    return 0


if __name__ == "__main__":
    sys.exit(main())
