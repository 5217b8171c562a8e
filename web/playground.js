// The playground page. Every result on it is the engine's: the page turns what the user
// does into the simulator's command lines, sends them to the engine's worker and shows
// the simulator's answer (its text output in the log, its JSON events in the panels).
// Nothing of the script language is known here.
'use strict';

const $ = (id) => document.getElementById(id);
const STATUS_NAMES = ['', 'offline', 'online', 'chat', 'dnd', 'away', 'xa', 'invisible'];
// The contact flags by the names the simulator's "contact" command takes.
const FLAGS = [['online', 1], ['offline', 2], ['waitauth', 4], ['notauth', 8], ['phone', 16],
  ['notinlist', 32], ['blocked', 65536]];
const PROTOCOLS = ['TLEN', 'GG'];
// What one log chunk or value shows: a 10 MB message stays readable and cheap.
const MAX_SHOWN = 20000;
// A request running longer than this offers the Stop button.
const STOP_AFTER_MS = 400;

// Measurements for the tests and the README (window.kwPlayground).
const measures = { readyMs: null, lastRoundTripMs: null, lastEngineMs: null };
window.kwPlayground = measures;

// ---- The engine's worker -----------------------------------------------------------

const engine = {
  worker: null,
  pending: new Map(),
  nextId: 1,
  info: null,
  menu: null,
  busySince: null,

  launch() {
    this.worker = new Worker('engine-worker.js');
    return new Promise((resolve, reject) => {
      this.worker.onmessage = (event) => {
        const m = event.data;
        if (m.ready) {
          this.info = m.info;
          this.menu = m.menu;
          resolve();
        } else if (m.failed) {
          reject(new Error(m.failed));
        } else {
          this.answer(m);
        }
      };
      this.worker.onerror = (event) => reject(new Error(event.message || 'the engine did not load'));
    });
  },

  answer(m) {
    const request = this.pending.get(m.id);
    if (!request) return;
    this.pending.delete(m.id);
    this.busy();
    if (m.error !== undefined) {
      if (m.crashed) recoverEngine('the engine stopped: ' + m.error);
      request.reject(new Error(m.error));
      return;
    }
    measures.lastRoundTripMs = performance.now() - request.sent;
    measures.lastEngineMs = m.ms;
    request.resolve(m.result);
  },

  request(op, args) {
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, sent: performance.now() });
      this.busy();
      this.worker.postMessage({ id, op, args });
    });
  },

  // Shows whether a request is running, and after a moment the Stop button.
  busy() {
    const running = this.pending.size > 0;
    if (running && this.busySince === null) {
      this.busySince = performance.now();
      setTimeout(() => {
        if (this.busySince !== null && performance.now() - this.busySince >= STOP_AFTER_MS - 5) {
          $('stop').hidden = false;
          setState('running…');
        }
      }, STOP_AFTER_MS);
    } else if (!running) {
      this.busySince = null;
      $('stop').hidden = true;
      setState('ready');
    }
  },

  terminate() {
    if (this.worker) this.worker.terminate();
    this.worker = null;
    for (const request of this.pending.values()) request.reject(new Error('the engine was stopped'));
    this.pending.clear();
    this.busy();
  },
};

function setState(text) {
  $('state').textContent = text;
}

// A fresh worker and a fresh messenger running the files saved last. The old worker
// (stuck in a run, or crashed) is dropped whole.
let recovering = null;
function recoverEngine(reason) {
  if (recovering) return recovering;
  engine.terminate();
  appendLog('\n[page] ' + reason + '\n[page] a fresh engine starts the messenger with the saved files\n', 'note');
  recovering = engine.launch().then(async () => {
    resetMessengerState();
    render(await engine.request('start', {}));
    const saved = { script: editors.script.applied, spam: editors.spam.applied };
    const save = saveCommands(saved, { script: '', spam: '' });
    if (save.commands) render(await engine.request('feed', { commands: save.commands }));
  }).finally(() => {
    recovering = null;
  });
  return recovering;
}

// ---- Editors -------------------------------------------------------------------------

class Editor {
  constructor(root, spam) {
    this.root = root;
    this.spam = spam;
    this.area = root.querySelector('textarea');
    this.gutter = root.querySelector('.gutter');
    this.applied = '';        // the text the running plugin's file was written from
    this.findings = new Map(); // line -> [finding]
    this.lineCount = 1;
    this.checkTicket = 0;
    this.area.addEventListener('scroll', () => this.drawGutter());
    this.area.addEventListener('input', () => this.changed());
    window.addEventListener('resize', () => this.drawGutter());
  }

  get text() {
    return this.area.value;
  }

  set text(value) {
    this.area.value = value;
    this.changed();
  }

  changed() {
    let lines = 1;
    const text = this.area.value;
    for (let i = text.indexOf('\n'); i >= 0; i = text.indexOf('\n', i + 1)) lines++;
    this.lineCount = lines;
    this.drawGutter();
    updateDirty();
    clearTimeout(this.checkTimer);
    this.checkTimer = setTimeout(() => this.check(), 250);
  }

  // The checker's findings, marked on their lines. One check at a time: text typed
  // meanwhile is checked once the running check answers, so a huge text never piles
  // checks up in the engine.
  async check() {
    if (this.checking) {
      this.checkAgain = true;
      return;
    }
    this.checking = true;
    this.checkAgain = false;
    const ticket = ++this.checkTicket;
    let result;
    try {
      result = await engine.request('check', { text: this.area.value, spam: this.spam });
    } catch (e) {
      return;
    } finally {
      this.checking = false;
      if (this.checkAgain) setTimeout(() => this.check(), 0);
    }
    if (ticket !== this.checkTicket || this.checkAgain) return;
    this.findings = new Map();
    for (const f of result.findings) {
      if (!this.findings.has(f.line)) this.findings.set(f.line, []);
      this.findings.get(f.line).push(f);
    }
    this.allFindings = result.findings;
    this.drawGutter();
    if (activeEditor() === this) showFindings();
  }

  // Line numbers of the lines in view only: a 100,000-line paste costs nothing here.
  drawGutter() {
    const style = getComputedStyle(this.area);
    const lineHeight = parseFloat(style.lineHeight) || 18;
    const padding = parseFloat(style.paddingTop) || 0;
    const first = Math.max(0, Math.floor((this.area.scrollTop - padding) / lineHeight));
    const shown = Math.ceil(this.area.clientHeight / lineHeight) + 2;
    const parts = [];
    for (let line = first + 1; line <= Math.min(this.lineCount, first + shown); line++) {
      const found = this.findings.get(line);
      const top = padding + (line - 1) * lineHeight - this.area.scrollTop;
      const title = found ? ' title="' + escapeHtml(found.map((f) => f.kind + ': ' + f.message).join('\n')) + '"' : '';
      parts.push('<div class="' + (found ? 'marked' : '') + '" data-line="' + line + '" style="top:' + top + 'px"' +
        title + '>' + line + '</div>');
    }
    this.gutter.innerHTML = parts.join('');
  }

  // The text of the line the caret is on (from the line's own bounds, not a split).
  caretLine() {
    const text = this.area.value;
    const caret = this.area.selectionStart;
    const start = text.lastIndexOf('\n', caret - 1) + 1;
    let end = text.indexOf('\n', caret);
    if (end < 0) end = text.length;
    return text.slice(start, end);
  }

  goToLine(line) {
    const text = this.area.value;
    let at = 0;
    for (let l = 1; l < line && at >= 0; l++) at = text.indexOf('\n', at) + 1;
    this.area.focus();
    this.area.setSelectionRange(at, at);
    const lineHeight = parseFloat(getComputedStyle(this.area).lineHeight) || 18;
    this.area.scrollTop = Math.max(0, (line - 3) * lineHeight);
    updateHelp();
  }

  // Inserts text at the caret, as the options page's menu does (within the caret's line).
  insert(text) {
    const a = this.area;
    const at = a.selectionStart;
    a.setRangeText(text, at, a.selectionEnd, 'end');
    a.focus();
    this.changed();
    updateHelp();
  }
}

const editors = {};
let activeName = 'script';
const activeEditor = () => editors[activeName];

function showEditor(name) {
  activeName = name;
  for (const button of document.querySelectorAll('.tabs [data-editor]'))
    button.classList.toggle('active', button.dataset.editor === name);
  for (const n of ['script', 'spam']) $('editor-' + n).hidden = n !== name;
  editors[name].drawGutter();
  showFindings();
  updateHelp();
}

function showFindings() {
  const list = $('findings');
  const found = activeEditor().allFindings || [];
  list.innerHTML = '';
  $('findings-count').textContent = found.length ? '(' + found.length + ')' : '(nothing found)';
  for (const f of found.slice(0, 500)) {
    const item = document.createElement('li');
    item.dataset.line = f.line;
    item.dataset.kind = f.kind;
    item.innerHTML = '<a href="#" class="line">line ' + f.line + '</a> <span class="kind">' + escapeHtml(f.kind) +
      '</span> ' + escapeHtml(f.message) + (f.suggestion ? ' <em>(' + escapeHtml(f.suggestion) + '?)</em>' : '');
    item.querySelector('a').addEventListener('click', (event) => {
      event.preventDefault();
      activeEditor().goToLine(f.line);
    });
    list.appendChild(item);
  }
}

// The options page's help lines for the script line under the caret.
let helpTicket = 0;
async function updateHelp() {
  const ticket = ++helpTicket;
  const line = activeName === 'script' ? editors.script.caretLine() : '';
  let help = { syntax: '', description: '' };
  if (line.trim() !== '') {
    try {
      help = await engine.request('help', { line: line.slice(0, 1000) });
    } catch (e) {
      return;
    }
  }
  if (ticket !== helpTicket) return;
  $('help-syntax').textContent = help.syntax;
  $('help-description').textContent = help.description;
}

function updateDirty() {
  const dirty = editors.script && editors.spam &&
    (editors.script.text !== editors.script.applied || editors.spam.text !== editors.spam.applied);
  $('dirty').hidden = !dirty;
}

// ---- The command reference menu ------------------------------------------------------

function buildMenu(items) {
  const menu = $('menu');
  menu.innerHTML = '';
  let column = null;
  for (const item of items) {
    if (item.kind === 'header' || !column) {
      column = document.createElement('div');
      column.className = 'column';
      menu.appendChild(column);
    }
    column.appendChild(menuItem(item));
  }
}

function menuItem(item) {
  const node = document.createElement('div');
  node.className = 'item ' + item.kind;
  node.textContent = item.kind === 'separator' ? '' : item.caption;
  if (item.kind === 'entry') {
    node.setAttribute('role', 'menuitem');
    node.tabIndex = 0;
    if (item.syntax) node.title = item.syntax + '\n' + item.description;
    node.addEventListener('click', () => {
      $('menu').hidden = true;
      showEditor('script');
      editors.script.insert(item.insert);
    });
  } else if (item.kind === 'submenu') {
    const sub = document.createElement('div');
    sub.className = 'submenu-items';
    for (const child of item.items) sub.appendChild(menuItem(child));
    node.appendChild(sub);
  }
  return node;
}

// ---- Commands ------------------------------------------------------------------------

// A text as the command language quotes it, so it arrives exactly as written.
function quote(text) {
  return '"' + String(text).replace(/\\/g, '\\\\').replace(/"/g, '\\"').replace(/\n/g, '\\n')
    .replace(/\r/g, '\\r').replace(/\t/g, '\\t') + '"';
}

// "file script <<TAG" with a closing tag that no line of the text is.
function fileBlock(which, text) {
  const lines = text === '' ? [] : text.replace(/\r\n?/g, '\n').split('\n');
  if (lines.length && lines[lines.length - 1] === '') lines.pop();
  const used = new Set(lines.map((l) => l.trim()));
  let tag = 'END';
  for (let n = 1; used.has(tag); n++) tag = 'END_' + n;
  return ['file ' + which + ' <<' + tag, ...lines, tag].join('\n');
}

const FILE_NAMES = { script: 'Kwartlin.dat', spam: 'Kwartlin.spm' };

// The commands that write the files whose text differs from what the plugin runs, and
// restart the messenger ('' when nothing differs), with the first command line of each
// file's text.
function saveCommands(texts, applied) {
  const lines = [];
  const blocks = [];
  for (const name of ['script', 'spam']) {
    if (texts[name] === applied[name]) continue;
    const block = texts[name] === '' && name === 'spam' ? 'file spam delete' : fileBlock(name, texts[name]);
    blocks.push({ name, first: lines.length + 2 });
    lines.push(...block.split('\n'));
  }
  if (lines.length) lines.push('restart');
  return { commands: lines.join('\n'), blocks };
}

// "line 7: reason" of a refused command line as the line of the editor's text.
function editorError(error, blocks) {
  const m = /^line (\d+): ([^]*)$/.exec(error);
  if (!m) return error;
  const at = Number(m[1]);
  const block = blocks.filter((b) => b.first <= at).pop();
  if (!block) return error;
  return FILE_NAMES[block.name] + ' line ' + (at - block.first + 1) + ': ' + m[2] + ' (nothing was saved)';
}

// Writes the edited files and restarts the messenger, as saving them and starting the
// messenger again would (texts, when given, go into the editors first). False when the
// engine refused the files (a character Windows-1250 cannot hold): nothing is written.
async function applyEditors(texts) {
  if (texts) for (const name of ['script', 'spam']) editors[name].text = texts[name];
  const now = { script: editors.script.text, spam: editors.spam.text };
  const save = saveCommands(now, { script: editors.script.applied, spam: editors.spam.applied });
  if (!save.commands) return true;
  const result = await engine.request('feed', { commands: save.commands });
  if (result.code === 2) result.errors = result.errors.map((e) => editorError(e, save.blocks));
  render(result);
  if (!result.ok) return false;
  editors.script.applied = now.script;
  editors.spam.applied = now.spam;
  updateDirty();
  return true;
}

// Plays command lines, saving edited files first.
async function play(commands) {
  try {
    if (recovering) await recovering;
    if (!(await applyEditors())) return null;
    const result = await engine.request('feed', { commands });
    render(result);
    return result;
  } catch (e) {
    appendLog('[page] ' + e.message + '\n', 'error');
    return null;
  }
}

// ---- What the simulator said -----------------------------------------------------------

const messenger = { statuses: {}, contacts: new Map(), menu: new Map() };

function resetMessengerState() {
  for (const p of PROTOCOLS) messenger.statuses[p] = { status: 2, description: '' };
  messenger.menu.clear();
  $('popup').hidden = true;
  drawMessenger();
}

function render(result) {
  if (!result) return;
  if (result.text) appendLog(result.text);
  for (const error of result.errors || []) if (error) appendLog(error.replace(/\n?$/, '\n'), 'error');
  for (const event of result.events || []) takeEvent(event);
  if (result.variables) drawVariables(result.variables, result.variableCount);
  drawTrace(result.trace);
  drawMessenger();
}

function cut(text) {
  return text.length > MAX_SHOWN ? text.slice(0, MAX_SHOWN) + '… (' + (text.length - MAX_SHOWN) + ' more characters)' : text;
}

function appendLog(text, kind) {
  const log = $('log');
  const span = document.createElement('span');
  if (kind) span.className = kind;
  span.textContent = cut(text);
  log.appendChild(span);
  while (log.childNodes.length > 400) log.removeChild(log.firstChild);
  log.scrollTop = log.scrollHeight;
}

function activity(kind, text) {
  const list = $('activity');
  const item = document.createElement('li');
  item.className = 'act-' + kind;
  item.dataset.kind = kind;
  item.innerHTML = '<span class="tag">' + kind + '</span> ' + escapeHtml(cut(text));
  list.appendChild(item);
  while (list.childNodes.length > 300) list.removeChild(list.firstChild);
  list.scrollTop = list.scrollHeight;
}

function takeEvent(e) {
  switch (e.event) {
    case 'load':
    case 'restart':
      activity('messenger', e.event === 'load' ? 'the plugin is loaded' : 'the messenger restarted');
      break;
    case 'unload':
      activity('messenger', 'the messenger closed');
      break;
    case 'recv':
    case 'send': {
      const what = (e.event === 'recv' ? e.protocol + ' ' + e.contact + ' → you: ' : 'you → ' + e.protocol + ' ' +
        e.contact + ': ') + JSON.stringify(e.text);
      if (e.outcome === 'rewritten') activity('rewritten', what + ' becomes ' + JSON.stringify(e.text_back));
      else activity(e.outcome, what);
      break;
    }
    case 'status':
      messenger.statuses[e.protocol] = { status: e.status, description: e.description };
      break;
    case 'contact':
      messenger.contacts.set(e.id, e);
      break;
    case 'popup':
      showPopup(e);
      break;
    case 'click':
      activity('click', (e.caption || e.id) + ' on ' + e.contact + (e.known ? '' : ' (no such item)'));
      break;
    case 'service':
      activity('service', e.found ? JSON.stringify(e.text) + ' returned ' + e.result : 'the plugin has no service');
      break;
    default:
      break;
  }
  takeEffects(e.effects);
}

function takeEffects(effects) {
  for (const f of effects || []) {
    if (f.effect === 'sent') {
      activity('sent', f.protocol + ' → ' + f.to + ': ' + JSON.stringify(f.text) +
        (f.blocked_by_hook ? ' (blocked by the plugin\'s own hook)' : ''));
    } else if (f.effect === 'status') {
      activity('status', f.protocol + ' ' + (f.status_name || f.status) + (f.description ? ' ' + JSON.stringify(f.description) : '') +
        (f.served ? '' : ' (no such protocol)'));
      if (f.served) messenger.statuses[f.protocol] = { status: f.status, description: f.description };
    } else if (f.effect === 'menu-add') {
      messenger.menu.set(f.id, f.caption);
      activity('menu', 'added ' + f.id + ' ' + JSON.stringify(f.caption));
    } else if (f.effect === 'menu-delete') {
      messenger.menu.delete(f.id);
      activity('menu', 'removed ' + f.id);
    } else if (f.effect === 'settings-written') {
      activity('settings', f.file + ' written');
    }
  }
}

function showPopup(e) {
  $('popup').hidden = false;
  $('popup-contact').textContent = e.contact;
  const box = $('popup-items');
  box.innerHTML = '';
  const items = e.shown.filter((s) => !s.main);
  if (!items.length) box.textContent = 'The plugin shows no items.';
  for (const s of items) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = s.caption || s.id;
    button.dataset.id = s.id;
    button.addEventListener('click', () => play('click ' + quote(e.contact) + ' ' + quote(s.id)));
    box.appendChild(button);
  }
  activity('popup', e.contact + ': ' + (items.map((s) => s.caption || s.id).join(', ') || 'no items'));
}

function drawMessenger() {
  const statuses = $('statuses');
  for (const p of PROTOCOLS) {
    const row = statuses.querySelector('[data-protocol="' + p + '"]');
    const s = messenger.statuses[p] || { status: 2, description: '' };
    row.querySelector('.now').textContent = (STATUS_NAMES[s.status] || s.status) + (s.description ? ' “' + s.description + '”' : '');
  }
  const body = $('contacts').querySelector('tbody');
  body.innerHTML = '';
  for (const c of messenger.contacts.values()) {
    const row = document.createElement('tr');
    const flags = FLAGS.filter(([, bit]) => c.flags & bit).map(([name]) => name).join(' ');
    row.innerHTML = '<td>' + [c.id, c.name, c.group, c.description, flags].map(escapeHtml).join('</td><td>') +
      '</td><td><button type="button">Popup</button></td>';
    row.querySelector('button').addEventListener('click', () => play('popup ' + quote(c.id)));
    body.appendChild(row);
  }
  const menu = $('plugin-menu');
  menu.innerHTML = '';
  for (const [id, caption] of messenger.menu) {
    const item = document.createElement('li');
    item.textContent = caption + ' (' + id + ')';
    menu.appendChild(item);
  }
  if (!messenger.menu.size) menu.innerHTML = '<li class="none">none</li>';
}

function drawVariables(variables, count) {
  const body = $('variables').querySelector('tbody');
  body.innerHTML = '';
  for (const v of variables) {
    const row = document.createElement('tr');
    const more = v.bytes > v.value.length ? ' … (' + v.bytes + ' bytes)' : '';
    row.innerHTML = '<td>' + escapeHtml(v.name) + '</td><td>' + escapeHtml(cut(v.value)) + more + '</td><td>' +
      (v.save ? 'yes' : '') + '</td>';
    body.appendChild(row);
  }
  $('variable-count').textContent = '(' + count + (count > variables.length ? ', ' + variables.length + ' shown' : '') + ')';
}

// The engine's trace of the last run, when the engine reports one (an array of objects
// with a line and a text; null while there is no trace channel).
function drawTrace(trace) {
  $('trace-panel').hidden = !Array.isArray(trace);
  if (!Array.isArray(trace)) return;
  $('trace').innerHTML = trace.slice(0, 2000).map((t) =>
    '<li>' + escapeHtml(typeof t === 'string' ? t : (t.line !== undefined ? t.line + ': ' : '') + (t.text || JSON.stringify(t))) + '</li>').join('');
}

function escapeHtml(text) {
  return String(text).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
}

// ---- Examples --------------------------------------------------------------------------

let examples = [];

function base64Bytes(text) {
  const raw = atob(text);
  const bytes = new Uint8Array(raw.length);
  for (let i = 0; i < raw.length; i++) bytes[i] = raw.charCodeAt(i);
  return bytes;
}

// A fresh messenger whose data folder holds the example's files, then its transcript
// played; beside it, the whole transcript in a session of its own, compared with the
// golden output as "kwartlin-sim run --expect" does.
async function loadExample(name, playTranscript = true) {
  const example = examples.find((e) => e.name === name);
  if (!example) return;
  for (const button of document.querySelectorAll('#examples button'))
    button.classList.toggle('active', button.dataset.example === name);
  const folder = '/examples/' + name;
  const files = {};
  for (const [file, f] of Object.entries(example.files)) files[file] = base64Bytes(f.base64);
  $('log').innerHTML = '';
  $('activity').innerHTML = '';
  $('golden').textContent = '';
  resetMessengerState();
  messenger.contacts.clear();
  if (recovering) await recovering;
  // The golden check first: it closes whatever messenger runs, and the page's own starts
  // after it.
  let golden = null;
  if (playTranscript && example.files['expected.txt']) {
    golden = await engine.request('run', {
      transcript: example.files['transcript.txt'].text, folder, files, expected: 'expected.txt',
    });
  }
  render(await engine.request('start', { folder, files }));
  if (playTranscript) render(await engine.request('feed', { commands: example.files['transcript.txt'].text }));
  const now = await engine.request('files', {});
  for (const n of ['script', 'spam']) {
    editors[n].applied = now[n] === null ? '' : now[n];
    editors[n].text = editors[n].applied;
    // The example's script from its top, with the help lines of its first line.
    editors[n].area.setSelectionRange(0, 0);
    editors[n].area.scrollTop = 0;
    editors[n].area.scrollLeft = 0;
  }
  updateDirty();
  showEditor('script');
  if (location.hash) history.replaceState(null, '', location.pathname + location.search);
  if (!golden) return;
  $('golden').textContent = golden.matches ? '· same as the golden transcript ✓' : '· differs from the golden transcript ✗';
  $('golden').className = golden.matches ? 'same' : 'differs';
  $('golden').dataset.matches = golden.matches ? '1' : '0';
}

// ---- Sharing -------------------------------------------------------------------------------

function toBase64Url(bytes) {
  let raw = '';
  for (let i = 0; i < bytes.length; i += 0x8000) raw += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(raw).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  return base64Bytes(text.replace(/-/g, '+').replace(/_/g, '/'));
}

async function pipe(bytes, stream) {
  return new Uint8Array(await new Response(new Blob([bytes]).stream().pipeThrough(stream)).arrayBuffer());
}

// "#z=" and deflated JSON where the browser compresses, "#j=" and plain JSON elsewhere.
async function shareLink() {
  const json = new TextEncoder().encode(JSON.stringify({ script: editors.script.text, spam: editors.spam.text }));
  const fragment = typeof CompressionStream === 'function'
    ? 'z=' + toBase64Url(await pipe(json, new CompressionStream('deflate-raw')))
    : 'j=' + toBase64Url(json);
  return location.origin + location.pathname + '#' + fragment;
}

// The files a shared link holds: null without a link, { error } for one the page
// cannot read.
async function sharedFiles() {
  const m = /^#([zj])=([A-Za-z0-9_-]*)$/.exec(location.hash);
  if (!m) return location.hash.length > 1 ? { error: true } : null;
  try {
    let bytes = fromBase64Url(m[2]);
    if (m[1] === 'z') bytes = await pipe(bytes, new DecompressionStream('deflate-raw'));
    const data = JSON.parse(new TextDecoder().decode(bytes));
    return { script: String(data.script || ''), spam: String(data.spam || '') };
  } catch (e) {
    return { error: true };
  }
}

const BAD_LINK = '[page] the link holds no script the page can read\n';

// ---- The page's own wiring -----------------------------------------------------------------

function setUpMessenger() {
  const statuses = $('statuses');
  for (const p of PROTOCOLS) {
    const row = document.createElement('form');
    row.className = 'row';
    row.dataset.protocol = p;
    row.innerHTML = '<b>' + p + '</b> <span class="now"></span><span class="spacer"></span><select aria-label="' + p +
      ' status">' + STATUS_NAMES.slice(1).map((n) => '<option>' + n + '</option>').join('') +
      '</select><input placeholder="description" aria-label="' + p + ' description" size="10"><button type="submit">Set</button>';
    row.querySelector('select').value = 'online';
    row.addEventListener('submit', (event) => {
      event.preventDefault();
      const description = row.querySelector('input').value;
      play('status ' + p + ' ' + row.querySelector('select').value + (description ? ' ' + quote(description) : ''));
    });
    statuses.appendChild(row);
  }
  $('contact-flags').innerHTML = FLAGS.map(([name]) =>
    '<label><input type="checkbox" value="' + name + '">' + name + '</label>').join('');

  const message = (incoming) => {
    const text = $('message-text').value;
    play((incoming ? 'recv ' : 'send ') + $('message-protocol').value + ' ' + quote($('message-contact').value) + ' ' + quote(text));
  };
  $('message-form').addEventListener('submit', (event) => {
    event.preventDefault();
    message(true);
  });
  $('send').addEventListener('click', () => message(false));
  $('contact-form').addEventListener('submit', (event) => {
    event.preventDefault();
    const id = $('contact-id').value;
    const flags = [...$('contact-flags').querySelectorAll('input:checked')].map((i) => i.value);
    let command = 'contact ' + quote(id) + ' name=' + quote($('contact-name').value) + ' group=' +
      quote($('contact-group').value) + ' desc=' + quote($('contact-desc').value);
    command += ' flags=' + (flags.length ? flags.join('|') : '0');
    play(command);
  });
  $('service-form').addEventListener('submit', (event) => {
    event.preventDefault();
    play('service ' + quote($('service-text').value));
  });
  $('restart').addEventListener('click', () => play('restart'));
  $('command-form').addEventListener('submit', (event) => {
    event.preventDefault();
    play($('command-text').value);
  });
}

function setUpEditors() {
  editors.script = new Editor($('editor-script'), false);
  editors.spam = new Editor($('editor-spam'), true);
  for (const button of document.querySelectorAll('.tabs [data-editor]'))
    button.addEventListener('click', () => showEditor(button.dataset.editor));
  for (const kind of ['keyup', 'click', 'input', 'focus'])
    editors.script.area.addEventListener(kind, () => updateHelp());
  for (const e of Object.values(editors)) {
    // Tab types a tab, as in the options page's editors.
    e.area.addEventListener('keydown', (event) => {
      if (event.key === 'Tab' && !event.ctrlKey && !event.altKey && !event.metaKey) {
        event.preventDefault();
        e.insert('\t');
      }
    });
  }
  $('apply').addEventListener('click', async () => {
    try {
      if (recovering) await recovering;
      await applyEditors();
    } catch (e) {
      appendLog('[page] ' + e.message + '\n', 'error');
    }
  });
  $('commands').addEventListener('click', (event) => {
    event.stopPropagation();
    $('menu').hidden = !$('menu').hidden;
  });
  document.addEventListener('click', (event) => {
    if (!$('menu').contains(event.target)) $('menu').hidden = true;
  });
}

function setUpHeader() {
  $('stop').addEventListener('click', () => recoverEngine('stopped by you'));
  $('fresh').addEventListener('click', async () => {
    if (recovering) await recovering;
    $('log').innerHTML = '';
    $('activity').innerHTML = '';
    $('golden').textContent = '';
    resetMessengerState();
    messenger.contacts.clear();
    render(await engine.request('start', {}));
    editors.script.applied = editors.spam.applied = '';
    await applyEditors();
  });
  $('share').addEventListener('click', async () => {
    const link = await shareLink();
    history.replaceState(null, '', link);
    $('share-link').value = link;
    $('share-box').hidden = false;
    $('share-link').select();
    try {
      await navigator.clipboard.writeText(link);
    } catch (e) {
      // The link stays selected in its box for copying by hand.
    }
  });
  $('share-close').addEventListener('click', () => {
    $('share-box').hidden = true;
  });
}

async function main() {
  setUpEditors();
  setUpMessenger();
  setUpHeader();
  resetMessengerState();
  const loaded = fetch('examples.json').then((r) => r.json()).catch(() => []);
  await engine.launch();
  $('version').textContent = engine.info.name + ' ' + engine.info.version;
  buildMenu(engine.menu.items);
  examples = await loaded;
  for (const example of examples) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = example.name;
    button.dataset.example = example.name;
    button.addEventListener('click', () => loadExample(example.name).catch((e) => appendLog('[page] ' + e.message + '\n', 'error')));
    $('examples').appendChild(button);
  }
  const shared = await sharedFiles();
  if (shared && !shared.error) {
    render(await engine.request('start', {}));
    await applyEditors(shared);
  } else if (examples.some((e) => e.name === 'ping-pong')) {
    await loadExample('ping-pong', false);
  } else {
    render(await engine.request('start', {}));
  }
  if (shared && shared.error) appendLog(BAD_LINK, 'error');
  window.addEventListener('hashchange', async () => {
    const files = await sharedFiles();
    if (files && files.error) appendLog(BAD_LINK, 'error');
    else if (files) await applyEditors(files);
  });
  measures.readyMs = performance.now();
  document.body.dataset.ready = '1';
  setState('ready');
  showEditor('script');
}

main().catch((e) => {
  setState('the engine did not start: ' + e.message);
  document.body.dataset.failed = '1';
});
