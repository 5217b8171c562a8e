// The trace's lines, one per record of the channel. Every record's words come from the
// engine's list (script/trace.h): a record the list gains is a compiler warning here
// until it has its line.
#include "tools/sim/trace_text.h"

#include "script/trace.h"
#include "tools/sim/texts.h"
#include "tools/sim/trace_reader.h"

namespace kwsim {
namespace {

constexpr std::size_t kShownChars = 60;  // a value longer than this is cut in the trace

// The plugin's length of a text it gave without its length: every Windows-1250 byte is
// one character in UTF-8.
std::int64_t PluginBytes(std::string_view utf8) { return static_cast<std::int64_t>(DisplayWidth(utf8)); }

// "line 7" where the file line is known, else "index 6" (the prepared line, from 0).
std::string Where(const TraceItem& item, std::string_view lineKey, std::string_view indexKey) {
  if (item.Has(lineKey)) return Say(TextId::TraceAtLine, {{"line", std::to_string(item.Number(lineKey))}});
  return Say(TextId::TraceAtIndex, {{"index", std::to_string(item.Number(indexKey))}});
}

// A list of texts, each with its length from key_bytes where the channel cut it.
std::string QuotedList(const TraceItem& item, std::string_view key) {
  const std::vector<std::string> texts = item.List<std::string>(key);
  const std::vector<std::int64_t> bytes = item.List<std::int64_t>(std::string(key) + "_bytes");
  std::string out;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) out += ", ";
    out += Shown(texts[i], i < bytes.size() ? bytes[i] : PluginBytes(texts[i]));
  }
  return out;
}

// A text field with its length: key_bytes when the channel gave it, else the text's own.
std::string ShownField(const TraceItem& item, std::string_view key) {
  const std::string text = item.Text(key);
  return Shown(text, item.Number(std::string(key) + "_bytes", PluginBytes(text)));
}

bool IsNumber(std::string_view text) {
  std::size_t i = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

std::string Operand(const TraceItem& item, std::string_view key, bool numbers) {
  return numbers ? item.Text(key) : ShownField(item, key);
}

std::string ConditionText(const TraceItem& item) {
  std::string text;
  if (!item.Flag("complete")) {
    text = Text(TextId::TraceIfIncomplete);
  } else {
    const bool numbers = item.Flag("numbers");
    const std::string left = item.Text("left"), right = item.Text("right");
    const TextId outcome = item.Flag("holds") ? (numbers ? TextId::TraceIfTrueNumbers : TextId::TraceIfTrueTexts)
                                         : (numbers ? TextId::TraceIfFalseNumbers : TextId::TraceIfFalseTexts);
    text = Say(outcome, {{"left", Operand(item, "left", numbers)},
                         {"operator", item.Text("operator")},
                         {"right", Operand(item, "right", numbers)}});
    // The usual surprise: one side is a number and the other is not.
    if (!numbers && IsNumber(left) != IsNumber(right))
      text = Say(TextId::TraceIfNoNumber, {{"condition", text}, {"value", Quote(IsNumber(left) ? right : left)}});
    // Two long texts that differ past what is shown: where, and both around it.
    if (item.Has("near_from") && item.Number("differs_at") >= static_cast<std::int64_t>(kShownChars))
      text = Say(TextId::TraceIfDifferFrom, {{"condition", text},
                                        {"byte", Grouped(item.Number("differs_at") + 1)},
                                        {"left", Quote(item.Text("left_near"))},
                                        {"right", Quote(item.Text("right_near"))}});
  }
  if (item.Has("skipped_index"))
    text = Say(TextId::TraceIfSkips, {{"condition", text}, {"where", Where(item, "skipped_line", "skipped_index")}});
  return text;
}

// How a run ended, and where; for a bound, which one.
std::string EndText(const TraceItem& item) {
  const std::string how = item.Text("how");
  const std::string at = Where(item, "line", "index");
  const std::string entry = item.Text("entry");
  const std::string stopped =
      Say(item.Flag("before") ? TextId::TraceStoppedBefore : TextId::TraceStoppedAt, {{"entry", entry}, {"where", at}});
  const std::string bound = Grouped(item.Number("bound")), lines = Grouped(item.Number("lines_run"));
  const std::string refused = Grouped(item.Number("refused"));
  const kw::Field fields[] = {{"entry", entry},
                              {"how", how},
                              {"where", at},
                              {"stopped", stopped},
                              {"bound", bound},
                              {"lines", lines},
                              {"refused", refused}};
  const auto say = [&fields](TextId id) { return Say(id, fields); };
  const std::optional<kw::TRunEnd> end = kw::RunEndFromWord(how);
  if (!end) return say(TextId::TraceEndedHow);
  switch (*end) {
    case kw::TRunEnd::End: return say(TextId::TraceEndPastLast);
    case kw::TRunEnd::Exit: return say(TextId::TraceEndExit);
    case kw::TRunEnd::NoEntry: return say(TextId::TraceEndNoEntry);
    case kw::TRunEnd::Empty: return say(TextId::TraceEndEmpty);
    case kw::TRunEnd::LineBound: return say(TextId::TraceEndLineBound);
    case kw::TRunEnd::ByteBound: return say(TextId::TraceEndByteBound);
    case kw::TRunEnd::ValueBound: return say(TextId::TraceEndValueBound);
    case kw::TRunEnd::CallDepth: return say(TextId::TraceEndCallDepth);
    case kw::TRunEnd::Nesting: return say(TextId::TraceEndNesting);
    case kw::TRunEnd::Failure: return say(TextId::TraceEndFailure);
  }
  return say(TextId::TraceEndedHow);
}

TraceLine Line(std::string label, TraceTone tone, std::string text) {
  TraceLine line;
  line.Label = std::move(label);
  line.Tone = tone;
  line.Text = std::move(text);
  return line;
}

TraceLine JumpLine(const TraceItem& item, kw::TTraceEvent event) {
  const std::string to = Where(item, "to_line", "to_index");
  if (event == kw::TTraceEvent::Ret)
    return Line("ret", TraceTone::Flow, Say(item.Flag("found") ? TextId::TraceRetBack : TextId::TraceRetNoCall, {{"where", to}}));
  return Line(std::string(kw::TraceEventWord(event)), TraceTone::Flow,
              Say(item.Flag("found") ? TextId::TraceJumpFound : TextId::TraceJumpNoLabel,
                  {{"label", ":" + item.Text("label")}, {"where", to}}));
}

TraceLine WriteLine(const TraceItem& item) {
  const std::string name = item.Text("name");
  const std::string now = ShownField(item, "new");
  const std::string label(Text(TextId::TraceLabelWrite));
  if (!item.Has("old")) return Line(label, TraceTone::Data, Say(TextId::TraceWriteNew, {{"name", name}, {"value", now}}));
  const bool same = item.Text("old") == item.Text("new") && item.Number("old_bytes") == item.Number("new_bytes");
  return Line(label, TraceTone::Data,
              Say(same ? TextId::TraceWriteSame : TextId::TraceWriteChanged,
                  {{"name", name}, {"old", ShownField(item, "old")}, {"value", now}}));
}

TraceLine SaveLine(const TraceItem& item) {
  const TextId how = item.Flag("old") == item.Flag("new") ? (item.Flag("new") ? TextId::TraceSaveStaysOn : TextId::TraceSaveStaysOff)
                                                     : (item.Flag("new") ? TextId::TraceSaveOn : TextId::TraceSaveOff);
  std::string text = Say(how, {{"name", item.Text("name")}});
  if (!item.Flag("existed")) text = Say(TextId::TraceSaveNewVariable, {{"save", text}});
  return Line(std::string(Text(TextId::TraceLabelSave)), TraceTone::Data, text);
}

TraceLine HostLine(const TraceItem& item) {
  std::string text = item.Text("call") + "(" + QuotedList(item, "args") + ")";
  if (item.Has("answer")) text += " -> " + QuotedList(item, "answer");
  return Line(std::string(Text(TextId::TraceLabelHost)), TraceTone::Host, text);
}

TraceLine EndLine(const TraceItem& item) {
  const bool bound = EndedByBound(item);
  TraceLine line = Line(std::string(Text(bound ? TextId::TraceLabelBound : TextId::TraceLabelEnd)),
                        bound ? TraceTone::Bound : TraceTone::Run, EndText(item));
  line.FileLine = item.Number("line");
  return line;
}

}  // namespace

// A number with its thousands marked: 10,000,000.
std::string Grouped(std::int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += Text(TextId::ThousandsSeparator);
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
  return Quote(utf8.substr(0, end)) + Say(TextId::TraceCutBytes, {{"bytes", Grouped(bytes)}});
}

std::string Quote(std::string_view text) {
  // Built piece by piece: GCC 12 warns wrongly (-Wrestrict) on "literal" + std::string&&.
  std::string s(1, '"');
  s += text;
  s += '"';
  return s;
}

std::optional<TraceLine> DescribeTraceItem(const TraceItem& item) {
  const std::optional<kw::TTraceEvent> event = kw::TraceEventFromWord(item.Kind);
  if (!event) return std::nullopt;
  TraceLine line;
  switch (*event) {
    case kw::TTraceEvent::Run: {
      std::string text = item.Text("entry");
      if (item.Depth > 1) text = Say(TextId::TraceRunNested, {{"entry", text}, {"depth", std::to_string(item.Depth)}});
      line = Line(std::string(Text(TextId::TraceLabelRun)), TraceTone::Run, text);
      break;
    }
    case kw::TTraceEvent::Line: {
      std::string text = item.Text("text");
      if (item.Has("text_bytes")) text += Say(TextId::TraceCutBytes, {{"bytes", Grouped(item.Number("text_bytes"))}});
      line = Line(Where(item, "line", "index"), TraceTone::Line, text);
      line.FileLine = item.Number("line");
      break;
    }
    case kw::TTraceEvent::If: line = Line("if", TraceTone::Flow, ConditionText(item)); break;
    case kw::TTraceEvent::Goto:
    case kw::TTraceEvent::Call:
    case kw::TTraceEvent::Ret: line = JumpLine(item, *event); break;
    case kw::TTraceEvent::Write: line = WriteLine(item); break;
    case kw::TTraceEvent::Save: line = SaveLine(item); break;
    case kw::TTraceEvent::Host: line = HostLine(item); break;
    case kw::TTraceEvent::Cut:
      line = Line(std::string(Text(TextId::TraceLabelTrace)), TraceTone::Note,
                  Say(TextId::TraceCut, {{"lines", Grouped(item.Number("lines"))}}));
      break;
    case kw::TTraceEvent::End: line = EndLine(item); break;
    case kw::TTraceEvent::Vars:
    case kw::TTraceEvent::Var: return std::nullopt;
  }
  line.Depth = item.Depth;
  return line;
}

std::string TraceLineText(const TraceLine& line) {
  std::string text = TraceIndent(line) + line.Label;
  const std::size_t width = DisplayWidth(text);
  text.append(width < kLabelWidth ? kLabelWidth - width : 1, ' ');
  return text + line.Text;
}

std::size_t DisplayWidth(std::string_view utf8) {
  std::size_t n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string TraceIndent(const TraceLine& line) {
  return std::string(static_cast<std::size_t>(line.Depth > 1 ? 2 * (line.Depth - 1) : 0), ' ');
}

}  // namespace kwsim
