#!/usr/bin/env python3
"""Fails when a fact of the system is spelled outside its one home.

Each fact has a home file (its header beside it counts as home too) and a pattern that
finds its spelling in C++ and JavaScript code, comments left out. A match in any other
file outside the tests (tests/, test_*.js, bench/, the fuzz corpus) is a copy that will
drift, unless DUPLICATES lists it: today's copies, each to be folded into its home.
An entry that no longer matches is named in a note, to be taken off as the copies go.
Run from anywhere: python3 cmake/check-facts.py [ROOT]
"""
import pathlib
import re
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(pathlib.Path(__file__).parent))
from source_scan import code_only, tree_files  # noqa: E402

# name: (home, pattern, folders searched; empty: the whole tree)
FACTS = {
    "protocol names": ("script/KwartlinConst.cpp", r"[\"'](?:TLEN|GG)[\"']", ()),
    "status names": ("script/KwartlinConst.cpp", r"[\"'](?:STS_[A-Z]+|xa|dnd|invisible)[\"']", ()),
    "contact flags": ("script/KwartlinConst.cpp",
                      r"[\"'](?:CINFO_[A-Z]+|waitauth|notauth|notinlist)[\"']", ()),
    "operators": ("script/KwartlinConst.cpp", r"<>[\s|,'\"]*(?:!=|<=|>=)", ()),
    "number syntax": ("support/ProcFunc.cpp", r"\bbool\s+IsNumber\s*\(|\[bB\]\[01\]", ()),
    "trace rows limit": ("web/playground.cpp", r"\b2000\b", ("web",)),
    "check formats": ("tools/sim/driver.cpp", r"[\"']gcc[\"']", ()),
    "transcript sub-commands": ("tools/sim/transcript.cpp",
                                r"[\"'](?:<<END|(?:name|group|desc|flags)=|desc)[\"']", ()),
    "quoting helper": ("check/report.cpp",
                       r"std::string\s+(?:Quoted|Quote|InQuotes)\s*\(|\bfunction\s+quote\s*\(", ()),
    "ASCII case helper": ("support/casing.cpp", r"'[aA]'\s*\+\s*'[aA]'", ()),
    "JSON escaping": ("check/output.cpp", r"\\\\u%04x", ()),
    "save by temporary file": ("support/platform_posix.cpp", r"(?:::rename|MoveFileExA?)\s*\(", ()),
}

# (fact, file): why the copy is still there.
DUPLICATES = {
    ("protocol names", "host/plugin.cpp"): "hooks each protocol by its own constant: issue 28",
    ("protocol names", "host/services.cpp"): "guesses the protocol from the address: issue 28",
    ("protocol names", "tools/messenger/main.cpp"): "delivers on a protocol of its own: issue 28",
    ("protocol names", "tools/sim/completion.cpp"): "its own list of protocols: issue 28",
    ("protocol names", "tools/sim/session.h"): "the initial status hard-coded per protocol: issue 28",
    ("protocol names", "tools/sim/transcript.cpp"): "checks the protocol against its own pair: issue 28",
    ("protocol names", "tools/testhost/test_host.cpp"): "the initial status hard-coded: issue 28",
    ("protocol names", "web/playground.js"): "its own list of protocols: issue 28",
    ("status names", "tools/sim/transcript.cpp"): "its own list of status names: issue 28",
    ("status names", "web/playground.js"): "its own list of status names: issue 28",
    ("contact flags", "tools/sim/transcript.cpp"): "its own list of flags: issue 28",
    ("contact flags", "web/playground.js"): "its own list of flags: issue 28",
    ("operators", "check/message_list.h"): "lists the operators in a message: issue 28",
    ("operators", "check/messages_pl.h"): "lists the operators in a message: issue 28",
    ("operators", "web/editor.js"): "its own pattern, which lacks !=: issue 28",
    ("number syntax", "check/stages.h"): "a wrapper to fold into ParseInt: issue 28",
    ("number syntax", "check/script_checker.cpp"): "a wrapper to fold into ParseInt: issue 28",
    ("number syntax", "tools/sim/trace_text.cpp"): "its own rule (no hex, no leading blanks): issue 28",
    ("number syntax", "web/editor.js"): "its own pattern: issue 28",
    ("trace rows limit", "web/playground.js"): "cuts the rows again: issue 28",
    ("check formats", "tools/sim/main.cpp"): "the option's allowed words: issue 28",
    ("transcript sub-commands", "tools/sim/completion.cpp"): "completion's own word lists: issue 28",
    ("quoting helper", "check/stages.h"): "InQuotes: issue 28",
    ("quoting helper", "check/script_checker.cpp"): "InQuotes: issue 28",
    ("quoting helper", "tools/sim/trace_text.cpp"): "Quote: issue 28",
    ("quoting helper", "tools/sim/trace_text.h"): "Quote: issue 28",
    ("quoting helper", "tools/sim/transcript.cpp"): "Quoted: issue 28",
    ("quoting helper", "web/playground.js"): "quote(): issue 28",
    ("ASCII case helper", "options/view_headless.cpp"): "two upper-casing lambdas: issue 28",
    ("ASCII case helper", "script/KwartlinConst.cpp"): "the compile-time keyword lowering: issue 28",
    ("ASCII case helper", "tools/sim/completion.cpp"): "Lower: issue 28",
    ("ASCII case helper", "tools/sim/transcript.cpp"): "AsciiLower, AsciiUpper: issue 28",
    ("JSON escaping", "host/trace_channel.cpp"): "the trace's own JSON writer: issue 28",
    ("save by temporary file", "support/platform_win32.cpp"): "the recipe again, per platform: issue 28",
}

LANGUAGES = {".cpp": "cpp", ".h": "cpp", ".inc": "cpp", ".js": "js"}
NOT_SEARCHED = {"tests", "bench"}


def searched_files(root):
    for rel, path in tree_files(root):
        if (path.suffix in LANGUAGES and rel.split("/", 1)[0] not in NOT_SEARCHED
                and not (path.name.startswith("test_") and path.suffix == ".js")):
            yield rel, path


def homes(home):
    stem = home.rsplit(".", 1)[0]
    return {home, stem + ".h", stem + ".cpp"}


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    patterns = {name: re.compile(pattern) for name, (_, pattern, _) in FACTS.items()}
    found, faults = set(), []
    for rel, path in searched_files(root):
        code = code_only(path.read_text(encoding="utf-8", errors="replace"), LANGUAGES[path.suffix],
                         strings=True)
        for name, (home, _, folders) in FACTS.items():
            if rel in homes(home) or (folders and rel.split("/", 1)[0] not in folders):
                continue
            match = patterns[name].search(code)
            if not match:
                continue
            found.add((name, rel))
            if (name, rel) not in DUPLICATES:
                line = code.count("\n", 0, match.start()) + 1
                faults.append(f"{rel}:{line}: {name} spelled again ({match.group(0)!r}); "
                              f"its home is {home}")
    # A listed copy that is gone is told, not failed (see check-structure.py).
    for name, rel in DUPLICATES:
        if (name, rel) not in found:
            print(f"note: {rel}: no copy of the {name} any more; take it off DUPLICATES")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} fault(s): every fact is read from its home", file=sys.stderr)
        return 1
    print(f"facts hold: {len(FACTS)} facts, {len(DUPLICATES)} known copies left to fold")
    return 0


if __name__ == "__main__":
    sys.exit(main())
