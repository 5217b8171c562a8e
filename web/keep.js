// The user's work kept in the browser: the two editors and the session played so far,
// written to the page's storage a moment after each change, read back when the page
// loads again. A reload, a closed tab or a crash of the browser then loses nothing.
// Storage may be closed to the page or full; the page then says so before it is left
// with edits that only it holds (the warning is kept for that case: with the work
// stored, a warning on every reload would only teach users to click it away).
'use strict';

const KEEP_KEY = 'kwartlin-playground-work';
// A session longer than a link may hold is kept without its transcript: the editors
// still come back, only the messages played are not played again.
const KEEP_SESSION_LIMIT = 1024 * 1024;

const kept = {
  timer: null,
  failed: false,

  // What the last visit left: { script, spam, transcript } or null.
  read() {
    try {
      const data = JSON.parse(localStorage.getItem(KEEP_KEY) || 'null');
      if (!data || typeof data.script !== 'string' || typeof data.spam !== 'string') return null;
      if (typeof data.transcript !== 'string') data.transcript = '';
      return data;
    } catch (e) {
      return null;
    }
  },

  // Stores the work now; false when the browser refused it.
  write(work) {
    const data = { ...work };
    if (data.transcript.length > KEEP_SESSION_LIMIT) data.transcript = '';
    try {
      localStorage.setItem(KEEP_KEY, JSON.stringify(data));
      this.failed = false;
    } catch (e) {
      this.failed = true;
    }
    return !this.failed;
  },

  // Stores the work a moment after the last change: typing stays cheap.
  later(work) {
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.write(work()), 300);
  },

  // Stores what a pending change would have, before the page goes.
  flush(work) {
    if (this.timer === null) return;
    clearTimeout(this.timer);
    this.timer = null;
    this.write(work());
  },

  // Whether the stored work holds anything to lose.
  worthKeeping(data) {
    return !!data && (data.script !== '' || data.spam !== '' || data.transcript !== '');
  },
};

// Windows-1250 bytes of a text, CR LF between lines and one at the end, as the plugin's
// files are written; { bad: the character, line } for a character the code page lacks.
const CP1250 = (() => {
  const map = new Map();
  const text = new TextDecoder('windows-1250').decode(Uint8Array.from({ length: 256 }, (v, i) => i));
  [...text].forEach((c, i) => {
    if (c !== '\ufffd' && !map.has(c)) map.set(c, i);
  });
  return map;
})();

function windows1250File(text) {
  const lines = text === '' ? [] : text.replace(/\r\n?/g, '\n').split('\n');
  if (lines.length && lines[lines.length - 1] === '') lines.pop();
  const out = [];
  for (let n = 0; n < lines.length; n++) {
    for (const c of lines[n]) {
      const byte = CP1250.get(c);
      if (byte === undefined) return { bad: c, line: n + 1 };
      out.push(byte);
    }
    out.push(13, 10);
  }
  return { bytes: Uint8Array.from(out) };
}

// A date as a zip entry's DOS time and date (local time, two-second steps; 1980 is the
// earliest a zip can say).
function dosDateTime(date) {
  const year = Math.max(1980, date.getFullYear());
  return {
    time: (date.getHours() << 11) | (date.getMinutes() << 5) | (date.getSeconds() >> 1),
    date: ((year - 1980) << 9) | ((date.getMonth() + 1) << 5) | date.getDate(),
  };
}

if (typeof module !== 'undefined') module.exports = { windows1250File, dosDateTime };
