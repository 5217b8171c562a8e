#!/usr/bin/python3
"""The release test: the Windows zip used as the install guide tells a user to use it.

Under Wine, in a fresh prefix: the zip is unpacked, its kwartlin.tpl copied into the
plugins folder of a messenger's program folder (C:\\Program Files\\Tlen\\plugins), and
the stand-in messenger (kwartlin-messenger.exe, on the test host) loads it from there
in place, as the messenger does at start. Then:
  - the data folder appears where the guide says (plugins\\Kwartlin) once it closes;
  - an example's Kwartlin folder copied there is what the plugin runs;
  - kwartlin-sim.exe from the zip replays every example's transcript against the
    zipped module and matches its expected output;
  - the zipped checker finds nothing in any bundled script or spam list;
  - every link between the zip's pages reaches a page or heading inside the zip;
  - the user pages are there in English and Polish, each linking to its twin, and no
    page carries a developer's command, a source path or a folder of the build machine;
  - the playground opens from the unpacked folder (file://, in headless Chromium, as a
    user double-clicks index.html) and answers a message;
  - the same sources, copied elsewhere and built afresh in another folder, give the
    same zip byte for byte, and neither program holds a path of the build machine.
Prints one line per check and "N passed, N failed"; exits 1 when any failed.

  test_release.py --dist DIST --messenger EXE --work FOLDER [--no-rebuild]
"""
import argparse
import html.parser
import os
import pathlib
import posixpath
import re
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_release  # noqa: E402
import markdown_pages  # noqa: E402

sys.path.insert(0, str(make_release.ROOT / "web"))
import test_page  # noqa: E402  (drives Debian's chromium as the page's tests do)

ROOT = make_release.ROOT
results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(("ok    " if ok else "FAIL  ") + name + ("" if ok or not detail else "\n      " + detail.replace("\n", "\n      ")))
    sys.stdout.flush()


class Wine:
    """A fresh 32-bit prefix, with the same settings as the Windows test stage."""

    def __init__(self, prefix):
        shutil.rmtree(prefix, ignore_errors=True)
        self.env = dict(os.environ, WINEPREFIX=str(prefix), WINEARCH="win32", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="pl_PL.UTF-8")
        self.drive_c = pathlib.Path(prefix) / "drive_c"
        subprocess.run(["wineboot", "-i"], env=self.env, capture_output=True, timeout=300)

    def run(self, args, cwd=None):
        return subprocess.run(["wine"] + [str(a) for a in args], env=self.env, cwd=cwd,
                              capture_output=True, timeout=300)

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)


def text(result):
    return (result.stdout + result.stderr).decode("utf-8", "replace").replace("\r\n", "\n")


def check_install(wine, unpacked, messenger):
    plugins = wine.drive_c / "Program Files" / "Tlen" / "plugins"
    plugins.mkdir(parents=True)
    shutil.copy(unpacked / "kwartlin.tpl", plugins / "kwartlin.tpl")
    module = r"C:\Program Files\Tlen\plugins\kwartlin.tpl"
    release = unpacked.name.split("-", 1)[1]

    first = wine.run([messenger, module, "ania@tlen.pl", "ping"])
    out = text(first)
    check("the messenger loads plugins\\kwartlin.tpl in place and reads its version",
          first.returncode == 0 and f"plugin Kwartlin {release}\n" in out and "closed" in out, out)
    check("without a script a message passes",
          'recv ania@tlen.pl "ping": passed' in out and "sent " not in out, out)
    data = plugins / "Kwartlin"
    check("closing the messenger makes plugins\\Kwartlin\\Kwartlin.ini",
          (data / "Kwartlin.ini").is_file(), str(sorted(p.name for p in plugins.rglob("*"))))

    # An example installed as the guide says: its Kwartlin folder merged into plugins.
    shutil.copytree(unpacked / "examples" / "ping-pong" / "Kwartlin", data, dirs_exist_ok=True)
    second = wine.run([messenger, module, "ania@tlen.pl", "ping"])
    out = text(second)
    check("the example copied into plugins\\Kwartlin runs after a restart",
          'recv ania@tlen.pl "ping": blocked' in out and 'sent ania@tlen.pl "pong"' in out, out)


def check_simulator(wine, unpacked):
    release = unpacked.name.split("-", 1)[1]
    version = wine.run(["kwartlin-sim.exe", "--version"], cwd=unpacked)
    check("kwartlin-sim.exe --version names the release",
          text(version).strip() == f"kwartlin-sim {release}", text(version))
    for example in sorted((unpacked / "examples").iterdir()):
        name = example.name
        # The golden transcripts are English; the prefix speaks Polish.
        run = wine.run(["kwartlin-sim.exe", "--lang", "en", "run", "--color", "never",
                        "--plugins-from", f"examples\\{name}",
                        "--expect", f"examples\\{name}\\expected.txt",
                        f"examples\\{name}\\transcript.txt"], cwd=unpacked)
        check(f"the zipped simulator and module replay examples\\{name}", run.returncode == 0,
              text(run)[-2000:])
    files = sorted(str(p.relative_to(unpacked)).replace("/", "\\")
                   for p in (unpacked / "examples").rglob("*") if p.suffix in (".dat", ".spm"))
    checked = wine.run(["kwartlin-sim.exe", "--lang", "en", "check"] + files, cwd=unpacked)
    said = text(checked).splitlines()
    check(f"the zipped checker finds nothing in the {len(files)} bundled scripts and spam lists",
          checked.returncode == 0 and said == [f"{f}: no findings" for f in files], "\n".join(said))


class _Links(html.parser.HTMLParser):
    """A page's ids, its references to files, the words of its links and its words."""

    def __init__(self):
        super().__init__()
        self.ids, self.refs, self.link_words, self.words = set(), [], [], []
        self._in_link = self._hidden = 0

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.add(attrs["id"])
        for key in ("href", "src"):
            ref = attrs.get(key)
            if ref and "://" not in ref and not ref.startswith(("mailto:", "data:")):
                self.refs.append(ref)
        if tag == "a":
            self._in_link += 1
            self.link_words.append("")
        self._hidden += tag in ("style", "script")

    def handle_endtag(self, tag):
        self._in_link -= tag == "a" and self._in_link > 0
        self._hidden -= tag in ("style", "script") and self._hidden > 0

    def handle_data(self, data):
        if self._hidden:
            return
        self.words.append(data)
        if self._in_link:
            self.link_words[-1] += data


def read_pages(unpacked):
    pages = {}
    for page in unpacked.rglob("*.html"):
        parser = _Links()
        parser.feed(page.read_text(encoding="utf-8"))
        pages[page.relative_to(unpacked).as_posix()] = parser
    return pages


def check_pages(unpacked):
    pages = read_pages(unpacked)
    dead = []
    for name, parser in pages.items():
        for ref in parser.refs:
            path, _, anchor = ref.partition("#")
            target = posixpath.normpath(posixpath.join(posixpath.dirname(name), path)) if path else name
            if not (unpacked / target).is_file() or (anchor and anchor not in pages.get(target, _Links()).ids):
                dead.append(f"{name}: {ref}")
    check(f"every link of the {len(pages)} pages reaches the zip", not dead, "\n".join(dead))
    check_user_pages(unpacked, pages)


# What belongs to the repository's developers, never to a page a Windows user reads.
DEVELOPER_MATTER = re.compile(
    r"\./run-|\bDebian\b|\bapt(-get)?\s|\bcmake\b|\bctest\b|--target\b|records\.h|"
    r"\b(support|script|check|settings|options|host|tools|tests|web|cmake|fuzz|bench)/[\w./-]*\.(h|cpp|py|sh|md|js)\b",
    re.IGNORECASE)


def check_user_pages(unpacked, pages):
    missing, unlinked, developer = [], [], []
    for *_, english, polish in make_release.USER_PAGES:
        twins = [(english, polish), (polish, english)] if polish else [(english, None)]
        for page, twin in twins:
            if page not in pages:
                missing.append(page)
                continue
            linked = {posixpath.normpath(posixpath.join(posixpath.dirname(page), ref.partition("#")[0]))
                      for ref in pages[page].refs}
            if twin and twin not in linked:
                unlinked.append(f"{page} does not link to {twin}")
    for name, parser in sorted(pages.items()):
        said = " ".join(parser.words)
        developer += [f"{name}: {m.group(0)!r}" for m in DEVELOPER_MATTER.finditer(said)]
        developer += [f"{name}: link {w!r}" for w in parser.link_words
                      if markdown_pages.SOURCE_PATH.match(w.strip())]
    check(f"the zip holds the {len(make_release.user_pages())} user pages in both languages, each linked to its twin",
          not missing and not unlinked, "\n".join(["missing " + m for m in missing] + unlinked))
    check("no page carries a developer's command or a source path", not developer, "\n".join(developer))
    said = (unpacked / "licenses" / "README.txt").read_text()
    folders = re.findall(r"(?:/usr/|/home/|/work/|/tmp/|[A-Z]:\\)\S*", said)
    named = [line.split()[0] for line in said.splitlines() if line.startswith("  ")]
    absent = [name for name in named if not (unpacked / "licenses" / name).is_file()]
    check("licenses\\README.txt names no folder of the build machine, and every licence it names is there",
          not folders and not absent, "\n".join(folders + ["missing " + name for name in absent]))


def waited(condition, seconds):
    """The condition's value once it holds; None when it did not within the time."""
    try:
        return test_page.wait_for(condition, "the page", timeout=seconds)
    except AssertionError:
        return None


def check_playground(unpacked):
    """index.html opened from the unpacked folder, as a double-click opens it: its engine
    loads, the ping-pong example answers "ping", and the page keeps to its policy."""
    page = (unpacked / make_release.PLAYGROUND[1]).as_uri()
    profile = unpacked.parent / "chromium-profile"
    browser = test_page.start_browser("pl-PL,pl", str(profile))
    try:
        browser.get(page)
        state = waited(lambda: browser.execute_script(
            "const d = document.body.dataset; return d.ready ? 'ready' : d.failed ? 'failed' : null"), 120)
        said = browser.execute_script("return document.getElementById('state').textContent")
        check("the playground opens from the unpacked folder (file://)", state == "ready", said)
        if state != "ready":
            return
        browser.execute_script("document.getElementById('message-text').value = 'ping';"
                               "document.getElementById('receive').click();")
        answered = waited(lambda: browser.execute_script(
            "return [...document.querySelectorAll('#activity li')].some((l) => l.dataset.kind === 'sent'"
            " && l.textContent.includes('pong'))"), 60)
        blocked = [e["message"] for e in browser.get_log("browser")
                   if "Content Security Policy" in e["message"] or e["level"] == "SEVERE"]
        check("the playground from file:// answers ping with pong, with no error in its console",
              answered and not blocked, "\n".join(blocked))
    finally:
        browser.quit()
        shutil.rmtree(profile, ignore_errors=True)


def check_rebuild(zip_path, work):
    """The tree as it stands (tracked and new files), copied elsewhere, built afresh."""
    # The build folder inside the copy, as build/ is inside the tree: the compiler cache,
    # which names files relative to the build folder, then knows every object.
    source, dist = work / "source", work / "dist"
    build = source / "build"
    shutil.rmtree(work, ignore_errors=True)
    listed = subprocess.run(["git", "-C", str(ROOT), "ls-files", "-z", "--cached", "--others",
                             "--exclude-standard"], capture_output=True, check=True).stdout
    for name in filter(None, listed.decode().split("\0")):
        if (ROOT / name).is_file():
            (source / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(ROOT / name, source / name)
    env = dict(os.environ, KW_BUILD=str(build), KW_DIST=str(dist))
    env.setdefault("SOURCE_DATE_EPOCH", subprocess.run(
        ["git", "-C", str(ROOT), "log", "-1", "--format=%ct"], capture_output=True, text=True).stdout.strip())
    made = subprocess.run([str(source / "run-release"), "win32"], env=env, capture_output=True)
    again = dist / zip_path.name
    same = made.returncode == 0 and again.is_file() and again.read_bytes() == zip_path.read_bytes()
    check("a fresh build elsewhere gives the same zip, byte for byte", same,
          text(made)[-2000:] if made.returncode else f"{again} differs from {zip_path}")
    with zipfile.ZipFile(zip_path) as z:
        programs = [n for n in z.namelist() if n.endswith((".tpl", ".exe"))]
        leaks = [n for n in programs for place in (str(ROOT), str(work), str(build))
                 if place.encode() in z.read(n)]
    check("no path of the build machine in " + " or ".join(p.split("/")[-1] for p in programs),
          not leaks, "\n".join(leaks))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dist", required=True, type=pathlib.Path)
    parser.add_argument("--messenger", required=True)
    parser.add_argument("--work", required=True, type=pathlib.Path)
    parser.add_argument("--no-rebuild", action="store_true")
    args = parser.parse_args()
    zip_path = (args.dist / f"kwartlin-{make_release.version()[0]}-win32.zip").resolve()
    work = args.work.resolve()

    unpack_to = work / "wineprefix" / "drive_c" / "unpacked"
    wine = Wine(work / "wineprefix")
    try:
        with zipfile.ZipFile(zip_path) as z:
            z.extractall(unpack_to)
        (unpacked,) = list(unpack_to.iterdir())
        check_install(wine, unpacked, args.messenger)
        check_simulator(wine, unpacked)
        check_pages(unpacked)
        check_playground(unpacked)
    finally:
        wine.close()
    if not args.no_rebuild:
        check_rebuild(zip_path, work / "rebuild")
    print(f"{results.count(True)} passed, {results.count(False)} failed")
    sys.exit(0 if all(results) else 1)


if __name__ == "__main__":
    main()
