// The engine's C functions as JavaScript calls, shared by the page's worker and the
// tests under node. Texts go in through the engine's heap rather than its stack: a pasted
// script may be far larger than the stack. Every answer is the engine's JSON, parsed.
'use strict';

function makeEngineApi(M) {
  // Each text as its UTF-8 bytes' address and count: a zero character stays in the text.
  function withText(texts, body) {
    const pointers = [];
    const args = [];
    try {
      for (const text of texts) {
        const length = M.lengthBytesUTF8(text);
        const p = M._malloc(length + 1);
        if (!p) throw new Error('the engine is out of memory');
        pointers.push(p);
        M.stringToUTF8(text, p, length + 1);
        args.push(p, length);
      }
      return body(...args);
    } finally {
      pointers.forEach((p) => M._free(p));
    }
  }
  const answer = (p) => JSON.parse(M.UTF8ToString(p));
  const call = (name, texts, numbers = []) =>
    withText(texts, (...args) => answer(M['_' + name](...args, ...numbers)));

  // Writes files into the engine's file system: { 'name': Uint8Array or text }.
  function writeFolder(folder, files) {
    M.FS.mkdirTree(folder);
    for (const [name, bytes] of Object.entries(files)) M.FS.writeFile(folder + '/' + name, bytes);
  }

  // The bytes of the files in a folder of the engine's file system, by name; a missing
  // file is left out.
  function readFolder(folder, names) {
    const files = {};
    for (const name of names) {
      try {
        files[name] = M.FS.readFile(folder + '/' + name);
      } catch (e) {
        // no such file
      }
    }
    return files;
  }

  return {
    info: () => call('kwp_info', []),
    start: (pluginsFrom = '', baseDir = '') => call('kwp_start', [pluginsFrom, baseDir]),
    feed: (commands) => call('kwp_feed', [commands]),
    // The trace panel's rows for what ran since the last call; null: no trace.
    trace: () => call('kwp_trace', []).trace,
    finish: () => call('kwp_finish', []),
    check: (text, spam) => call('kwp_check', [text], [spam ? 1 : 0]),
    help: (line) => call('kwp_help', [line]),
    menu: () => call('kwp_menu', []),
    language: () => call('kwp_language', []),
    // The language of the engine's own texts from here on: 'pl' or 'en'.
    setTextLanguage: (name) => call('kwp_set_text_language', [name]),
    run: (transcript, pluginsFrom = '', baseDir = '', expected = '') =>
      call('kwp_run', [transcript, pluginsFrom, baseDir, expected]),
    files: () => call('kwp_files', []),
    // The running messenger's settings file as bytes; null when there is none.
    settings() {
      const { path } = call('kwp_settings_path', []);
      if (!path || !M.FS.analyzePath(path).exists) return null;
      return M.FS.readFile(path);
    },
    writeFolder,
    readFolder,
  };
}

if (typeof module !== 'undefined') module.exports = makeEngineApi;
