// The engine's C functions as JavaScript calls, shared by the page's worker and the
// tests under node. Texts go in through the engine's heap rather than its stack: a pasted
// script may be far larger than the stack. Every answer is the engine's JSON, parsed.
'use strict';

function makeEngineApi(M) {
  function withText(texts, body) {
    const pointers = texts.map((text) => {
      const size = M.lengthBytesUTF8(text) + 1;
      const p = M._malloc(size);
      if (!p) throw new Error('the engine is out of memory');
      M.stringToUTF8(text, p, size);
      return p;
    });
    try {
      return body(...pointers);
    } finally {
      pointers.forEach((p) => M._free(p));
    }
  }
  const answer = (p) => JSON.parse(M.UTF8ToString(p));
  const call = (name, texts, numbers = []) =>
    withText(texts, (...p) => answer(M['_' + name](...p, ...numbers)));

  // Writes files into the engine's file system: { 'name': Uint8Array or text }.
  function writeFolder(folder, files) {
    M.FS.mkdirTree(folder);
    for (const [name, bytes] of Object.entries(files)) M.FS.writeFile(folder + '/' + name, bytes);
  }

  return {
    info: () => call('kwp_info', []),
    start: (pluginsFrom = '', baseDir = '') => call('kwp_start', [pluginsFrom, baseDir]),
    feed: (commands) => call('kwp_feed', [commands]),
    finish: () => call('kwp_finish', []),
    check: (text, spam) => call('kwp_check', [text], [spam ? 1 : 0]),
    help: (line) => call('kwp_help', [line]),
    menu: () => call('kwp_menu', []),
    run: (transcript, pluginsFrom = '', baseDir = '', expected = '') =>
      call('kwp_run', [transcript, pluginsFrom, baseDir, expected]),
    files: () => call('kwp_files', []),
    writeFolder,
  };
}

if (typeof module !== 'undefined') module.exports = makeEngineApi;
