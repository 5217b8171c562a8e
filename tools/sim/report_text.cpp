// The text layout. Every event starts with a header line "> command ..."; what followed
// from it comes below, indented, a label column of fixed width first, so the eye can run
// down the labels. Line breaks inside a text continue under the text's first column;
// other control characters are shown as \xNN, so nothing the plugin hands back can
// move the cursor or clear the terminal.
#include <cstdio>
#include <type_traits>

#include "tools/sim/report.h"
#include "tools/sim/texts.h"
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

std::size_t Width(std::string_view text) { return DisplayWidth(text); }

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
    const std::size_t width = Width(padded);
    padded.append(width < kLabelWidth ? kLabelWidth - width : 1, ' ');
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
          w.Labelled(Text(TextId::LabelSent), Colour::Cyan, head + Quote(e.Text));
          if (e.BlockedByHook) w.Labelled("", Colour::Red, Text(TextId::SentBlockedByOwnHook));
        } else if constexpr (std::is_same_v<T, StatusEffect>) {
          std::string text = e.Protocol + ": " + StatusText(e.Status, e.Description);
          if (!e.Served) text = Say(TextId::StatusNoProtocol, {{"status", text}});
          w.Labelled(Text(TextId::LabelStatus), Colour::Blue, text);
        } else if constexpr (std::is_same_v<T, MenuEffect>) {
          w.Labelled(Text(e.Added ? TextId::LabelMenuAdd : TextId::LabelMenuDelete), Colour::Magenta,
                     Quote(e.Caption) + " (" + e.Id + ")");
        } else if (e.What == SettingsEffect::Kind::Written) {
          w.Labelled(Text(TextId::LabelSettings), Colour::Dim, Text(TextId::SettingsWritten));
        } else if (e.What == SettingsEffect::Kind::NotWritten) {
          w.Labelled(Text(TextId::LabelSettings), Colour::Red, Say(TextId::SettingsNotWritten, {{"reason", e.Reason}}));
        } else if (e.LoadedBytes > 0) {
          w.Labelled(Text(TextId::LabelSettings), Colour::Yellow,
                     Say(TextId::SettingsLongValueCut,
                         {{"name", e.Name}, {"reason", e.Reason}, {"bytes", Grouped(e.LoadedBytes)}}));
        } else {
          w.Labelled(Text(TextId::LabelSettings), Colour::Yellow,
                     Say(TextId::SettingsPiecesWithoutFirst, {{"name", e.Name}, {"reason", e.Reason}}));
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
  if (!v.Loaded) return w.Labelled("", Colour::Red, Text(TextId::VarsMessengerClosed));
  if (!v.Known) return w.Labelled("", Colour::Dim, Text(TextId::VarsNoneReported));
  for (const VariableRow& row : v.Rows) {
    const std::string value = Shown(row.Value, row.Bytes);
    w.Labelled(row.Name, Colour::Cyan, row.Save ? Say(TextId::VarsSaved, {{"value", value}}) : value);
  }
  const std::string shown = std::to_string(v.Rows.size()), count = Grouped(v.Count), reported = Grouped(v.Reported);
  const kw::Field fields[] = {{"shown", shown}, {"count", count}, {"reported", reported}};
  w.Labelled("", Colour::Dim,
             Say(v.Reported < v.Count ? TextId::VarsCountFirst : PluralOf(v.Count, TextId::VarsCountOne, TextId::VarsCountFew,
                                                                     TextId::VarsCountMany),
                 fields));
}

void WriteSpam(Writer& w, const SpamEvent& e) {
  w.Labelled(Text(TextId::LabelFolded), Colour::Dim, Quote(e.Folded));
  for (const SpamMatch& m : e.Matches) {
    w.Labelled(Text(TextId::LabelMatch), Colour::Magenta, Say(TextId::SpamMatchAt, {{"line", std::to_string(m.Line)}, {"rule", m.Rule}}));
    if (m.Words.empty()) w.Labelled("", Colour::Dim, Text(TextId::SpamRuleWithoutWords));
    for (const SpamWordHit& word : m.Words) {
      std::string hits;
      for (std::size_t i = 0; i < word.Hits.size(); ++i) {
        if (i > 0) hits += ", ";
        hits += word.Hits[i];
        if (word.Hits[i] != word.Folded[i]) hits += Say(TextId::SpamHitAs, {{"folded", word.Folded[i]}});
      }
      w.Labelled("", Colour::None, "  " + word.Word + ": " + hits);
    }
  }
  const std::string rules = std::to_string(e.Rules), matches = std::to_string(e.Matches.size());
  if (e.Spam)
    w.Labelled(Text(TextId::LabelSpam), Colour::Red,
               Say(PluralOf(e.Rules, TextId::SpamYesOne, TextId::SpamYesFew, TextId::SpamYesMany),
                   {{"matches", matches}, {"rules", rules}}));
  else
    w.Labelled(Text(TextId::LabelSpam), Colour::Green,
               Say(PluralOf(e.Rules, TextId::SpamNoOne, TextId::SpamNoFew, TextId::SpamNoMany), {{"rules", rules}}));
  if (!e.Note.empty()) w.Labelled(Text(TextId::LabelNote), Colour::Dim, e.Note);
}

std::string DataFilesText(const std::vector<std::string>& files) {
  return files.empty() ? std::string(Text(TextId::NoDataFiles)) : Say(TextId::DataFiles, {{"files", Join(files, ", ")}});
}

void WriteMessage(Writer& w, const MessageEvent& m) {
  w.Header(std::string(m.Incoming ? "recv " : "send ") + m.Protocol + " " + m.Contact, Quote(m.Text));
}

void WriteOutcome(Writer& w, const MessageEvent& m) {
  const std::string_view outcome = Outcome(m);
  if (outcome == "unhooked") {
    w.Labelled(Text(TextId::LabelPassed), Colour::Green, Say(TextId::NoHookOn, {{"protocol", m.Protocol}}));
  } else if (outcome == "blocked") {
    w.Labelled(Text(TextId::LabelBlocked), Colour::Red, Text(m.Incoming ? TextId::BlockedUnseen : TextId::BlockedNotSent));
  } else if (outcome == "rewritten") {
    w.Labelled(Text(TextId::LabelRewritten), Colour::Yellow, Quote(m.Back));
  } else {
    w.Labelled(Text(TextId::LabelPassed), Colour::Green, "");
  }
}

// A page action shows the page's record; the user's acts what the page shows after them.
void WriteOptionsOutcome(Writer& w, const OptionsEvent& o) {
  if (!o.Available) {
    w.Labelled("", Colour::Red, "(" + o.Note + ")");
  } else if (o.Action == "help") {
    if (o.Syntax.empty() && o.Description.empty()) w.Labelled(Text(TextId::LabelHelp), Colour::Dim, Text(TextId::Empty));
    else w.Labelled(Text(TextId::LabelSyntax), Colour::None, o.Syntax);
    if (!o.Description.empty()) w.Labelled(Text(TextId::LabelHelp), Colour::None, o.Description);
  } else if (o.Action == "text") {
    if (o.Lines.empty()) w.Labelled("", Colour::Dim, Text(TextId::Empty));
    for (const std::string& line : o.Lines) {
      const std::string shown = DisplayLines(line)[0];
      w.Plain(std::string(kIndent) + w.Paint(shown.empty() ? "|" : "| ", Colour::Dim) + shown);
    }
  } else if (o.CaretLine > 0) {
    if (o.Action == "menu" && !o.Chosen) w.Labelled("", Colour::Red, Text(TextId::NoSuchMenuEntry));
    w.Labelled(Text(TextId::LabelCaret), Colour::Dim,
               Say(TextId::CaretAt, {{"line", std::to_string(o.CaretLine)}, {"column", std::to_string(o.CaretColumn)}}));
  } else {
    w.Labelled(Text(TextId::LabelPage), Colour::None, o.PageName + ": " + o.PageDescription);
  }
  // The page's own error box, line by line, as the user reads it.
  for (const std::string& box : o.ErrorBoxes) {
    std::size_t start = 0;
    for (bool first = true; start <= box.size(); first = false) {
      std::size_t end = box.find('\n', start);
      if (end == std::string::npos) end = box.size();
      std::string line = box.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      w.Labelled(first ? Text(TextId::LabelErrorBox) : "", Colour::Red, line);
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
          std::string what = e.Known ? (e.Caption + " (" + e.Id + ")") : Say(TextId::NoSuchItem, {{"id", e.Id}});
          w.Header("click " + e.Contact, what);
        } else if constexpr (std::is_same_v<T, StatusEvent>) {
          w.Header("status " + e.Protocol, StatusText(e.Status, e.Description));
        } else if constexpr (std::is_same_v<T, ContactEvent>) {
          std::string text = Say(TextId::ContactFields, {{"name", Quote(e.Name)},
                                                    {"group", Quote(e.Group)},
                                                    {"description", Quote(e.Description)},
                                                    {"flags", std::to_string(e.Flags)}});
          w.Header(e.Added ? Say(TextId::ContactNew, {{"id", e.Id}}) : "contact " + e.Id, text);
        } else if constexpr (std::is_same_v<T, ServiceEvent>) {
          w.Header("service " + e.Name, e.Text);
        } else if constexpr (std::is_same_v<T, FileEvent>) {
          std::string text = e.Deleted ? Say(TextId::FileDeleted, {{"file", e.FileName}})
                                       : Say(PluralOf(e.Lines, TextId::FileWrittenOne, TextId::FileWrittenFew,
                                                      TextId::FileWrittenMany),
                                             {{"file", e.FileName}, {"lines", std::to_string(e.Lines)}});
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
    if (p->Shown.empty()) w.Labelled(Text(TextId::LabelMenu), Colour::Magenta, Text(TextId::MenuNothing));
    for (std::size_t i = 0; i < p->Shown.size(); ++i) {
      const ShownItem& item = p->Shown[i];
      const std::string text = (item.Main ? "" : "  ") + item.Caption;
      w.Labelled(i == 0 ? Text(TextId::LabelMenu) : "", Colour::Magenta, text);
    }
  } else if (const auto* s = std::get_if<ServiceEvent>(&event.Data)) {
    if (s->Found) w.Labelled(Text(TextId::LabelReturned), Colour::None, std::to_string(s->Result));
    else w.Labelled("", Colour::Red, Text(TextId::NoSuchService));
  } else if (const auto* f = std::get_if<FileEvent>(&event.Data)) {
    w.Labelled(Text(TextId::LabelNote), Colour::Dim, f->Note);
  } else if (const auto* sf = std::get_if<ShowFileEvent>(&event.Data)) {
    if (!sf->Exists) w.Labelled("", Colour::Dim, Text(TextId::NoSuchFile));
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
    w.Labelled(Text(TextId::TraceLabelTrace), Colour::Dim, Text(t->On ? TextId::TraceSwitchedOn : TextId::TraceSwitchedOff));
  }
}

}  // namespace kwsim
