// The text layout. Every event starts with a header line "> command ..."; what followed
// from it comes below, indented, a label column of fixed width first, so the eye can run
// down the labels. Line breaks inside a text continue under the text's first column;
// other control characters are shown as \xNN, so nothing the plugin hands back can
// move the cursor or clear the terminal.
#include <cstdio>
#include <type_traits>

#include "tools/sim/report.h"
#include "tools/sim/trace_reader.h"
#include "tools/sim/transcript.h"

namespace kwsim {
namespace {

constexpr std::size_t kLabelWidth = 11;
constexpr std::string_view kIndent = "    ";

enum class Colour { None, Bold, Dim, Red, Green, Yellow, Blue, Magenta, Cyan };

std::string_view Code(Colour c) {
  switch (c) {
    case Colour::None: return "";
    case Colour::Bold: return "1";
    case Colour::Dim: return "2";
    case Colour::Red: return "1;31";
    case Colour::Green: return "32";
    case Colour::Yellow: return "33";
    case Colour::Blue: return "34";
    case Colour::Magenta: return "35";
    case Colour::Cyan: return "36";
  }
  return "";
}

// Display width of UTF-8 text: one column per code point.
std::size_t Width(std::string_view text) {
  std::size_t n = 0;
  for (char ch : text)
    if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) ++n;
  return n;
}

// The text's lines: CR LF, LF CR, LF and CR each end one line.
std::vector<std::string> DisplayLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      const char other = c == '\r' ? '\n' : '\r';
      if (i + 1 < text.size() && text[i + 1] == other) ++i;
      lines.emplace_back();
    } else if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
      lines.back() += hex;
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// Built piece by piece: GCC 12 warns wrongly (-Wrestrict) on "literal" + std::string&&.
std::string Quote(std::string_view text) {
  std::string s(1, '"');
  s += text;
  s += '"';
  return s;
}

std::string StatusText(std::int32_t status, std::string_view description) {
  std::string s = std::to_string(status);
  const std::string_view name = StatusName(status);
  if (!name.empty()) {
    s += " (";
    s += name;
    s += ')';
  }
  if (!description.empty()) {
    s += ' ';
    s += Quote(description);
  }
  return s;
}

std::string Join(const std::vector<std::string>& items, std::string_view sep) {
  std::string s;
  for (const std::string& item : items) {
    if (!s.empty()) s += sep;
    s += item;
  }
  return s;
}

class Writer {
 public:
  Writer(std::ostream& out, bool colour) : out_(out), colour_(colour) {}

  std::string Paint(std::string_view text, Colour c) const {
    if (!colour_ || c == Colour::None) return std::string(text);
    return "\x1b[" + std::string(Code(c)) + "m" + std::string(text) + "\x1b[0m";
  }

  // "> " + head alone, or followed by ": " and a text that may run over several lines.
  void Header(std::string_view head) {
    std::string line = "> ";
    line += head;
    out_ << Paint(line, Colour::Bold) << '\n';
  }
  void Header(std::string_view head, std::string_view text) {
    std::string prefix = "> ";
    prefix += head;
    prefix += ": ";
    Block(Paint(prefix, Colour::Bold), Width(prefix), text);
  }

  // An indented line with its label in the label column.
  void Labelled(std::string_view label, Colour c, std::string_view text) {
    std::string padded(label);
    if (padded.size() < kLabelWidth) padded.append(kLabelWidth - padded.size(), ' ');
    else padded += ' ';
    Block(std::string(kIndent) + Paint(padded, c), kIndent.size() + Width(padded), text);
  }

  void Plain(std::string_view line, Colour c = Colour::None) { out_ << Paint(line, c) << '\n'; }

 private:
  // prefix, then the text's lines, the later ones indented to width columns. A line
  // with no text after its prefix ends without blanks.
  void Block(const std::string& prefix, std::size_t width, std::string_view text) {
    const std::vector<std::string> lines = DisplayLines(text);
    std::string first = prefix + lines[0];
    while (!first.empty() && first.back() == ' ' && lines[0].empty()) first.pop_back();
    out_ << first << '\n';
    for (std::size_t i = 1; i < lines.size(); ++i) out_ << std::string(width, ' ') << lines[i] << '\n';
  }

  std::ostream& out_;
  bool colour_;
};

void WriteEffect(Writer& w, const Effect& effect) {
  std::visit(
      [&w](const auto& e) {
        using T = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<T, SentEffect>) {
          std::string head = e.Protocol + " -> " + e.To + ": ";
          w.Labelled("sent", Colour::Cyan, head + Quote(e.Text));
          if (e.BlockedByHook) w.Labelled("", Colour::Red, "(and the plugin's own hook blocked it)");
        } else if constexpr (std::is_same_v<T, StatusEffect>) {
          std::string text = e.Protocol + ": " + StatusText(e.Status, e.Description);
          if (!e.Served) text += " (the host has no such protocol)";
          w.Labelled("status", Colour::Blue, text);
        } else if constexpr (std::is_same_v<T, MenuEffect>) {
          w.Labelled(e.Added ? "menu add" : "menu del", Colour::Magenta,
                     Quote(e.Caption) + " (" + e.Id + ")");
        } else {
          w.Labelled("settings", Colour::Dim, "Kwartlin.ini written");
        }
      },
      effect);
}

// ---- The trace ------------------------------------------------------------------------

constexpr std::size_t kShownChars = 60;  // a value longer than this is cut in the trace

// A number with its thousands marked: 10,000,000.
std::string Grouped(std::int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

// A value in quotes, cut after kShownChars characters; bytes is its full length (the
// plugin's bytes, Windows-1250), said when the value is cut.
std::string Shown(std::string_view utf8, std::int64_t bytes) {
  std::size_t end = 0;
  std::size_t chars = 0;
  while (end < utf8.size() && chars < kShownChars) {
    ++end;
    while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
    ++chars;
  }
  if (end == utf8.size() && bytes <= static_cast<std::int64_t>(chars)) return Quote(utf8);
  return Quote(utf8.substr(0, end)) + "... (" + Grouped(bytes) + " bytes)";
}

// The plugin's length of a text it gave without its length: every Windows-1250 byte is
// one character in UTF-8.
std::int64_t PluginBytes(std::string_view utf8) {
  std::int64_t chars = 0;
  for (const char c : utf8) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return chars;
}

// "line 7" where the file line is known, else "index 6" (the prepared line, from 0).
std::string Where(const TraceItem& item, std::string_view lineKey, std::string_view indexKey) {
  if (item.Has(lineKey)) return "line " + std::to_string(item.Number(lineKey));
  return "index " + std::to_string(item.Number(indexKey));
}

std::string QuotedList(const TraceItem& item, std::string_view key) {
  std::string out;
  if (const TraceValue* v = item.Find(key))
    if (const auto* texts = std::get_if<std::vector<std::string>>(v))
      for (const std::string& t : *texts) {
        if (!out.empty()) out += ", ";
        out += Shown(t, PluginBytes(t));
      }
  return out;
}

bool IsNumber(std::string_view text) {
  std::size_t i = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

std::string Operand(const TraceItem& item, std::string_view key, bool numbers) {
  const std::string text = item.Text(key);
  return numbers ? text : Shown(text, PluginBytes(text));
}

std::string ConditionText(const TraceItem& item) {
  std::string text;
  if (!item.Flag("complete")) {
    text = "no operator or no operand: false";
  } else {
    const bool numbers = item.Flag("numbers");
    const std::string left = item.Text("left"), right = item.Text("right");
    text = Operand(item, "left", numbers) + " " + item.Text("operator") + " " + Operand(item, "right", numbers) +
           ": " + (item.Flag("holds") ? "true" : "false") + ", compared as " + (numbers ? "numbers" : "texts");
    // The usual surprise: one side is a number and the other is not.
    if (!numbers && IsNumber(left) != IsNumber(right))
      text += " (" + Quote(IsNumber(left) ? right : left) + " is no number)";
  }
  if (item.Has("skipped_index")) text += "; skips " + Where(item, "skipped_line", "skipped_index");
  return text;
}

// What ended a run that a bound stopped, and where.
std::string EndText(const TraceItem& item) {
  const std::string how = item.Text("how");
  const std::string at = Where(item, "line", "index");
  const std::string bound = Grouped(item.Number("bound"));
  if (how == "end") return "past the last line (" + Grouped(item.Number("lines_run")) + " lines run)";
  if (how == "exit") return "EXIT at " + at + " (" + Grouped(item.Number("lines_run")) + " lines run)";
  if (how == "no-entry") return "no :" + item.Text("entry") + " label: nothing ran";
  if (how == "empty") return "the script has no lines: nothing ran";
  const std::string run = item.Text("entry") + " run ";
  const std::string stopped = run + (item.Flag("before") ? "stopped before " : "stopped at ") + at;
  if (how == "lines") return stopped + ": it ran its bound of " + bound + " lines";
  if (how == "bytes") return stopped + ": its lines read and wrote its bound of " + bound + " bytes";
  if (how == "value")
    return stopped + ": a write of " + Grouped(item.Number("refused")) +
           " bytes, past the bound of " + bound + " bytes for one value, was not made";
  if (how == "calls") return stopped + ": a CALL past " + bound + " open calls";
  if (how == "nesting")
    return run + "did not start: " + bound + " runs were under way, each waiting for a host call";
  if (how == "failure") return run + "ended: memory ran out";
  return run + "ended (" + how + ")";
}

void WriteTraceItem(Writer& w, const TraceItem& item) {
  // A run that a host call started while another waited is indented under it.
  const std::string indent(static_cast<std::size_t>(item.Depth > 1 ? 2 * (item.Depth - 1) : 0), ' ');
  const auto put = [&](std::string_view label, Colour c, const std::string& text) {
    w.Labelled(indent + std::string(label), c, text);
  };
  const std::string& k = item.Kind;
  if (k == "run") {
    std::string text = item.Text("entry");
    if (item.Depth > 1) text += " (started by a host call, " + std::to_string(item.Depth) + " runs deep)";
    put("run", Colour::Bold, text);
  } else if (k == "line") {
    put(Where(item, "line", "index"), Colour::Dim, item.Text("text"));
  } else if (k == "if") {
    put("if", Colour::Yellow, ConditionText(item));
  } else if (k == "goto" || k == "call") {
    const std::string label = ":" + item.Text("label");
    const std::string to = Where(item, "to_line", "to_index");
    put(k, Colour::Yellow, item.Flag("found") ? label + ", on at " + to : "no label " + label + ": on with " + to);
  } else if (k == "ret") {
    const std::string to = Where(item, "to_line", "to_index");
    put("ret", Colour::Yellow, item.Flag("found") ? "back to " + to : "no open CALL: on with " + to);
  } else if (k == "write") {
    const std::string name = item.Text("name");
    const std::string now = Shown(item.Text("new"), item.Number("new_bytes"));
    if (!item.Has("old")) {
      put("write", Colour::Cyan, name + " (new) " + now);
    } else {
      const std::string before = Shown(item.Text("old"), item.Number("old_bytes"));
      const bool same = item.Text("old") == item.Text("new") && item.Number("old_bytes") == item.Number("new_bytes");
      put("write", Colour::Cyan, name + " " + before + (same ? " (unchanged)" : " -> " + now));
    }
  } else if (k == "save") {
    std::string text = item.Text("name") + " save flag ";
    text += item.Flag("old") == item.Flag("new") ? (item.Flag("new") ? "stays on" : "stays off")
                                                 : (item.Flag("new") ? "on" : "off");
    if (!item.Flag("existed")) text += " (new, empty)";
    put("save", Colour::Cyan, text);
  } else if (k == "host") {
    std::string text = item.Text("call") + "(" + QuotedList(item, "args") + ")";
    if (item.Has("answer")) text += " -> " + QuotedList(item, "answer");
    put("host", Colour::Blue, text);
  } else if (k == "cut") {
    put("trace", Colour::Dim, "cut after " + Grouped(item.Number("lines")) + " lines: the run goes on untraced");
  } else if (k == "end") {
    if (EndedByBound(item)) put("bound", Colour::Red, EndText(item));
    else put("end", Colour::Bold, EndText(item));
  }
}

void WriteVars(Writer& w, const VarsEvent& v) {
  if (!v.Loaded) return w.Labelled("", Colour::Red, "(the messenger is closed)");
  if (!v.Known) return w.Labelled("", Colour::Dim, "(the plugin has reported no variables)");
  for (const VariableRow& row : v.Rows)
    w.Labelled(row.Name, Colour::Cyan, Shown(row.Value, row.Bytes) + (row.Save ? " (saved)" : ""));
  std::string count = std::to_string(v.Rows.size()) + " of " + Grouped(v.Count) +
                      (v.Count == 1 ? " variable" : " variables");
  if (v.Reported < v.Count) count += " (the plugin lists the first " + Grouped(v.Reported) + ")";
  w.Labelled("", Colour::Dim, "(" + count + ")");
}

void WriteSpam(Writer& w, const SpamEvent& e) {
  w.Labelled("folded", Colour::Dim, Quote(e.Folded));
  for (const SpamMatch& m : e.Matches) {
    w.Labelled("match", Colour::Magenta, "line " + std::to_string(m.Line) + ": " + m.Rule);
    if (m.Words.empty()) w.Labelled("", Colour::Dim, "  (a rule without words matches every text)");
    for (const SpamWordHit& word : m.Words) {
      std::string hits;
      for (std::size_t i = 0; i < word.Hits.size(); ++i) {
        if (i > 0) hits += ", ";
        hits += word.Hits[i];
        if (word.Hits[i] != word.Folded[i]) hits += " as " + word.Folded[i];
      }
      w.Labelled("", Colour::None, "  " + word.Word + ": " + hits);
    }
  }
  const std::string rules = std::to_string(e.Rules) + (e.Rules == 1 ? " rule" : " rules");
  if (e.Spam)
    w.Labelled("spam", Colour::Red, "yes: " + std::to_string(e.Matches.size()) + " of " + rules +
                                        " match; CHKSPAM gives 1");
  else
    w.Labelled("spam", Colour::Green, "no: none of " + rules + " matches; CHKSPAM gives 0");
  if (!e.Note.empty()) w.Labelled("note", Colour::Dim, e.Note);
}

std::string DataFilesText(const std::vector<std::string>& files) {
  return files.empty() ? "no data files" : "data: " + Join(files, ", ");
}

void WriteMessage(Writer& w, const MessageEvent& m) {
  w.Header(std::string(m.Incoming ? "recv " : "send ") + m.Protocol + " " + m.Contact, Quote(m.Text));
}

void WriteOutcome(Writer& w, const MessageEvent& m) {
  const std::string_view outcome = Outcome(m);
  if (outcome == "unhooked") {
    w.Labelled("passed", Colour::Green, "(no hook on " + m.Protocol + ")");
  } else if (outcome == "blocked") {
    w.Labelled("blocked", Colour::Red, m.Incoming ? "(the user does not see it)" : "(not sent)");
  } else if (outcome == "rewritten") {
    w.Labelled("rewritten", Colour::Yellow, Quote(m.Back));
  } else {
    w.Labelled("passed", Colour::Green, "");
  }
}

// A page action shows the page's record; the user's acts what the page shows after them.
void WriteOptionsOutcome(Writer& w, const OptionsEvent& o) {
  if (!o.Available) {
    w.Labelled("", Colour::Red, "(" + o.Note + ")");
  } else if (o.Action == "help") {
    if (o.Syntax.empty() && o.Description.empty()) w.Labelled("help", Colour::Dim, "(empty)");
    else w.Labelled("syntax", Colour::None, o.Syntax);
    if (!o.Description.empty()) w.Labelled("help", Colour::None, o.Description);
  } else if (o.Action == "text") {
    if (o.Lines.empty()) w.Labelled("", Colour::Dim, "(empty)");
    for (const std::string& line : o.Lines) {
      const std::string shown = DisplayLines(line)[0];
      w.Plain(std::string(kIndent) + w.Paint(shown.empty() ? "|" : "| ", Colour::Dim) + shown);
    }
  } else if (o.CaretLine > 0) {
    if (o.Action == "menu" && !o.Chosen) w.Labelled("", Colour::Red, "(no such entry in the menu)");
    w.Labelled("caret", Colour::Dim, "line " + std::to_string(o.CaretLine) + ", column " +
                                         std::to_string(o.CaretColumn));
  } else {
    w.Labelled("page", Colour::None, o.PageName + ": " + o.PageDescription);
  }
}

}  // namespace

std::string_view Outcome(const MessageEvent& message) {
  if (!message.Hooked) return "unhooked";
  if (message.Result != 0) return "blocked";
  if (message.Back != message.Text) return "rewritten";
  return "passed";
}

void TextReporter::Report(const Event& event) {
  Writer w(out_, colour_);
  const MessageEvent* message = nullptr;
  std::visit(
      [&](const auto& e) {
        using T = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<T, LoadEvent>) {
          w.Header("load " + e.Name + " (" + DataFilesText(e.DataFiles) + ")");
        } else if constexpr (std::is_same_v<T, UnloadEvent>) {
          w.Header("unload");
        } else if constexpr (std::is_same_v<T, RestartEvent>) {
          w.Header("restart (" + DataFilesText(e.DataFiles) + ")");
        } else if constexpr (std::is_same_v<T, MessageEvent>) {
          WriteMessage(w, e);
          message = &e;
        } else if constexpr (std::is_same_v<T, PopupEvent>) {
          w.Header("popup " + e.Contact);
        } else if constexpr (std::is_same_v<T, ClickEvent>) {
          std::string what = e.Known ? (e.Caption + " (" + e.Id + ")") : (e.Id + " (no such item)");
          w.Header("click " + e.Contact, what);
        } else if constexpr (std::is_same_v<T, StatusEvent>) {
          w.Header("status " + e.Protocol, StatusText(e.Status, e.Description));
        } else if constexpr (std::is_same_v<T, ContactEvent>) {
          std::string text = "name " + Quote(e.Name) + ", group " + Quote(e.Group) + ", desc " +
                             Quote(e.Description) + ", flags " + std::to_string(e.Flags);
          w.Header("contact " + e.Id + (e.Added ? " (new)" : ""), text);
        } else if constexpr (std::is_same_v<T, ServiceEvent>) {
          w.Header("service " + e.Name, e.Text);
        } else if constexpr (std::is_same_v<T, FileEvent>) {
          std::string text = e.Deleted ? e.FileName + " deleted"
                                       : e.FileName + " written, " + std::to_string(e.Lines) +
                                             (e.Lines == 1 ? " line" : " lines");
          w.Header("file " + e.Which, text);
        } else if constexpr (std::is_same_v<T, ShowFileEvent>) {
          w.Header("show-file " + e.Which, e.FileName);
        } else if constexpr (std::is_same_v<T, OptionsEvent>) {
          std::string head = "options " + e.Action;
          if (!e.Editor.empty()) head += " " + e.Editor;
          if (e.Action == "type" || e.Action == "menu") w.Header(head, Quote(e.Input));
          else w.Header(e.Input.empty() ? head : head + " " + e.Input);
        } else if constexpr (std::is_same_v<T, VarsEvent>) {
          w.Header(e.Pattern.empty() ? "vars" : "vars " + e.Pattern);
        } else if constexpr (std::is_same_v<T, SpamEvent>) {
          w.Header("spam", Quote(e.Text));
        } else if constexpr (std::is_same_v<T, TraceSwitchEvent>) {
          w.Header(e.On ? "trace on" : "trace off");
        } else if constexpr (std::is_same_v<T, EchoEvent>) {
          w.Plain("");
          w.Plain("== " + e.Text, Colour::Bold);
        } else {
          for (const std::string& line : e.Lines) w.Plain(line);
        }
      },
      event.Data);

  // What the runs did comes first; what reached the host, and the outcome, below it.
  for (const TraceItem& item : event.Trace) WriteTraceItem(w, item);
  for (const Effect& effect : event.Effects) WriteEffect(w, effect);

  // What the command itself ended in comes last, under its effects.
  if (message != nullptr) WriteOutcome(w, *message);
  if (const auto* p = std::get_if<PopupEvent>(&event.Data)) {
    if (p->Shown.empty()) w.Labelled("menu", Colour::Magenta, "(nothing from the plugin)");
    for (std::size_t i = 0; i < p->Shown.size(); ++i) {
      const ShownItem& item = p->Shown[i];
      const std::string text = (item.Main ? "" : "  ") + item.Caption;
      w.Labelled(i == 0 ? "menu" : "", Colour::Magenta, text);
    }
  } else if (const auto* s = std::get_if<ServiceEvent>(&event.Data)) {
    if (s->Found) w.Labelled("returned", Colour::None, std::to_string(s->Result));
    else w.Labelled("", Colour::Red, "(the plugin has no such service)");
  } else if (const auto* f = std::get_if<FileEvent>(&event.Data)) {
    w.Labelled("note", Colour::Dim, f->Note);
  } else if (const auto* sf = std::get_if<ShowFileEvent>(&event.Data)) {
    if (!sf->Exists) w.Labelled("", Colour::Dim, "(no such file)");
    for (const std::string& line : sf->Lines) {
      const std::string shown = DisplayLines(line)[0];
      w.Plain(std::string(kIndent) + w.Paint(shown.empty() ? "|" : "| ", Colour::Dim) + shown);
    }
  } else if (const auto* o = std::get_if<OptionsEvent>(&event.Data)) {
    WriteOptionsOutcome(w, *o);
  } else if (const auto* v = std::get_if<VarsEvent>(&event.Data)) {
    WriteVars(w, *v);
  } else if (const auto* sp = std::get_if<SpamEvent>(&event.Data)) {
    WriteSpam(w, *sp);
  } else if (const auto* t = std::get_if<TraceSwitchEvent>(&event.Data)) {
    w.Labelled("trace", Colour::Dim, t->On ? "every line of the plugin's runs is shown"
                                           : "only runs that a bound stopped are shown");
  }
}

}  // namespace kwsim
