"""Turns the project's Markdown guides into HTML pages that open in any browser on
Windows, with no tool installed: one self-contained file each (UTF-8, styles inline).

Links keep working inside the release: a link to another guide that the release
carries points at its page, an anchor keeps its heading (headings get the same ids as
on the project's web pages: lower case, blanks as hyphens), a picture that the release
carries is copied beside the page that shows it. A link to a file the release does not
carry would be dead on the user's disk, so it is left as its plain text. A link whose
words are a file's path in the tree (`spam-list.md`) means nothing to the reader of the
page: it gets the title of the page it leads to, or, when that page is not in the
release, goes away with its words.

The converter is Debian's python3-markdown, kept to its standard extensions so that a
page comes out the same wherever it is built.
"""
import html
import posixpath
import re
import xml.etree.ElementTree as etree

import markdown
from markdown.extensions.toc import slugify_unicode
from markdown.treeprocessors import Treeprocessor
from markdown.extensions import Extension

STYLE = """
body { font-family: Segoe UI, Tahoma, Arial, sans-serif; max-width: 56em; margin: 2em auto;
       padding: 0 1em; line-height: 1.45; color: #1b1b1b; }
code, pre { font-family: Consolas, "Courier New", monospace; background: #f3f3f3; }
pre { padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #c8c8c8; padding: 0.25em 0.5em; vertical-align: top; }
img { max-width: 100%; }
"""


# Words that are a path in the tree rather than words: a name with a folder, or a file
# name with a source file's extension.
SOURCE_PATH = re.compile(r"^\S*/\S*$|^\S+\.(md|h|cpp|py|sh|cmake|js|html)(#\S*)?$")


def title(text, source):
    """A page's title: its first heading, else its file name."""
    return next((line.lstrip("# ").strip() for line in text.splitlines() if line.startswith("# ")),
                posixpath.basename(source))


class _LinkRewriter(Treeprocessor):
    def __init__(self, md, source, targets, titles, pictures):
        super().__init__(md)
        self.source = source      # the page's Markdown path in the source tree
        self.targets = targets    # Markdown path in the tree -> page path in the release
        self.titles = titles      # Markdown path in the tree -> the page's title
        self.pictures = pictures  # collects pictures the page shows: tree path -> release path

    def run(self, root):
        here = posixpath.dirname(self.targets[self.source])
        for parent in root.iter():
            for i, child in enumerate(list(parent)):
                if child.tag == "a":
                    self._link(parent, i, child, here)
                elif child.tag == "img":
                    self._picture(child, here)

    def _resolve(self, ref):
        return posixpath.normpath(posixpath.join(posixpath.dirname(self.source), ref))

    def _link(self, parent, index, a, here):
        href = a.get("href", "")
        if href.startswith("#") or "://" in href or href.startswith("mailto:"):
            return
        path, _, anchor = href.partition("#")
        tree_path = self._resolve(path)
        target = self.targets.get(tree_path)
        words_are_path = bool(SOURCE_PATH.match("".join(a.itertext()).strip()))
        if target is not None:
            a.set("href", posixpath.relpath(target, here) + ("#" + anchor if anchor else ""))
            if words_are_path and tree_path in self.titles:
                for grandchild in list(a):
                    a.remove(grandchild)
                a.text = self.titles[tree_path]
            return
        # Dead on the user's disk: keep the words, drop the link; words that are a path
        # go with it.
        span = etree.Element("span")
        span.tail = a.tail
        if not words_are_path:
            span.text = a.text
            for grandchild in list(a):
                span.append(grandchild)
        parent.remove(a)
        parent.insert(index, span)

    def _picture(self, img, here):
        src = img.get("src", "")
        if "://" in src:
            return
        tree_path = self._resolve(src)
        release_path = posixpath.join(here, posixpath.basename(tree_path))
        self.pictures[tree_path] = release_path
        img.set("src", posixpath.basename(tree_path))


class _Links(Extension):
    def __init__(self, source, targets, titles, pictures):
        super().__init__()
        self.args = (source, targets, titles, pictures)

    def extendMarkdown(self, md):
        md.treeprocessors.register(_LinkRewriter(md, *self.args), "kw_links", 0)


def render(text, source, targets, titles, pictures, language="en"):
    """HTML page for the Markdown text of `source`; `targets` maps every page the release
    carries (tree path) to its place in the release, `titles` the guides among them to
    their titles; pictures shown are added to `pictures`."""
    md = markdown.Markdown(
        extensions=["tables", "fenced_code", "toc", "sane_lists", _Links(source, targets, titles, pictures)],
        extension_configs={"toc": {"slugify": slugify_unicode}},
    )
    body = md.convert(text)
    return (
        "<!DOCTYPE html>\n"
        f'<html lang="{language}">\n<head>\n<meta charset="utf-8">\n'
        f"<title>{html.escape(title(text, source))}</title>\n<style>{STYLE}</style>\n</head>\n"
        f"<body>\n{body}\n</body>\n</html>\n"
    )
