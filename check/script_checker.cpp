// The checks of a script, line by line, on the engine's own reading of each line: the
// keyword as the compiler looks it up, the parameters as SplitParameters cuts them,
// a condition as ScanCondition scans it, values as CompileValue resolves them, result
// targets as the compiler names them and labels as it resolves them. The flow of runs
// and the variables' data flow across the whole script are flow.cpp's.
//
// A value gets at most one finding, the first of: quotes, a quoted text's traps, double
// quotes, constant, variable, plain word. Advice keeps the script's meaning: a "$name"
// inside quotes is literal text, so a text built from variables is advised as STRCON,
// never as quoting.
#include <algorithm>
#include <map>
#include <set>

#include "check/checker.h"
#include "check/flow.h"
#include "check/names.h"
#include "check/report.h"
#include "check/source.h"
#include "script/KwartlinConst.h"
#include "script/compiled.h"
#include "script/conditions.h"
#include "script/text.h"
#include "support/ProcFunc.h"
#include "support/casing.h"

namespace kwcheck {
namespace {

using kw::TParamForm;

using kw::TParamRole;

// A value read as a whole number (ReadInt), a count or position among them.
bool IsNumberRole(TParamRole role) {
  return role == TParamRole::Number || role == TParamRole::Position || role == TParamRole::Index ||
         role == TParamRole::Count || role == TParamRole::Status;
}

// A value taken as any text.
bool IsTextRole(TParamRole role) {
  return role == TParamRole::Text || role == TParamRole::Message || role == TParamRole::Contact ||
         role == TParamRole::MenuEntry || role == TParamRole::Caption || role == TParamRole::Separator;
}

bool IsQuoted(std::string_view p) { return !p.empty() && p.front() == '\'' && p.back() == '\''; }

// The text as a quoted script value. Built piece by piece: GCC 12 warns wrongly
// (-Wrestrict) on "literal" + std::string&&.
std::string InQuotes(std::string_view text) {
  std::string quoted(1, '\'');
  quoted.append(text);
  quoted += '\'';
  return quoted;
}
bool IsNumber(std::string_view p) { return kw::ParseInt(p).has_value(); }
bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

// Unquoted words that are neither variable, constant, number nor binary number: text
// taken as written.
bool IsPlainText(std::string_view p) {
  if (p.empty() || IsNumber(p)) return false;
  return std::string_view("'$#bB\"").find(p[0]) == std::string_view::npos;
}

// Words that mean "no" as a flag reads them (0), so they do what they say.
bool IsNegativeWord(std::string_view upper) {
  static constexpr std::string_view kWords[] = {"FALSE", "NO", "NIE", "OFF", "N", "FALSZ", "F"};
  return std::find(std::begin(kWords), std::end(kWords), upper) != std::end(kWords);
}

// What parameter n of the command holds. The host reads $_FILTR as a flag when a
// message run ends, so a value moved into it is one.
TParamRole ParamRole(int code, std::size_t n, const std::string& target0) {
  if (code == kw::cmdMov && n == 1 && target0 == "$_FILTR") return TParamRole::Flag;
  const kw::TParam* p = kw::kSignatures[static_cast<std::size_t>(code)].At(n);
  return p == nullptr ? TParamRole::Text : p->Role;
}

bool IsProgramVariable(std::string_view upper) {
  return std::find(std::begin(kw::ProgramVariableNames), std::end(kw::ProgramVariableNames), upper) !=
         std::end(kw::ProgramVariableNames);
}

std::vector<std::string_view> ProgramVariables() {
  return {std::begin(kw::ProgramVariableNames), std::end(kw::ProgramVariableNames)};
}

std::vector<std::string_view> ConstantNames() {
  std::vector<std::string_view> names;
  for (const kw::TStala& c : kw::ConstantTable) names.push_back(c.Name);
  return names;
}

std::vector<std::string> SpecialLabelsUpper() {
  std::vector<std::string> names;
  for (const kw::TEtykietaSpec& s : kw::SpecialLabelTable) names.push_back(kw::UpperCase(s.Name));
  return names;
}

class TScriptChecker {
 public:
  explicit TScriptChecker(const TSource& source)
      : src_(source), report_(source), data_(ReadDataFlow(source)), specialLabels_(SpecialLabelsUpper()) {
    for (const TSourceLine& l : src_.Lines) {
      if (l.Text[0] != ':') continue;
      labelNames_.push_back(std::string_view(l.Text).substr(1));
      // Built piece by piece: GCC 12 warns wrongly (-Wrestrict) on "literal" + std::string&&.
      std::string trimmed(1, ':');
      trimmed += kw::UpperCase(kw::TrimBlanks(std::string_view(l.Text).substr(1)));
      if (trimmed != kw::UpperCase(l.Text)) blankLabels_.emplace(trimmed, l.FileLine);
    }
    for (const kw::TCommandEntry& c : kw::kCommandList) commandWords_.push_back(c.Word);
    CollectMenuEntries();
  }

  std::vector<TFinding> Run() {
    FileFindings();
    DuplicateLabels();
    for (std::size_t i = 0; i < src_.Lines.size(); ++i) {
      const TSourceLine& line = src_.Lines[i];
      if (line.Text[0] == ':') {
        LineQuotes(line);
        SpecialLabel(line);
      } else {
        CheckCommand(i);
      }
    }
    CheckFlow(src_, data_, report_);
    return report_.Take();
  }

 private:
  // ---- The file ----------------------------------------------------------------

  void FileFindings() {
    ReportFileFindings(src_, report_);
    // An unquoted URL: the line's comment starts inside it.
    for (const TSourceLine& line : src_.Lines) UrlCut(line);
  }

  void UrlCut(const TSourceLine& line) {
    const std::string_view raw = src_.FileLine(line.FileLine);
    const std::size_t comment = kw::CommentStart(raw);
    if (comment == std::string_view::npos || comment == 0 || raw[comment - 1] != ':') return;
    if (comment + 2 >= raw.size() || raw[comment + 2] == ' ' || raw[comment + 2] == '\t') return;
    // The value the URL began: from the last comma or blank before the comment.
    const std::size_t start = std::max(raw.find_last_of(", \t", comment) + 1, line.Offset);
    const std::string_view url = kw::TrimBlanksView(raw.substr(start));
    std::string message = "the // in " + Quoted(url) +
                          " starts a comment, so the line ends at " + Quoted(raw.substr(start, comment - start)) +
                          "; quote the whole address";
    const std::size_t at = start - line.Offset;
    TFinding& f = report_.Add(line, 309, message, at, line.Text.size() - at);
    if (url.find('\'') == std::string_view::npos && url.find('$') == std::string_view::npos) {
      f.EndColumn = f.Column + static_cast<int>(url.size());
      TReport::Fix(f, InQuotes(url), "quote the address");
    }
  }

  void DuplicateLabels() {
    std::map<std::string, int> first;
    for (const TSourceLine& l : src_.Lines) {
      if (l.Text[0] != ':') continue;
      auto [it, inserted] = first.emplace(kw::UpperCase(l.Text), l.FileLine);
      if (!inserted)
        report_.Add(l, 102, "the label " + Quoted(l.Text) + " is already defined at line " +
                                std::to_string(it->second) + "; GOTO and CALL always go to the first one");
    }
  }

  // ---- Labels -------------------------------------------------------------------

  // A label that looks like a special one but is not: no run starts there. A label that
  // GOTO or CALL names is an ordinary one, whatever it looks like, and a special label
  // the script has already is not missed.
  void SpecialLabel(const TSourceLine& line) {
    const std::string name = kw::UpperCase(std::string_view(line.Text).substr(1));
    const auto special = [this](const std::string& upper) {
      return std::find(specialLabels_.begin(), specialLabels_.end(), upper) != specialLabels_.end();
    };
    if (special(name)) return;
    const std::string trimmed = kw::TrimBlanks(name);
    if (special(trimmed)) {
      report_.Add(line, 111, Quoted(line.Text) + " has a blank after its colon, so it is not the special label :" +
                                 Utf8(trimmed) + " and no run starts there");
      return;
    }
    if (data_.JumpTargets.count(":" + name) != 0) return;
    std::vector<std::string_view> missing;
    for (int e = 0; e < kw::kSpecialLabelCount; ++e)
      if (src_.Compiled->SpecialLabels[e] < 0) missing.push_back(kw::SpecialLabelTable[e].Name);
    const std::string_view meant = ClosestName(name, missing);
    if (meant.empty()) return;
    const std::string spelled = ":" + std::string(meant);
    TFinding& f = report_.Add(line, 111, Quoted(line.Text) + " is no special label, so no run starts there; did you mean " +
                                             Quoted(spelled) + "?");
    TReport::Fix(f, spelled, "rename the label to " + spelled);
  }

  // ---- Quotes -------------------------------------------------------------------

  // For lines without parameters: only a "//" can be lost to an open quote.
  void LineQuotes(const TSourceLine& line) {
    const auto quotes = std::count(line.Text.begin(), line.Text.end(), '\'');
    if (quotes % 2 == 0 || line.Text.find("//") == std::string::npos) return;
    report_.Add(line, 301,
                "unbalanced single quote: a quoted text runs to the end of the line, and the // in it is part "
                "of the line, not a comment");
  }

  // A parameter as SplitParameters and ResolveValue read it: every single quote flips
  // "inside quotes", and a value is quoted text when its first and last characters are
  // quotes, whatever stands between. So MOV $q, ''' holds one quote and MOV $a, 'it's'
  // holds it's, both as meant; the mistakes are a quote that nothing closes, and, in a
  // parameter list, a quote inside that hides a comma or a "//". A condition is not cut
  // at commas, so there only the "//" counts.
  bool Quotes(const TSourceLine& line, std::string_view p, std::size_t at, bool list) {
    if (p.size() > 1 && p.front() == '\'' && p.back() != '\'') {
      std::string message =
          "unbalanced single quote: " + Quoted(p) + " opens a quoted text that nothing closes, so the value keeps its quote";
      if (p.find("//") != std::string_view::npos) message += ", and the // in it is part of the line, not a comment";
      report_.Add(line, 301, message, at, p.size());
      return true;
    }
    const std::string_view inner = IsQuoted(p) && p.size() > 1 ? p.substr(1, p.size() - 2) : p;
    const std::size_t quote = inner.find('\'');
    if (quote == std::string_view::npos) return false;
    const std::size_t comma = list ? inner.find(',', quote) : std::string_view::npos;
    const std::size_t hidden = std::min(comma, inner.find("//", quote));
    if (hidden == std::string_view::npos) return false;
    report_.Add(line, 301,
                "unbalanced single quote: the quote inside " + Quoted(p) + " turns the quoting around, so its " +
                    (inner[hidden] == ',' ? "comma separates no parameters" : "// starts no comment") +
                    " (a quote cannot be escaped; MOV $q, ''' puts one into $q, and STRCON joins it in)",
                at, p.size());
    return true;
  }

  // ---- Values -------------------------------------------------------------------

  // One value at position at of the line's text; at most one finding.
  void Value(const TSourceLine& line, std::string_view p, std::size_t at, TParamRole role, bool list) {
    if (p.empty()) return;
    if (Quotes(line, p, at, list)) return;
    if (IsQuoted(p)) {
      QuotedText(line, p, at, role, list);
      return;
    }
    if (p.size() >= 2 && p.front() == '"' && p.back() == '"') {
      TFinding& f = report_.Add(line, 302,
                                Quoted(p) + " uses double quotes, which quote nothing: they stay in the value, and a "
                                            "comma or // between them works as it does anywhere; use single quotes",
                                at, p.size());
      const std::string_view inner = p.substr(1, p.size() - 2);
      if (inner.find_first_of("'\"") == std::string_view::npos) TReport::Fix(f, InQuotes(inner), "use single quotes");
      return;
    }
    const std::string upper = kw::UpperCase(p);
    if (p[0] == '#') {
      Constant(line, p, at);
      return;
    }
    if (p[0] == '$') {
      Variable(line, upper, at, p.size(), role);
      return;
    }
    PlainWord(line, p, upper, at, role);
  }

  void QuotedText(const TSourceLine& line, std::string_view p, std::size_t at, TParamRole role, bool list) {
    const std::string_view inner = p.size() > 1 ? p.substr(1, p.size() - 2) : std::string_view();
    const std::string upper = kw::UpperCase(inner);
    if (inner.find("''") != std::string_view::npos) {
      TFinding& f = report_.Add(line, 307,
                                Quoted(p) + " holds two quotes where one was meant: a quote inside a quoted text "
                                            "needs no doubling, and '' stays '' in the value",
                                at, p.size());
      std::string single(p);
      for (std::size_t k = single.find("''", 1); k != std::string::npos && k + 2 < single.size();
           k = single.find("''", k + 1))
        single.erase(k, 1);
      // Only when the single quotes cut nothing: no comma or // after them.
      const std::size_t firstInner = single.find('\'', 1);
      const bool safe = firstInner + 1 >= single.size() ||
                        (single.find("//") == std::string::npos &&
                         (!list || single.find(',', firstInner) == std::string::npos));
      if (safe) TReport::Fix(f, single, "write one quote");
      return;
    }
    const std::size_t escape = upper.find("\\N");
    if (escape != std::string::npos &&
        (inner.find(":\\") != std::string_view::npos || std::count(inner.begin(), inner.end(), '\\') > 1)) {
      TFinding& f = report_.Add(line, 308,
                                "\\n in " + Quoted(p) +
                                    " is a line break, so this path is cut in two; a value cannot hold a "
                                    "backslash before n, so write the path with /",
                                at, p.size());
      std::string slashed(p);
      std::replace(slashed.begin(), slashed.end(), '\\', '/');
      TReport::Fix(f, slashed, "write the path with /");
      return;
    }
    if ((role == TParamRole::Flag || role == TParamRole::Condition) && upper == "TRUE") {
      TFinding& f = report_.Add(line, 304,
                                Quoted(p) + " is the text TRUE, which reads as false as a flag and equals no "
                                            "truth value; write #TRUE (1)",
                                at, p.size());
      TReport::Fix(f, "#TRUE", "write #TRUE");
      return;
    }
    if (role == TParamRole::Flag && !IsNumber(inner) && !IsNegativeWord(upper)) {
      TFinding& f = report_.Add(line, 305, Quoted(p) + " as a flag reads as false (only a non-zero number is true); write #TRUE",
                                at, p.size());
      TReport::Fix(f, "#TRUE", "write #TRUE");
      return;
    }
    if (IsNumberRole(role) && !IsNumber(inner))
      NotANumber(line, p, at);
  }

  void NotANumber(const TSourceLine& line, std::string_view p, std::size_t at) {
    std::string message = Quoted(p) + " is no whole number, so it reads as 0";
    if (p.find_first_of(".,") != std::string_view::npos)
      message += "; the numbers are whole: for 1.5 times, MUL by 3 and then DIV by 2";
    report_.Add(line, 306, message, at, p.size());
  }

  void Constant(const TSourceLine& line, std::string_view p, std::size_t at) {
    // "#" alone or before a non-letter is text (a separator, a number sign).
    if (p.size() < 2 || !IsLetter(p[1])) return;
    if (kw::FindConstant(p.substr(1)) >= 0) return;
    const std::vector<std::string_view> names = ConstantNames();
    const std::string_view meant = ClosestName(p.substr(1), names);
    std::string message = Quoted(p) + " is no constant, so it stays the text " + Quoted(p);
    if (meant.empty()) {
      report_.Add(line, 204, message + "; to mean that text, quote it", at, p.size());
      return;
    }
    TFinding& f = report_.Add(line, 204, message + "; did you mean '#" + std::string(meant) + "'?", at, p.size());
    TReport::Fix(f, "#" + std::string(meant), "write #" + std::string(meant));
  }

  // A "$" value: upper is the engine's name of it.
  void Variable(const TSourceLine& line, const std::string& upper, std::size_t at, std::size_t size, TParamRole role) {
    if (IsProgramVariable(upper) || data_.IsWritten(upper)) {
      if (upper.rfind("$_", 0) == 0 && !IsProgramVariable(upper) && !data_.IsRead(upper)) ProgramVariableLike(line, upper, at, size);
      return;
    }
    if (upper.rfind("$_", 0) == 0 && ProgramVariableLike(line, upper, at, size)) return;
    const std::string underscored = "$_" + upper.substr(1);
    if (IsProgramVariable(underscored)) {
      TFinding& f = report_.Add(line, 207,
                                Quoted(upper) + " is no program variable and nothing writes it, so it is empty; the "
                                                "program's is " + underscored,
                                at, size);
      TReport::Fix(f, underscored, "write " + underscored);
      return;
    }
    const std::string digits = upper.substr(1);
    if (role == TParamRole::Number && !digits.empty() && digits.size() <= 8 &&
        digits.find_first_not_of("0123456789ABCDEF") == std::string::npos) {
      TFinding& f = report_.Add(line, 209,
                                Quoted(upper) + " unquoted is a variable, which nothing writes, so it reads as 0; "
                                                "the number is 0x" + digits,
                                at, size);
      TReport::Fix(f, "0x" + digits, "write 0x" + digits);
      return;
    }
    if (reportedUnwritten_.insert(upper).second)
      report_.Add(line, 208, Quoted(upper) + " is read, but no line writes it and SAVE keeps nothing in it, so it is always empty",
                  at, size);
  }

  // A $_ name of the script's own close to a program variable that it is not used as.
  bool ProgramVariableLike(const TSourceLine& line, const std::string& upper, std::size_t at, std::size_t size) {
    const std::vector<std::string_view> names = ProgramVariables();
    const std::string_view meant = ClosestName(upper, names);
    if (meant.empty()) return false;
    if (!reportedUnwritten_.insert(upper).second) return true;
    TFinding& f = report_.Add(line, 203, Quoted(upper) + " is no program variable; did you mean " +
                                             Quoted(meant) + "?", at, size);
    TReport::Fix(f, meant, "write " + std::string(meant));
    return true;
  }

  void PlainWord(const TSourceLine& line, std::string_view p, const std::string& upper, std::size_t at, TParamRole role) {
    auto add = [&](int code, std::string message, std::string fix, std::string title) {
      TFinding& f = report_.Add(line, code, std::move(message), at, p.size());
      if (!fix.empty()) TReport::Fix(f, fix, std::move(title));
    };
    if (upper == "TRUE" && !IsTextRole(role)) {
      add(304, Quoted(p) + " without # is just the text TRUE, not 1; write #TRUE", "#TRUE", "write #TRUE");
      return;
    }
    if (upper == "FALSE" && role == TParamRole::Condition) {
      add(304, Quoted(p) + " without # is just the text FALSE, not 0; write #FALSE", "#FALSE", "write #FALSE");
      return;
    }
    if (role == TParamRole::Flag && IsNegativeWord(upper)) return;
    if (kw::FindConstant(upper) >= 0 && upper != "TRUE" && upper != "FALSE") {
      add(205, Quoted(p) + " without # is just that text, not the constant's value; write #" + upper, "#" + upper,
          "write #" + upper);
      return;
    }
    if (role == TParamRole::Protocol || role == TParamRole::Status) {
      const std::string_view prefix = role == TParamRole::Protocol ? "PROTO_" : "STS_";
      for (const kw::TStala& c : kw::ConstantTable) {
        if (!c.Name.starts_with(prefix)) continue;
        const bool same = role == TParamRole::Protocol ? c.Value == upper : c.Name.substr(prefix.size()) == upper;
        if (!same || (role == TParamRole::Protocol && p == c.Value)) continue;
        add(205, Quoted(p) + " is a plain word here; the constant is #" + std::string(c.Name), "#" + std::string(c.Name),
            "write #" + std::string(c.Name));
        return;
      }
    }
    if (data_.IsWritten("$" + upper)) {
      add(206, Quoted(p) + " without $ is just that text, not the variable $" + std::string(p) + " that the script writes",
          "$" + std::string(p), "write $" + std::string(p));
      return;
    }
    if (p[0] == 'b' || p[0] == 'B') {
      const std::string_view digits = p.substr(1);
      if (digits.empty() || digits.find_first_not_of("01") != std::string_view::npos) {
        add(303, Quoted(p) + " starts with b, so it is read as a binary number and gives 0; put it in single quotes to keep the text",
            IsTextRole(role) || role == TParamRole::Condition ? InQuotes(p) : "", "quote the text");
        return;
      }
    }
    if (role == TParamRole::Flag && !IsNumber(p) && !IsNegativeWord(upper)) {
      add(305, Quoted(p) + " as a flag reads as false (only a non-zero number is true); write #TRUE", "#TRUE", "write #TRUE");
      return;
    }
    if (IsNumberRole(role) && !kw::CompileValue(p).Number) NotANumber(line, p, at);
  }

  // A parameter that only names the variable a command writes (a "$" is put in front
  // when missing, as the engine does).
  void ResultName(const TSourceLine& line, std::string_view p, std::size_t at, bool alsoRead) {
    if (p.empty() || Quotes(line, p, at, true)) return;
    if (p[0] != '$' && alsoRead && IsPlainText(p)) {
      TFinding& f = report_.Add(line, 206,
                                Quoted(p) + " without $ is read as the text " + Quoted(p) +
                                    ", though the result goes to $" + Utf8(p) + "; write $" + Utf8(p),
                                at, p.size());
      TReport::Fix(f, "$" + std::string(p), "write $" + std::string(p));
      return;
    }
    std::string upper = kw::UpperCase(p);
    if (upper[0] != '$') upper.insert(0, 1, '$');
    if (upper.rfind("$_", 0) == 0 && !IsProgramVariable(upper) && !data_.IsRead(upper))
      ProgramVariableLike(line, upper, at, p.size());
  }

  // ---- Commands -----------------------------------------------------------------

  void CheckCommand(std::size_t index) {
    const TSourceLine& line = src_.Lines[index];
    const std::string_view text = line.Text;
    std::size_t cut = kw::FindBlank(text);
    if (cut == 0) cut = text.size();
    const std::string keyword = kw::UpperCase(kw::TrimBlanksView(text.substr(0, cut)));
    const std::string_view rest = kw::TrimBlanksView(text.substr(cut));
    const std::size_t restAt = rest.empty() ? text.size() : static_cast<std::size_t>(rest.data() - text.data());
    const int code = kw::FindKeyword(keyword);
    if (code < 0) {
      LineQuotes(line);
      UnknownCommand(line, keyword);
      return;
    }
    const kw::TCommandEntry& command = kw::kCommandList[code];
    const std::string name(command.Word);
    switch (command.Form) {
      case TParamForm::List: Parameters(index, code, rest, restAt); break;
      case TParamForm::Label:
        LineQuotes(line);
        Jump(line, name, rest, restAt);
        break;
      case TParamForm::Condition: Condition(index, rest, restAt); break;
      case TParamForm::RestValue:
        if (rest.empty()) report_.Add(line, 312, name + " needs an entry name");
        else Value(line, rest, restAt, TParamRole::MenuEntry, false);
        break;
      case TParamForm::None: LineQuotes(line); break;
    }
  }

  // word: the line's first word, upper-cased.
  void UnknownCommand(const TSourceLine& line, const std::string& word) {
    const std::string written = line.Text.substr(0, line.Text.find_first_of(" \t"));
    if (const TForeignWord* foreign = FindForeignWord(word)) {
      std::string message = Quoted(written) + " is no command here, so the line does nothing: " + std::string(foreign->Advice);
      TFinding& f = report_.Add(line, 202, message, 0, written.size());
      if (!foreign->Command.empty()) TReport::Fix(f, foreign->Command, "write " + std::string(foreign->Command));
      return;
    }
    std::string message = Quoted(written) + " is no command; the line does nothing";
    for (const kw::TCommandEntry& c : kw::kCommandList) {
      const std::string keyword = kw::UpperCase(c.Word);
      if (word.size() > keyword.size() && word.compare(0, keyword.size(), keyword) == 0) {
        const char next = word[keyword.size()];
        if (next == '$' || next == '\'' || next == ',' || next == '#' || next == ':') {
          TFinding& f = report_.Add(line, 201, message + " (a blank must follow the keyword " + keyword + ")", 0,
                                    keyword.size() + 1);
          TReport::Fix(f, std::string(written.substr(0, keyword.size())) + " " + written[keyword.size()],
                       "put a blank after " + keyword);
          return;
        }
      }
    }
    const std::string_view meant = ClosestName(word, commandWords_, false);
    if (meant.empty()) {
      report_.Add(line, 201, message, 0, written.size());
      return;
    }
    TFinding& f = report_.Add(line, 201, message + "; did you mean " + Quoted(meant) + "?", 0, written.size());
    TReport::Fix(f, meant, "write " + std::string(meant));
  }

  void Parameters(std::size_t index, int code, std::string_view rest, std::size_t restAt) {
    const TSourceLine& line = src_.Lines[index];
    const kw::TCommandEntry& command = kw::kCommandList[code];
    const std::string name(command.Word);
    const std::vector<std::string> params = kw::SplitParameters(rest);
    if (params.size() < command.MinParams) {
      report_.Add(line, 312, name + " needs " + std::to_string(command.MinParams) + " parameters, the line has " +
                                 std::to_string(params.size()) + "; it does nothing");
      return;
    }
    // Where each parameter stands in the line's text.
    std::vector<std::size_t> at;
    std::size_t from = restAt;
    for (const std::string& p : params) {
      const std::size_t found = p.empty() ? from : line.Text.find(p, from);
      at.push_back(found == std::string::npos ? restAt : found);
      from = found == std::string::npos ? from : found + p.size();
    }
    if (SwappedParameters(line, code, params, at)) return;
    const kw::TCompiledLine& compiled = src_.Compiled->Lines[index];
    const std::string target0 = compiled.Params.empty() ? std::string() : compiled.Params[0].Target;
    const kw::TParamSignature& signature = kw::kSignatures[static_cast<std::size_t>(code)];
    const bool usesAll = signature.LastRepeats;
    const std::size_t used = usesAll ? params.size() : command.MinParams;
    for (std::size_t n = 0; n < used; ++n) {
      const bool read = signature.Reads(n);
      const bool written = signature.Writes(n);
      if (written) ResultName(line, params[n], at[n], read);
      else if (read) Value(line, params[n], at[n], ParamRole(code, n, target0), true);
      else if (code == kw::cmdSave) ResultName(line, params[n], at[n], false);
    }
    if (usesAll) JoinedTexts(line, name, rest, params, at);
    else if (params.size() > command.MinParams) ExtraParameters(line, name, command.MinParams, rest, params, at);
  }

  // A result and a value in each other's places: the value is a variable that nothing
  // writes while the result lands in one the script or the program fills (CHKINT
  // $isnum, $_MESSAGE overwrites every message), or STREXT with its result first.
  bool SwappedParameters(const TSourceLine& line, int code, const std::vector<std::string>& params,
                         const std::vector<std::size_t>& at) {
    const kw::TCommandEntry& command = kw::kCommandList[code];
    auto unwritten = [&](const std::string& p) {
      const std::string upper = kw::UpperCase(p);
      return !p.empty() && p[0] == '$' && !IsProgramVariable(upper) && !data_.IsWritten(upper);
    };
    auto filled = [&](const std::string& p) {
      std::string upper = kw::UpperCase(p);
      if (upper.empty()) return false;
      if (upper[0] != '$') upper.insert(0, 1, '$');
      return IsProgramVariable(upper) || data_.WrittenElsewhere(upper, line.FileLine) || data_.IsRead(upper);
    };
    const auto span = [&](std::size_t first, std::size_t last) {
      return std::pair<std::size_t, std::size_t>(at[first], at[last] + params[last].size() - at[first]);
    };
    // MOV copies either way round; only the commands whose value and result differ in
    // kind (a number from a text, a flag from a text) are told apart.
    if (code != kw::cmdMov && command.MinParams == 2 && params.size() == 2 && command.Values != kw::kAllParams &&
        (command.Values | command.Results) == 0b11 && command.Values != 0b11) {
      const std::size_t value = command.Values == 0b1 ? 0 : 1;
      const std::size_t result = 1 - value;
      if (!unwritten(params[value]) || !filled(params[result]) || IsProgramVariable(kw::UpperCase(params[value])))
        return false;
      reportedUnwritten_.insert(kw::UpperCase(params[value]));
      const auto [from, count] = span(0, 1);
      TFinding& f = report_.Add(line, 211,
                                std::string(command.Word) + " writes its result into " + Quoted(params[result]) +
                                    " and reads " + Quoted(params[value]) +
                                    ", which nothing writes: the two are swapped (" +
                                    std::string(command.Syntax) + ")",
                                from, count);
      TReport::Fix(f, params[1] + ", " + params[0], "swap the two parameters");
      return true;
    }
    if (code == kw::cmdStrExt && params.size() == 4 && unwritten(params[0]) && !params[3].empty() &&
        params[3][0] != '$' && IsNumber(params[3])) {
      reportedUnwritten_.insert(kw::UpperCase(params[0]));
      const auto [from, count] = span(0, 3);
      TFinding& f = report_.Add(line, 211,
                                "STREXT takes the text first and its result last (" + std::string(command.Syntax) +
                                    "): as written it splits the empty " + Utf8(params[0]) + " and writes into $" +
                                    Utf8(params[3]),
                                from, count);
      TReport::Fix(f, params[1] + ", " + params[2] + ", " + params[3] + ", " + params[0], "put the result last");
      return true;
    }
    return false;
  }

  // The text between the first-th and the last-th parameter, as written.
  static std::string Between(std::string_view rest, const std::vector<std::string>& params,
                             const std::vector<std::size_t>& at, std::size_t restAt, std::size_t first,
                             std::size_t last) {
    const std::size_t from = at[first] - restAt;
    const std::size_t to = last < params.size() ? at[last] + params[last].size() - restAt : rest.size();
    return std::string(rest.substr(from, to - from));
  }

  // The advice for unquoted text cut by commas: quoting, when that keeps the meaning;
  // a "$name" inside quotes would be sent as written, so then STRCON.
  static std::string QuoteAdvice(const std::string& meant) {
    if (meant.find('$') != std::string::npos)
      return "; quoting it would keep $ names as plain text, so build it with STRCON ($name and the quoted "
             "pieces, each a parameter) and use the result";
    if (meant.find('\'') != std::string::npos) return {};
    return "; a comma cuts unquoted text, so quote it: " + Quoted(InQuotes(meant));
  }

  // Unquoted text with a comma in it becomes more parameters than the command uses.
  void ExtraParameters(const TSourceLine& line, const std::string& name, std::size_t used, std::string_view rest,
                       const std::vector<std::string>& params, const std::vector<std::size_t>& at) {
    const std::size_t restAt = static_cast<std::size_t>(rest.data() - line.Text.data());
    // A stray quote cuts parameters too; it has its own finding.
    for (std::size_t n = used > 0 ? used - 1 : 0; n < params.size(); ++n)
      if (params[n].find('\'') != std::string::npos && !IsQuoted(params[n])) return;
    const std::string ignored = Between(rest, params, at, restAt, used, std::string::npos);
    std::string message = name + " uses " + std::to_string(used) + " parameters, the line has " +
                          std::to_string(params.size()) + ": " + Quoted(ignored) + " after the last one it uses is ignored";
    const std::string meant = used > 0 ? Between(rest, params, at, restAt, used - 1, std::string::npos) : std::string();
    const bool plain = used > 0 && IsPlainText(params[used - 1]);
    if (plain) message += QuoteAdvice(meant);
    TFinding& f = report_.Add(line, 310, message, at[used - 1], meant.size());
    if (plain && meant.find_first_of("$'") == std::string::npos) TReport::Fix(f, InQuotes(meant), "quote the text");
  }

  // STRCON joins its values, so a comma in unquoted text is lost with the blanks
  // around it: STRCON $s, Cześć, co tam? gives "Cześćco tam?".
  void JoinedTexts(const TSourceLine& line, const std::string& name, std::string_view rest,
                   const std::vector<std::string>& params, const std::vector<std::size_t>& at) {
    const std::size_t restAt = static_cast<std::size_t>(rest.data() - line.Text.data());
    for (std::size_t n = 2; n < params.size(); ++n) {
      if (!IsPlainText(params[n - 1]) || !IsPlainText(params[n])) continue;
      const std::string meant = Between(rest, params, at, restAt, n - 1, n);
      std::string message = name + " joins " + Quoted(params[n - 1]) + " and " + Quoted(params[n]) +
                            " without the comma between them and its blanks: a comma separates parameters of "
                            "unquoted text";
      if (meant.find('\'') == std::string::npos) message += "; quote it: " + Quoted(InQuotes(meant));
      TFinding& f = report_.Add(line, 310, message, at[n - 1], meant.size());
      if (meant.find('\'') == std::string::npos) TReport::Fix(f, InQuotes(meant), "quote the text");
      return;
    }
  }

  void Jump(const TSourceLine& line, const std::string& name, std::string_view label, std::size_t at) {
    if (label.empty()) {
      report_.Add(line, 101, name + " without a label name");
      return;
    }
    if (src_.Compiled->FindLabel(label, -1) >= 0) return;
    if (label[0] == ':') {
      const std::string bare = kw::TrimBlanks(label.substr(1));
      TFinding& f = report_.Add(line, 110,
                                name + " " + Utf8(label) + " looks for a line that reads " + Quoted(":" + std::string(label)) +
                                    ": the colon belongs only to the label line; write " + name + " " + Utf8(bare),
                                at, label.size());
      if (!bare.empty() && src_.Compiled->FindLabel(bare, -1) >= 0) TReport::Fix(f, bare, "drop the colon");
      return;
    }
    std::string message = name + " to " + Quoted(label) + ", but no line reads " + Quoted(":" + std::string(label)) +
                          "; execution goes on with the next line";
    if (const auto blank = blankLabels_.find(":" + kw::UpperCase(label)); blank != blankLabels_.end()) {
      report_.Add(line, 101, message + " (line " + std::to_string(blank->second) + " has blanks after its colon)", at,
                  label.size());
      return;
    }
    // A label is looked for among all the others; a huge script's many slips share a
    // budget, so checking it stays linear.
    std::string_view meant;
    if (labelSearches_ <= kLabelSearchBudget) {
      labelSearches_ += labelNames_.size();
      meant = ClosestName(label, labelNames_);
    }
    if (meant.empty()) {
      report_.Add(line, 101, message, at, label.size());
      return;
    }
    TFinding& f = report_.Add(line, 101, message + "; did you mean " + Quoted(meant) + "?", at, label.size());
    TReport::Fix(f, meant, "jump to " + Utf8(meant));
  }

  // ---- Conditions ---------------------------------------------------------------

  void Condition(std::size_t index, std::string_view condition, std::size_t at) {
    const TSourceLine& line = src_.Lines[index];
    GovernedLine(index);
    const kw::TConditionParts c = kw::ScanCondition(condition);
    if (c.Operator < 0) {
      report_.Add(line, 313, "the condition has no operator (<> != >= <= < > =), so it is always false");
      return;
    }
    const std::string op(kw::OperatorTable[c.Operator]);
    if (c.Left.empty() || c.Right.empty()) {
      report_.Add(line, 313, std::string(c.Left.empty() ? "nothing before " : "nothing after ") + "the operator " + op +
                                 ", so the condition is always false");
      return;
    }
    const std::size_t leftAt = line.Text.find(c.Left, at);
    const std::size_t rightAt = line.Text.rfind(c.Right);
    if (AndOr(line, c.Right, rightAt)) return;
    // "==", "=>" and "=<" written together; "= <3" is a comparison with "<3".
    if (op == "=" && rightAt > 0 && line.Text[rightAt - 1] == '=' &&
        (c.Right[0] == '=' || c.Right[0] == '>' || c.Right[0] == '<') && c.Right.size() > 1) {
      const std::string_view after = kw::TrimBlanksView(std::string_view(c.Right).substr(1));
      if (IsQuoted(after) || after[0] == '$' || after[0] == '#' || IsNumber(after)) {
        const std::string written = "=" + c.Right.substr(0, 1);
        const std::string meant = written == "==" ? "=" : written == "=>" ? ">=" : "<=";
        TFinding& f = report_.Add(line, 314,
                                  Quoted(written) + " is no operator: the operator is = and the right value is the text " +
                                      Quoted(c.Right) + "; write " + meant,
                                  rightAt - 1, 2);
        TReport::Fix(f, meant, "write " + meant);
        return;
      }
    }
    if (TextAfter(line, c.Right, rightAt)) return;
    Value(line, c.Left, leftAt, TParamRole::Condition, false);
    Value(line, c.Right, rightAt, TParamRole::Condition, false);
    MenuItemName(line, c, leftAt, rightAt);
  }

  // What the IF governs: the next kept line, and only it.
  void GovernedLine(std::size_t index) {
    const TSourceLine& line = src_.Lines[index];
    if (index + 1 >= src_.Lines.size()) {
      report_.Add(line, 103, "IF on the last line governs no command");
      return;
    }
    const TSourceLine& next = src_.Lines[index + 1];
    if (next.Text[0] == ':') {
      report_.Add(line, 104, "IF governs the label line " + Quoted(next.Text) + " (line " + std::to_string(next.FileLine) +
                                 "), so the condition changes nothing: the line after the label runs either way");
      return;
    }
    if (kw::FindCommandIndex(next.Text) == kw::cmdIf) {
      report_.Add(next, 108,
                  "this IF is governed by the IF on line " + std::to_string(line.FileLine) +
                      ": when that one is false, this line is skipped and the line below it runs unguarded; to require "
                      "both, jump away when either is false (IF ... with the opposite operator, then GOTO)",
                  0, 2);
      return;
    }
    // A body written as a block: the two lines below are indented under the IF.
    if (index + 2 < src_.Lines.size()) {
      const TSourceLine& after = src_.Lines[index + 2];
      const std::size_t indent = line.Offset;
      if (next.Offset > indent && after.Offset > indent && after.Text[0] != ':' && after.FileLine == next.FileLine + 1)
        report_.Add(after, 109,
                    "the IF on line " + std::to_string(line.FileLine) +
                        " governs only the line below it; this one runs whatever the condition: to guard both, jump over "
                        "them with the opposite condition and GOTO");
    }
  }

  // The words AND, OR and NOT before another comparison: a condition is one
  // comparison, the rest is text in the right value ("rock and roll" is a text).
  bool AndOr(const TSourceLine& line, std::string_view right, std::size_t at) {
    bool quoted = false;
    std::string word;
    for (std::size_t i = 0; i <= right.size(); ++i) {
      const char ch = i < right.size() ? right[i] : ' ';
      if (ch == '\'') quoted = !quoted;
      if (quoted || (ch != ' ' && ch != '\t')) {
        if (!quoted) word += ch;
        continue;
      }
      const std::string u = kw::UpperCase(word);
      word.clear();
      if (u != "AND" && u != "OR" && u != "NOT" && u != "&&" && u != "||") continue;
      if (kw::ScanCondition(right.substr(i)).Operator < 0) continue;
      report_.Add(line, 316,
                  "a condition has no " + u + ": it is one comparison, and " + Quoted(right) +
                      " is all its right value; chain IF lines that jump with GOTO",
                  at, right.size());
      return true;
    }
    return false;
  }

  // IF $a = 5 GOTO end: the right value is "5 GOTO end": a complete first value and more.
  bool TextAfter(const TSourceLine& line, const std::string& right, std::size_t at) {
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
    std::string message = "the right value is the whole text " + Quoted(right) + ", not " + Quoted(first) +
                          ": a condition cannot share its line";
    if (kw::FindKeyword(nextWord) >= 0 || nextWord == "THEN" || nextWord == "DO")
      message += "; put " + Quoted(more) + " on the next line, which the IF governs";
    report_.Add(line, 315, message, at, right.size());
    return true;
  }

  // ---- Menu entries -------------------------------------------------------------

  void CollectMenuEntries() {
    for (std::size_t i = 0; i < src_.Lines.size(); ++i) {
      const kw::TCompiledLine& l = src_.Compiled->Lines[i];
      if (l.Kind != kw::TLineKind::Command || l.Code != kw::cmdMenuAdd) continue;
      if (l.Params[0].Value.IsVariable || l.Params[1].Value.IsVariable) continue;
      const std::string& id = l.Params[0].Value.Text;
      menuIds_.insert(id);
      menuByUpperId_.emplace(kw::UpperCase(id), id);
      menuByCaption_.emplace(l.Params[1].Value.Text, id);
    }
  }

  // $_MENU_ITEM holds the name an entry was added with, compared exactly.
  void MenuItemName(const TSourceLine& line, const kw::TConditionParts& c, std::size_t leftAt, std::size_t rightAt) {
    const bool leftItem = kw::UpperCase(c.Left) == "$_MENU_ITEM";
    const bool rightItem = kw::UpperCase(c.Right) == "$_MENU_ITEM";
    if (leftItem == rightItem || menuIds_.empty()) return;
    const std::string& other = leftItem ? c.Right : c.Left;
    const std::size_t at = leftItem ? rightAt : leftAt;
    if (other.empty() || other[0] == '$') return;
    const std::string value = kw::CompileValue(other).Text;
    if (menuIds_.count(value) != 0) return;
    const auto sameCase = menuByUpperId_.find(kw::UpperCase(value));
    const auto caption = menuByCaption_.find(value);
    if (sameCase == menuByUpperId_.end() && caption == menuByCaption_.end()) return;
    const bool byCase = sameCase != menuByUpperId_.end();
    const std::string& id = byCase ? sameCase->second : caption->second;
    std::string message = Quoted(other) + (byCase ? " differs in case from the entry's name " : " is the caption of the entry named ") +
                          Quoted(id) + ", and $_MENU_ITEM holds the name exactly as MenuAdd gave it";
    TFinding& f = report_.Add(line, 210, message, at, other.size());
    TReport::Fix(f, InQuotes(id), "compare with the name");
  }

  const TSource& src_;
  TReport report_;
  TDataFlow data_;
  std::vector<std::string> specialLabels_;           // upper case, without the colon
  std::vector<std::string_view> labelNames_;        // the label lines' texts without the colon
  std::vector<std::string_view> commandWords_;
  std::map<std::string, int> blankLabels_;         // ":" + upper name of a label line with blanks after its colon
  static constexpr std::size_t kLabelSearchBudget = 1'000'000;  // label names compared, at most
  std::size_t labelSearches_ = 0;
  std::set<std::string> menuIds_;                  // names MenuAdd gives, as resolved
  std::map<std::string, std::string> menuByUpperId_;  // upper-cased name -> name
  std::map<std::string, std::string> menuByCaption_;  // caption -> name
  std::set<std::string> reportedUnwritten_;         // variables already reported
};

}  // namespace

std::vector<TFinding> CheckScript(std::string_view bytes) {
  const TSource source = ReadScript(bytes);
  return TScriptChecker(source).Run();
}

std::vector<TFinding> CheckFile(std::string_view name, std::string_view bytes, bool spam) {
  const std::string ending = name.size() >= 4 ? kw::UpperCase(name.substr(name.size() - 4)) : std::string();
  return spam || ending == ".SPM" ? CheckSpamList(bytes) : CheckScript(bytes);
}

}  // namespace kwcheck
