// The command language's reader. A line is taken apart by a small cursor: words are runs
// of non-blank characters or double-quoted strings (escapes \" \\ \n \r \t), a trailing
// text is the rest of the line, trimmed, unless it is one quoted string. Every text is
// converted to Windows-1250 as soon as it is read, so a bad character is reported at
// its own line.
#include "tools/sim/transcript.h"

#include <array>
#include <charconv>
#include <utility>

#include "tools/sim/codec.h"
#include "tools/sim/texts.h"

namespace kwsim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// Built piece by piece: GCC 12 warns wrongly (-Wrestrict) on "literal" + std::string&&.
std::string Quoted(std::string_view s) {
  std::string q(1, '\'');
  q += s;
  q += '\'';
  return q;
}

constexpr std::array<std::string_view, 8> kStatusNames = {
    "", "offline", "online", "chat", "dnd", "away", "xa", "invisible"};

struct FlagName {
  std::string_view Name;
  std::int32_t Bit;
};
constexpr std::array<FlagName, 7> kFlagNames = {{{"online", 1},
                                                 {"offline", 2},
                                                 {"waitauth", 4},
                                                 {"notauth", 8},
                                                 {"phone", 16},
                                                 {"notinlist", 32},
                                                 {"blocked", 65536}}};

std::optional<std::int32_t> ParseInt32(std::string_view s) {
  std::int32_t value = 0;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (!s.empty() && s[0] == '+') ++first;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last || first == last) return std::nullopt;
  return value;
}

// One line being read.
class Cursor {
 public:
  Cursor(std::string_view line, int number) : s_(line), line_(number) {}

  [[noreturn]] void Fail(const std::string& reason) const { throw TranscriptError(line_, reason); }

  void SkipBlanks() {
    while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
  }
  bool AtEnd() {
    SkipBlanks();
    return pos_ >= s_.size();
  }

  // A word or a quoted string; nullopt at the end of the line.
  std::optional<std::string> OptionalWord() {
    if (AtEnd()) return std::nullopt;
    if (s_[pos_] == '"') return QuotedString();
    const std::size_t start = pos_;
    while (pos_ < s_.size() && !IsBlank(s_[pos_])) ++pos_;
    return std::string(s_.substr(start, pos_ - start));
  }
  std::string Word(std::string_view what) {
    std::optional<std::string> w = OptionalWord();
    if (!w) Fail(Say(TextId::ParseMissing, {{"what", what}}));
    return *w;
  }

  // The rest of the line: one quoted string, or the text as written, trimmed.
  std::string Rest(std::string_view what, bool required) {
    if (AtEnd()) {
      if (required) Fail(Say(TextId::ParseMissing, {{"what", what}}));
      return {};
    }
    if (s_[pos_] == '"') {
      std::string text = QuotedString();
      ExpectEnd(what);
      return text;
    }
    std::size_t end = s_.size();
    while (end > pos_ && IsBlank(s_[end - 1])) --end;
    std::string text(s_.substr(pos_, end - pos_));
    pos_ = s_.size();
    return text;
  }

  // name=value, value a word or a quoted string; nullopt at the end of the line.
  std::optional<std::pair<std::string, std::string>> OptionalAssignment() {
    if (AtEnd()) return std::nullopt;
    const std::size_t start = pos_;
    while (pos_ < s_.size() && s_[pos_] != '=' && !IsBlank(s_[pos_])) ++pos_;
    if (pos_ >= s_.size() || s_[pos_] != '=')
      Fail(Say(TextId::ParseExpectedAssignment, {{"found", Quoted(s_.substr(start, pos_ - start))}}));
    std::string key = AsciiLower(s_.substr(start, pos_ - start));
    ++pos_;
    std::string value;
    if (pos_ < s_.size() && s_[pos_] == '"') {
      value = QuotedString();
    } else {
      const std::size_t v = pos_;
      while (pos_ < s_.size() && !IsBlank(s_[pos_])) ++pos_;
      value = std::string(s_.substr(v, pos_ - v));
    }
    return std::make_pair(std::move(key), std::move(value));
  }

  void ExpectEnd(std::string_view after) {
    if (!AtEnd()) Fail(Say(TextId::ParseUnexpected, {{"found", Quoted(s_.substr(pos_))}, {"after", after}}));
  }

 private:
  std::string QuotedString() {
    ++pos_;  // the opening quote
    std::string out;
    while (pos_ < s_.size()) {
      const char c = s_[pos_++];
      if (c == '"') {
        if (pos_ < s_.size() && !IsBlank(s_[pos_]))
          Fail(std::string(Text(TextId::ParseAfterClosingQuote)));
        return out;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) break;
      const char e = s_[pos_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        default: Fail(Say(TextId::ParseUnknownEscape, {{"escape", std::string(1, e)}}));
      }
    }
    Fail(std::string(Text(TextId::ParseNoClosingQuote)));
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  int line_;
};

std::string ToWire(std::string_view utf8, int line) {
  std::string out;
  std::string error;
  if (!Utf8ToCp1250(utf8, out, error)) throw TranscriptError(line, error);
  return out;
}

std::string ReadProtocol(Cursor& c) {
  const std::string p = AsciiUpper(c.Word(Text(TextId::WhatProtocol)));
  if (p != "TLEN" && p != "GG") c.Fail(Say(TextId::ParseUnknownProtocol, {{"found", Quoted(p)}}));
  return p;
}

std::string ReadContact(Cursor& c, int line) {
  const std::string id = c.Word(Text(TextId::WhatContactId));
  if (id.empty()) c.Fail(std::string(Text(TextId::ParseEmptyContactId)));
  return ToWire(id, line);
}

// "offline, online, ...": the names of a list joined for messages and the summary.
template <typename List, typename NameOf>
std::string Joined(const List& list, NameOf nameOf) {
  std::string out;
  for (const auto& item : list) {
    const std::string_view name = nameOf(item);
    if (name.empty()) continue;
    if (!out.empty()) out += ", ";
    out += name;
  }
  return out;
}

std::string StatusChoices() {
  return Say(TextId::StatusChoices, {{"last", std::to_string(kStatusNames.size() - 1)},
                                {"names", Joined(kStatusNames, [](std::string_view n) { return n; })}});
}

std::int32_t ReadStatus(Cursor& c) {
  const std::string w = c.Word(Say(TextId::WhatStatus, {{"choices", StatusChoices()}}));
  const std::string lower = AsciiLower(w);
  for (std::size_t i = 1; i < kStatusNames.size(); ++i)
    if (kStatusNames[i] == lower) return static_cast<std::int32_t>(i);
  if (auto n = ParseInt32(w)) {
    if (!StatusName(*n).empty()) return *n;
    c.Fail(Say(TextId::ParseBadStatus, {{"found", Quoted(w)}, {"choices", StatusChoices()}}));
  }
  c.Fail(Say(TextId::ParseUnknownStatus, {{"found", Quoted(w)}, {"choices", StatusChoices()}}));
}

std::int32_t ReadFlags(Cursor& c, const std::string& text) {
  if (auto n = ParseInt32(text)) return *n;
  std::int32_t flags = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("|+,", start);
    if (end == std::string::npos) end = text.size();
    const std::string name = AsciiLower(std::string_view(text).substr(start, end - start));
    bool known = false;
    for (const FlagName& f : kFlagNames) {
      if (f.Name == name) {
        flags |= f.Bit;
        known = true;
      }
    }
    if (!known)
      c.Fail(Say(TextId::ParseUnknownFlag, {{"found", Quoted(name)},
                                       {"names", Joined(kFlagNames, [](const FlagName& f) { return f.Name; })}}));
    start = end + 1;
  }
  return flags;
}

DataFile ReadDataFile(Cursor& c) {
  const std::string w = AsciiLower(c.Word(Text(TextId::WhatFile)));
  if (w == "script") return DataFile::Script;
  if (w == "spam") return DataFile::Spam;
  if (w == "settings") return DataFile::Settings;
  c.Fail(Say(TextId::ParseUnknownFile, {{"found", Quoted(w)}}));
}

void ReadContactFields(Cursor& c, Step& step) {
  while (auto a = c.OptionalAssignment()) {
    const auto& [key, value] = *a;
    if (key == "name") step.Fields.Name = ToWire(value, step.Line);
    else if (key == "group") step.Fields.Group = ToWire(value, step.Line);
    else if (key == "desc" || key == "description") step.Fields.Description = ToWire(value, step.Line);
    else if (key == "flags") step.Fields.Flags = ReadFlags(c, value);
    else c.Fail(Say(TextId::ParseUnknownContactField, {{"found", Quoted(key)}}));
  }
}

int ReadEditor(Cursor& c) {
  const std::string memo = AsciiLower(c.Word(Text(TextId::WhatEditor)));
  if (memo == "script" || memo == "memo1") return 1;
  if (memo == "spam" || memo == "memo2") return 2;
  c.Fail(Say(TextId::ParseUnknownEditor, {{"found", Quoted(memo)}}));
}

int ReadPositive(Cursor& c, std::string_view what) {
  const std::string w = c.Word(what);
  const std::optional<std::int32_t> n = ParseInt32(w);
  if (!n || *n < 1 || *n > 65536) c.Fail(Say(TextId::ParseBadPosition, {{"what", what}, {"found", Quoted(w)}}));
  return *n;
}

constexpr std::string_view kOptionsActions =
    "show, hide, save, destroy, type, key, caret, help, menu, text";

void ReadOptions(Cursor& c, Step& step) {
  const std::string action = AsciiLower(c.Word(Say(TextId::WhatOptionsAction, {{"actions", kOptionsActions}})));
  if (action == "show") step.Options = OptionsAction::Show;
  else if (action == "hide") step.Options = OptionsAction::Hide;
  else if (action == "save") step.Options = OptionsAction::Save;
  else if (action == "destroy") step.Options = OptionsAction::Destroy;
  else if (action == "help") step.Options = OptionsAction::Help;
  else if (action == "type") {
    step.Options = OptionsAction::Type;
    step.Memo = ReadEditor(c);
    step.Text = ToWire(c.Rest(Text(TextId::WhatTextToType), true), step.Line);
    return;
  } else if (action == "key") {
    step.Options = OptionsAction::Key;
    step.Memo = ReadEditor(c);
    const std::string key = AsciiLower(c.Word(Text(TextId::WhatKey)));
    if (key == "tab") step.Key = 9;
    else if (key == "enter") step.Key = 13;
    else c.Fail(Say(TextId::ParseUnknownKey, {{"found", Quoted(key)}}));
  } else if (action == "caret") {
    step.Options = OptionsAction::Caret;
    step.Memo = ReadEditor(c);
    step.CaretLine = ReadPositive(c, Text(TextId::WhatLine));
    step.CaretColumn = ReadPositive(c, Text(TextId::WhatColumn));
  } else if (action == "menu") {
    step.Options = OptionsAction::Menu;
    step.Text = ToWire(c.Rest(Text(TextId::WhatMenuEntry), true), step.Line);
    return;
  } else if (action == "text") {
    step.Options = OptionsAction::Text;
    step.Memo = ReadEditor(c);
  } else {
    c.Fail(Say(TextId::ParseUnknownOptionsAction, {{"found", Quoted(action)}, {"actions", kOptionsActions}}));
  }
  c.ExpectEnd("options " + action);
}

// ---- The commands --------------------------------------------------------------------
// Each command's arguments; the table below sets the step's kind before.

void ReadMessage(Cursor& c, Step& step) {
  step.Protocol = ReadProtocol(c);
  step.Contact = ReadContact(c, step.Line);
  step.Text = ToWire(c.Rest(Text(TextId::WhatMessageText), false), step.Line);
}

void ReadPopup(Cursor& c, Step& step) {
  step.Contact = ReadContact(c, step.Line);
  c.ExpectEnd(Text(TextId::WhatTheContactId));
}

void ReadClick(Cursor& c, Step& step) {
  step.Contact = ReadContact(c, step.Line);
  step.Text = ToWire(c.Rest(Text(TextId::WhatMenuItem), true), step.Line);
}

void ReadStatusCommand(Cursor& c, Step& step) {
  step.Protocol = ReadProtocol(c);
  step.Status = ReadStatus(c);
  step.Text = ToWire(c.Rest(Text(TextId::WhatDescription), false), step.Line);
}

void ReadContactCommand(Cursor& c, Step& step) {
  step.Contact = ReadContact(c, step.Line);
  ReadContactFields(c, step);
}

void ReadService(Cursor& c, Step& step) { step.Text = ToWire(c.Rest(Text(TextId::WhatServiceText), true), step.Line); }

void ReadNothing(Cursor& c, Step& step) { c.ExpectEnd(VerbName(step.Kind)); }

void ReadShowFile(Cursor& c, Step& step) {
  step.File = ReadDataFile(c);
  c.ExpectEnd(Text(TextId::WhatTheFileName));
}

void ReadVars(Cursor& c, Step& step) { step.Text = ToWire(c.Rest(Text(TextId::WhatPattern), false), step.Line); }

void ReadSpam(Cursor& c, Step& step) { step.Text = ToWire(c.Rest(Text(TextId::WhatTextToCheck), true), step.Line); }

void ReadTrace(Cursor& c, Step& step) {
  const std::string how = AsciiLower(c.Word(Text(TextId::WhatOnOrOff)));
  if (how != "on" && how != "off") c.Fail(Say(TextId::ParseExpectedOnOff, {{"found", Quoted(how)}}));
  step.On = how == "on";
  c.ExpectEnd("trace " + how);
}

void ReadEcho(Cursor& c, Step& step) { step.Text = ToWire(c.Rest(Text(TextId::WhatText), false), step.Line); }

struct CommandEntry {
  Verb Kind;
  std::string_view Word;                 // as typed, lower case
  std::string_view Also;                 // a second word for it, or empty
  void (*Read)(Cursor& c, Step& step);   // its arguments; null for "file", which may open
                                         // a block that only the parser can keep
  TextId Summary;                        // its lines of "help", joined by line breaks
};

// Every command, declared once and in Verb's order: the reader, its error text, the
// summary and the names come from here.
// clang-format off
constexpr CommandEntry kCommands[] = {
  {Verb::Recv, "recv", "", ReadMessage, TextId::SummaryRecv},
  {Verb::Send, "send", "", ReadMessage, TextId::SummarySend},
  {Verb::Popup, "popup", "", ReadPopup, TextId::SummaryPopup},
  {Verb::Click, "click", "", ReadClick, TextId::SummaryClick},
  {Verb::Status, "status", "", ReadStatusCommand, TextId::SummaryStatus},
  {Verb::Contact, "contact", "", ReadContactCommand, TextId::SummaryContact},
  {Verb::Service, "service", "", ReadService, TextId::SummaryService},
  {Verb::Restart, "restart", "", ReadNothing, TextId::SummaryRestart},
  {Verb::Stop, "stop", "", ReadNothing, TextId::SummaryStop},
  {Verb::Start, "start", "", ReadNothing, TextId::SummaryStart},
  {Verb::File, "file", "", nullptr, TextId::SummaryFile},
  {Verb::ShowFile, "show-file", "", ReadShowFile, TextId::SummaryShowFile},
  {Verb::Options, "options", "", ReadOptions, TextId::SummaryOptions},
  {Verb::Vars, "vars", "", ReadVars, TextId::SummaryVars},
  {Verb::Spam, "spam", "", ReadSpam, TextId::SummarySpam},
  {Verb::Trace, "trace", "", ReadTrace, TextId::SummaryTrace},
  {Verb::Echo, "echo", "", ReadEcho, TextId::SummaryEcho},
  {Verb::Help, "help", "", ReadNothing, TextId::SummaryHelp},
  {Verb::Quit, "quit", "exit", ReadNothing, TextId::SummaryQuit},
};
// clang-format on

constexpr bool InVerbOrder() {
  for (std::size_t i = 0; i < std::size(kCommands); ++i)
    if (kCommands[i].Kind != static_cast<Verb>(i)) return false;
  return true;
}
static_assert(InVerbOrder(), "kCommands lists the commands in Verb's order");

const CommandEntry* FindCommand(std::string_view word) {
  for (const CommandEntry& entry : kCommands)
    if (entry.Word == word || (!entry.Also.empty() && entry.Also == word)) return &entry;
  return nullptr;
}

}  // namespace

std::optional<Step> TranscriptParser::Feed(std::string_view line) {
  ++line_;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  // Editors on Windows like to start UTF-8 files with a byte order mark.
  if (line_ == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
  if (block_) return FeedBlock(line);

  Cursor c(line, line_);
  if (c.AtEnd() || line[line.find_first_not_of(" \t")] == '#') return std::nullopt;
  Step step;
  step.Line = line_;
  const std::string verb = AsciiLower(c.Word(Text(TextId::WhatCommand)));
  const CommandEntry* entry = FindCommand(verb);
  if (entry == nullptr)
    c.Fail(Say(TextId::ParseUnknownCommand,
               {{"found", Quoted(verb)}, {"commands", Joined(kCommands, [](const CommandEntry& s) { return s.Word; })}}));
  step.Kind = entry->Kind;
  if (entry->Read != nullptr) {
    entry->Read(c, step);
    return step;
  }
  step.File = ReadDataFile(c);
  const std::string how = c.Word(Text(TextId::WhatFileHow));
  if (how == "from") {
    step.FromPath = c.Rest(Text(TextId::WhatPath), true);
  } else if (AsciiLower(how) == "delete") {
    step.Delete = true;
    c.ExpectEnd("delete");
  } else if (how.size() > 2 && how.compare(0, 2, "<<") == 0) {
    c.ExpectEnd(how);
    block_ = Block{std::move(step), how.substr(2), {}};
    return std::nullopt;
  } else {
    c.Fail(Say(TextId::ParseExpectedFileHow, {{"found", Quoted(how)}}));
  }
  return step;
}

std::optional<Step> TranscriptParser::FeedBlock(std::string_view line) {
  std::string_view trimmed = line;
  while (!trimmed.empty() && IsBlank(trimmed.back())) trimmed.remove_suffix(1);
  if (trimmed == block_->tag) {
    Step step = std::move(block_->step);
    step.Content = std::move(block_->text);
    block_.reset();
    return step;
  }
  block_->text += ToWire(line, line_);
  block_->text += "\r\n";
  return std::nullopt;
}

void TranscriptParser::Finish() {
  if (block_) {
    const int start = block_->step.Line;
    const std::string tag = block_->tag;
    block_.reset();
    throw TranscriptError(start, Say(TextId::ParseBlockNeverClosed, {{"tag", tag}, {"quoted", Quoted(tag)}}));
  }
}

std::vector<Step> ParseTranscript(std::string_view text) {
  TranscriptParser parser;
  std::vector<Step> steps;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (auto step = parser.Feed(text.substr(start, end - start))) steps.push_back(std::move(*step));
    start = end + 1;
  }
  parser.Finish();
  return steps;
}

std::vector<std::string> CommandSummary() {
  std::vector<std::string> out;
  for (const CommandEntry& entry : kCommands) {
    const std::string_view summary = Text(entry.Summary);
    std::size_t start = 0;
    for (std::size_t end; (end = summary.find('\n', start)) != std::string_view::npos; start = end + 1)
      out.emplace_back(summary.substr(start, end - start));
    out.emplace_back(summary.substr(start));
  }
  out.push_back(Say(TextId::SummaryStatusChoices, {{"choices", StatusChoices()}}));
  out.emplace_back(Text(TextId::SummaryText));
  return out;
}

std::string_view VerbName(Verb verb) {
  const auto at = static_cast<std::size_t>(verb);
  return at < std::size(kCommands) ? kCommands[at].Word : "?";
}

std::string_view DataFileName(DataFile file) {
  switch (file) {
    case DataFile::Script: return "script";
    case DataFile::Spam: return "spam";
    case DataFile::Settings: return "settings";
  }
  return "?";
}

std::string_view DataFileOnDisk(DataFile file) {
  switch (file) {
    case DataFile::Script: return "Kwartlin.dat";
    case DataFile::Spam: return "Kwartlin.spm";
    case DataFile::Settings: return "Kwartlin.ini";
  }
  return "?";
}

std::string_view OptionsActionName(OptionsAction action) {
  switch (action) {
    case OptionsAction::Show: return "show";
    case OptionsAction::Hide: return "hide";
    case OptionsAction::Save: return "save";
    case OptionsAction::Destroy: return "destroy";
    case OptionsAction::Type: return "type";
    case OptionsAction::Key: return "key";
    case OptionsAction::Caret: return "caret";
    case OptionsAction::Help: return "help";
    case OptionsAction::Menu: return "menu";
    case OptionsAction::Text: return "text";
  }
  return "?";
}

std::string_view StatusName(std::int32_t status) {
  if (status < 1 || status >= static_cast<std::int32_t>(kStatusNames.size())) return {};
  return kStatusNames[static_cast<std::size_t>(status)];
}

}  // namespace kwsim
