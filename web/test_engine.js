// The playground's engine under node (node --test): the examples against their golden
// transcripts, the page's session path against the same, hostile input against the
// native simulator, and the page's helpers (checker, help lines, menu, files).
//   node --test web/test_engine.js     with KW_ENGINE=<site>/kwartlin-engine.js,
//   KW_EXAMPLES=<examples dir>, and, for the comparison, KW_NATIVE_SIM and KW_NATIVE_MODULE.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const makeEngineApi = require('./engine-api.js');

const examplesDir = process.env.KW_EXAMPLES || path.join(__dirname, '..', 'examples');
const engineReady = require(process.env.KW_ENGINE)({ print() {}, printErr() {} }).then(makeEngineApi);

function exampleFiles(name) {
  const files = {};
  for (const file of fs.readdirSync(path.join(examplesDir, name))) files[file] = fs.readFileSync(path.join(examplesDir, name, file));
  return files;
}
const examples = fs.readdirSync(examplesDir).filter((n) => fs.existsSync(path.join(examplesDir, n, 'expected.txt')));

// The output of a whole transcript minus what the unload at its end adds.
function withoutUnload(text) {
  const at = text.lastIndexOf('> unload');
  return at < 0 ? text : text.slice(0, at);
}

test('the engine is 32-bit wasm with the plugin built in', async () => {
  const api = await engineReady;
  const info = api.info();
  assert.strictEqual(info.pointerBytes, 4);
  assert.strictEqual(info.name, 'Kwartlin');
  assert.match(info.version, /^\d+\.\d+\.\d+\.\d+$/);
  // The plugin reads its version from its module file, as it does from kwartlin.tpl.
  const load = api.start().events[0];
  assert.strictEqual(load.event, 'load');
  assert.strictEqual(load.version, info.version);
});

test('every example gives its golden transcript, as a whole run and played in a session', async () => {
  const api = await engineReady;
  for (const name of examples) {
    const folder = '/t/' + name;
    api.writeFolder(folder, exampleFiles(name));
    const transcript = fs.readFileSync(path.join(examplesDir, name, 'transcript.txt'), 'utf8');
    const expected = fs.readFileSync(path.join(examplesDir, name, 'expected.txt'), 'utf8');
    const run = api.run(transcript, folder, folder, folder + '/expected.txt');
    assert.strictEqual(run.matches, true, name + ': ' + run.errors.join(''));
    // The page's way: a session started on the folder, the transcript fed, then closed.
    const start = api.start(folder, folder);
    const fed = api.feed(transcript);
    assert.strictEqual(fed.code, 0, name + ': ' + fed.errors.join(''));
    assert.strictEqual(start.text + fed.text, withoutUnload(expected), name);
    assert.strictEqual(start.text + fed.text + api.finish().text, expected, name);
  }
});

// Hostile input, played through the engine and through the native simulator: both
// must print the same. Each case is a transcript and the data files it starts with.
const loop = ':_start\n:a\nadd $x, 1\ngoto a\n';
const grow = ':_start\nmov $v, "x"\n:a\nadd $v, $v\ngoto a\n';
const hostile = [
  ['a run that reaches the executed lines bound', { 'Kwartlin.dat': loop }, 'recv TLEN a@b hi\nrecv GG 1 again\n'],
  ['a run that doubles a value past the write bound', { 'Kwartlin.dat': grow }, 'recv TLEN a@b hi\nrecv TLEN a@b hi\n'],
  ['a spam list with an open quote, a zero byte and blank lines',
    { 'Kwartlin.dat': ':_start\nchkspam $s, $_MESSAGE\nmov $_FILTR, $s\n', 'Kwartlin.spm': '"open\r\nab\0cd\r\n\r\n \r\nzzz\r\n' },
    'recv TLEN a@b an open quote\nrecv TLEN a@b ab\nrecv TLEN a@b cd zzz\nrecv TLEN a@b clean\n'],
  ['a 100,000-line script pasted whole', {},
    'file script <<END\n:_start\n' + 'mov $a, $_MESSAGE\n'.repeat(100000) + 'mov $_MESSAGE, "last"\nEND\nrestart\nrecv GG 1 first\n'],
  ['a character Windows-1250 cannot hold', {}, 'recv TLEN a@b fine\nrecv TLEN a@b 日本\n'],
  ['commands the plugin does not know, and a missing label', { 'Kwartlin.dat': ':_start\nfoo\ngoto nowhere\nmov $_MESSAGE, "x"\n' },
    'recv TLEN a@b hi\n'],
];

test('hostile input gives what the native simulator gives', { skip: !process.env.KW_NATIVE_SIM && 'no native simulator' }, async () => {
  const api = await engineReady;
  for (const [what, files, transcript] of hostile) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kw-web-'));
    const bytes = {};
    for (const [name, text] of Object.entries(files)) bytes[name] = Buffer.from(text, 'latin1');
    for (const [name, data] of Object.entries(bytes)) fs.writeFileSync(path.join(dir, name), data);
    fs.writeFileSync(path.join(dir, 'transcript.txt'), transcript);
    const native = spawnSync(process.env.KW_NATIVE_SIM,
      ['run', '--lang', 'en', '--color', 'never', '--module', process.env.KW_NATIVE_MODULE, '--plugins-from', dir, path.join(dir, 'transcript.txt')],
      { encoding: 'utf8', maxBuffer: 1 << 28 });
    fs.rmSync(dir, { recursive: true });
    const folder = '/hostile/' + hostile.findIndex((h) => h[0] === what);
    api.writeFolder(folder, bytes);
    const web = api.run(transcript, folder, folder);
    assert.strictEqual(web.code, native.status, what);
    assert.strictEqual(web.text, native.stdout, what);
    // The reason of a refused line, after the file name the two give differently.
    const reason = (s) => s.replace(/^[^\n]*?:(\d+): /gm, '$1: ');
    assert.strictEqual(reason(web.errors.join('')), reason(native.stderr), what);
  }
});

test("the engine words its log and trace in the language it is given", async () => {
  const api = await engineReady;
  try {
    for (const [language, passed, run] of [['pl', 'przeszła', 'przebieg'], ['en', 'passed', 'run']]) {
      api.setTextLanguage(language);
      api.start();
      const r = api.feed('recv TLEN a@b hi');
      assert.match(r.text, new RegExp('\\n {4}' + passed + '\\n'), language);
      assert.ok(api.trace().some((row) => row.text.startsWith(run + ' ')), language);
    }
  } finally {
    api.setTextLanguage('en');
  }
});

test('a run that reaches a bound leaves the messenger answering', async () => {
  const api = await engineReady;
  api.start();
  const saved = api.feed('file script <<END\n' + loop + 'END\nrestart');
  assert.strictEqual(saved.code, 0);
  const first = api.feed('recv TLEN a@b hi');
  const second = api.feed('recv TLEN a@b again');
  for (const r of [first, second]) assert.match(r.text, /\n {4}passed\n/);
  const x = second.variables.find((v) => v.name === '$X');
  assert.ok(Number(x.value) > 0);
});

test('the session refuses a whole chunk with a bad line and runs nothing of it', async () => {
  const api = await engineReady;
  api.start();
  const r = api.feed('status GG away\nfile script <<END\nmov $a, "łódź ok"\nmov $b, "日本"\nEND\nrestart');
  assert.strictEqual(r.code, 2);
  assert.match(r.errors[0], /^line 4: /);
  assert.strictEqual(r.events.length, 0);
  // A failing command stops the ones after it.
  const s = api.feed('status GG away\nfile script from /no/such/file\nstatus GG dnd');
  assert.strictEqual(s.code, 1);
  assert.deepStrictEqual(s.events.map((e) => e.event), ['status']);
});

test('the checker, help lines and the menu come from the engine', async () => {
  const api = await engineReady;
  const cases = [
    // text, spam list?, expected [line, name] pairs
    [':_start\ngoto nowhere\nfoo bar', false, [[2, 'missing-label'], [3, 'unknown-command']]],
    [':_start\nSEND $_ID, bardzo', false, [[2, 'binary-word']]],
    ['mov $a, "ok"\nmov $b, "日本"\nfoo', false, [[2, 'character'], [3, 'unknown-command']]],
    [':_start\r\nexit\r\n', false, []],
    ['', true, []],
  ];
  for (const [text, spam, want] of cases) {
    const found = api.check(text, spam).findings;
    const got = found.map((f) => [f.line, f.name]);
    for (const f of found) {
      assert.match(f.code, /^KW\d{3}$/);
      assert.ok(['error', 'warning', 'note'].includes(f.severity));
      assert.ok(f.column >= 1 && f.endColumn > f.column, JSON.stringify(f));
    }
    for (const pair of want) assert.ok(got.some((g) => g[0] === pair[0] && g[1] === pair[1]), JSON.stringify([text, got]));
    if (!want.length) assert.deepStrictEqual(got, [], text);
  }
  assert.match(api.help('goto x').syntax, /^GOTO /);
  assert.match(api.help('MOV $a, 1').description, /\S/);
  assert.strictEqual(api.help('  mov $a, 1').syntax, '');  // a leading blank: no command
  assert.strictEqual(api.help('łódź').syntax, '');
  const items = api.menu().items;
  // Captions arrive as UTF-8 (the tables hold Windows-1250).
  assert.ok(items.some((i) => i.kind === 'header' && i.caption === 'Stałe'));
  const all = items.flatMap((i) => (i.items ? i.items : [i])).filter((i) => i.kind === 'entry');
  assert.ok(all.some((i) => i.insert.startsWith(':_INIT // (')));
  assert.ok(all.some((i) => i.insert === 'goto' && /^GOTO /.test(i.syntax)));
});

test('the data files read back as the editor text that writes them', async () => {
  const api = await engineReady;
  api.start();
  const script = ':_start\nmov $a, "zażółć gęślą jaźń"\n\tadd $n, 1\n\nexit';
  api.feed('file script <<END\n' + script + '\nEND\nfile spam delete');
  const files = api.files();
  assert.strictEqual(files.script, script);
  assert.strictEqual(files.spam, null);
});

test("the language tables come from the engine's own, and the data folder reads back as bytes", async () => {
  const api = await engineReady;
  const language = api.language();
  assert.strictEqual(language.commands.length, api.info().commands);
  const words = new Map(language.commands.map((c) => [c.word, c]));
  for (const word of ['GOTO', 'IF', 'MOV', 'SEND', 'CHKSPAM']) {
    assert.ok(words.get(word).syntax.startsWith(word + ' ') || words.get(word).syntax === word, word);
    assert.notStrictEqual(words.get(word).description, '', word);
  }
  const constants = new Map(language.constants.map((c) => [c.name, c.value]));
  assert.strictEqual(constants.get('TRUE'), '1');
  assert.strictEqual(constants.get('CINFO_BLOCKED'), '65536');
  assert.deepStrictEqual(language.labels.map((l) => l.name), ['_init', '_start', '_menu_show', '_menu_click']);
  assert.ok(language.variables.includes('$_MESSAGE'));
  // The files as the plugin reads them: Windows-1250, CR LF.
  api.start();
  api.feed('file script <<END\n:_init\nMOV $a, \'zażółć\'\nEND');
  const files = api.files();
  const bytes = api.readFolder(files.folder, ['Kwartlin.dat', 'Kwartlin.spm']);
  assert.deepStrictEqual(Object.keys(bytes), ['Kwartlin.dat']);
  assert.deepStrictEqual(Buffer.from(bytes['Kwartlin.dat']),
    Buffer.concat([Buffer.from(":_init\r\nMOV $a, 'za"), Buffer.from([0xbf, 0xf3, 0xb3, 0xe6]), Buffer.from("'\r\n")]));
  api.finish();
});
