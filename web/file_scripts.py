#!/usr/bin/env python3
"""The page's fetched files again as classic scripts, for the page opened from a file
(file://: the Windows zip's playground folder, double-clicked), where browsers refuse
fetch() and a worker started by its URL:

  examples.js     sets self.kwExamples to what examples.json holds;
  engine-file.js  sets self.kwEngineSource to the whole text of the engine's worker:
                  the engine, engine-api.js and engine-worker.js, in that order (the
                  engine first, so that no 'use strict' of the others covers it); the
                  page starts its worker from that text through a blob: URL. That
                  worker has no fetch(): the engine would fetch its own WebAssembly from
                  a data: URL before decoding it, which the page's policy (a blob:
                  worker inherits it) refuses, with an error in the console.

Usage: file_scripts.py SITE
"""
import json
import pathlib
import sys

WORKER_PARTS = ('kwartlin-engine.js', 'engine-api.js', 'engine-worker.js')


def as_script(name, value):
    # ASCII only: the script means the same whatever charset the browser guesses for it.
    return f'self.{name} = {json.dumps(value, ensure_ascii=True)};\n'


def main():
    site = pathlib.Path(sys.argv[1])
    examples = json.loads((site / 'examples.json').read_text(encoding='utf-8'))
    (site / 'examples.js').write_text(as_script('kwExamples', examples), encoding='ascii')
    worker = ';\n'.join(['self.fetch = undefined'] + [(site / part).read_text(encoding='utf-8')
                                                    for part in WORKER_PARTS])
    (site / 'engine-file.js').write_text(as_script('kwEngineSource', worker), encoding='ascii')


if __name__ == '__main__':
    main()
