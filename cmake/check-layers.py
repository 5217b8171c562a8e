#!/usr/bin/env python3
"""Fails when a folder includes a header it may not, or a folder of C++ has no place here.

The plugin's line, lowest first: support < script < settings < options < host. A folder
may include its own headers and those of the folders below it; host/records.h, the leaf
header of the host interface's records, may be included from anywhere. Beside and above
the line, each folder may include:
  check/   support/ and script/: the checker reads the language, not the plugin.
  tools/   the whole line and check/ (the simulator, the stand-in messenger).
  web/     the whole line, check/ and tools/: the playground is the simulator in a page.
  fuzz/    the whole line and check/: the fuzzers drive the parsers, never the tools.
  bench/   the whole line, check/ (the checker's benchmark) and tools/ (the stand-in messenger).
  tests/   everything above but web/ and fuzz/, and bench/ (its workloads are tested).
  cmake/   support/ only: build tools such as the version block writer.
So check/ is included by tools/, web/, fuzz/ and tests/, and by nothing of the plugin.
A folder holding C++ that is not named here fails the check until it is given a place.
Run from anywhere: python3 cmake/check-layers.py [ROOT]
"""
import pathlib
import re
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(pathlib.Path(__file__).parent))
from source_scan import tree_files  # noqa: E402

LINE = ["support", "script", "settings", "options", "host"]
ALLOWED = {name: LINE[:i] for i, name in enumerate(LINE)}
ALLOWED.update({
    "check": ["support", "script"],
    "tools": LINE + ["check"],
    "web": LINE + ["check", "tools"],
    "fuzz": LINE + ["check"],
    "bench": LINE + ["check", "tools"],
    "tests": LINE + ["check", "tools", "bench"],
    "cmake": ["support"],
})
OPEN_TO_ALL = {"host/records.h"}
# Made by the build into its own folder; the line above each include says which step.
GENERATED = {"kwversion_section.cpp"}
SOURCES = {".h", ".cpp", ".inc", ".def", ".c", ".hpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def source_folders(root: pathlib.Path):
    """Each top folder of the tree holding C++, with its C++ files."""
    folders = {}
    for rel, path in tree_files(root):
        if path.suffix in SOURCES and "/" in rel:
            folders.setdefault(rel.split("/", 1)[0], []).append(path)
    return sorted(folders.items())


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    faults = []
    for folder, files in source_folders(root):
        if folder not in ALLOWED:
            faults.append(f"{folder}/: holds C++ but has no place in the layers "
                          f"(give it one in cmake/check-layers.py)")
            continue
        for path in files:
            text = path.read_text(encoding="utf-8", errors="replace")
            for match in INCLUDE.finditer(text):
                target = match.group(1)
                top = target.split("/", 1)[0]
                if target in OPEN_TO_ALL or top == folder or top in ALLOWED[folder]:
                    continue
                if "/" not in target and ((path.parent / target).is_file() or target in GENERATED):
                    continue
                line = text.count("\n", 0, match.start()) + 1
                what = "a folder it may not include" if top in ALLOWED else "nothing in the tree"
                faults.append(f"{path.relative_to(root)}:{line}: {folder}/ includes {target}, {what}")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} fault(s) against the layers " + " < ".join(LINE), file=sys.stderr)
        return 1
    print("layers hold: " + " < ".join(LINE) + "; check on script; tools, web, fuzz, bench, "
          "tests and cmake as listed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
