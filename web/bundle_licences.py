#!/usr/bin/env python3
"""The licences of the npm packages bundled into the page's editor-bundle.js, as one
text beside it: the packages are those esbuild's metafile names as inputs, each with
its version and its own licence file.

Usage: bundle_licences.py METAFILE NODE_MODULES OUTPUT
"""
import json
import pathlib
import re
import sys

PACKAGE = re.compile(r'node_modules/((?:@[^/]+/)?[^/]+)/')


def main():
    meta, modules, output = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
    inputs = json.loads(pathlib.Path(meta).read_text(encoding='utf-8'))['inputs']
    names = sorted({m.group(1) for name in inputs for m in [PACKAGE.search(name)] if m})
    parts = ['The code editor of this page (editor-bundle.js) holds these packages from the npm\n'
             'registry, each under its licence below.\n']
    for name in names:
        folder = modules / name
        version = json.loads((folder / 'package.json').read_text(encoding='utf-8'))['version']
        licences = sorted(p for p in folder.iterdir() if p.name.upper().startswith(('LICENSE', 'LICENCE', 'COPYING')))
        if not licences:
            sys.exit(f'{name}: no licence file')
        parts.append(f'\n==== {name} {version} ====\n\n' + licences[0].read_text(encoding='utf-8').strip() + '\n')
    output.write_text(''.join(parts).replace('\r\n', '\n').replace('\n', '\r\n'), encoding='utf-8')


if __name__ == '__main__':
    main()
