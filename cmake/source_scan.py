"""Reading the tree's sources for its checks (check-layers.py, check-structure.py, check-facts.py).

tree_files() walks the source tree, leaving out build, release and hidden folders,
installed packages, caches and the fuzzers' corpus.

code_only() blanks comments, and with strings=False the insides of string, character,
template and regular-expression literals, keeping every newline, so offsets and line
numbers still point into the file. It is a reader for checks, not a parser: it knows
the literals these two languages have, raw strings and template expressions included.
"""
import re

SKIPPED = {"node_modules", "__pycache__", "corpus"}
IDENT = re.compile(r"[\w$]")
# After one of these (or at the start) a JavaScript '/' opens a regular expression.
REGEX_BEFORE = set("(,=:[!&|?{};+-*%<>~^") | {""}


def tree_files(root):
    """(path relative to root with '/', path) of every file of the source tree, sorted."""
    for path in sorted(root.rglob("*")):
        rel = path.relative_to(root)
        if (path.is_file() and not rel.parts[0].startswith((".", "build", "dist"))
                and not SKIPPED & set(rel.parts)):
            yield rel.as_posix(), path


def _blank(chars, start, end):
    for i in range(start, end):
        if chars[i] != "\n":
            chars[i] = " "


def _skip_quoted(text, i, quote):
    """Index just past the literal opened by the quote at i."""
    i += 1
    while i < len(text) and text[i] != quote and text[i] != "\n":
        i += 2 if text[i] == "\\" else 1
    return min(i + 1, len(text))


def _prev_significant(text, i):
    j = i - 1
    while j >= 0 and text[j] in " \t\r\n":
        j -= 1
    return text[j] if j >= 0 else ""


def _regex_end(text, i):
    """Index of the '/' closing the JavaScript regular expression opened at i."""
    j, in_class = i + 1, False
    while j < len(text) and text[j] != "\n" and (in_class or text[j] != "/"):
        if text[j] == "\\":
            j += 1
        elif text[j] in "[]":
            in_class = text[j] == "["
        j += 1
    return j


def _opens_regex(text, i):
    return _prev_significant(text, i) in REGEX_BEFORE or re.search(r"\b(return|typeof|case)\s*$",
                                                                    text[max(0, i - 12):i])


def _literal(text, i, language):
    """(end, inside start, inside end) of the comment or literal starting at i, or None."""
    c = text[i]
    if text.startswith("//", i):
        end = text.find("\n", i)
        return (len(text) if end < 0 else end), i, None
    if text.startswith("/*", i):
        end = text.find("*/", i + 2)
        return (len(text) if end < 0 else end + 2), i, None
    if language == "cpp" and text.startswith('R"', i) and not (
            i > 0 and IDENT.match(text[i - 1]) and text[i - 1] not in "uU8L"):
        open_paren = text.find("(", i + 2)
        delim = text[i + 2:open_paren]
        end = text.find(")" + delim + '"', open_paren)
        end = len(text) if end < 0 else end + len(delim) + 2
        return end, i + 2, end - 1
    digit_separator = (language == "cpp" and c == "'" and i > 0 and text[i - 1].isalnum()
                       and i + 1 < len(text) and text[i + 1].isalnum())
    if c == '"' or (c == "'" and not digit_separator):
        end = _skip_quoted(text, i, c)
        return end, i + 1, end - 1
    if language == "js" and c == "/" and _opens_regex(text, i):
        end = _regex_end(text, i)
        return end + 1, i + 1, end
    return None


def code_only(text, language, strings=False, preprocessor=True):
    """The text with comments (and literals' insides unless strings) blanked.

    language is "cpp" or "js"; preprocessor=False blanks C++ preprocessor lines too.
    A comment's inside end is None: it is blanked whatever strings says."""
    chars = list(text)
    n = len(text)
    i = 0
    template_depths = []  # JavaScript: brace depth inside each open ${...}
    in_template = False
    line_start = True
    while i < n:
        c = text[i]
        if in_template:
            start = i
            while i < n and text[i] != "`" and not text.startswith("${", i):
                i += 2 if text[i] == "\\" else 1
            if not strings:
                _blank(chars, start, min(i, n))
            in_template = False
            if i < n and text[i] != "`":
                template_depths.append(0)
                i += 1
            i += 1
            continue
        if c in "\n \t":
            line_start = line_start or c == "\n"
            i += 1
            continue
        if language == "cpp" and line_start and c == "#" and not preprocessor:
            end = i
            while end < n and (text[end] != "\n" or text[end - 1] == "\\"):
                end += 1
            _blank(chars, i, end)
            i = end
            continue
        line_start = False
        literal = _literal(text, i, language)
        if literal:
            end, inside, inside_end = literal
            if inside_end is None:
                _blank(chars, inside, end)
            elif not strings:
                _blank(chars, inside, inside_end)
            i = end
        elif language == "js" and c == "`":
            in_template = True
            i += 1
        elif language == "js" and template_depths and c in "{}":
            if c == "{":
                template_depths[-1] += 1
            elif template_depths[-1] == 0:
                template_depths.pop()
                in_template = True
            else:
                template_depths[-1] -= 1
            i += 1
        else:
            i += 1
    return "".join(chars)
