#!/usr/bin/python3
"""The language guide inside the playground: its pages as HTML beside the page (docs/),
and each command's entry as the editor's hover and completion text (guide-help.js), in
every language the guide is written in. The guide is the one source: the editor shows
its words, with a link to the section they come from, so nothing is written twice.

A command's entry in the guide is a "####" heading of the command's name in the
chapter on commands: a code block with its syntax, the options page's help line quoted,
then paragraphs; the first paragraph says what the command does, and a paragraph that
begins with the word for traps says what catches users out.
    guide.py DOCS_FOLDER SITE_FOLDER"""
import json
import pathlib
import re
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "cmake" / "release"))
import markdown_pages  # noqa: E402
from markdown.extensions.toc import slugify_unicode  # noqa: E402

# The guides the page links to: (page name, language) by Markdown file.
PAGES = {
    "script-language.md": ("script-language.html", "en"),
    "script-language.pl.md": ("script-language.pl.html", "pl"),
    "spam-list.md": ("spam-list.html", "en"),
    "spam-list.pl.md": ("spam-list.pl.html", "pl"),
    "checker.md": ("checker.html", "en"),
    "checker.pl.md": ("checker.pl.html", "pl"),
}
# Each language's guide and the words that begin what it says of a command's traps.
GUIDES = {"en": ("script-language.md", re.compile(r"\bTraps?\b[^:.]*:")),
          "pl": ("script-language.pl.md", re.compile(r"\bPułapk[ai]\b[^:.]*:"))}
COMMAND = re.compile(r"^#### ([A-Za-z]+)\s*$")


def plain(markdown_text):
    """A paragraph as the hover shows it: one line, Markdown's marks taken out."""
    text = " ".join(line.strip() for line in markdown_text.splitlines())
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)
    return text.replace("**", "").replace("`", "")


def entries(text, traps_words, page):
    """Each command's entry of a guide: its text, its traps and its section's address."""
    found = {}
    name, paragraphs, fenced = None, [], False
    lines = text.splitlines() + ["#### END"]

    def close():
        if not name:
            return
        prose = [p for p in paragraphs if not p.startswith(">")]
        first = next((p for p in prose if not traps_words.match(p)), "")
        traps = next((p[m.start():] for p in prose for m in [traps_words.search(p)] if m), "")
        found[name.upper()] = {"text": plain(first), "traps": plain(traps),
                               "href": "docs/%s#%s" % (page, slugify_unicode(name, "-"))}

    block = []
    for line in lines:
        if line.startswith("```"):
            fenced = not fenced
            continue
        if fenced:
            continue
        heading = COMMAND.match(line)
        if heading or line.startswith("## ") or line.startswith("### "):
            if block:
                paragraphs.append("\n".join(block))
                block = []
            close()
            name, paragraphs = (heading.group(1) if heading else None), []
            continue
        if line.strip():
            block.append(line)
        elif block:
            paragraphs.append("\n".join(block))
            block = []
    return found


def main():
    docs, site = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    present = {md: page for md, page in PAGES.items() if (docs / md).exists()}
    targets = {"docs/" + md: "docs/" + page for md, (page, _) in present.items()}
    (site / "docs").mkdir(parents=True, exist_ok=True)
    texts = {md: (docs / md).read_text(encoding="utf-8") for md in present}
    titles = {"docs/" + md: markdown_pages.title(text, md) for md, text in texts.items()}
    for md, (page, language) in present.items():
        html = markdown_pages.render(texts[md], "docs/" + md, targets, titles, {}, language)
        (site / "docs" / page).write_text(html, encoding="utf-8")
    help_by_language = {}
    for language, (md, traps_words) in GUIDES.items():
        if md in present:
            help_by_language[language] = entries(texts[md], traps_words, present[md][0])
    (site / "guide-help.js").write_text(
        "// Made by guide.py from the language guide: each command's entry, by language.\n"
        "'use strict';\nconst GUIDE_HELP = " + json.dumps(help_by_language, ensure_ascii=False, sort_keys=True) + ";\n",
        encoding="utf-8")


if __name__ == "__main__":
    main()
