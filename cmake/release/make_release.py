#!/usr/bin/python3
"""Packs a Kwartlin release: the Windows zip (the stripped module, the Windows simulator,
the examples as data folders, the user guides in English and Polish as HTML pages, the
change log, the playground that opens from the unpacked folder, the licence texts) or
the playground's zip (the static site as built). Prints the zip's path.

  make_release.py win32 --module M --sim S --site FOLDER --out DIST
  make_release.py playground --site FOLDER --out DIST

The version comes from support/kwartlin_version.h, the one place that sets it for the
module, the simulator and the page, and so names the zips.

Two runs over the same inputs give the same bytes: entries in name order, every entry
dated with the last commit's time (or SOURCE_DATE_EPOCH), fixed permissions, one
compression level. Everything goes under one top folder, kwartlin-VERSION/, so
unpacking never scatters files.
"""
import argparse
import hashlib
import os
import pathlib
import posixpath
import re
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import markdown_pages  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parents[2]

# The pages a Windows user reads, the one list of them: each in English and in Polish
# (the first line of each links to its twin), as the tree holds it and as the zip does.
# The developer pages (README.md, docs/simulator.md, docs/hardening.md, ...) stay in the
# repository. The change log is kept in English only.
USER_PAGES = (
    # English source              Polish source                   English page                  Polish page
    ("docs/install-windows.en.md", "docs/install-windows.pl.md", "install-en.html", "instalacja-pl.html"),
    ("docs/script-language.md", "docs/script-language.pl.md", "docs/script-language.html", "docs/script-language.pl.html"),
    ("docs/spam-list.md", "docs/spam-list.pl.md", "docs/spam-list.html", "docs/spam-list.pl.html"),
    ("docs/checker.md", "docs/checker.pl.md", "docs/checker.html", "docs/checker.pl.html"),
    ("docs/trace.md", "docs/trace.pl.md", "docs/trace.html", "docs/trace.pl.html"),
    ("docs/simulator-windows.md", "docs/simulator-windows.pl.md", "docs/simulator-windows.html", "docs/simulator-windows.pl.html"),
    ("CHANGELOG.md", None, "CHANGELOG.html", None),
)

# The playground's page in the tree and in the zip: the guides link to it, and it opens
# from the unpacked folder (the site as cmake/web-build.sh builds it, which reads what it
# would fetch from classic scripts when opened from a file).
PLAYGROUND = ("web/index.html", "playground/index.html")


def user_pages():
    """Tree path -> (page in the release, language), for every user page."""
    pages = {}
    for english, polish, english_page, polish_page in USER_PAGES:
        pages[english] = (english_page, "en")
        if polish:
            pages[polish] = (polish_page, "pl")
    return pages


# The licences of what the Windows zip holds besides the project's own code: the MinGW
# runtime linked statically into both programs (libstdc++ and libgcc under the GCC
# Runtime Library Exception; the mingw-w64 C runtime and winpthreads), taken from the
# very packages that supplied the linked code, and the playground's own: name in the
# zip -> (Debian package, its file).
LICENCES = {
    "licenses/gcc-mingw-w64.txt": ("gcc-mingw-w64-base", "/usr/share/doc/gcc-mingw-w64-base/copyright"),
    "licenses/mingw-w64.txt": ("mingw-w64-i686-dev", "/usr/share/doc/mingw-w64-i686-dev/copyright"),
    "licenses/GPL-3.txt": ("base-files", "/usr/share/common-licenses/GPL-3"),
}
PLAYGROUND_LICENCES = {
    "licenses/emscripten.txt": ("emscripten", "/usr/share/doc/emscripten/copyright"),
}
# The licences of the npm packages in the playground's editor, as the web build writes
# them into the site.
EDITOR_LICENCES = "editor-licenses.txt"

# The data files the plugin reads from its folder; anything else in an example's folder
# belongs to its transcript and stays beside it.
DATA_FILES = ("Kwartlin.dat", "Kwartlin.spm", "Kwartlin.ini")


def version():
    header = (ROOT / "support/kwartlin_version.h").read_text()
    fields = dict(re.findall(r"#define (KW_[A-Z_]+) (.+)", header))
    parts = [fields[f"KW_VERSION_{p}"] for p in ("MAJOR", "MINOR", "RELEASE", "BUILD")]
    text = fields["KW_VERSION_TEXT"].strip('"')
    if text != ".".join(parts):
        sys.exit(f"kwartlin_version.h: KW_VERSION_TEXT {text} is not {'.'.join(parts)}")
    return text, fields["KW_LEGAL_COPYRIGHT"].strip('"')


def release_time():
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        try:
            epoch = subprocess.run(["git", "-C", str(ROOT), "log", "-1", "--format=%ct"],
                                   capture_output=True, text=True, check=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            epoch = ""
    # A zip cannot date anything before 1980.
    stamp = max(int(epoch or 315532800), 315532800)
    return time.gmtime(stamp)[:6]


def write_zip(path, top, entries, when):
    """entries: release path -> bytes. Folders are listed too, each once."""
    folders = {top + "/"}
    for name in entries:
        parts = name.split("/")[:-1]
        for i in range(1, len(parts) + 1):
            folders.add(top + "/" + "/".join(parts[:i]) + "/")
    items = [(f, None) for f in folders] + [(f"{top}/{n}", data) for n, data in entries.items()]
    tmp = path.with_suffix(".tmp")
    with zipfile.ZipFile(tmp, "w") as z:
        for name, data in sorted(items, key=lambda item: item[0]):
            info = zipfile.ZipInfo(name, date_time=when)
            info.create_system = 3
            if data is None:
                info.external_attr = (0o40755 << 16) | 0x10
                z.writestr(info, b"")
            else:
                info.external_attr = 0o644 << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                z.writestr(info, data, compresslevel=9)
    tmp.replace(path)
    digest = hashlib.sha256(path.read_bytes()).hexdigest()
    path.with_name(path.name + ".sha256").write_text(f"{digest}  {path.name}\n")
    return path


def example_entries():
    """Each example as the user copies it: its data files in a Kwartlin folder, the
    transcript, its expected output and the files it reads beside that folder."""
    entries = {}
    for folder in sorted((ROOT / "examples").iterdir()):
        if not folder.is_dir():
            continue
        for f in sorted(folder.iterdir()):
            data = f.read_bytes()
            if f.name in DATA_FILES:
                lines = data.split(b"\n")
                if data and (not data.endswith(b"\r\n") or any(not l.endswith(b"\r") for l in lines[:-1])):
                    sys.exit(f"{f}: the plugin's files are CR LF text")
                entries[f"examples/{folder.name}/Kwartlin/{f.name}"] = data
            else:
                entries[f"examples/{folder.name}/{f.name}"] = data
    return entries


def guide_entries():
    pages = user_pages()
    targets = {tree: page for tree, (page, _) in pages.items()}
    targets[PLAYGROUND[0]] = PLAYGROUND[1]
    titles = {tree: markdown_pages.title(read_page(tree), tree) for tree in pages}
    entries, pictures = {}, {}
    for tree, (page, language) in pages.items():
        entries[page] = markdown_pages.render(read_page(tree), tree, targets, titles, pictures,
                                              language).encode()
    for tree, page in pictures.items():
        entries[page] = (ROOT / tree).read_bytes()
    return entries


def read_page(tree):
    path = ROOT / tree
    if not path.is_file():
        sys.exit(f"{tree}: a user page of the release is missing")
    return path.read_text(encoding="utf-8")


def site_entries(site, under=""):
    site = pathlib.Path(site)
    return {under + f.relative_to(site).as_posix(): f.read_bytes()
            for f in site.rglob("*") if f.is_file()}


def licence_entries(licences, notice, release, editor):
    """The licence texts, and a README naming each one's Debian package (never a folder
    of the machine that made the release) and where the playground's editor keeps the
    licences of its npm packages (`editor`, a path in the zip)."""
    entries = {name: pathlib.Path(source).read_bytes() for name, (_, source) in licences.items()}
    lines = [f"Kwartlin {release}: {notice}", "", "Third-party parts of this release and their licences:"]
    lines += [f"  {name.split('/', 1)[1]}  (from Debian's package {package})"
              for name, (package, _) in sorted(licences.items())]
    lines += [f"  {editor}  (the playground's code editor: its npm packages)"]
    entries["licenses/README.txt"] = ("\r\n".join(lines) + "\r\n").encode()
    return entries


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kind", choices=["win32", "playground"])
    parser.add_argument("--module")
    parser.add_argument("--sim")
    parser.add_argument("--site")
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    release, notice = version()
    out = pathlib.Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    top = f"kwartlin-{release}"
    if args.kind == "win32":
        entries = {
            "kwartlin.tpl": pathlib.Path(args.module).read_bytes(),
            "kwartlin-sim.exe": pathlib.Path(args.sim).read_bytes(),
        }
        entries.update(example_entries())
        entries.update(guide_entries())
        entries.update(site_entries(args.site, posixpath.dirname(PLAYGROUND[1]) + "/"))
        entries.update(licence_entries({**LICENCES, **PLAYGROUND_LICENCES}, notice, release,
                                       "../" + posixpath.dirname(PLAYGROUND[1]) + "/" + EDITOR_LICENCES))
        path = write_zip(out / f"{top}-win32.zip", top, entries, release_time())
    else:
        entries = site_entries(args.site)
        entries.update(licence_entries(PLAYGROUND_LICENCES, notice, release, "../" + EDITOR_LICENCES))
        path = write_zip(out / f"{top}-playground.zip", f"{top}-playground", entries, release_time())
    print(path)


if __name__ == "__main__":
    main()
