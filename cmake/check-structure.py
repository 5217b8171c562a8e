#!/usr/bin/env python3
"""Fails when a room grows too big: a file in web/ or tools/ over 700 lines, or a function
over 80 lines (C++, JavaScript or Python) anywhere outside the tests (tests/, test_*.py,
test_*.js) and the reference engine. A function's lines run from its first line to its
closing brace (or its last line).

KNOWN is today's list of what breaks the limits, each with why it may for now; the check
passes on them and fails on any other offence; an entry that no longer offends is named
in a note, to be taken off as the rooms are split.
Run from anywhere: python3 cmake/check-structure.py [ROOT]
"""
import ast
import pathlib
import re
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(pathlib.Path(__file__).parent))
from source_scan import code_only, tree_files  # noqa: E402

MAX_FILE_LINES = 700
MAX_FUNCTION_LINES = 80

# "path" for a long file, "path:function" for a long function: the known offences.
KNOWN = {
    "web/playground.js": "to be split into ES modules by concern: issue 28",
    "web/test_page.py": "to be split by what the page does: issue 28",
    "script/spam_matcher.cpp:BuildTrie": "to be split: issue 28",
    "script/spam_matcher.cpp:Compile": "to be split: issue 28",
    "tools/sim/report_json.cpp:AddPayload": "to be split with tools/sim/ into subfolders: issue 28",
    "tools/sim/report_text.cpp:Report": "to be split with tools/sim/ into subfolders: issue 28",
}

LARGE_FILE_FOLDERS = ("web", "tools")
TEXT_SUFFIXES = {".cpp", ".h", ".js", ".py", ".html", ".css", ".md", ".txt"}
CODE_SUFFIXES = {".cpp": "cpp", ".h": "cpp", ".inc": "cpp", ".js": "js", ".py": "py"}
NOT_FUNCTIONS = {"tests"}
REFERENCE_ENGINE = "bench/reference.cpp"

CONTAINER = re.compile(
    r"^\s*(?:template\s*<.*>\s*)?(?:inline\s+)?(?:namespace|class|struct|union|enum|extern)\b", re.DOTALL)
QUALIFIERS = re.compile(r"(?:\s*(?:const|noexcept(?:\s*\([^)]*\))?|override|final|mutable|&&?|try|"
                        r"->\s*[\w:<>,\s*&]+))*\s*$")
JS_CONTROL = {"if", "for", "while", "switch", "catch", "with", "else", "do", "try", "finally", "return"}
JS_METHOD = re.compile(r"^(?:(?:async|static|get|set)\s+|\*\s*)*(#?[\w$]+)\s*\(.*\)\s*$", re.DOTALL)


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def header_name(header):
    match = re.search(r"([~\w:$]+)\s*\([^()]*(?:\([^()]*\)[^()]*)*\)", header)
    return match.group(1).split("::")[-1] if match else "(lambda)"


def is_cpp_function(header):
    head = QUALIFIERS.sub("", header)
    if "(" not in head or "=" in head.split("(", 1)[0]:
        return False
    # A constructor's list of brace-initialised members ends in '}' rather than ')'.
    return head.endswith(")") or (head.endswith("}") and re.search(r"\)\s*:", head) is not None)


def is_js_function(header):
    head = header.strip()
    if head.endswith("=>"):
        return True
    if not head.endswith(")"):
        return False
    last = re.split(r"[,(=:?]\s*(?=function\b)", head)[-1]
    if re.match(r"^(?:async\s+)?function\b", last):
        return True
    method = JS_METHOD.match(head)
    return method is not None and method.group(1) not in JS_CONTROL and "(" not in head[:method.start(1)]


def brace_functions(code, language):
    """(name, first line, last line) of each function in code blanked by code_only."""
    found = []
    stack = []  # per open brace: (kind, header start, header)
    header_start = 0
    for i, c in enumerate(code):
        if c in ";":
            if not stack or stack[-1][0] != "body":
                header_start = i + 1
        elif c == "{":
            header = code[header_start:i]
            if stack and stack[-1][0] == "body" and language == "cpp":
                kind = "inner"
            elif language == "cpp" and CONTAINER.match(header):
                kind = "container"
            elif (is_cpp_function(header) if language == "cpp" else is_js_function(header)):
                kind = "body"
            else:
                kind = "block" if language == "js" or not stack or stack[-1][0] != "body" else "inner"
                if language == "cpp" and kind == "block" and not CONTAINER.match(header):
                    kind = "expression"
            start = header_start + len(header) - len(header.lstrip())
            stack.append((kind, start, header))
            if kind != "expression":
                header_start = i + 1
        elif c == "}" and stack:
            kind, start, header = stack.pop()
            if kind == "body":
                found.append((header_name(header), line_of(code, start), line_of(code, i)))
            if kind != "expression":
                header_start = i + 1
    return found


def python_functions(text):
    try:
        tree = ast.parse(text)
    except SyntaxError:
        return []
    return [(node.name, node.lineno, node.end_lineno) for node in ast.walk(tree)
            if isinstance(node, (ast.FunctionDef, ast.AsyncFunctionDef))]


def is_test(rel):
    name = rel.rsplit("/", 1)[-1]
    return (rel.split("/", 1)[0] in NOT_FUNCTIONS
            or name.startswith("test_") and name.endswith((".py", ".js")))


def offences(root):
    for rel, path in tree_files(root):
        suffix = path.suffix
        if suffix not in TEXT_SUFFIXES and suffix not in CODE_SUFFIXES:
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        lines = text.count("\n") + (0 if text.endswith("\n") or not text else 1)
        if rel.split("/", 1)[0] in LARGE_FILE_FOLDERS and lines > MAX_FILE_LINES:
            yield rel, f"{rel}: {lines} lines, over {MAX_FILE_LINES}"
        language = CODE_SUFFIXES.get(suffix)
        if not language or is_test(rel) or rel == REFERENCE_ENGINE:
            continue
        if language == "py":
            functions = python_functions(text)
        else:
            functions = brace_functions(code_only(text, language, preprocessor=False), language)
        for name, first, last in functions:
            if last - first + 1 > MAX_FUNCTION_LINES:
                yield f"{rel}:{name}", (f"{rel}:{first}: {name} runs {last - first + 1} lines, "
                                        f"over {MAX_FUNCTION_LINES}")


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    seen, faults = set(), []
    for key, message in offences(root):
        seen.add(key)
        if key not in KNOWN:
            faults.append(message)
    # A listed offence that is gone is told, not failed: the step that mends it may land
    # before the one that shortens the list.
    for key in KNOWN:
        if key not in seen:
            print(f"note: {key}: listed in KNOWN but within the limits now; take it off the list")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} fault(s): files in {', '.join(LARGE_FILE_FOLDERS)} stay within "
              f"{MAX_FILE_LINES} lines, functions within {MAX_FUNCTION_LINES}", file=sys.stderr)
        return 1
    print(f"rooms hold: {len(KNOWN)} known offence(s) left to split")
    return 0


if __name__ == "__main__":
    sys.exit(main())
