// The text layout. Every event starts with a header line "> command ..."; what followed
// from it comes below, indented, a label column of fixed width first, so the eye can run
// down the labels. Line breaks inside a text continue under the text's first column;
// other control characters are shown as \xNN, so nothing the plugin hands back can
// move the cursor or clear the terminal.
#include <cstdio>
#include <type_traits>

#include "tools/sim/report.h"
#include "tools/sim/trace_text.h"
#include "tools/sim/transcript.h"

namespace kwsim {
namespace {

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
        } else if (e.What == SettingsEffect::Kind::Written) {
          w.Labelled("settings", Colour::Dim, "Kwartlin.ini written");
        } else if (e.What == SettingsEffect::Kind::NotWritten) {
          w.Labelled("settings", Colour::Red, "Kwartlin.ini not written: " + e.Reason);
        } else if (e.What == SettingsEffect::Kind::NotRead) {
          w.Labelled("settings", Colour::Red, "Kwartlin.ini not read: " + e.Reason);
        } else if (e.What == SettingsEffect::Kind::LeftOut) {
          w.Labelled("settings", Colour::Red, e.Name + " not saved: " + e.Reason);
        } else if (e.LoadedBytes > 0) {
          w.Labelled("settings", Colour::Yellow,
                     e.Name + ": its long value does not check (" + e.Reason + "); loaded its first " +
                         Grouped(e.LoadedBytes) + " bytes, the rest stays in Kwartlin.ini");
        } else {
          w.Labelled("settings", Colour::Yellow,
                     e.Name + ": pieces of a long value without their first (" + e.Reason +
                         "); nothing loaded, they stay in Kwartlin.ini");
        }
      },
      effect);
}

// ---- The trace ------------------------------------------------------------------------

Colour ColourOf(TraceTone tone) {
  switch (tone) {
    case TraceTone::Run: return Colour::Bold;
    case TraceTone::Line: return Colour::Dim;
    case TraceTone::Flow: return Colour::Yellow;
    case TraceTone::Data: return Colour::Cyan;
    case TraceTone::Host: return Colour::Blue;
    case TraceTone::Note: return Colour::Dim;
    case TraceTone::Bound: return Colour::Red;
  }
  return Colour::None;
}

void WriteTraceItem(Writer& w, const TraceItem& item) {
  if (const std::optional<TraceLine> line = DescribeTraceItem(item))
    w.Labelled(TraceIndent(*line) + line->Label, ColourOf(line->Tone), line->Text);
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
  // The page's own error box, line by line, as the user reads it.
  for (const std::string& box : o.ErrorBoxes) {
    std::size_t start = 0;
    for (bool first = true; start <= box.size(); first = false) {
      std::size_t end = box.find('\n', start);
      if (end == std::string::npos) end = box.size();
      std::string line = box.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      w.Labelled(first ? "error box" : "", Colour::Red, line);
      start = end + 1;
    }
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
