// The engine's thread: the page's UI never waits on a run. Requests come as
// { id, op, args } and are answered as { id, result } or { id, error, crashed }; the
// first message out is { ready, info, menu, language } (or { failed }). A crashed engine (the
// WebAssembly program aborted, for example out of memory) answers every later request
// with crashed set, and the page replaces the whole worker. An answer to what runs the
// plugin carries settings (the bytes of Kwartlin.ini, or null) whenever the file differs
// from the last such answer's: the page keeps them for a fresh worker, since a stuck or
// crashed one cannot hand them over any more. The answer to what runs the page's own
// messenger (start, feed, finish) is followed by { trace }, the trace panel's rows: the
// page shows the answer while they are worded. Each request names the page's language
// (lang), in which the engine words its log and trace; the golden comparison of an
// example is English, as the expected outputs are.
'use strict';
importScripts('engine-api.js', 'kwartlin-engine.js');

let api = null;
let aborted = null;
let lastSettings = null;

function sameBytes(a, b) {
  if (a === null || b === null) return a === b;
  if (a.length !== b.length) return false;
  for (let i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
  return true;
}

// The settings file when it changed since the last answer; undefined when it did not.
function changedSettings() {
  const now = api.settings();
  if (sameBytes(now, lastSettings)) return undefined;
  lastSettings = now;
  return now;
}

// Only these run the plugin, so only they can change its files: the checks and help
// asked for while the user types read no settings file.
const runsPlugin = new Set(['start', 'feed', 'finish', 'run']);
const traced = new Set(['start', 'feed', 'finish']);

const ops = {
  // A fresh messenger; example files, when given, are its data folder's first files.
  start({ folder, files }) {
    if (folder && files) api.writeFolder(folder, files);
    return api.start(folder || '', folder || '');
  },
  feed: ({ commands }) => api.feed(commands),
  finish: () => api.finish(),
  files: () => api.files(),
  check: ({ text, spam }) => api.check(text, spam),
  help: ({ line }) => api.help(line),
  readFolder: ({ folder, names }) => api.readFolder(folder, names),
  // A transcript in a session of its own, compared with the expected output.
  run({ transcript, folder, files, expected }) {
    if (folder && files) api.writeFolder(folder, files);
    if (expected) api.setTextLanguage('en');
    return api.run(transcript, folder || '', folder || '', expected ? folder + '/' + expected : '');
  },
};

const engine = KwartlinEngine({
  print: () => {},
  printErr: () => {},
  onAbort: (what) => {
    aborted = String(what);
  },
});

engine.then(
  (M) => {
    api = makeEngineApi(M);
    postMessage({ ready: true, info: api.info(), menu: api.menu(), language: api.language() });
  },
  (error) => postMessage({ failed: String(error) }),
);

onmessage = (event) => {
  const { id, op, args, lang } = event.data;
  if (!api || aborted !== null) {
    postMessage({ id, error: aborted || 'the engine is not ready', crashed: aborted !== null });
    return;
  }
  const started = performance.now();
  try {
    api.setTextLanguage(lang || 'en');
    const result = ops[op](args || {});
    const ms = performance.now() - started;
    postMessage({ id, result, ms, settings: runsPlugin.has(op) ? changedSettings() : undefined });
    if (traced.has(op)) postMessage({ trace: api.trace() });
  } catch (error) {
    postMessage({ id, error: String(error), crashed: aborted !== null || error instanceof WebAssembly.RuntimeError });
  }
};
