"""Turns the project's Markdown guides into HTML pages that open in any browser on
Windows, with no tool installed: one self-contained file each (UTF-8, styles inline).

Links keep working inside the release: a link to another guide that the release
carries points at its page, an anchor keeps its heading (headings get the same ids as
on the project's web pages: lower case, blanks as hyphens), a picture that the release
carries is copied beside the page that shows it. A link to a file the release does not
carry would be dead on the user's disk, so it is left as its plain text.

The converter is Debian's python3-markdown, kept to its standard extensions so that a
page comes out the same wherever it is built.
"""
import html
import posixpath
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


class _LinkRewriter(Treeprocessor):
    def __init__(self, md, source, targets, pictures):
        super().__init__(md)
        self.source = source      # the page's Markdown path in the source tree
        self.targets = targets    # Markdown path in the tree -> page path in the release
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
        target = self.targets.get(self._resolve(path))
        if target is not None:
            a.set("href", posixpath.relpath(target, here) + ("#" + anchor if anchor else ""))
            return
        # Dead on the user's disk: keep the words, drop the link.
        span = etree.Element("span")
        span.text, span.tail = a.text, a.tail
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
    def __init__(self, source, targets, pictures):
        super().__init__()
        self.args = (source, targets, pictures)

    def extendMarkdown(self, md):
        md.treeprocessors.register(_LinkRewriter(md, *self.args), "kw_links", 0)


def render(text, source, targets, pictures, language="en"):
    """HTML page for the Markdown text of `source`; `targets` maps every guide the release
    carries (tree path) to its page (release path); pictures shown are added to
    `pictures`."""
    md = markdown.Markdown(
        extensions=["tables", "fenced_code", "toc", "sane_lists", _Links(source, targets, pictures)],
        extension_configs={"toc": {"slugify": slugify_unicode}},
    )
    body = md.convert(text)
    title = next((line.lstrip("# ").strip() for line in text.splitlines() if line.startswith("# ")),
                 posixpath.basename(source))
    return (
        "<!DOCTYPE html>\n"
        f'<html lang="{language}">\n<head>\n<meta charset="utf-8">\n'
        f"<title>{html.escape(title)}</title>\n<style>{STYLE}</style>\n</head>\n"
        f"<body>\n{body}\n</body>\n</html>\n"
    )
