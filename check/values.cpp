// The values stage (3xx): what a parameter reads as. A value gets at most one finding,
// the first of: quotes, a quoted text's traps, double quotes, constant, variable, plain
// word (the names stage judges the names among them). Advice keeps the script's meaning:
// a "$name" inside quotes is literal text, so a text built from variables is advised as
// STRCON, never as quoting.
#include <algorithm>
#include <cctype>

#include "check/stages.h"
#include "script/KwartlinConst.h"
#include "script/compiled.h"
#include "script/loader.h"
#include "script/text.h"
#include "support/ProcFunc.h"
#include "support/casing.h"

namespace kwcheck {

// The codes this stage raises.
constexpr int kValueCodeList[] = {301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 311, 312,
                                   313, 314, 315, 316, 317, 318, 319, 320, 321, 322, 323, 324};
const std::span<const int> kValueCodes = kValueCodeList;

namespace {

using kw::TParamRole;

// Words that mean "no" as a flag reads them (0), so they do what they say.
bool IsNegativeWord(std::string_view upper) {
  static constexpr std::string_view kWords[] = {"FALSE", "NO", "NIE", "OFF", "N", "FALSZ", "F"};
  return std::find(std::begin(kWords), std::end(kWords), upper) != std::end(kWords);
}

// Quotes as a word processor makes them (Windows-1250): „ “ ” ‘ ’.
bool IsTypographicQuote(char ch) {
  const auto b = static_cast<unsigned char>(ch);
  return b == 0x84 || b == 0x93 || b == 0x94 || b == 0x91 || b == 0x92;
}

bool Typographic(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at) {
  if (p.size() < 2 || !IsTypographicQuote(p.front()) || !IsTypographicQuote(p.back())) return false;
  const std::string_view inner = p.substr(1, p.size() - 2);
  TFinding& f = c.Report.Add(line, 321, TMessage::TypographicQuotes, {{"value", Utf8(p)}}, at, p.size());
  if (inner.find('\'') == std::string_view::npos && inner.find("//") == std::string_view::npos)
    TReport::Fix(f, InQuotes(inner), TMessage::FixSingleQuotes);
  return true;
}

// $a + 1, $n*2, len($a): the engine reads no expression; a "$" value names a variable
// whose name is the whole text.
bool Expression(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at) {
  if (IsQuoted(p)) return false;
  const std::size_t open = p.find('(');
  const bool call = open != std::string_view::npos && open > 0 && p.back() == ')' &&
                    p.find('$') != std::string_view::npos && p.find(' ') == std::string_view::npos;
  const bool arithmetic = p[0] == '$' && (p.find_first_of("+*/()") != std::string_view::npos ||
                                          p.find(" - ") != std::string_view::npos);
  if (!call && !arithmetic) return false;
  c.Report.Add(line, 318, call ? TMessage::FunctionCall : TMessage::Arithmetic, {{"value", Utf8(p)}}, at, p.size());
  return true;
}

// MOV $a, 1 # one: a complete value, a blank, # or ; and words: a comment as other
// languages write it, which here belongs to the value. A smiley (;) or a number sign
// in text is no such thing.
bool CommentMark(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at) {
  if (IsQuoted(p) || p[0] == '\'') return false;
  const std::size_t mark = p.find_first_of("#;", 1);
  if (mark == std::string_view::npos || (p[mark - 1] != ' ' && p[mark - 1] != '\t')) return false;
  if (mark + 2 >= p.size() || p[mark + 1] != ' ' || !std::isalpha(static_cast<unsigned char>(p[mark + 2]))) return false;
  const std::string_view value = kw::TrimBlanksView(p.substr(0, mark));
  const bool complete = IsQuoted(value) || IsNumber(value) ||
                        ((value[0] == '$' || value[0] == '#') && value.find_first_of(" \t") == std::string_view::npos);
  if (!complete) return false;
  TFinding& f = c.Report.Add(line, 319, TMessage::CommentMark, {{"value", Utf8(p)}, {"mark", std::string(1, p[mark])}},
                             at + mark, 1);
  TReport::Fix(f, "//", TMessage::FixCommentSlashes);
  return true;
}

// A Windows path's drive: a letter, a colon and a backslash (C:\\).
bool HasDrive(std::string_view text) {
  for (std::size_t k = text.find(":\\"); k != std::string_view::npos; k = text.find(":\\", k + 1))
    if (k > 0 && std::isalpha(static_cast<unsigned char>(text[k - 1])) &&
        (k == 1 || !std::isalpha(static_cast<unsigned char>(text[k - 2]))))
      return true;
  return false;
}

void NotANumber(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at) {
  c.Report.Add(line, 306, p.find_first_of(".,") != std::string_view::npos ? TMessage::NotAWholeNumber : TMessage::NotANumber,
               {{"value", Utf8(p)}}, at, p.size());
}

void QuotedText(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at, TParamRole role,
                bool list) {
  const std::string_view inner = p.size() > 1 ? p.substr(1, p.size() - 2) : std::string_view();
  const std::string upper = kw::UpperCase(inner);
  if (CheckQuotedName(c, line, p, at)) return;
  if (inner.find("''") != std::string_view::npos) {
    TFinding& f = c.Report.Add(line, 307, TMessage::DoubledQuote, {{"value", Utf8(p)}}, at, p.size());
    std::string single(p);
    for (std::size_t k = single.find("''", 1); k != std::string::npos && k + 2 < single.size();
         k = single.find("''", k + 1))
      single.erase(k, 1);
    // Only when the single quotes cut nothing: no comma or // after them.
    const std::size_t firstInner = single.find('\'', 1);
    const bool safe = firstInner + 1 >= single.size() ||
                      (single.find("//") == std::string::npos &&
                       (!list || single.find(',', firstInner) == std::string::npos));
    if (safe) TReport::Fix(f, single, TMessage::FixOneQuote);
    return;
  }
  // A path: a drive, or a backslash that is no \n beside one that is. A text whose
  // every backslash begins a \n is a message of several lines.
  bool otherBackslash = false;
  for (std::size_t k = upper.find('\\'); k != std::string::npos; k = upper.find('\\', k + 1))
    otherBackslash = otherBackslash || k + 1 >= upper.size() || upper[k + 1] != 'N';
  if (upper.find("\\N") != std::string::npos && (inner.find(":\\") != std::string_view::npos || otherBackslash)) {
    TFinding& f = c.Report.Add(line, 308, TMessage::BackslashN, {{"value", Utf8(p)}}, at, p.size());
    std::string slashed(p);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    TReport::Fix(f, slashed, TMessage::FixSlashes);
    return;
  }
  // \t, \r, \\ and \" as other languages write them, outside a path.
  for (std::size_t k = inner.find('\\'); k != std::string_view::npos && k + 1 < inner.size();
       k = inner.find('\\', k + 1)) {
    if (std::string_view("tTrR\\\"0").find(inner[k + 1]) == std::string_view::npos || HasDrive(inner)) continue;
    c.Report.Add(line, 320, TMessage::NoEscape, {{"value", Utf8(p)}, {"escape", Utf8(inner.substr(k, 2))}}, at, p.size());
    return;
  }
  if ((role == TParamRole::Flag || role == TParamRole::Condition) && upper == "TRUE") {
    TFinding& f = c.Report.Add(line, 304, TMessage::QuotedTrue, {{"value", Utf8(p)}}, at, p.size());
    TReport::Fix(f, "#TRUE", TMessage::FixWrite, {{"text", "#TRUE"}});
    return;
  }
  if (role == TParamRole::Flag && !IsNumber(inner) && !IsNegativeWord(upper)) {
    TFinding& f = c.Report.Add(line, 305, TMessage::WordAsFlag, {{"value", Utf8(p)}}, at, p.size());
    TReport::Fix(f, "#TRUE", TMessage::FixWrite, {{"text", "#TRUE"}});
    return;
  }
  if (IsNumberRole(role) && !IsNumber(inner)) NotANumber(c, line, p, at);
}

void PlainWord(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at, TParamRole role) {
  const std::string upper = kw::UpperCase(p);
  auto add = [&](int code, TMessage message, const std::string& fix) {
    TFinding& f = c.Report.Add(line, code, message, {{"value", Utf8(p)}}, at, p.size());
    if (!fix.empty()) TReport::Fix(f, fix, code == 303 ? TMessage::FixQuoteText : TMessage::FixWrite, {{"text", Utf8(fix)}});
  };
  if (upper == "TRUE" && !IsTextRole(role)) {
    add(304, TMessage::BareTrue, "#TRUE");
    return;
  }
  if (upper == "FALSE" && role == TParamRole::Condition) {
    add(304, TMessage::BareFalse, "#FALSE");
    return;
  }
  if (role == TParamRole::Flag && IsNegativeWord(upper)) return;
  if (CheckBareName(c, line, p, upper, at, role)) return;
  if (p[0] == 'b' || p[0] == 'B') {
    const std::string_view digits = p.substr(1);
    if (digits.empty() || digits.find_first_not_of("01") != std::string_view::npos) {
      add(303, TMessage::BinaryWord, IsTextRole(role) || role == TParamRole::Condition ? InQuotes(p) : "");
      return;
    }
  }
  if (role == TParamRole::Flag && !IsNumber(p) && !IsNegativeWord(upper)) {
    add(305, TMessage::WordAsFlag, "#TRUE");
    return;
  }
  if (IsNumberRole(role) && !kw::CompileValue(p).Number) NotANumber(c, line, p, at);
}

// The text between the first-th and the last-th parameter, as written.
std::string Between(const TCommandLine& l, std::size_t first, std::size_t last) {
  const std::size_t from = l.At[first] - l.RestAt;
  const std::size_t to = last < l.Params.size() ? l.At[last] + l.Params[last].size() - l.RestAt : l.Rest.size();
  return std::string(l.Rest.substr(from, to - from));
}

// STRCON joins its values, so a comma in unquoted text is lost with the blanks
// around it: STRCON $s, Cześć, co tam? gives "Cześćco tam?".
void JoinedTexts(TScriptCheck& c, const TCommandLine& l) {
  const std::vector<std::string>& params = l.Params;
  for (std::size_t n = 2; n < params.size(); ++n) {
    if (!IsPlainText(params[n - 1]) || !IsPlainText(params[n])) continue;
    const std::string meant = Between(l, n - 1, n);
    const bool quotable = meant.find('\'') == std::string::npos;
    TFinding& f = c.Report.Add(*l.Line, 310, quotable ? TMessage::JoinedTextsQuote : TMessage::JoinedTexts,
                               {{"command", std::string(kw::kCommandList[l.Code].Word)},
                                {"first", Utf8(params[n - 1])}, {"second", Utf8(params[n])},
                                {"meant", Utf8(InQuotes(meant))}},
                               l.At[n - 1], meant.size());
    if (quotable) TReport::Fix(f, InQuotes(meant), TMessage::FixQuoteText);
    return;
  }
}

// The words AND, OR and NOT before another comparison: a condition is one
// comparison, the rest is text in the right value ("rock and roll" is a text).
bool AndOr(TScriptCheck& c, const TSourceLine& line, std::string_view right, std::size_t at) {
  bool quoted = false;
  std::string word;
  for (std::size_t i = 0; i <= right.size(); ++i) {
    const char ch = i < right.size() ? right[i] : ' ';
    if (ch == '\'') quoted = !quoted;
    if (!quoted && ch == ',' && kw::ScanCondition(right.substr(i + 1)).Operator >= 0) {
      c.Report.Add(line, 316, TMessage::ConditionComma, {{"right", Utf8(right)}}, at, right.size());
      return true;
    }
    if (quoted || (ch != ' ' && ch != '\t')) {
      if (!quoted) word += ch;
      continue;
    }
    const std::string u = kw::UpperCase(word);
    word.clear();
    static constexpr std::string_view kJoins[] = {"AND", "OR", "NOT", "&&", "||", "LUB", "ORAZ", "NIE", "I"};
    if (std::find(std::begin(kJoins), std::end(kJoins), u) == std::end(kJoins)) continue;
    if (kw::ScanCondition(right.substr(i)).Operator < 0) continue;
    c.Report.Add(line, 316, TMessage::ConditionAndOr, {{"word", u}, {"right", Utf8(right)}}, at, right.size());
    return true;
  }
  return false;
}

// IF $a = 5 GOTO end: the right value is "5 GOTO end": a complete first value and more.
bool TextAfter(TScriptCheck& c, const TSourceLine& line, const std::string& right, std::size_t at) {
  if (IsQuoted(right)) return false;
  std::size_t end;
  if (right[0] == '\'') {
    end = right.find('\'', 1);
    if (end == std::string::npos) return false;
    ++end;
  } else {
    end = right.find_first_of(" \t");
    if (end == std::string::npos) return false;
  }
  const std::string_view first = std::string_view(right).substr(0, end);
  const std::string_view more = kw::TrimBlanksView(std::string_view(right).substr(end));
  if (more.empty()) return false;
  const bool complete = IsQuoted(first) || first[0] == '$' || first[0] == '#' || IsNumber(first);
  if (!complete) return false;
  const std::string nextWord = kw::UpperCase(more.substr(0, std::min(more.find_first_of(" \t"), more.size())));
  const bool command = kw::FindKeyword(nextWord) >= 0 || nextWord == "THEN" || nextWord == "DO";
  c.Report.Add(line, 315, command ? TMessage::ConditionCommandAfter : TMessage::ConditionTextAfter,
               {{"right", Utf8(right)}, {"first", Utf8(first)}, {"more", Utf8(more)}}, at, right.size());
  return true;
}

}  // namespace

// An unquoted URL: the line's comment starts inside it.
void CheckUrlCut(TScriptCheck& c, const TSourceLine& line) {
  const std::string_view raw = c.Src.FileLine(line.FileLine);
  const std::size_t comment = kw::CommentStart(raw);
  if (comment == std::string_view::npos || comment == 0 || raw[comment - 1] != ':') return;
  if (comment + 2 >= raw.size() || raw[comment + 2] == ' ' || raw[comment + 2] == '\t') return;
  // The value the URL began: from the last comma or blank before the comment.
  const std::size_t start = std::max(raw.find_last_of(", \t", comment) + 1, line.Offset);
  const std::string_view url = kw::TrimBlanksView(raw.substr(start));
  const std::size_t at = start - line.Offset;
  TFinding& f = c.Report.Add(line, 309, TMessage::UrlCut,
                             {{"url", Utf8(url)}, {"kept", Utf8(raw.substr(start, comment - start))}}, at,
                             line.Text.size() - at);
  if (url.find('\'') == std::string_view::npos && url.find('$') == std::string_view::npos) {
    f.EndColumn = f.Column + static_cast<int>(url.size());
    TReport::Fix(f, InQuotes(url), TMessage::FixQuoteAddress);
  }
}

// For lines without parameters: only a "//" can be lost to an open quote.
void CheckLineQuotes(TScriptCheck& c, const TSourceLine& line) {
  const auto quotes = std::count(line.Text.begin(), line.Text.end(), '\'');
  if (quotes % 2 == 0 || line.Text.find("//") == std::string::npos) return;
  c.Report.Add(line, 301, TMessage::OpenQuoteHidesComment);
}

// A parameter as SplitParameters and ResolveValue read it: every single quote flips
// "inside quotes", and a value is quoted text when its first and last characters are
// quotes, whatever stands between. So MOV $q, ''' holds one quote and MOV $a, 'it's'
// holds it's, both as meant; the mistakes are a quote that nothing closes, and, in a
// parameter list, a quote inside that hides a comma or a "//". A condition is not cut
// at commas, so there only the "//" counts.
bool CheckQuotes(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at, bool list) {
  if (p.size() > 1 && p.front() == '\'' && p.back() != '\'') {
    c.Report.Add(line, 301,
                 p.find("//") != std::string_view::npos ? TMessage::UnclosedQuoteWithComment : TMessage::UnclosedQuote,
                 {{"value", Utf8(p)}}, at, p.size());
    return true;
  }
  const std::string_view inner = IsQuoted(p) && p.size() > 1 ? p.substr(1, p.size() - 2) : p;
  const std::size_t quote = inner.find('\'');
  if (quote == std::string_view::npos) return false;
  const std::size_t comma = list ? inner.find(',', quote) : std::string_view::npos;
  const std::size_t hidden = std::min(comma, inner.find("//", quote));
  if (hidden == std::string_view::npos) return false;
  c.Report.Add(line, 301, inner[hidden] == ',' ? TMessage::QuoteHidesComma : TMessage::QuoteHidesComment,
               {{"value", Utf8(p)}}, at, p.size());
  return true;
}

// One value at position at of the line's text; at most one finding.
void CheckValue(TScriptCheck& c, const TSourceLine& line, std::string_view p, std::size_t at, TParamRole role,
                bool list) {
  if (p.empty()) return;
  if (CheckQuotes(c, line, p, at, list)) return;
  if (IsQuoted(p)) {
    QuotedText(c, line, p, at, role, list);
    return;
  }
  if (Typographic(c, line, p, at) || Expression(c, line, p, at) || CommentMark(c, line, p, at)) return;
  if (p.size() >= 2 && p.front() == '"' && p.back() == '"') {
    TFinding& f = c.Report.Add(line, 302, TMessage::DoubleQuotes, {{"value", Utf8(p)}}, at, p.size());
    const std::string_view inner = p.substr(1, p.size() - 2);
    if (inner.find_first_of("'\"") == std::string_view::npos) TReport::Fix(f, InQuotes(inner), TMessage::FixSingleQuotes);
    return;
  }
  if (CheckNamedValue(c, line, p, at, role)) return;
  PlainWord(c, line, p, at, role);
}

bool CheckParameterCount(TScriptCheck& c, const TCommandLine& l) {
  const kw::TCommandEntry& command = kw::kCommandList[l.Code];
  if (l.Params.size() >= command.MinParams) return false;
  c.Report.Add(*l.Line, 312, TMessage::TooFewParameters,
               {{"command", std::string(command.Word)}, {"needs", std::to_string(command.MinParams)},
                {"has", std::to_string(l.Params.size())}});
  return true;
}

// Unquoted text with a comma in it becomes more parameters than the command uses; a
// "$name" inside quotes would be sent as written, so then STRCON is advised.
void CheckExtraParameters(TScriptCheck& c, const TCommandLine& l) {
  const kw::TParamSignature& signature = kw::kSignatures[static_cast<std::size_t>(l.Code)];
  if (signature.LastRepeats) {
    JoinedTexts(c, l);
    return;
  }
  const std::size_t used = signature.Count;
  if (l.Params.size() <= used || used == 0) return;
  // A stray quote cuts parameters too; it has its own finding.
  for (std::size_t n = used - 1; n < l.Params.size(); ++n)
    if (l.Params[n].find('\'') != std::string::npos && !IsQuoted(l.Params[n])) return;
  const std::string ignored = Between(l, used, std::string::npos);
  const std::string meant = Between(l, used - 1, std::string::npos);
  const bool plain = IsPlainText(l.Params[used - 1]);
  const TMessage message = !plain                                  ? TMessage::ExtraParameters
                           : meant.find('$') != std::string::npos  ? TMessage::ExtraParametersStrCon
                           : meant.find('\'') != std::string::npos ? TMessage::ExtraParameters
                                                                   : TMessage::ExtraParametersQuote;
  TFinding& f = c.Report.Add(*l.Line, 310, message,
                             {{"command", std::string(kw::kCommandList[l.Code].Word)},
                              {"uses", std::to_string(used)},
                              {"has", std::to_string(l.Params.size())},
                              {"ignored", Utf8(ignored)},
                              {"meant", Utf8(InQuotes(meant))}},
                             l.At[used - 1], meant.size());
  if (message == TMessage::ExtraParametersQuote) TReport::Fix(f, InQuotes(meant), TMessage::FixQuoteText);
}

bool CheckCondition(TScriptCheck& c, const TSourceLine& line, std::string_view condition, std::size_t at,
                    kw::TConditionParts& parts, std::size_t& leftAt, std::size_t& rightAt) {
  parts = kw::ScanCondition(condition);
  if (parts.Operator < 0) {
    c.Report.Add(line, 313, TMessage::ConditionWithoutOperator);
    return false;
  }
  const std::string op(kw::OperatorTable[parts.Operator]);
  if (parts.Left.empty() || parts.Right.empty()) {
    c.Report.Add(line, 313, parts.Left.empty() ? TMessage::ConditionWithoutLeft : TMessage::ConditionWithoutRight,
                 {{"operator", op}});
    return false;
  }
  leftAt = line.Text.find(parts.Left, at);
  rightAt = line.Text.rfind(parts.Right);
  if (AndOr(c, line, parts.Right, rightAt)) return false;
  // "==", "=>" and "=<" written together; "= <3" is a comparison with "<3".
  const std::string& right = parts.Right;
  if (op == "=" && rightAt > 0 && line.Text[rightAt - 1] == '=' &&
      (right[0] == '=' || right[0] == '>' || right[0] == '<') && right.size() > 1) {
    const std::string_view after = kw::TrimBlanksView(std::string_view(right).substr(1));
    if (IsQuoted(after) || after[0] == '$' || after[0] == '#' || IsNumber(after)) {
      const std::string written = "=" + right.substr(0, 1);
      const std::string meant = written == "==" ? "=" : written == "=>" ? ">=" : "<=";
      TFinding& f = c.Report.Add(line, 314, TMessage::NoSuchOperator,
                                 {{"written", written}, {"right", Utf8(right)}, {"meant", meant}}, rightAt - 1, 2);
      TReport::Fix(f, meant, TMessage::FixWrite, {{"text", meant}});
      return false;
    }
  }
  // "=!" and "><" as other languages write them.
  if (rightAt > 0 && right.size() > 1 &&
      ((op == "=" && right[0] == '!') || (op == ">" && right[0] == '<')) && line.Text[rightAt - 1] == op[0]) {
    const std::string written = op + right.substr(0, 1);
    const std::string meant = op == "=" ? "!=" : "<>";
    TFinding& f = c.Report.Add(line, 314, TMessage::ForeignOperator,
                               {{"written", written}, {"right", Utf8(right)}, {"meant", meant}, {"operator", op}},
                               rightAt - 1, 2);
    TReport::Fix(f, meant, TMessage::FixWrite, {{"text", meant}});
    return false;
  }
  if (TextAfter(c, line, right, rightAt)) return false;
  CheckValue(c, line, parts.Left, leftAt, TParamRole::Condition, false);
  CheckValue(c, line, right, rightAt, TParamRole::Condition, false);
  return true;
}

void CheckMenuDel(TScriptCheck& c, const TCommandLine& l) {
  if (l.Rest.empty()) {
    c.Report.Add(*l.Line, 312, TMessage::MenuDelWithoutName);
    return;
  }
  CheckValue(c, *l.Line, l.Rest, l.RestAt, TParamRole::MenuEntry, false);
}

// STRCON onto its own variable, which no other line sets: the text grows with every
// run, since variables live on between runs.
void CheckGrowth(TScriptCheck& c) {
  std::set<std::string> reported;
  for (std::size_t i = 0; i < c.Src.Lines.size(); ++i) {
    const kw::TCompiledLine& l = c.Src.Compiled->Lines[i];
    if (l.Kind != kw::TLineKind::Command || l.Code != kw::cmdStrCon) continue;
    // STRCON always starts from its result's own value.
    const std::string& target = l.Params[0].Target;
    if (target.rfind("$_", 0) == 0) continue;
    const std::set<int>& writers = c.Data.Writers.at(target);
    const bool reset = writers.size() > 1 || writers.count(kw::cmdStrCon) == 0;
    if (reset || c.Data.Saved.count(target) != 0 || !reported.insert(target).second) continue;
    c.Report.Add(c.Src.Lines[i], 311, TMessage::StrConGrows, {{"name", Utf8(target)}});
  }
}

void CheckIgnoredRest(TScriptCheck& c, const TCommandLine& l) {
  if (l.Rest.empty()) return;
  const std::string word(kw::kCommandList[l.Code].Word);
  if (l.Code == kw::cmdSaveConfig) {
    c.Report.Add(*l.Line, 317, TMessage::SaveConfigGivenValue, {{"rest", Utf8(l.Rest)}}, l.RestAt, l.Rest.size());
    return;
  }
  TFinding& f = c.Report.Add(*l.Line, 317, TMessage::IgnoredRest, {{"command", word}, {"rest", Utf8(l.Rest)}});
  TReport::Fix(f, l.Line->Text.substr(0, word.size()), TMessage::FixDropRest);
}

void CheckParameterMeaning(TScriptCheck& c, const TCommandLine& l) {
  const std::vector<std::string>& p = l.Params;
  // STRCON puts its result's value first itself.
  if (l.Code == kw::cmdStrCon && p.size() > 2 && p[0][0] == '$' && kw::UpperCase(p[0]) == kw::UpperCase(p[1])) {
    const std::size_t from = l.At[0] + p[0].size();
    TFinding& f = c.Report.Add(*l.Line, 322, TMessage::StrConDoubled, {{"name", Utf8(p[0])}}, from,
                               l.At[1] + p[1].size() - from);
    TReport::Fix(f, "", TMessage::FixDropRepeat, {{"name", Utf8(p[1])}});
    return;
  }
  if (l.Code == kw::cmdStrExt && p.size() >= 2 && (IsQuoted(p[1]) || IsPlainText(p[1]))) {
    const std::string separator = kw::CompileValue(p[1]).Text;
    if (separator.size() > 1) {
      TFinding& f = c.Report.Add(*l.Line, 323, TMessage::SeparatorLength,
                                 {{"value", Utf8(p[1])}, {"first", Utf8(separator.substr(0, 1))}}, l.At[1], p[1].size());
      if (separator[0] != '\'') TReport::Fix(f, InQuotes(separator.substr(0, 1)), TMessage::FixFirstCharacter);
    }
    return;
  }
  if (l.Code == kw::cmdStrDel && p.size() >= 2 && (p[1] == "0" || p[1] == "'0'")) {
    TFinding& f = c.Report.Add(*l.Line, 324, TMessage::IndexFromOne, {}, l.At[1], p[1].size());
    TReport::Fix(f, "1", TMessage::FixWrite, {{"text", "1"}});
  }
}

}  // namespace kwcheck
