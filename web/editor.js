// The playground's code editor: CodeMirror 6 set up for the script language and for
// the spam list. The web build bundles this file with its packages into one script,
// editor-bundle.js, which defines window.KwEditor. The language's words come from the
// engine's own tables (setLanguage), so nothing of the vocabulary is written here.
import { Compartment, EditorState, Prec, RangeSet, StateEffect, StateField } from '@codemirror/state';
import {
  EditorView, GutterMarker, drawSelection, gutter, highlightActiveLine, highlightActiveLineGutter, hoverTooltip, keymap,
  lineNumbers,
} from '@codemirror/view';
import { HighlightStyle, StreamLanguage, syntaxHighlighting } from '@codemirror/language';
import { defaultKeymap, history, historyKeymap, insertTab } from '@codemirror/commands';
import { autocompletion, completionKeymap } from '@codemirror/autocomplete';
import { forEachDiagnostic, lintGutter, lintKeymap, setDiagnostics } from '@codemirror/lint';
import { tags } from '@lezer/highlight';

// Names in upper case, as the plugin matches them (case ignored).
const upper = (text) => text.toLocaleUpperCase('pl');
const NAME = /^[\p{L}\p{N}_]*/u;

function vocabulary(language) {
  const lang = language || { commands: [], constants: [], labels: [], variables: [] };
  return {
    lang,
    commands: new Map(lang.commands.map((c) => [upper(c.word), c])),
    constants: new Map(lang.constants.map((c) => [upper(c.name), c])),
    labels: new Map(lang.labels.map((l) => [upper(l.name), l])),
    variables: new Set(lang.variables.map((v) => upper(v.replace(/^\$/, '')))),
  };
}

// The parameter of a command line that the text before a position stands in: the
// command's entry and the parameter's declaration (role and use, from the command
// list's signatures); null outside a command's parameters.
function paramAt(words, before) {
  const m = /^\s*([\p{L}]+)[ \t]+(.*)$/u.exec(before);
  const command = m && words.commands.get(upper(m[1]));
  if (!command || !command.params || !command.params.length) return null;
  let index = 0;
  if (!command.rest) {
    let quoted = false;
    for (const ch of m[2]) {
      if (ch === "'") quoted = !quoted;
      else if (ch === ',' && !quoted) index++;
    }
  }
  const last = command.params.length - 1;
  const param = command.params[index] || (command.repeats ? command.params[last] : null);
  return param ? { command, index, param } : null;
}

// A role's name in the page's language.
const roleName = (param) => (document.documentElement.lang === 'pl' ? param.namePl : param.name);

// The constants that fit a parameter's role, by their names' prefixes.
const CONSTANTS_FOR = { Protocol: 'PROTO_', Status: 'STS_', Flag: ['TRUE', 'FALSE'], ContactFlags: 'CINFO_' };

// A script line: a label line (":name", a comment may follow), or a command word and
// its parameters; "//" outside single quotes starts a comment; a single quote opens a
// text that the next single quote (or the line's end) closes.
function scriptParser(words) {
  return {
    name: 'kwartlin',
    startState: () => ({ first: true }),
    token(stream, state) {
      if (stream.sol()) state.first = true;
      if (stream.eatSpace()) return null;
      if (stream.match('//')) {
        stream.skipToEnd();
        return 'comment';
      }
      if (state.first) {
        state.first = false;
        if (stream.peek() === ':') {
          const label = stream.match(/^:(?:(?!\/\/).)*/)[0];
          return words.labels.has(upper(label.slice(1).trim())) ? 'specialLabel' : 'labelName';
        }
        const word = stream.match(/^[^\s]+/)[0];
        return words.commands.has(upper(word)) ? 'keyword' : 'invalid';
      }
      if (stream.eat("'")) {
        if (!stream.skipTo("'")) stream.skipToEnd();
        else stream.next();
        return 'string';
      }
      if (stream.eat('$')) {
        return words.variables.has(upper(stream.match(NAME)[0])) ? 'programVariable' : 'variableName';
      }
      if (stream.eat('#')) {
        return words.constants.has(upper(stream.match(NAME)[0])) ? 'constant' : null;
      }
      if (stream.match(/^-?\d+(?![\p{L}_])/u) || stream.match(/^[bB][01]+(?![\p{L}\p{N}_])/u)) return 'number';
      if (stream.match(/^(<>|<=|>=|=|<|>)/)) return 'operator';
      if (stream.eat(',')) return 'separator';
      stream.match(/^[^\s,'$#/<>=]+/) || stream.next();
      return null;
    },
    tokenTable: {
      specialLabel: tags.special(tags.labelName),
      programVariable: tags.special(tags.variableName),
      constant: tags.constant(tags.name),
    },
  };
}

// A spam list line: a comment (";" first), or words whose alternatives "|" separates.
const spamParser = {
  name: 'kwartlin-spam',
  token(stream) {
    if (stream.sol() && stream.match(/^\s*;.*/)) return 'comment';
    if (stream.eatSpace()) return null;
    if (stream.eat('|')) return 'separator';
    stream.match(/^[^\s|]+/) || stream.next();
    return 'string';
  },
};

const highlight = HighlightStyle.define([
  { tag: tags.keyword, color: '#1f4e9c', fontWeight: 'bold' },
  { tag: tags.labelName, color: '#6941c6', fontWeight: 'bold' },
  { tag: tags.special(tags.labelName), color: '#9e165f', fontWeight: 'bold' },
  { tag: tags.variableName, color: '#0e7090' },
  { tag: tags.special(tags.variableName), color: '#0e7090', fontWeight: 'bold' },
  { tag: tags.constant(tags.name), color: '#b54708' },
  { tag: tags.string, color: '#067647' },
  { tag: tags.number, color: '#c11574' },
  { tag: tags.comment, color: '#667085', fontStyle: 'italic' },
  { tag: tags.operator, color: '#1d2330', fontWeight: 'bold' },
  { tag: tags.invalid, color: '#b42318', textDecoration: 'underline dotted' },
]);

// A checker finding as the editor's diagnostic. Columns count characters from 1 and the
// end column is exclusive; a finding without a column covers its whole line.
const SEVERITY = { error: 'error', warning: 'warning', note: 'info', info: 'info' };

function range(doc, line, column, endColumn) {
  const l = doc.line(Math.min(Math.max(1, line | 0), doc.lines));
  if (!(column >= 1)) return { from: l.from, to: l.to };
  const from = l.from + Math.min(column - 1, l.length);
  const to = endColumn > column ? l.from + Math.min(endColumn - 1, l.length) : from;
  return { from, to: Math.max(from, to) };
}

function diagnostic(doc, f, fixTitle) {
  const code = f.code || '';
  const { from, to } = range(doc, f.line, f.column, f.endColumn);
  const text = (code ? code + (f.name ? ' ' + f.name : '') + ': ' : '') + f.message;
  const d = { from, to, severity: SEVERITY[f.severity] || 'warning', message: text };
  if (f.fix && typeof f.fix.text === 'string') {
    const fix = f.fix;
    d.actions = [{
      name: fix.title || fixTitle,
      apply(view) {
        const at = range(view.state.doc, fix.line || f.line, fix.column, fix.endColumn);
        view.dispatch({ changes: { from: at.from, to: at.to, insert: fix.text } });
      },
    }];
  }
  return d;
}

// Hover help: a command word gives its two help lines (those the options page shows
// under its editor, or the guide's entry in the page's language), a parameter what it
// holds, with the value a variable had after the last run, a constant its value, a
// special label its variables. options.guide(WORD) gives the guide's entry ({ text,
// traps, href, more }); options.valueOf(name) a variable's value after the last run.
function hoverHelp(getWords, options) {
  return hoverTooltip((view, pos) => {
    const line = view.state.doc.lineAt(pos);
    const at = pos - line.from;
    const text = line.text;
    let start = at;
    let end = at;
    while (start > 0 && /[^\s,']/.test(text[start - 1])) start--;
    while (end < text.length && /[^\s,']/.test(text[end])) end++;
    if (start === end) return null;
    const word = text.slice(start, end);
    const words = getWords();
    let title = null;
    let body = '';
    let guide = null;
    if (text.slice(0, start).trim() === '' && words.commands.has(upper(word))) {
      const c = words.commands.get(upper(word));
      guide = options.guide ? options.guide(upper(word)) : null;
      title = c.syntax;
      body = guide && guide.text ? guide.text : c.description;
    } else if (word.startsWith('$') && options.valueOf && options.valueOf(word.slice(1)) !== null) {
      const v = options.valueOf(word.slice(1));
      title = word + ' = ' + JSON.stringify(v.value);
      body = v.label;
    } else if (paramAt(words, text.slice(0, start)) && !word.startsWith('#')) {
      const { command, index, param } = paramAt(words, text.slice(0, start));
      title = command.word + ' ' + (index + 1) + ': ' + roleName(param);
      body = command.syntax;
    } else if (word.startsWith('#') && words.constants.has(upper(word.slice(1)))) {
      const c = words.constants.get(upper(word.slice(1)));
      title = '#' + c.name + ' = ' + c.value;
    } else if (word.startsWith(':') && words.labels.has(upper(word.slice(1)))) {
      const l = words.labels.get(upper(word.slice(1)));
      title = ':' + l.name;
      body = l.params;
    }
    if (title === null) return null;
    return {
      pos: line.from + start,
      end: line.from + end,
      above: true,
      create() {
        const dom = document.createElement('div');
        dom.className = 'kw-hover';
        const head = document.createElement('div');
        head.className = 'kw-hover-syntax';
        head.textContent = title;
        dom.appendChild(head);
        if (body) {
          const rest = document.createElement('div');
          rest.className = 'kw-hover-description';
          rest.textContent = body;
          dom.appendChild(rest);
        }
        if (guide && guide.traps) {
          const traps = document.createElement('div');
          traps.className = 'kw-hover-traps';
          traps.textContent = guide.traps;
          dom.appendChild(traps);
        }
        if (guide && guide.href) {
          const link = document.createElement('a');
          link.href = guide.href;
          link.target = '_blank';
          link.rel = 'noopener';
          link.textContent = guide.more;
          dom.appendChild(link);
        }
        return { dom };
      },
    };
  });
}

// Completion: the command word first on a line; after ":" the labels; after "$" the
// variables the script uses and the program variables; after "#" the constants that fit
// the parameter; the labels of the script where a label is taken (GOTO, CALL).
function completions(getWords, options) {
  return (context) => {
    const line = context.state.doc.lineAt(context.pos);
    const before = line.text.slice(0, context.pos - line.from);
    const words = getWords();
    const doc = context.state.doc.toString();
    const labels = () => [...new Set([...doc.matchAll(/^[ \t]*:([^\s/]+)/gmu)].map((m) => m[1]))];
    let m;
    // A word typed out whole is not offered again: Enter after it starts a new line.
    const offer = (from, options, validFor) => {
      const typed = upper(context.state.sliceDoc(from, context.pos));
      const left = options.filter((o) => upper(o.label) !== typed);
      if (!left.length) return null;
      return { from, options: left, validFor: (text) => validFor.test(text) && !options.some((o) => upper(o.label) === upper(text)) };
    };
    if ((m = /^\s*([\p{L}]*)$/u.exec(before))) {
      if (!m[1] && !context.explicit) return null;
      return offer(context.pos - m[1].length,
        words.lang.commands.map((c) => {
          const guide = options.guide ? options.guide(upper(c.word)) : null;
          const info = guide && guide.text ? guide.text + (guide.traps ? '\n' + guide.traps : '') : c.description;
          return { label: c.word, type: 'keyword', detail: c.syntax, info, apply: c.word + ' ' };
        }),
        /^[\p{L}]*$/u);
    }
    if ((m = /^\s*:([^\s]*)$/u.exec(before))) {
      const names = new Set([...words.lang.labels.map((l) => l.name), ...labels()]);
      return offer(context.pos - m[1].length, [...names].map((n) => ({ label: n, type: 'namespace' })), /^[^\s]*$/u);
    }
    if ((m = /\$([\p{L}\p{N}_]*)$/u.exec(before))) {
      const seen = new Set(words.lang.variables.map((v) => v.replace(/^\$/, '')));
      for (const v of doc.matchAll(/\$([\p{L}\p{N}_]+)/gu)) if (v.index !== context.pos - m[0].length) seen.add(v[1]);
      return offer(context.pos - m[1].length, [...seen].map((n) => ({ label: n, type: 'variable' })), /^[\p{L}\p{N}_]*$/u);
    }
    if ((m = /#([\p{L}\p{N}_]*)$/u.exec(before))) {
      // A protocol is offered the protocols, a status the statuses, a flag the truth values.
      const at = paramAt(words, before);
      const fit = at && CONSTANTS_FOR[at.param.role];
      const fits = (c) => !fit || (Array.isArray(fit) ? fit.includes(c.name) : c.name.startsWith(fit));
      return offer(context.pos - m[1].length,
        words.lang.constants.filter(fits).map((c) => ({ label: c.name, type: 'constant', detail: '= ' + c.value })),
        /^[\p{L}\p{N}_]*$/u);
    }
    const at = paramAt(words, before);
    if (at && at.param.role === 'Label' && (m = /([^\s,]*)$/u.exec(before))) {
      return offer(context.pos - m[1].length, labels().map((n) => ({ label: n, type: 'namespace' })), /^[^\s,]*$/u);
    }
    return null;
  };
}

// Ctrl+. applies the quick fix of the finding under the caret (the first one there that
// has a fix), as editors with quick fixes do; F8 and Ctrl+Shift+M are the lint keymap's.
function applyFixAtCaret(view) {
  const at = view.state.selection.main.head;
  let chosen = null;
  forEachDiagnostic(view.state, (d, from, to) => {
    if (!chosen && d.actions && d.actions.length && from <= at && at <= to) chosen = d;
  });
  if (!chosen) return false;
  chosen.actions[0].apply(view, at, at);
  return true;
}

// The lines the last run reached, in a gutter of their own: a dot for a line that ran,
// a tick or a cross for an IF that came out true or false. The marks follow edits.
class RanMarker extends GutterMarker {
  constructor(kind, title) {
    super();
    this.kind = kind;
    this.title = title;
  }

  eq(other) {
    return other.kind === this.kind;
  }

  toDOM() {
    const mark = document.createElement('span');
    mark.className = 'kw-ran kw-ran-' + this.kind;
    mark.textContent = { ran: '•', true: '✓', false: '✗' }[this.kind];
    mark.title = this.title;
    return mark;
  }
}
const setRan = StateEffect.define();
const ranField = StateField.define({
  create: () => RangeSet.empty,
  update(marks, tr) {
    let now = marks.map(tr.changes);
    for (const e of tr.effects) if (e.is(setRan)) now = e.value;
    return now;
  },
});
const ranGutter = [ranField, gutter({ class: 'kw-ran-gutter', markers: (view) => view.state.field(ranField) })];

// The page's own keys, ahead of the editor's: run, save, a tab, a fix.
function pageKeys(options) {
  return Prec.highest(keymap.of([
    { key: 'Mod-Enter', run: () => { options.onRun && options.onRun(); return true; }, preventDefault: true },
    { key: 'Mod-s', run: () => { options.onSave && options.onSave(); return true; }, preventDefault: true },
    { key: 'Tab', run: insertTab },
    { key: 'Mod-.', run: applyFixAtCaret, preventDefault: true },
  ]));
}

function create(parent, options) {
  let words = vocabulary(null);
  const language = new Compartment();
  const languageFor = () => StreamLanguage.define(options.spam ? spamParser : scriptParser(words));
  const keys = pageKeys(options);
  const extensions = () => [
    keys,
    options.spam ? [] : ranGutter,
    lineNumbers(),
    highlightActiveLineGutter(),
    highlightActiveLine(),
    drawSelection(),
    history(),
    lintGutter(),
    language.of(languageFor()),
    syntaxHighlighting(highlight),
    EditorState.tabSize.of(8),
    keymap.of([...completionKeymap, ...lintKeymap, ...defaultKeymap, ...historyKeymap]),
    // tabindex: the content is the scroller's focusable part, which checkers of the page
    // look for as an attribute.
    EditorView.contentAttributes.of({ 'aria-label': options.label || '', spellcheck: 'false', tabindex: '0' }),
    EditorView.updateListener.of((update) => {
      if (update.docChanged && options.onChange) options.onChange();
      if ((update.docChanged || update.selectionSet) && options.onCaret) options.onCaret();
    }),
    options.spam ? [] : [hoverHelp(() => words, options), autocompletion({ override: [completions(() => words, options)] })],
  ];
  const fresh = (doc) => EditorState.create({ doc, extensions: extensions() });
  const view = new EditorView({ parent, state: fresh('') });

  return {
    view,
    get text() {
      return view.state.doc.toString();
    },
    // A whole new text, as a file loaded: the caret at the top, nothing to undo into.
    set text(value) {
      view.setState(fresh(value));
      if (options.onChange) options.onChange();
    },
    setLanguage(lang) {
      words = vocabulary(lang);
      view.dispatch({ effects: language.reconfigure(languageFor()) });
    },
    // The checker's findings for checkedText; dropped when the text changed since.
    setFindings(findings, checkedText, fixTitle) {
      if (checkedText !== undefined && checkedText !== view.state.doc.toString()) return false;
      const doc = view.state.doc;
      view.dispatch(setDiagnostics(view.state, findings.map((f) => diagnostic(doc, f, fixTitle))));
      return true;
    },
    insert(text) {
      view.dispatch(view.state.replaceSelection(text));
      view.focus();
    },
    caretLine() {
      return view.state.doc.lineAt(view.state.selection.main.head).text;
    },
    caretLineNumber() {
      return view.state.doc.lineAt(view.state.selection.main.head).number;
    },
    goToLine(number) {
      const line = view.state.doc.line(Math.min(Math.max(1, number), view.state.doc.lines));
      view.dispatch({ selection: { anchor: line.from }, effects: EditorView.scrollIntoView(line.from, { y: 'center' }) });
      view.focus();
    },
    focus() {
      view.focus();
    },
    // lines: [[file line, 'ran' | 'true' | 'false', title], ...]; lines past the text
    // (it got shorter since the run) are left out.
    markRan(lines) {
      const doc = view.state.doc;
      const marks = lines.filter(([n]) => n >= 1 && n <= doc.lines).sort((a, b) => a[0] - b[0])
        .map(([n, kind, title]) => new RanMarker(kind, title).range(doc.line(n).from));
      view.dispatch({ effects: setRan.of(RangeSet.of(marks)) });
    },
  };
}

window.KwEditor = { create };
