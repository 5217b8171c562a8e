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

// Opened from a file (the Windows zip's playground folder), the page may neither fetch()
// nor start a worker by its URL: what it fetches when served comes from classic scripts
// beside it (examples.js, engine-file.js), and the worker from its text, by a blob: URL.
const FROM_FILE = location.protocol === 'file:';

function loadScript(src) {
  return new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = src;
    script.onload = resolve;
    script.onerror = () => reject(new Error(src + ' did not load'));
    document.head.appendChild(script);
  });
}

// One blob: URL for every worker the page starts: a fresh one after a crash reuses it.
let fileWorkerUrl = null;
async function workerUrl() {
  if (!FROM_FILE) return 'engine-worker.js';
  if (!fileWorkerUrl) {
    await loadScript('engine-file.js');
    fileWorkerUrl = URL.createObjectURL(new Blob([self.kwEngineSource], { type: 'text/javascript' }));
    self.kwEngineSource = null;
  }
  return fileWorkerUrl;
}

function loadExamples() {
  const loaded = FROM_FILE ? loadScript('examples.js').then(() => self.kwExamples)
    : fetch('examples.json').then((r) => r.json());
  return loaded.catch(() => []);
}

const engine = {
  worker: null,
  pending: new Map(),
  nextId: 1,
  info: null,
  menu: null,
  busySince: null,
  // Kwartlin.ini as the last answer left it (null: none): a fresh worker starts with it.
  settings: null,

  async launch() {
    this.worker = new Worker(await workerUrl());
    return new Promise((resolve, reject) => {
      this.worker.onmessage = (event) => {
        const m = event.data;
        if (m.ready) {
          this.info = m.info;
          this.menu = m.menu;
          this.language = m.language;
          resolve();
        } else if (m.failed) {
          reject(new Error(m.failed));
        } else if ('trace' in m) {
          drawTrace(m.trace);
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
    if (m.settings !== undefined) this.settings = m.settings;
    if (m.error !== undefined) {
      // An engine that ran out of memory answers nothing well any more: a fresh one
      // takes its place, with the files saved last.
      if (m.crashed || /bad_alloc|out of memory/i.test(m.error)) recoverEngine(t('engineStopped') + m.error);
      request.reject(new Error(m.error));
      return;
    }
    measures.lastRoundTripMs = performance.now() - request.sent;
    measures.lastEngineMs = m.ms;
    request.resolve(m.result);
  },

  request(op, args) {
    const id = this.nextId++;
    // A variable, not an attribute of the body: a change there restyles the whole page,
    // ten thousand contact rows included.
    refusedShown = false;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, sent: performance.now() });
      this.busy();
      // The engine words its answers (the log, the trace) in the page's language.
      this.worker.postMessage({ id, op, args, lang: pageLanguage });
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
          setState(t('running'));
        }
      }, STOP_AFTER_MS);
    } else if (!running) {
      this.busySince = null;
      $('stop').hidden = true;
      if (document.body.dataset.ready && !refusedShown) setState(t('ready'));
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

// A refusal is on show in the state: it stays until the next request.
let refusedShown = false;

function setState(text) {
  $('state').textContent = text;
}

// A fresh worker and a fresh messenger running the files saved last, the settings file
// included. The old worker (stuck in a run, or crashed) is dropped whole.
let recovering = null;
function recoverEngine(reason) {
  if (recovering) return recovering;
  engine.terminate();
  appendLog('\n[page] ' + reason + '\n[page] ' + t('freshEngine') + '\n', 'note');
  recovering = engine.launch().then(async () => {
    resetMessengerState();
    forgetContacts();
    const settings = engine.settings;
    render(await engine.request('start', settings ? { folder: '/recovered', files: { 'Kwartlin.ini': settings } } : {}));
    const saved = { script: editors.script.applied, spam: editors.spam.applied };
    const save = saveCommands(saved, { script: '', spam: '' });
    if (save.commands) render(await engine.request('feed', { commands: save.commands }));
    await beginSession();
  }).catch((e) => {
    appendLog('[page] ' + e.message + '\n', 'error');
  }).finally(() => {
    recovering = null;
    engine.busy();
  });
  return recovering;
}

// ---- Editors -------------------------------------------------------------------------

// One editor (CodeMirror, web/editor.js) with what the page keeps beside it: the text
// the running plugin's file was written from, the text the page itself last put in
// (a link's or an example's: replacing that asks nothing), and the checker's findings.
class Editor {
  constructor(root, spam, label) {
    this.spam = spam;
    this.applied = '';
    this.loaded = '';
    this.allFindings = [];
    this.code = KwEditor.create(root, {
      spam,
      label,
      onChange: () => this.changed(),
      onCaret: () => {
        if (!spam) updateHelp();
      },
      onRun: () => $('receive').click(),
      guide: guideEntry,
      valueOf: lastValue,
      onSave: () => $('apply').click(),
    });
  }

  get text() {
    return this.code.text;
  }

  set text(value) {
    this.code.text = value;
  }

  // A text the page puts in itself (from a link, an example or the running files).
  load(value) {
    this.loaded = value;
    this.text = value;
  }

  // Edits that neither the plugin runs nor the page put in.
  get unsaved() {
    const text = this.text;
    return text !== this.applied && text !== this.loaded;
  }

  changed() {
    updateDirty();
    if (this.spam) testSpam();
    keepWork();
    if (this.text !== this.loaded)
      for (const button of document.querySelectorAll('#examples button')) button.classList.remove('active');
    clearTimeout(this.checkTimer);
    this.checkTimer = setTimeout(() => this.check(), 250);
  }

  // The checker's findings as squiggles. One check at a time: text typed meanwhile is
  // checked once the running check answers, so a huge text never piles checks up.
  async check() {
    if (this.checking) {
      this.checkAgain = true;
      return;
    }
    this.checking = true;
    this.checkAgain = false;
    const text = this.text;
    let result;
    try {
      result = await engine.request('check', { text, spam: this.spam });
    } catch (e) {
      return;
    } finally {
      this.checking = false;
      if (this.checkAgain) setTimeout(() => this.check(), 0);
    }
    if (!result || !Array.isArray(result.findings)) return;
    if (!this.code.setFindings(result.findings, text, t('fix'))) return;
    this.allFindings = result.findings;
    this.checkedText = text;
    if (activeEditor() === this) showFindings();
  }

  caretLine() {
    return this.code.caretLine();
  }

  goToLine(line) {
    this.code.goToLine(line);
  }

  insert(text) {
    this.code.insert(text);
  }
}

// The guide's entry of a command in the page's language (the English one where the
// page's language has no guide yet); null without a guide.
function guideEntry(word) {
  const help = typeof GUIDE_HELP === 'object' ? GUIDE_HELP : {};
  const entry = (help[pageLanguage] || {})[word] || (help.en || {})[word];
  return entry ? { ...entry, more: t('moreInGuide') } : null;
}

// A variable's value as the last run left it (the variables panel's list), or null.
const lastValues = new Map();
function lastValue(name) {
  const key = name.toUpperCase();
  return lastValues.has(key) ? { value: lastValues.get(key), label: t('lastRunValue') } : null;
}

// The guide pages in the page's language, where that language has one.
function guideLinks() {
  const polish = pageLanguage === 'pl' && typeof GUIDE_HELP === 'object' && GUIDE_HELP.pl;
  $('guide-link').href = polish ? 'docs/script-language.pl.html' : 'docs/script-language.html';
}

function checkerPage() {
  return pageLanguage === 'pl' && typeof GUIDE_HELP === 'object' && GUIDE_HELP.pl ? 'docs/checker.pl.html' : 'docs/checker.html';
}

const editors = {};
let activeName = 'script';
const activeEditor = () => editors[activeName];

function showEditor(name) {
  activeName = name;
  for (const button of document.querySelectorAll('.tabs [data-editor]')) {
    button.classList.toggle('active', button.dataset.editor === name);
    button.setAttribute('aria-selected', String(button.dataset.editor === name));
  }
  for (const n of ['script', 'spam']) $('editor-' + n).hidden = n !== name;
  $('spam-tester').hidden = name !== 'spam';
  if (name === 'spam') testSpam();
  editors[name].code.view.requestMeasure();
  showFindings();
  updateHelp();
}

function showFindings() {
  const list = $('findings');
  const found = activeEditor().allFindings || [];
  list.innerHTML = '';
  $('findings-count').textContent = found.length ? '(' + found.length + ')' : t('nothingFound');
  for (const f of found.slice(0, 500)) {
    const code = f.code || '';
    const item = document.createElement('li');
    item.dataset.line = f.line;
    item.dataset.kind = code;
    item.className = 'severity-' + (f.severity || 'warning');
    const where = Number(f.line) + (f.column >= 1 ? ':' + Number(f.column) : '');
    const kind = escapeHtml(code + (f.name ? ' ' + f.name : ''));
    // A code leads to its explanation, with a wrong and a right example.
    const anchor = (code + (f.name ? '-' + f.name : '')).toLowerCase().replace(/[^a-z0-9-]/g, '');
    item.innerHTML = '<a href="#" class="line">' + t('line') + ' ' + where + '</a> ' +
      (code ? '<a class="kind" target="_blank" rel="noopener" href="' + checkerPage() + '#' + anchor + '">' + kind + '</a>'
        : '<span class="kind">' + kind + '</span>') + ' ' + escapeHtml(f.message);
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
  const line = activeName === 'script' && editors.script ? editors.script.caretLine() : '';
  let help = { syntax: '', description: '' };
  if (line.trim() !== '' && engine.worker) {
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

// The menu by keyboard, as a menu bar's menu works: Up and Down move among the entries
// of a column (into and out of open submenus), Right opens a submenu, Left closes it,
// Enter or Space inserts, Esc closes and gives the focus back to its button.
function menuKeys(event) {
  const menu = $('menu');
  const visible = [...menu.querySelectorAll('[role="menuitem"]')].filter((n) => n.offsetParent !== null);
  const at = visible.indexOf(document.activeElement);
  const current = document.activeElement;
  const go = (node) => {
    if (node) node.focus();
    event.preventDefault();
  };
  switch (event.key) {
    case 'ArrowDown':
      return go(visible[(at + 1) % visible.length]);
    case 'ArrowUp':
      return go(visible[(at - 1 + visible.length) % visible.length]);
    case 'Home':
      return go(visible[0]);
    case 'End':
      return go(visible[visible.length - 1]);
    case 'ArrowRight':
      if (current.classList.contains('submenu')) {
        current.classList.add('open');
        current.setAttribute('aria-expanded', 'true');
        return go(current.querySelector('[role="menuitem"]'));
      }
      return undefined;
    case 'ArrowLeft': {
      const parent = current.parentElement && current.parentElement.closest('.submenu');
      if (!parent) return undefined;
      parent.classList.remove('open');
      parent.setAttribute('aria-expanded', 'false');
      return go(parent);
    }
    case 'Enter':
    case ' ':
      if (current.classList.contains('submenu')) {
        current.classList.add('open');
        current.setAttribute('aria-expanded', 'true');
        return go(current.querySelector('[role="menuitem"]'));
      }
      current.click();
      return event.preventDefault();
    case 'Escape':
      closeMenu();
      return go($('commands'));
    default:
      return undefined;
  }
}

function closeMenu() {
  $('menu').hidden = true;
  $('commands').setAttribute('aria-expanded', 'false');
  for (const open of $('menu').querySelectorAll('.submenu.open')) open.classList.remove('open');
}

function menuItem(item) {
  const node = document.createElement('div');
  node.className = 'item ' + item.kind;
  node.textContent = item.kind === 'separator' ? '' : item.caption;
  if (item.kind === 'entry') {
    node.setAttribute('role', 'menuitem');
    node.tabIndex = -1;
    if (item.syntax) node.title = item.syntax + '\n' + item.description;
    node.addEventListener('click', (event) => {
      event.stopPropagation();
      closeMenu();
      showEditor('script');
      editors.script.insert(item.insert);
      editors.script.code.view.focus();
    });
  } else if (item.kind === 'submenu') {
    node.setAttribute('role', 'menuitem');
    node.setAttribute('aria-haspopup', 'menu');
    node.setAttribute('aria-expanded', 'false');
    node.tabIndex = -1;
    // Opens by click or tap too, not only under the pointer.
    node.addEventListener('click', (event) => {
      if (event.target !== node) return;
      event.stopPropagation();
      const open = !node.classList.contains('open');
      node.classList.toggle('open', open);
      node.setAttribute('aria-expanded', String(open));
    });
    const sub = document.createElement('div');
    sub.className = 'submenu-items';
    sub.setAttribute('role', 'menu');
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
  return FILE_NAMES[block.name] + ' line ' + (at - block.first + 1) + ': ' + m[2] + ' ' + t('nothingSaved');
}

// Writes the edited files and restarts the messenger, as saving them and starting the
// messenger again would. False when the engine refused the files (a character
// Windows-1250 cannot hold): nothing is written.
async function applyEditors() {
  const now = { script: editors.script.text, spam: editors.spam.text };
  const save = saveCommands(now, { script: editors.script.applied, spam: editors.spam.applied });
  if (!save.commands) return true;
  const result = await feed(save.commands);
  if (result.code === 2) result.errors = result.errors.map((e) => editorError(e, save.blocks));
  render(result);
  if (!result.ok) {
    refused(t('notSavedState'));
    return false;
  }
  editors.script.applied = now.script;
  editors.spam.applied = now.spam;
  updateDirty();
  return true;
}

// ---- The session: what a shared link replays ------------------------------------------

// Everything fed to the messenger since it started, as a transcript the simulator
// reads: the data folder's files as it started (written between "stop" and "start",
// so the plugin loads them and writes no settings over them), then every command line
// played. Statuses, contacts and messages
// are all command lines, so the transcript is the whole session.
const session = { head: '', played: [] };

async function beginSession() {
  const files = await engine.request('files', {});
  const blocks = [];
  for (const name of ['script', 'spam', 'settings'])
    if (typeof files[name] === 'string') blocks.push(fileBlock(name, files[name]));
  // "stop" writes the plugin's settings: a session that started without them drops them.
  if (blocks.length && typeof files.settings !== 'string') blocks.push('file settings delete');
  session.head = blocks.length ? ['stop', ...blocks, 'start'].join('\n') : '';
  session.played = [];
  return files;
}

function sessionTranscript() {
  return [session.head, ...session.played].filter((part) => part !== '').join('\n');
}

// Command lines fed to the messenger and kept in the session; lines the reader refused
// ran nothing and are not kept. files: the folder the lines' "file ... from PATH" read
// ({ name: bytes }, an example's), whose files the session keeps as blocks instead, so
// that the transcript replays where that folder is not.
async function feed(commands, files) {
  const result = await engine.request('feed', { commands });
  if (result.code !== 2) session.played.push(files ? withFilesInline(commands, files) : commands);
  keepWork();
  return result;
}

const currentWork = () => ({ script: editors.script.text, spam: editors.spam.text, transcript: sessionTranscript() });
function keepWork() {
  if (document.body.dataset.ready) kept.later(currentWork);
}

function withFilesInline(commands, files) {
  const lines = commands.split('\n');
  let tag = null;
  return lines.map((line) => {
    if (tag !== null) {
      if (line.trim() === tag) tag = null;
      return line;
    }
    const block = /<<\s*(\S+)\s*$/.exec(line);
    if (block) {
      tag = block[1];
      return line;
    }
    const from = /^\s*file\s+(script|spam|settings)\s+from\s+"?([^"]*?)"?\s*$/i.exec(line);
    if (!from || !files[from[2]]) return line;
    const text = new TextDecoder('windows-1250').decode(files[from[2]]).replace(/\r\n?/g, '\n').replace(/\n$/, '');
    return fileBlock(from[1].toLowerCase(), text);
  }).join('\n');
}

// Plays command lines, saving edited files first.
async function play(commands) {
  try {
    // Whatever plays runs the link's files: the bar's "nothing has run" no longer holds.
    closeLink();
    if (recovering) await recovering;
    if (!(await applyEditors())) return null;
    const result = await feed(commands);
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
  lastPopup = null;
  drawMessenger();
}

function render(result) {
  if (!result) return;
  if (result.text) appendLog(result.text);
  for (const error of result.errors || []) if (error) appendLog(error.replace(/\n?$/, '\n'), 'error');
  for (const event of result.events || []) takeEvent(event);
  if (result.variables) drawVariables(result.variables, result.variableCount);
  drawMessenger();
}

// A refusal the user must see: the state says it, and the log's last error is brought
// into view (on a phone, with its pane).
function refused(state) {
  setState(state);
  refusedShown = true;
  const errors = $('log').querySelectorAll('.error');
  if (errors.length && document.body.dataset.pane !== 'results' && window.innerWidth < 760) showPane('results');
  if (errors.length) errors[errors.length - 1].scrollIntoView({ block: 'nearest' });
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
  scrollToEnd(log);
}

// Lists that follow their newest line are scrolled once a frame, after every change of
// the frame: scrolling at each line would lay the page out again for each.
const toScroll = new Set();
function scrollToEnd(list) {
  if (!toScroll.size) {
    requestAnimationFrame(() => {
      for (const l of toScroll) l.scrollTop = l.scrollHeight;
      toScroll.clear();
    });
  }
  toScroll.add(list);
}

function activity(kind, text) {
  const list = $('activity');
  const item = document.createElement('li');
  item.className = 'act-' + kind;
  item.dataset.kind = kind;
  const tag = WORDS['tag_' + kind] ? t('tag_' + kind) : kind;
  item.innerHTML = '<span class="tag">' + escapeHtml(tag) + '</span> ' + escapeHtml(cut(text));
  list.appendChild(item);
  while (list.childNodes.length > 300) list.removeChild(list.firstChild);
  scrollToEnd(list);
}

function takeEvent(e) {
  switch (e.event) {
    case 'load':
    case 'restart':
      activity('messenger', t(e.event === 'load' ? 'actLoaded' : 'actRestarted'));
      break;
    case 'unload':
      activity('messenger', t('actClosed'));
      break;
    case 'recv':
    case 'send': {
      const what = (e.event === 'recv' ? e.protocol + ' ' + e.contact + ' → you: ' : 'you → ' + e.protocol + ' ' +
        e.contact + ': ') + JSON.stringify(e.text);
      if (e.outcome === 'rewritten') activity('rewritten', what + ' ' + t('actBecomes') + ' ' + JSON.stringify(e.text_back));
      else activity(e.outcome, what);
      $('announce').textContent = t('tag_' + e.outcome) + ': ' + cut(what).slice(0, 200);
      break;
    }
    case 'status':
      messenger.statuses[e.protocol] = { status: e.status, description: e.description };
      break;
    case 'contact':
      messenger.contacts.set(e.id, e);
      contactsChanged.add(e.id);
      break;
    case 'popup':
      showPopup(e);
      requestAnimationFrame(() => $('popup').scrollIntoView({ block: 'nearest' }));
      break;
    case 'click':
      activity('click', (e.caption || e.id) + ' ' + t('actOn') + ' ' + e.contact + (e.known ? '' : ' ' + t('actNoItem')));
      break;
    case 'service':
      activity('service', e.found ? JSON.stringify(e.text) + ' ' + t('actReturned') + ' ' + e.result : t('actNoService'));
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
        (f.blocked_by_hook ? ' ' + t('actOwnHook') : ''));
    } else if (f.effect === 'status') {
      activity('status', f.protocol + ' ' + (f.status_name || f.status) + (f.description ? ' ' + JSON.stringify(f.description) : '') +
        (f.served ? '' : ' ' + t('actNoProtocol')));
      if (f.served) messenger.statuses[f.protocol] = { status: f.status, description: f.description };
    } else if (f.effect === 'menu-add') {
      messenger.menu.set(f.id, f.caption);
      activity('menu', t('actAdded') + ' ' + f.id + ' ' + JSON.stringify(f.caption));
    } else if (f.effect === 'menu-delete') {
      messenger.menu.delete(f.id);
      activity('menu', t('actRemoved') + ' ' + f.id);
    } else if (f.effect === 'settings-written') {
      activity('settings', f.file + ' ' + t('actWritten'));
    }
  }
}

// The popup panel keeps the contact and the items of the last popup; its captions are
// the messenger's menu as it is now, so a restart that gives the items new captions (or
// removes them) shows at once.
let lastPopup = null;

function showPopup(e) {
  lastPopup = { contact: e.contact, items: e.shown.filter((s) => !s.main) };
  // _menu_show may give an item a new caption, which no effect reports.
  for (const s of lastPopup.items) if (messenger.menu.has(s.id)) messenger.menu.set(s.id, s.caption);
  activity('popup', e.contact + ': ' + (lastPopup.items.map((s) => s.caption || s.id).join(', ') || t('none')));
}

function drawPopup() {
  const key = lastPopup ? JSON.stringify([lastPopup, [...messenger.menu], pageLanguage]) : '';
  if ($('popup').dataset.drawn === key) return;
  $('popup').dataset.drawn = key;
  $('popup').hidden = !lastPopup;
  if (!lastPopup) return;
  $('popup-contact').textContent = lastPopup.contact;
  const box = $('popup-items');
  box.innerHTML = '';
  const items = lastPopup.items.filter((s) => !s.id || messenger.menu.has(s.id));
  if (!items.length) box.textContent = t('popupNone');
  const contact = lastPopup.contact;
  for (const s of items) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = messenger.menu.get(s.id) || s.caption || s.id;
    button.dataset.id = s.id;
    button.addEventListener('click', () => play('click ' + quote(contact) + ' ' + quote(s.id)));
    box.appendChild(button);
  }
}

// Writes only what differs: a write of the same text still lays out the pane again, and
// with a long contact list that was most of an answer's time.
function setText(node, text) {
  if (node.textContent !== text) node.textContent = text;
}

function setValue(node, value) {
  if (node.value !== value) node.value = value;
}

function drawMessenger() {
  const statuses = $('statuses');
  for (const p of PROTOCOLS) {
    const row = statuses.querySelector('[data-protocol="' + p + '"]');
    const s = messenger.statuses[p] || { status: 2, description: '' };
    setText(row.querySelector('.now'), (STATUS_NAMES[s.status] || s.status) + (s.description ? ' “' + s.description + '”' : ''));
    // The controls show the messenger's state, not what was last chosen in them; a
    // description being typed is left alone.
    const select = row.querySelector('select');
    if (STATUS_NAMES[s.status] && document.activeElement !== select) setValue(select, STATUS_NAMES[s.status]);
    const input = row.querySelector('input');
    if (document.activeElement !== input) setValue(input, s.description || '');
  }
  drawContacts();
  const menu = $('plugin-menu');
  const items = [...messenger.menu].map(([id, caption]) => caption + ' (' + id + ')');
  const key = JSON.stringify(items) + pageLanguage;
  if (menu.dataset.drawn !== key) {
    menu.dataset.drawn = key;
    menu.innerHTML = '';
    for (const text of items) {
      const item = document.createElement('li');
      item.textContent = text;
      menu.appendChild(item);
    }
    if (!items.length) menu.innerHTML = '<li class="none">' + escapeHtml(t('none')) + '</li>';
  }
  drawPopup();
}

// The contact rows that changed since the last drawing, and only those: an answer costs
// what it changed, not the size of the contact list.
const contactRows = new Map();
let contactsChanged = new Set();

function contactRow(c) {
  const row = contactRows.get(c.id) || document.createElement('tr');
  const flags = FLAGS.filter(([, bit]) => c.flags & bit).map(([name]) => name).join(' ');
  row.innerHTML = '<td>' + [c.id, c.name, c.group, c.description, flags].map(escapeHtml).join('</td><td>') +
    '</td><td><button type="button"></button></td>';
  row.querySelector('button').textContent = t('popup');
  row.querySelector('button').addEventListener('click', () => play('popup ' + quote(c.id)));
  return row;
}

function forgetContacts() {
  messenger.contacts.clear();
  contactRows.clear();
  contactsChanged = new Set();
  $('contacts').querySelector('tbody').replaceChildren();
}

function drawContacts() {
  const body = $('contacts').querySelector('tbody');
  for (const id of contactsChanged) {
    const c = messenger.contacts.get(id);
    if (!c) continue;
    const known = contactRows.has(id);
    const row = contactRow(c);
    if (!known) {
      contactRows.set(id, row);
      body.appendChild(row);
    }
  }
  contactsChanged = new Set();
}

// Every contact row again, as after a switch of the page's language.
function redrawContacts() {
  contactsChanged = new Set(messenger.contacts.keys());
  drawContacts();
}

function drawVariables(variables, count) {
  const body = $('variables').querySelector('tbody');
  body.innerHTML = '';
  lastValues.clear();
  for (const v of variables) lastValues.set(String(v.name).replace(/^\$/, '').toUpperCase(), v.value);
  for (const v of variables) {
    const row = document.createElement('tr');
    const more = v.bytes > v.value.length ? ' … (' + v.bytes + ' bytes)' : '';
    row.innerHTML = '<td>' + escapeHtml(v.name) + '</td><td>' + escapeHtml(cut(v.value)) + more + '</td><td>' +
      (v.save ? escapeHtml(t('yes')) : '') + '</td>';
    body.appendChild(row);
  }
  $('variable-count').textContent = '(' + count + (count > variables.length ? ', ' + variables.length + ' ' + t('shown') : '') + ')';
}

// The engine's trace of the last run, when the engine reports one (an array of rows
// with a text, worded by the engine as the simulator words it, the file line it is at,
// and for a run's end how it ended; { omitted } where the engine left rows out between
// the head and the tail of a long run; null while there is no trace channel).
// A row with a line is a link to it: a click puts the script's caret there.
function drawTrace(trace) {
  $('trace-panel').hidden = !Array.isArray(trace);
  if (!Array.isArray(trace)) return;
  // Made as elements, not as HTML to parse: a run of a long script has a row per line
  // it ran, and parsing them was most of the time from an answer to the screen.
  // Rows are numbered as the run made them, the ones left out counted in.
  let number = 0;
  $('trace').replaceChildren(...trace.map((row) => {
    const item = document.createElement('li');
    if (row.omitted) {
      number += row.omitted;
      item.className = 'omitted';
      item.textContent = t('traceOmitted', { n: row.omitted.toLocaleString(pageLanguage) });
      return item;
    }
    item.value = ++number;
    item.textContent = row.text;
    if (row.line > 0) {
      item.dataset.line = row.line;
      item.tabIndex = -1;
    }
    if (row.end) item.className = 'end';
    return item;
  }));
  // The last run a command started: a transcript's many commands come as one trace, and
  // only the last one's message is the last row of what the plugin did.
  const ends = trace.filter((row) => row.end && row.depth === 1);
  showRunEnds(ends.slice(-1));
  markLinesThatRan(trace);
}

// The script's gutter shows the lines the run reached, each IF with its outcome (an IF
// record follows the record of its line).
function markLinesThatRan(trace) {
  if (!editors.script) return;
  const marks = new Map();
  let at = 0;
  for (const row of trace) {
    if (row.kind === 'line' && row.line > 0) {
      at = row.line;
      if (!marks.has(at)) marks.set(at, 'ran');
    } else if (row.kind === 'if' && at) {
      const was = marks.get(at);
      const now = row.holds ? 'true' : 'false';
      // An IF that ran both ways in one run keeps the cross: it failed at least once.
      marks.set(at, was === 'false' ? 'false' : now);
    }
  }
  lastRan = [...marks].map(([line, kind]) => [line, kind, t('ran_' + kind)]);
  editors.script.code.markRan(lastRan);
}
// The marks of the last run, put back when the page loads the files that ran.
let lastRan = [];

// How each run a command started ended (the end of the script, EXIT, a bound), beside
// what the plugin did with the message: a run that a bound stopped says so there, not
// only in the trace.
function showRunEnds(ends) {
  if (!ends.length) return;
  const list = $('activity');
  const last = list.lastElementChild;
  const words = ends.map((row) => t('end_' + row.end) + (row.line > 0 ? ' (' + t('line') + ' ' + row.line + ')' : ''));
  const bound = ends.some((row) => BOUND_ENDS.has(row.end));
  if (last && !last.querySelector('.ended') && last.dataset.kind !== 'messenger') {
    const span = document.createElement('span');
    span.className = 'ended' + (bound ? ' bound' : '');
    span.textContent = ' · ' + t('runEnded') + ' ' + words.join(', ');
    last.appendChild(span);
  } else if (bound) {
    activity('end', words.join(', '));
  }
}
// The ends that a bound made (the trace's words for them).
const BOUND_ENDS = new Set(['lines', 'bytes', 'value', 'calls', 'nesting', 'failure']);

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

function clearOutput() {
  $('log').innerHTML = '';
  $('activity').innerHTML = '';
  $('golden').textContent = '';
  delete $('golden').dataset.matches;
  resetMessengerState();
  forgetContacts();
}

// The editors take the files the plugin runs now.
async function editorsFromFiles(files) {
  const now = files || (await engine.request('files', {}));
  for (const n of ['script', 'spam']) {
    editors[n].applied = typeof now[n] === 'string' ? now[n] : '';
    editors[n].load(editors[n].applied);
  }
  editors.script.code.markRan(lastRan);
  updateDirty();
}

// A fresh messenger whose data folder holds the example's files, then its transcript
// played; beside it, the whole transcript in a session of its own, compared with the
// golden output as "kwartlin-sim run --expect" does.
async function loadExample(name, playTranscript = true, compare = playTranscript) {
  const example = examples.find((e) => e.name === name);
  if (!example) return;
  for (const button of document.querySelectorAll('#examples button'))
    button.classList.toggle('active', button.dataset.example === name);
  const folder = '/examples/' + name;
  const files = {};
  for (const [file, f] of Object.entries(example.files)) files[file] = base64Bytes(f.base64);
  clearOutput();
  closeLink();
  if (recovering) await recovering;
  // The golden check first: it closes whatever messenger runs, and the page's own starts
  // after it.
  let golden = null;
  if (compare && example.files['expected.txt']) {
    golden = await engine.request('run', {
      transcript: example.files['transcript.txt'].text, folder, files, expected: 'expected.txt',
    });
  }
  render(await engine.request('start', { folder, files }));
  await beginSession();
  if (playTranscript) render(await feed(example.files['transcript.txt'].text, files));
  await editorsFromFiles();
  showEditor('script');
  if (location.hash) history.replaceState(null, '', location.pathname + location.search);
  if (!golden) return;
  $('golden').textContent = golden.matches ? t('goldenSame') : t('goldenDiffers');
  $('golden').className = golden.matches ? 'same' : 'differs';
  $('golden').dataset.matches = golden.matches ? '1' : '0';
}

// Whether the editors or the files the plugin runs hold the user's own work: edits not
// saved, or saved files that no example or link put there.
function holdsOwnWork() {
  return ['script', 'spam'].some((n) => editors[n].unsaved || (editors[n].applied !== '' && editors[n].applied !== editors[n].loaded));
}

// An example the user clicked: it replaces the editors, so unsaved edits are asked about
// first, as a new link's are.
async function chooseExample(name) {
  if (holdsOwnWork() &&
      !(await ask(t('replaceByExample', { name }), t('openExample'), t('keep')))) return;
  await loadExample(name);
}

// ---- Sharing -------------------------------------------------------------------------------

// What a link may expand to: its text (the files and the transcript) past this is
// refused before it is read whole, so a small link that inflates to gigabytes costs
// the page nothing. 1 MiB holds a script of some 30,000 lines.
const LINK_LIMIT_BYTES = 1024 * 1024;
// A link whose fragment alone is longer cannot be within the limit (deflate keeps a
// text at most a little larger; base64 adds a third).
const LINK_LIMIT_CHARS = Math.ceil((LINK_LIMIT_BYTES * 1.01 + 64) * 4 / 3);

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

function joinBytes(parts) {
  const out = new Uint8Array(parts.reduce((n, p) => n + p.length, 0));
  let at = 0;
  for (const p of parts) {
    out.set(p, at);
    at += p.length;
  }
  return out;
}

// Inflates, feeding the input in small pieces and reading the output as it comes: null
// as soon as the output passes limit. Fed whole, a small input that inflates a
// thousandfold would be inflated far past the limit before the first piece is read.
async function inflateBounded(bytes, limit) {
  const stream = new DecompressionStream('deflate-raw');
  const writer = stream.writable.getWriter();
  const reader = stream.readable.getReader();
  const parts = [];
  let total = 0;
  let over = false;
  let broken = false;
  const reading = (async () => {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) return;
      total += value.length;
      if (total > limit) {
        over = true;
        reader.cancel().catch(() => {});
        return;
      }
      parts.push(value);
    }
  })().catch(() => {
    broken = true;
  });
  const PIECE = 1024;
  for (let at = 0; at < bytes.length && !over && !broken; at += PIECE) {
    await writer.write(bytes.subarray(at, at + PIECE)).catch(() => {
      broken = true;
    });
  }
  if (!over && !broken) await writer.close().catch(() => {
    broken = true;
  });
  else writer.abort().catch(() => {});
  await reading;
  if (over) return null;
  if (broken) throw new Error('not deflate data');
  return joinBytes(parts);
}

// The session as a link: "#z=" and deflated JSON where the browser compresses, "#j="
// and plain JSON elsewhere. It holds the editors' texts and the session's transcript.
async function shareLink() {
  // A link opened and not run yet has played nothing here: its own transcript is the session.
  const transcript = openedLink ? openedLink.transcript : sessionTranscript();
  const data = { script: editors.script.text, spam: editors.spam.text, transcript };
  const json = new TextEncoder().encode(JSON.stringify(data));
  if (json.length > LINK_LIMIT_BYTES) return null;
  const fragment = typeof CompressionStream === 'function'
    ? 'z=' + toBase64Url(await pipe(json, new CompressionStream('deflate-raw')))
    : 'j=' + toBase64Url(json);
  // The page's address up to its query: a file's address has no origin to build it from.
  return location.href.split(/[?#]/)[0] + '#' + fragment;
}

// What the link in the address holds: null without a link, { error } for one the page
// does not open (unreadable, too big, a file that is no text), else the texts and the
// transcript ('' for a link of files only).
async function linkData() {
  const hash = location.hash;
  if (hash.length <= 1) return null;
  if (hash.length > LINK_LIMIT_CHARS) return { error: t('linkTooBig', { limit: LINK_LIMIT_BYTES / 1024 }) };
  const m = /^#([zj])=([A-Za-z0-9_-]*)$/.exec(hash);
  if (!m) return { error: t('linkBad') };
  let data;
  try {
    let bytes = fromBase64Url(m[2]);
    if (m[1] === 'z') bytes = await inflateBounded(bytes, LINK_LIMIT_BYTES);
    if (!bytes || bytes.length > LINK_LIMIT_BYTES) return { error: t('linkTooBig', { limit: LINK_LIMIT_BYTES / 1024 }) };
    data = JSON.parse(new TextDecoder('utf-8', { fatal: true }).decode(bytes));
  } catch (e) {
    return { error: t('linkBad') };
  }
  if (!data || typeof data !== 'object' || Array.isArray(data)) return { error: t('linkBad') };
  const texts = {};
  for (const [key, what] of [['script', 'script'], ['spam', 'spam'], ['transcript', 'transcript']]) {
    const value = data[key] === undefined || data[key] === null ? '' : data[key];
    if (typeof value !== 'string') return { error: t('linkWrongType', { what: key === 'transcript' ? 'transcript' : t(what) }) };
    texts[key] = value;
  }
  return texts;
}

// The link waiting for "Run": its files are in the editors, nothing of it has run.
let openedLink = null;

// The link's files in the editors, beside an empty messenger: the plugin runs none of
// them until "Run".
async function openLink(data) {
  if (recovering) await recovering;
  clearOutput();
  render(await engine.request('start', {}));
  await beginSession();
  editors.script.applied = editors.spam.applied = '';
  editors.script.load(data.script);
  editors.spam.load(data.spam);
  showEditor('script');
  openedLink = data;
  const lines = data.transcript === '' ? 0 : data.transcript.split('\n').length;
  $('link-text').textContent = data.transcript ? t('linkSession', { n: lines }) : t('linkFiles');
  $('link-box').hidden = false;
  for (const button of document.querySelectorAll('#examples button')) button.classList.remove('active');
}

function closeLink() {
  openedLink = null;
  $('link-box').hidden = true;
}

// "Run": a session's transcript plays in a fresh, empty messenger, as "kwartlin-sim run"
// plays it; a link of files only saves them and starts the messenger with them.
async function runLink() {
  const data = openedLink;
  if (!data) return;
  closeLink();
  try {
    if (recovering) await recovering;
    clearOutput();
    render(await engine.request('start', {}));
    await beginSession();
    editors.script.applied = editors.spam.applied = '';
    if (data.transcript) {
      render(await feed(data.transcript));
      const files = await engine.request('files', {});
      editors.script.applied = typeof files.script === 'string' ? files.script : '';
      editors.spam.applied = typeof files.spam === 'string' ? files.spam : '';
      updateDirty();
    } else {
      await applyEditors();
    }
  } catch (e) {
    appendLog('[page] ' + e.message + '\n', 'error');
  }
}

// A question in the page's own bar (no browser dialog): true for "yes".
function ask(question, yes, no) {
  $('question-text').textContent = question;
  $('question-yes').textContent = yes;
  $('question-no').textContent = no;
  $('question').hidden = false;
  return new Promise((resolve) => {
    const answer = (value) => {
      $('question').hidden = true;
      $('question-yes').onclick = $('question-no').onclick = null;
      resolve(value);
    };
    $('question-yes').onclick = () => answer(true);
    $('question-no').onclick = () => answer(false);
  });
}

async function linkChanged() {
  const data = await linkData();
  if (!data) return;
  if (data.error) {
    appendLog('[page] ' + data.error + '\n', 'error');
    return;
  }
  if (holdsOwnWork() && !(await ask(t('replaceQuestion'), t('replace'), t('keep')))) return;
  await openLink(data);
}

// ---- Download: the data folder as the plugin reads it --------------------------------------

const CRC_TABLE = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

function crc32(bytes) {
  let c = 0xffffffff;
  for (let i = 0; i < bytes.length; i++) c = CRC_TABLE[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

// A zip archive of files stored as they are ({ name: bytes }; names ASCII), dated now.
function zip(files) {
  const when = dosDateTime(new Date());
  const parts = [];
  const central = [];
  let offset = 0;
  const header = (size) => {
    const buffer = new Uint8Array(size);
    return { buffer, view: new DataView(buffer.buffer) };
  };
  for (const [name, data] of Object.entries(files)) {
    const nameBytes = new TextEncoder().encode(name);
    const crc = crc32(data);
    const local = header(30 + nameBytes.length);
    local.view.setUint32(0, 0x04034b50, true);
    local.view.setUint16(4, 10, true);
    local.view.setUint16(10, when.time, true);
    local.view.setUint16(12, when.date, true);
    local.view.setUint32(14, crc, true);
    local.view.setUint32(18, data.length, true);
    local.view.setUint32(22, data.length, true);
    local.view.setUint16(26, nameBytes.length, true);
    local.buffer.set(nameBytes, 30);
    const entry = header(46 + nameBytes.length);
    entry.view.setUint32(0, 0x02014b50, true);
    entry.view.setUint16(4, 20, true);
    entry.view.setUint16(6, 10, true);
    entry.view.setUint16(12, when.time, true);
    entry.view.setUint16(14, when.date, true);
    entry.view.setUint32(16, crc, true);
    entry.view.setUint32(20, data.length, true);
    entry.view.setUint32(24, data.length, true);
    entry.view.setUint16(28, nameBytes.length, true);
    entry.view.setUint32(42, offset, true);
    entry.buffer.set(nameBytes, 46);
    parts.push(local.buffer, data);
    central.push(entry.buffer);
    offset += local.buffer.length + data.length;
  }
  const size = central.reduce((n, c) => n + c.length, 0);
  const end = header(22);
  end.view.setUint32(0, 0x06054b50, true);
  end.view.setUint16(8, central.length, true);
  end.view.setUint16(10, central.length, true);
  end.view.setUint32(12, size, true);
  end.view.setUint32(16, offset, true);
  return joinBytes([...parts, ...central, end.buffer]);
}

// The Kwartlin folder's files as the plugin would read them: the editors' texts as
// Windows-1250 and CR LF, beside the settings file as the running messenger has it.
// Nothing is saved or restarted for it, so the session's variables stay as they are.
// null when a text holds a character Windows-1250 lacks (said in the log).
async function dataFolderZip() {
  if (recovering) await recovering;
  const entries = {};
  for (const name of ['script', 'spam']) {
    const file = windows1250File(editors[name].text);
    if (file.bad) {
      const why = t('cannotDownload', { file: FILE_NAMES[name], line: file.line, character: file.bad });
      appendLog('[page] ' + why + '\n', 'error');
      refused(why);
      return null;
    }
    if (name === 'script' || editors.spam.text !== '') entries['Kwartlin/' + FILE_NAMES[name]] = file.bytes;
  }
  const files = await engine.request('files', {});
  if (files.folder) {
    const now = await engine.request('readFolder', { folder: files.folder, names: ['Kwartlin.ini'] });
    if (now['Kwartlin.ini']) entries['Kwartlin/Kwartlin.ini'] = now['Kwartlin.ini'];
  }
  return zip(entries);
}

async function download() {
  const archive = await dataFolderZip();
  if (!archive) return;
  const url = URL.createObjectURL(new Blob([archive], { type: 'application/zip' }));
  const a = document.createElement('a');
  a.href = url;
  a.download = 'Kwartlin.zip';
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// ---- Layout: panes resized by dragging, one pane at a time on a phone ----------------------

function setUpLayout() {
  const main = document.querySelector('main');
  for (const splitter of document.querySelectorAll('.splitter')) {
    const pane = $(splitter.dataset.left);
    const property = '--' + splitter.dataset.left + '-width';
    const resize = (width) => {
      const max = main.clientWidth - 320 - (splitter.dataset.left === 'editors' ? pane.nextElementSibling.nextElementSibling.offsetWidth : 0);
      const now = Math.round(Math.max(260, Math.min(width, Math.max(260, max))));
      main.style.setProperty(property, now + 'px');
      splitter.setAttribute('aria-valuenow', String(Math.round((100 * now) / main.clientWidth)));
      if (editors.script) for (const e of Object.values(editors)) e.code.view.requestMeasure();
    };
    splitter.addEventListener('pointerdown', (event) => {
      event.preventDefault();
      splitter.setPointerCapture(event.pointerId);
      const startX = event.clientX;
      const startWidth = pane.getBoundingClientRect().width;
      const move = (e) => resize(startWidth + e.clientX - startX);
      const up = () => {
        splitter.removeEventListener('pointermove', move);
        splitter.removeEventListener('pointerup', up);
      };
      splitter.addEventListener('pointermove', move);
      splitter.addEventListener('pointerup', up);
    });
    splitter.addEventListener('keydown', (event) => {
      const step = event.key === 'ArrowLeft' ? -20 : event.key === 'ArrowRight' ? 20 : 0;
      if (step) resize(pane.getBoundingClientRect().width + step);
    });
  }
  for (const button of document.querySelectorAll('#panes [data-pane]')) {
    button.addEventListener('click', () => showPane(button.dataset.pane));
  }
  showPane('editors');
}

function showPane(name) {
  document.body.dataset.pane = name;
  for (const button of document.querySelectorAll('#panes [data-pane]')) button.classList.toggle('active', button.dataset.pane === name);
}

// ---- The page's own wiring -----------------------------------------------------------------

function setUpMessenger() {
  const statuses = $('statuses');
  for (const p of PROTOCOLS) {
    const row = document.createElement('form');
    row.className = 'row';
    row.dataset.protocol = p;
    row.innerHTML = '<b>' + p + '</b> <span class="now"></span><span class="spacer"></span><select aria-label="' + p +
      ' status">' + STATUS_NAMES.slice(1).map((n) => '<option>' + n + '</option>').join('') +
      '</select><input data-i18n-placeholder="descriptionPlaceholder" aria-label="' + p +
      ' description" size="8"><button type="submit" data-i18n="set"></button>';
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

// ---- The spam tester: a text against the list being edited, live -------------------------

let spamTicket = 0;
async function testSpam() {
  const ticket = ++spamTicket;
  const text = $('spam-text').value;
  if (!editors.spam || !engine.worker) return;
  let answer;
  try {
    answer = await engine.request('spam', { list: editors.spam.text, text });
  } catch (e) {
    return;
  }
  if (ticket !== spamTicket || !answer || !answer.ok) return;
  drawSpamTest(answer, text !== '');
}

// The folded text with every alternative that a matching rule found marked, then one row
// per rule: its words and what they found, or the words that found nothing.
function drawSpamTest(answer, any) {
  const verdict = $('spam-verdict');
  verdict.className = answer.spam ? 'spam' : '';
  verdict.textContent = !any ? '' : answer.spam
    ? t('spamVerdictSpam', { n: answer.matches.length, rules: answer.rules })
    : t('spamVerdictClean', { rules: answer.rules });
  const folded = answer.folded;
  const marks = new Array(folded.length).fill(false);
  for (const rule of answer.matches)
    for (const word of rule.words)
      for (const form of word.found)
        for (let at = folded.indexOf(form); form && at >= 0; at = folded.indexOf(form, at + 1))
          marks.fill(true, at, at + form.length);
  const box = $('spam-folded');
  box.replaceChildren();
  if (any) box.append(t('spamFolded') + ' ');
  for (let i = 0; i < folded.length;) {
    let j = i;
    while (j < folded.length && marks[j] === marks[i]) j++;
    const piece = folded.slice(i, j);
    if (marks[i]) {
      const mark = document.createElement('mark');
      mark.textContent = piece;
      box.append(mark);
    } else {
      box.append(piece);
    }
    i = j;
  }
  const rows = [];
  const row = (rule, parts) => {
    const item = document.createElement('li');
    item.append(t('line') + ' ' + rule.line + ': ' + rule.rule + ' — ');
    for (const part of parts) item.append(part);
    rows.push(item);
  };
  const span = (className, text) => {
    const node = document.createElement('span');
    node.className = className;
    node.textContent = text;
    return node;
  };
  if (any) {
    for (const rule of answer.matches)
      row(rule, [t('spamMatches') + ' ', ...rule.words.flatMap((w, n) => [n ? ', ' : '', w.word + ' → ', span('hit', w.hits.join(' | '))])]);
    for (const rule of answer.misses)
      row(rule, [t('spamMissing') + ' ', span('missing', rule.words.map((w) => w.word).join(', '))]);
  }
  $('spam-rules').replaceChildren(...rows);
}

function setUpTrace() {
  $('trace').addEventListener('click', (event) => {
    const row = event.target.closest('li[data-line]');
    if (!row) return;
    showEditor('script');
    if (window.innerWidth < 760) showPane('editors');
    editors.script.goToLine(Number(row.dataset.line));
  });
}

function setUpEditors() {
  editors.script = new Editor($('editor-script'), false, 'Script');
  editors.spam = new Editor($('editor-spam'), true, 'Spam list');
  for (const button of document.querySelectorAll('.tabs [data-editor]'))
    button.addEventListener('click', () => showEditor(button.dataset.editor));
  $('run-message').addEventListener('click', () => $('receive').click());
  $('apply').addEventListener('click', async () => {
    try {
      if (recovering) await recovering;
      await applyEditors();
    } catch (e) {
      appendLog('[page] ' + e.message + '\n', 'error');
    }
  });
  // The menu floats over the page under its button, kept inside the window.
  $('commands').addEventListener('click', (event) => {
    event.stopPropagation();
    const menu = $('menu');
    if (!menu.hidden) {
      closeMenu();
      return;
    }
    menu.hidden = false;
    $('commands').setAttribute('aria-expanded', 'true');
    const at = $('commands').getBoundingClientRect();
    menu.style.top = Math.round(at.bottom + 2) + 'px';
    menu.style.left = Math.round(Math.max(4, Math.min(at.left, window.innerWidth - menu.offsetWidth - 4))) + 'px';
    const first = menu.querySelector('[role="menuitem"]');
    if (first) first.focus();
  });
  $('menu').addEventListener('keydown', menuKeys);
  document.addEventListener('click', (event) => {
    if (!$('menu').contains(event.target)) closeMenu();
  });
}

function setUpHeader() {
  $('stop').addEventListener('click', () => recoverEngine(t('stoppedByYou')));
  // A new messenger is an empty one: no files, so the editors empty too (unsaved
  // edits are asked about first).
  $('fresh').addEventListener('click', async () => {
    try {
      if ((editors.script.unsaved || editors.spam.unsaved) &&
          !(await ask(t('emptyQuestion'), t('emptyYes'), t('keep')))) return;
      if (recovering) await recovering;
      clearOutput();
      closeLink();
      render(await engine.request('start', {}));
      await beginSession();
      editors.script.applied = editors.spam.applied = '';
      editors.script.load('');
      editors.spam.load('');
      for (const button of document.querySelectorAll('#examples button')) button.classList.remove('active');
      updateDirty();
      keepWork();
    } catch (e) {
      appendLog('[page] ' + e.message + '\n', 'error');
    }
  });
  $('share').addEventListener('click', async () => {
    const link = await shareLink();
    if (!link) {
      // A page would refuse it: no link is better than one that does not open.
      $('share-box').hidden = true;
      appendLog('[page] ' + t('shareTooBig', { limit: LINK_LIMIT_BYTES / 1024 }) + '\n', 'error');
      return;
    }
    history.replaceState(null, '', link);
    $('share-link').value = link;
    $('share-size').textContent = t('shareSize', { n: link.length });
    $('share-box').hidden = false;
    $('share-link').select();
    try {
      await navigator.clipboard.writeText(link);
      $('share-size').textContent = t('shareSize', { n: link.length }) + ' · ' + t('copied');
    } catch (e) {
      // The link stays selected in its box for copying by hand.
      $('share-size').textContent = t('shareSize', { n: link.length }) + ' · ' + t('copyByHand');
    }
  });
  $('share-close').addEventListener('click', () => {
    $('share-box').hidden = true;
  });
  $('download').addEventListener('click', () => download().catch((e) => appendLog('[page] ' + e.message + '\n', 'error')));
  $('link-run').addEventListener('click', () => runLink());
  $('link-close').addEventListener('click', () => closeLink());
  $('language').addEventListener('click', () => {
    applyLanguage($('language').dataset.switchTo, true);
    guideLinks();
    setState(t(document.body.dataset.ready ? 'ready' : 'loading'));
    redrawContacts();
    drawMessenger();
    showFindings();
    // The findings' messages are the engine's words: checked again, they come in the new language.
    for (const e of Object.values(editors)) e.check();
  });
}

// What the last visit left, in the editors and in a fresh messenger: the session is
// played again, so the messenger, its variables and the results are as they were; then
// the editors get their texts back, edits not yet saved included.
async function restoreWork(work) {
  clearOutput();
  render(await engine.request('start', {}));
  await beginSession();
  editors.script.applied = editors.spam.applied = '';
  if (work.transcript) {
    render(await feed(work.transcript));
    await editorsFromFiles();
  }
  editors.script.load(work.script);
  editors.spam.load(work.spam);
  // What the plugin does not run yet is an edit, as it was before the reload.
  editors.script.loaded = editors.script.applied;
  editors.spam.loaded = editors.spam.applied;
  updateDirty();
}

// The first thing the page shows. A link wins, but it asks first before it takes the
// place of work kept from the last visit; typing done while the engine loaded is kept;
// with nothing of the user's, the first example plays its transcript so the results
// show what a script does.
async function firstView(shared, work, typed) {
  if (shared && !shared.error) {
    const replaces = kept.worthKeeping(work) && (work.script !== shared.script || work.spam !== shared.spam);
    if (!replaces || (await ask(t('linkOverKept'), t('replace'), t('keepKept')))) {
      await openLink(shared);
      return;
    }
  }
  if (typed) {
    await restoreWork({ ...typed, transcript: '' });
  } else if (kept.worthKeeping(work)) {
    await restoreWork(work);
  } else if (examples.some((e) => e.name === 'ping-pong')) {
    // Its transcript plays, so the results show what it does (not under a link the page
    // refused: its reason is what the results show); the comparison with its golden
    // output waits for a click on the example.
    await loadExample('ping-pong', !shared, false);
    if (!$('message-text').value) $('message-text').value = 'ping';
  } else {
    render(await engine.request('start', {}));
    await beginSession();
  }
}

async function main() {
  // Framed by another site, the page would run its buttons for it: it starts only on
  // its own (the header policy says the same where the server sends it).
  if (window.top !== window.self) throw new Error(t('framed'));
  applyLanguage(chosenLanguage(), false);
  setUpLayout();
  setUpEditors();
  setUpMessenger();
  setUpHeader();
  setUpTrace();
  guideLinks();
  $('spam-text').addEventListener('input', () => testSpam());
  applyLanguage(pageLanguage, false);
  resetMessengerState();
  const loaded = loadExamples();
  await engine.launch();
  $('version').textContent = engine.info.name + ' ' + engine.info.version;
  for (const e of Object.values(editors)) e.code.setLanguage(engine.language);
  buildMenu(engine.menu.items);
  examples = await loaded;
  for (const example of examples) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = example.name;
    button.dataset.example = example.name;
    button.addEventListener('click', () => chooseExample(example.name).catch((e) => appendLog('[page] ' + e.message + '\n', 'error')));
    $('examples').appendChild(button);
  }
  // A link shows its files and waits for "Run": nothing of it runs on its own, not even
  // its _init. The messenger meanwhile is an empty one.
  const shared = await linkData();
  const typed = editors.script.text !== '' || editors.spam.text !== ''
    ? { script: editors.script.text, spam: editors.spam.text } : null;
  await firstView(shared, kept.read(), typed);
  if (shared && shared.error) appendLog('[page] ' + shared.error + '\n', 'error');
  window.addEventListener('pagehide', () => kept.flush(currentWork));
  window.addEventListener('beforeunload', (event) => {
    kept.flush(currentWork);
    if (kept.failed && (editors.script.unsaved || editors.spam.unsaved)) {
      event.preventDefault();
      event.returnValue = '';
    }
  });
  window.addEventListener('hashchange', () => linkChanged().catch((e) => appendLog('[page] ' + e.message + '\n', 'error')));
  measures.readyMs = performance.now();
  document.body.dataset.ready = '1';
  setState(t('ready'));
  showEditor('script');
  keepWork();
}

main().catch((e) => {
  setState(t('notStarted') + e.message);
  document.body.dataset.failed = '1';
});
