#!/usr/bin/env python3
"""Bundles the examples for the playground: every file of every examples/ folder, as
its bytes (base64, written into the engine's file system as they are) and as text for
the page's editors (the plugin's data files are Windows-1250, the rest UTF-8).

Usage: bundle_examples.py EXAMPLES_DIR OUTPUT.json
"""
import base64
import json
import os
import sys

DATA_FILES = ('.dat', '.spm', '.ini')


def as_text(name, data):
    # Lines as an editor holds them: LF only.
    if name.lower().endswith(DATA_FILES):
        text = data.decode('cp1250', errors='replace')
    else:
        text = data.decode('utf-8', errors='replace')
    return text.replace('\r\n', '\n')


def main():
    root, output = sys.argv[1], sys.argv[2]
    examples = []
    for name in sorted(os.listdir(root)):
        folder = os.path.join(root, name)
        if not os.path.isdir(folder):
            continue
        files = {}
        for file in sorted(os.listdir(folder)):
            path = os.path.join(folder, file)
            if os.path.isfile(path):
                with open(path, 'rb') as f:
                    data = f.read()
                files[file] = {'base64': base64.b64encode(data).decode('ascii'),
                               'text': as_text(file, data)}
        if 'transcript.txt' in files:
            examples.append({'name': name, 'files': files})
    with open(output, 'w', encoding='utf-8') as f:
        json.dump(examples, f, ensure_ascii=False)


if __name__ == '__main__':
    main()
