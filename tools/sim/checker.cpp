// The checks, one function each, on the lines as the plugin prepares them:
//   unknown-command     the first word is no keyword (the line does nothing)
//   too-few-parameters  fewer parameters than the command needs (the line does nothing)
//   missing-label       GOTO or CALL to a label no line defines (execution falls through)
//   duplicate-label     a label defined twice (jumps always reach the first)
//   if-last-line        IF with no line after it
//   if-before-label     IF followed by a label line (the condition changes nothing)
//   if-condition        IF without an operator or an operand (always false)
//   unbalanced-quotes   a single quote that nothing closes, or one inside a quoted
//                       text that hides a comma or a "//" (MOV $q, ''' is right)
//   binary-word         an unquoted value starting with b that is no binary number
//                       (b101 is 5, but bardzo reads as 0)
//   encoding            the file is UTF-8, while the plugin reads Windows-1250
// and the traps of the language guide, each with the name probably meant where one is
// close (checker_names.h):
//   special-label       a label like a special one that the script lacks (:_inti)
//   program-variable    a $_ name like a program variable ($_FILTER for $_FILTR)
//   unknown-constant    a # name that is no constant (it stays as written)
//   bare-true-false     TRUE or FALSE without #: a plain word, not 1 or 0
//   if-operator         == => =< in a condition: = and text
//   if-extra-text       text after a condition's right value (IF $a = 5 GOTO end)
//   if-and-or           AND, OR, NOT in a condition: plain words there
//   double-quotes       a value in double quotes: they quote nothing
//   cut-parameter       unquoted text that commas cut into more parameters than the
//                       command uses, or that STRCON joins without its commas
//   goto-colon          GOTO or CALL with the label's colon
//   call-without-ret    a CALLed section from which no branch reaches RET
//   runs-on             a special section that runs on into another section
//   other-language      a command word of other languages (SUB, STRCAT, RETURN, ELSE)
// A value gets at most one finding: the first of quotes, double quotes, constant,
// variable, TRUE/FALSE, binary word.
// Keywords, parameter forms and least parameter counts come from the plugin's command
// list (script/command_list.h), which is header-only: the simulator reads the same list
// without linking the plugin.
#include "tools/sim/checker.h"

#include <algorithm>
#include <map>
#include <set>
#include <span>

#include "script/command_list.h"
#include "tools/sim/checker_names.h"
#include "tools/sim/codec.h"
#include "tools/sim/script_lines.h"

namespace kwsim {
namespace {

using kw::TParamForm;
using Command = kw::TCommandSpec;

// Whether the upper-cased word is the keyword. Keywords are ASCII letters, which the
// plugin's casing rule upper-cases as ASCII does.
bool IsKeyword(std::string_view upper, std::string_view keyword) {
  if (upper.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    const char k = keyword[i];
    if (upper[i] != (k >= 'a' && k <= 'z' ? static_cast<char>(k - 'a' + 'A') : k)) return false;
  }
  return true;
}

const Command* FindCommand(std::string_view upper) {
  for (const Command& c : kw::kCommandList)
    if (IsKeyword(upper, c.Word)) return &c;
  return nullptr;
}

// Built piece by piece: GCC 12 warns wrongly (-Wrestrict) on "literal" + std::string&&.
std::string Q(std::string_view cp1250) {
  std::string s(1, '\'');
  s += Cp1250ToUtf8(cp1250);
  s += '\'';
  return s;
}

bool IsLabel(const ScriptLine& line) { return line.Text[0] == ':'; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A value that ResolveValue takes as quoted text: its first and last characters are
// single quotes (a lone quote is the empty text).
bool IsQuoted(std::string_view p) { return !p.empty() && p.front() == '\'' && p.back() == '\''; }

// A decimal or hexadecimal number as a script writes one unquoted.
bool IsNumberWord(std::string_view p) {
  if (!p.empty() && (p[0] == '+' || p[0] == '-')) p.remove_prefix(1);
  std::string_view digits = "0123456789";
  if (p.size() > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    p.remove_prefix(2);
    digits = "0123456789abcdefABCDEF";
  } else if (!p.empty() && (p[0] == 'x' || p[0] == 'X')) {
    p.remove_prefix(1);
    digits = "0123456789abcdefABCDEF";
  }
  return !p.empty() && p.find_first_not_of(digits) == std::string_view::npos;
}

// Unquoted words that are neither variable, constant, number nor binary number: text
// taken as written, so blanks at its ends are dropped and a comma ends it.
bool IsPlainText(std::string_view p) {
  if (p.empty() || IsNumberWord(p)) return false;
  return std::string_view("'$#bB\"").find(p[0]) == std::string_view::npos;
}

// Where the count-th comma outside single quotes stands (1-based), or npos.
std::size_t CommaPosition(std::string_view text, std::size_t count) {
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\'') quoted = !quoted;
    if (!quoted && text[i] == ',' && --count == 0) return i;
  }
  return std::string_view::npos;
}

// The text between the first-th and the last-th comma (0: the start; npos: the end).
std::string Between(std::string_view text, std::size_t first, std::size_t last) {
  const std::size_t from = first == 0 ? 0 : CommaPosition(text, first) + 1;
  const std::size_t to = last == std::string_view::npos ? text.size() : CommaPosition(text, last);
  const std::size_t length = to == std::string_view::npos ? text.size() - from : to - from;
  return std::string(TrimBlanks(text.substr(from, length)));
}

bool IsOneOf(std::string_view upper, std::span<const std::string_view> names) {
  return std::find(names.begin(), names.end(), upper) != names.end();
}

// name: Windows-1250.
std::string DidYouMean(std::string_view name) { return "; did you mean " + Q(name) + "?"; }

// What a run does from a label on, followed through every branch (see Follow).
struct Flow {
  bool ReachesRet = false;
  int ExitLine = 0;       // the file line of the first EXIT reached; 0 for none
  bool ReachesEnd = false;
  std::size_t FallsInto = std::string_view::npos;  // the watched label it runs on into
  int FallsFrom = 0;      // the file line it runs on from
};

class Checker {
 public:
  explicit Checker(std::string_view bytes)
      : bytes_(bytes.substr(0, bytes.find('\0'))), lines_(PrepareScript(bytes)) {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const ScriptLine& l = lines_[i];
      if (IsLabel(l)) {
        labels_.push_back({UpperCp1250(l.Text), &l});
        firstLabel_.emplace(UpperCp1250(l.Text), i);
        labelNames_.push_back(l.Text.substr(1));
        continue;
      }
      const KeywordSplit split = SplitKeyword(l.Text);
      if (split.Keyword == "GOTO" || split.Keyword == "CALL") jumpTargets_.insert(":" + UpperCp1250(split.Rest));
    }
    for (const Command& c : kw::kCommandList) commandWords_.push_back(c.Word);
  }

  std::vector<Finding> Run() {
    CheckEncoding();
    CheckDuplicateLabels();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const ScriptLine& line = lines_[i];
      if (IsLabel(line)) {
        LineQuotes(line);
        SpecialLabel(line);
      } else {
        CheckCommand(i);
      }
    }
    CheckSections();
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.Line < b.Line; });
    return std::move(findings_);
  }

 private:
  void Add(int line, std::string kind, std::string message, std::string suggestion = {}) {
    findings_.push_back({line, std::move(kind), std::move(message), std::move(suggestion)});
  }

  // The line index of the label that GOTO name reaches (the first one), or npos.
  std::size_t FindLabel(std::string_view name) const {
    const auto it = firstLabel_.find(":" + UpperCp1250(name));
    return it == firstLabel_.end() ? std::string_view::npos : it->second;
  }

  void CheckEncoding() {
    const int line = Utf8FirstLine(bytes_);
    if (line == 0) return;
    Add(line, "encoding",
        "the file is UTF-8, but the plugin reads Windows-1250: Polish letters will come out "
        "wrong (convert it with: iconv -f UTF-8 -t CP1250)");
  }

  void CheckDuplicateLabels() {
    std::map<std::string, int> first;
    for (const auto& [label, line] : labels_) {
      auto [it, inserted] = first.emplace(label, line->FileLine);
      if (!inserted)
        Add(line->FileLine, "duplicate-label",
            "the label " + Q(line->Text) + " is already defined at line " +
                std::to_string(it->second) + "; GOTO and CALL always go to the first one");
    }
  }

  // ---- Labels -------------------------------------------------------------------

  // A label that looks like a special one but is not: the plugin never starts there. A
  // label that GOTO or CALL names is an ordinary one, whatever it looks like, and a
  // special label the script has already is not missed.
  void SpecialLabel(const ScriptLine& line) {
    const std::string name = UpperCp1250(std::string_view(line.Text).substr(1));
    if (IsOneOf(name, kSpecialLabels)) return;
    const std::string trimmed(TrimBlanks(name));
    if (IsOneOf(trimmed, kSpecialLabels)) {
      Add(line.FileLine, "special-label",
          Q(line.Text) + " has a blank after its colon, so it is not the special label :" +
              Cp1250ToUtf8(trimmed) + " and no run starts there");
      return;
    }
    if (jumpTargets_.count(":" + name) != 0) return;
    std::vector<std::string_view> missing;
    for (std::string_view special : kSpecialLabels)
      if (firstLabel_.count(":" + std::string(special)) == 0) missing.push_back(special);
    const std::string_view meant = ClosestName(name, missing);
    if (meant.empty()) return;
    const std::string spelled = ":" + ToLower(meant);
    Add(line.FileLine, "special-label",
        Q(line.Text) + " is no special label, so no run starts there" + DidYouMean(spelled),
        spelled);
  }

  static std::string ToLower(std::string_view ascii) {
    std::string s(ascii);
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  }

  // ---- Quotes -------------------------------------------------------------------

  // For lines without parameters: only a "//" can be lost to an open quote.
  void LineQuotes(const ScriptLine& line) {
    const auto quotes = std::count(line.Text.begin(), line.Text.end(), '\'');
    if (quotes % 2 == 0 || line.Text.find("//") == std::string::npos) return;
    Add(line.FileLine, "unbalanced-quotes",
        "unbalanced single quote: a quoted text runs to the end of the line, and the // in it "
        "is part of the line, not a comment");
  }

  // A parameter as SplitParameters and ResolveValue read it: every single quote flips
  // "inside quotes", and a value is quoted text when its first and last characters are
  // quotes, whatever stands between. So MOV $q, ''' holds one quote and
  // MOV $a, 'it's' holds it's, both as meant; the mistakes are a quote that nothing
  // closes (the value keeps it), and a quote inside that hides a comma or a "//".
  bool Quotes(const ScriptLine& line, std::string_view p) {
    if (p.size() > 1 && p.front() == '\'' && p.back() != '\'') {
      std::string message = "unbalanced single quote: " + Q(p) +
                            " opens a quoted text that nothing closes, so the value keeps its quote";
      if (p.find("//") != std::string_view::npos)
        message += ", and the // in it is part of the line, not a comment";
      Add(line.FileLine, "unbalanced-quotes", message);
      return true;
    }
    const std::string_view inner = IsQuoted(p) && p.size() > 1 ? p.substr(1, p.size() - 2) : p;
    const std::size_t quote = inner.find('\'');
    if (quote == std::string_view::npos) return false;
    const std::size_t hidden = std::min(inner.find(',', quote), inner.find("//", quote));
    if (hidden == std::string_view::npos) return false;
    Add(line.FileLine, "unbalanced-quotes",
        "unbalanced single quote: the quote inside " + Q(p) + " turns the quoting around, so its " +
            (inner[hidden] == ',' ? "comma separates no parameters" : "// starts no comment") +
            " (a quote cannot be escaped; MOV $q, ''' puts one into $q)");
    return true;
  }

  // ---- Values and names ---------------------------------------------------------

  // One value as the command resolves it; at most one finding.
  void Value(const ScriptLine& line, std::string_view p) {
    if (Quotes(line, p) || IsQuoted(p)) return;
    if (p.find('"') != std::string_view::npos) {
      Add(line.FileLine, "double-quotes",
          Q(p) + " uses double quotes, which quote nothing: they stay in the value, and a comma "
                 "or // between them works as it does anywhere; use single quotes");
      return;
    }
    const std::string upper = UpperCp1250(p);
    if (!p.empty() && p[0] == '#') {
      Constant(line, p, upper.substr(1));
    } else if (!p.empty() && p[0] == '$') {
      ProgramVariable(line, upper);
    } else if (upper == "TRUE" || upper == "FALSE") {
      Add(line.FileLine, "bare-true-false",
          Q(p) + " without # is just the text " + upper + ", not " + (upper == "TRUE" ? "1" : "0") +
              "; write #" + upper,
          "#" + upper);
    } else {
      BinaryWord(line, std::string(p));
    }
  }

  // A parameter that names the variable a command writes (a "$" is put in front when
  // missing, as the plugin does).
  void Name(const ScriptLine& line, std::string_view p) {
    if (Quotes(line, p)) return;
    std::string upper = UpperCp1250(p);
    if (upper.empty() || upper[0] != '$') upper.insert(0, "$");
    ProgramVariable(line, upper);
  }

  void Constant(const ScriptLine& line, std::string_view written, const std::string& name) {
    if (IsOneOf(name, kConstants)) return;
    std::string message = Q(written) + " is no constant, so it stays the text " + Q(written);
    const std::string_view meant = ClosestName(name, kConstants);
    if (meant.empty()) {
      Add(line.FileLine, "unknown-constant", message + "; quote it if the text is meant");
      return;
    }
    const std::string spelled = "#" + std::string(meant);
    Add(line.FileLine, "unknown-constant", message + DidYouMean(spelled), spelled);
  }

  // Names in "$_" are the program's own; one of them misspelt is a new, ordinary
  // variable that the plugin never sets nor reads.
  void ProgramVariable(const ScriptLine& line, const std::string& upper) {
    if (upper.rfind("$_", 0) != 0 || IsOneOf(upper, kProgramVariables)) return;
    const std::string_view meant = ClosestName(upper, kProgramVariables);
    if (meant.empty()) return;
    Add(line.FileLine, "program-variable",
        Q(upper) + " is no program variable but one of the script's own, which the plugin "
                   "neither sets nor reads" +
            DidYouMean(meant),
        std::string(meant));
  }

  void BinaryWord(const ScriptLine& line, const std::string& value) {
    if (value.empty() || (value[0] != 'b' && value[0] != 'B')) return;
    const std::string_view digits = std::string_view(value).substr(1);
    const bool binary =
        !digits.empty() && digits.find_first_not_of("01") == std::string_view::npos;
    if (binary) return;
    Add(line.FileLine, "binary-word",
        Q(value) + " starts with b, so it is read as a binary number and gives 0; put it in "
                   "single quotes to keep the text");
  }

  // ---- Commands -----------------------------------------------------------------

  void CheckCommand(std::size_t index) {
    const ScriptLine& line = lines_[index];
    const KeywordSplit split = SplitKeyword(line.Text);
    const Command* command = FindCommand(split.Keyword);
    if (command == nullptr) {
      LineQuotes(line);
      UnknownCommand(line, split.Keyword);
      return;
    }
    const std::string name(command->Word);
    switch (command->Form) {
      case TParamForm::List: Parameters(line, *command, name, split.Rest); break;
      case TParamForm::Label:
        LineQuotes(line);
        Jump(line, name, split.Rest);
        break;
      case TParamForm::Condition: Condition(index, split.Rest); break;
      case TParamForm::RestValue:
        if (split.Rest.empty()) Add(line.FileLine, "too-few-parameters", name + " needs an entry name");
        else Value(line, split.Rest);
        break;
      case TParamForm::None: LineQuotes(line); break;
    }
  }

  // word: the line's first word, upper-cased.
  void UnknownCommand(const ScriptLine& line, const std::string& word) {
    const std::string written = line.Text.substr(0, line.Text.find_first_of(" \t"));
    if (const ForeignCommand* foreign = FindForeignCommand(word)) {
      std::string message = Q(written) + " belongs to other languages and does nothing here: " +
                            std::string(foreign->Advice);
      if (!foreign->Command.empty()) message += DidYouMean(foreign->Command);
      Add(line.FileLine, "other-language", message, std::string(foreign->Command));
      return;
    }
    std::string message = Q(written) + " is no command; the line does nothing";
    for (const Command& c : kw::kCommandList) {
      if (word.size() > c.Word.size() && IsKeyword(std::string_view(word).substr(0, c.Word.size()), c.Word)) {
        const char next = word[c.Word.size()];
        if (next == '$' || next == '\'' || next == ',' || next == '#' || next == ':') {
          message += " (a blank must follow the keyword " + std::string(c.Word) + ")";
          Add(line.FileLine, "unknown-command", message);
          return;
        }
      }
    }
    const std::string_view meant = ClosestName(word, commandWords_);
    if (meant.empty()) {
      Add(line.FileLine, "unknown-command", message);
      return;
    }
    Add(line.FileLine, "unknown-command", message + DidYouMean(meant), std::string(meant));
  }

  void Parameters(const ScriptLine& line, const Command& command, const std::string& name,
                  const std::string& rest) {
    const std::vector<std::string> params = SplitParameters(rest);
    if (params.size() < command.MinParams) {
      Add(line.FileLine, "too-few-parameters",
          name + " needs " + std::to_string(command.MinParams) + " parameters, the line has " +
              std::to_string(params.size()) + "; it does nothing");
      return;
    }
    // Every command but STRCON uses exactly its least number of parameters.
    const bool usesAll = command.Values == kw::kAllParams;
    const std::size_t used = usesAll ? params.size() : command.MinParams;
    for (std::size_t n = 0; n < used; ++n) {
      if (usesAll || ((command.Values >> n) & 1u) != 0) Value(line, params[n]);
      else Name(line, params[n]);
    }
    if (usesAll) JoinedTexts(line, name, rest, params);
    else if (params.size() > command.MinParams) ExtraParameters(line, name, command.MinParams, rest, params);
  }

  // Unquoted text with a comma in it becomes more parameters than the command uses.
  void ExtraParameters(const ScriptLine& line, const std::string& name, std::size_t used,
                       const std::string& rest, const std::vector<std::string>& params) {
    std::string message = name + " uses " + std::to_string(used) + " parameters, the line has " +
                          std::to_string(params.size()) + ": " + Q(Between(rest, used, std::string_view::npos)) +
                          " after the last one it uses is ignored";
    const std::string meant = used > 0 ? Between(rest, used - 1, std::string_view::npos) : std::string();
    if (used > 0 && IsPlainText(params[used - 1]) && meant.find('\'') == std::string::npos)
      message += "; a comma cuts unquoted text, so quote it: " + Q("'" + meant + "'");
    Add(line.FileLine, "cut-parameter", message);
  }

  // STRCON joins its values, so a comma in unquoted text is lost with the blanks
  // around it: STRCON $s, Cześć, co tam? gives "Cześćco tam?".
  void JoinedTexts(const ScriptLine& line, const std::string& name, const std::string& rest,
                   const std::vector<std::string>& params) {
    for (std::size_t n = 2; n < params.size(); ++n) {
      if (!IsPlainText(params[n - 1]) || !IsPlainText(params[n])) continue;
      const std::string meant = Between(rest, n - 1, n + 1 < params.size() ? n + 1 : std::string_view::npos);
      std::string message = name + " joins " + Q(params[n - 1]) + " and " + Q(params[n]) +
                            " without the comma between them and its blanks: a comma separates "
                            "parameters of unquoted text";
      if (meant.find('\'') == std::string::npos) message += "; quote it: " + Q("'" + meant + "'");
      Add(line.FileLine, "cut-parameter", message);
      return;
    }
  }

  void Jump(const ScriptLine& line, const std::string& name, const std::string& label) {
    if (label.empty()) {
      Add(line.FileLine, "missing-label", name + " without a label name");
      return;
    }
    if (FindLabel(label) != std::string_view::npos) return;
    if (label[0] == ':') {
      const std::string bare(TrimBlanks(std::string_view(label).substr(1)));
      Add(line.FileLine, "goto-colon",
          name + " " + Cp1250ToUtf8(label) + " looks for a line that reads " + Q(":" + label) +
              ": the colon belongs only to the label line; write " + name + " " + Cp1250ToUtf8(bare),
          bare.empty() ? std::string() : Cp1250ToUtf8(bare));
      return;
    }
    std::string message = name + " to " + Q(label) + ", but no line reads " + Q(std::string(":").append(label)) +
                          "; execution goes on with the next line";
    const std::string target = ":" + UpperCp1250(label);
    for (const auto& [defined, definedAt] : labels_) {
      std::string trimmed = ":";
      trimmed += TrimBlanks(std::string_view(defined).substr(1));
      if (trimmed == target) {
        Add(line.FileLine, "missing-label",
            message + " (line " + std::to_string(definedAt->FileLine) + " has blanks after its colon)");
        return;
      }
    }
    std::vector<std::string_view> names(labelNames_.begin(), labelNames_.end());
    const std::string_view meant = ClosestName(label, names);
    if (meant.empty()) {
      Add(line.FileLine, "missing-label", message);
      return;
    }
    Add(line.FileLine, "missing-label", message + DidYouMean(meant), Cp1250ToUtf8(meant));
  }

  // ---- Conditions ---------------------------------------------------------------

  void Condition(std::size_t index, const std::string& condition) {
    const ScriptLine& line = lines_[index];
    if (index + 1 >= lines_.size()) {
      Add(line.FileLine, "if-last-line", "IF on the last line governs no command");
    } else if (IsLabel(lines_[index + 1])) {
      Add(line.FileLine, "if-before-label",
          "IF governs the label line " + Q(lines_[index + 1].Text) +
              " (line " + std::to_string(lines_[index + 1].FileLine) +
              "), so the condition changes nothing: the line after the label runs either way");
    }
    const ConditionSplit c = SplitCondition(condition);
    if (c.Operator.empty()) {
      Add(line.FileLine, "if-condition",
          "the condition has no operator (<> != >= <= < > =), so it is always false");
      return;
    }
    if (c.Left.empty() || c.Right.empty()) {
      Add(line.FileLine, "if-condition",
          std::string(c.Left.empty() ? "nothing before " : "nothing after ") + "the operator " +
              c.Operator + ", so the condition is always false");
      return;
    }
    if (AndOr(line, condition)) return;
    if (c.Operator == "=" && (c.Right[0] == '=' || c.Right[0] == '>' || c.Right[0] == '<')) {
      const std::string written = "=" + c.Right.substr(0, 1);
      const std::string meant = written == "==" ? "=" : written == "=>" ? ">=" : "<=";
      Add(line.FileLine, "if-operator",
          Q(written) + " is no operator: the operator is = and the right value is the text " +
              Q(c.Right) + "; write " + meant,
          meant);
      Value(line, c.Left);
      return;
    }
    if (TextAfter(line, c.Right)) {
      Value(line, c.Left);
      return;
    }
    Value(line, c.Left);
    Value(line, c.Right);
  }

  // The words AND, OR and NOT (and && ||) outside quotes: conditions have none.
  bool AndOr(const ScriptLine& line, std::string_view condition) {
    bool quoted = false;
    std::string word;
    auto isJoiner = [](const std::string& w) {
      const std::string u = UpperCp1250(w);
      return u == "AND" || u == "OR" || u == "NOT" || u == "&&" || u == "||";
    };
    std::string found;
    for (std::size_t i = 0; i <= condition.size() && found.empty(); ++i) {
      const char ch = i < condition.size() ? condition[i] : ' ';
      if (ch == '\'') quoted = !quoted;
      if (!quoted && IsBlank(ch)) {
        if (isJoiner(word)) found = word;
        word.clear();
      } else if (!quoted) {
        word += ch;
      }
    }
    if (found.empty()) return false;
    Add(line.FileLine, "if-and-or",
        "a condition has no " + UpperCp1250(found) + ": it is one comparison, and " + Q(found) +
            " is only text in a value; chain IF lines that jump with GOTO (see Combining "
            "conditions in the language guide)");
    return true;
  }

  // IF $a = 5 GOTO end: the right value is "5 GOTO end". Text after a complete first
  // value, or a command word after the first word, is taken for that.
  bool TextAfter(const ScriptLine& line, const std::string& right) {
    if (IsQuoted(right)) return false;
    std::size_t end;
    if (right[0] == '\'') {
      end = right.find('\'', 1);
      if (end == std::string::npos) return false;
      ++end;
    } else {
      end = 0;
      while (end < right.size() && !IsBlank(right[end])) ++end;
    }
    const std::string_view first = std::string_view(right).substr(0, end);
    const std::string_view more = TrimBlanks(std::string_view(right).substr(end));
    if (more.empty()) return false;
    const std::string nextWord = UpperCp1250(more.substr(0, std::min(more.find_first_of(" \t"), more.size())));
    const bool complete = IsQuoted(first) || first[0] == '$' || first[0] == '#' || IsNumberWord(first);
    const bool command = FindCommand(nextWord) != nullptr || nextWord == "THEN" || nextWord == "DO";
    if (!complete && !command) return false;
    std::string message = "the right value is the whole text " + Q(right) + ", not " + Q(first) +
                          ": a condition cannot share its line";
    if (command) message += "; put " + Q(more) + " on the next line, which the IF governs";
    Add(line.FileLine, "if-extra-text", message);
    return true;
  }

  // ---- Sections -----------------------------------------------------------------

  // Follows every branch from the line after a label: an IF may or may not skip, a GOTO
  // to a missing label goes on, a CALL is taken to come back. Watched labels are where
  // the run must not arrive by running on (from the line above, or an IF skipping onto
  // them); a jump onto one is meant and is not followed further.
  Flow Follow(std::size_t label, const std::set<std::size_t>& watched) const {
    Flow flow;
    std::vector<bool> seen(lines_.size(), false);
    std::vector<std::size_t> todo;
    auto reach = [&](std::size_t to, std::size_t from, bool runningOn) {
      if (to >= lines_.size()) {
        flow.ReachesEnd = true;
        return;
      }
      if (watched.count(to) != 0) {
        if (runningOn && (flow.FallsInto == std::string_view::npos || to < flow.FallsInto)) {
          flow.FallsInto = to;
          flow.FallsFrom = lines_[from].FileLine;
        }
        return;
      }
      if (!seen[to]) {
        seen[to] = true;
        todo.push_back(to);
      }
    };
    reach(label + 1, label, true);
    while (!todo.empty()) {
      const std::size_t i = todo.back();
      todo.pop_back();
      const ScriptLine& line = lines_[i];
      if (IsLabel(line)) {
        reach(i + 1, i, true);
        continue;
      }
      const KeywordSplit split = SplitKeyword(line.Text);
      if (split.Keyword == "EXIT") {
        if (flow.ExitLine == 0 || line.FileLine < flow.ExitLine) flow.ExitLine = line.FileLine;
      } else if (split.Keyword == "RET") {
        flow.ReachesRet = true;
      } else if (split.Keyword == "GOTO") {
        const std::size_t target = FindLabel(split.Rest);
        if (target == std::string_view::npos) reach(i + 1, i, true);
        else reach(target, i, false);
      } else {
        reach(i + 1, i, true);
        if (split.Keyword == "IF") reach(i + 2, i, true);
      }
    }
    return flow;
  }

  // Special sections that run on into another section, and CALLed sections that never
  // come back.
  void CheckSections() {
    std::map<std::size_t, int> called;  // label line index: file line of its first CALL
    for (const ScriptLine& line : lines_) {
      if (IsLabel(line)) continue;
      const KeywordSplit split = SplitKeyword(line.Text);
      if (split.Keyword != "CALL") continue;
      const std::size_t target = FindLabel(split.Rest);
      if (target != std::string_view::npos) called.emplace(target, line.FileLine);
    }
    std::set<std::size_t> sections;
    for (std::string_view special : kSpecialLabels) {
      const std::size_t at = FindLabel(special);
      if (at != std::string_view::npos) sections.insert(at);
    }
    for (const std::size_t start : sections) {
      std::set<std::size_t> watched = sections;
      for (const auto& [target, callLine] : called) watched.insert(target);
      watched.erase(start);
      const Flow flow = Follow(start, watched);
      if (flow.FallsInto == std::string_view::npos) continue;
      const std::string own = lines_[start].Text.substr(1);
      const ScriptLine& into = lines_[flow.FallsInto];
      std::string message = "the " + Cp1250ToUtf8(own) + " section runs on into " + Q(into.Text) + " (line " +
                            std::to_string(into.FileLine) + "): no EXIT or GOTO ends it, so ";
      if (sections.count(flow.FallsInto) != 0)
        message += "the lines of " + Cp1250ToUtf8(into.Text.substr(1)) + " run in every " + Cp1250ToUtf8(own) +
                   " run as well";
      else
        message += "that CALLed section runs once more and its RET finds no CALL to return to";
      Add(flow.FallsFrom, "runs-on", message + "; end " + Cp1250ToUtf8(own) + " with EXIT");
    }
    for (const auto& [target, callLine] : called) {
      const Flow flow = Follow(target, {});
      if (flow.ReachesRet) continue;
      std::string how;
      if (flow.ExitLine != 0) how = "its EXIT at line " + std::to_string(flow.ExitLine) + " ends the whole run";
      if (flow.ReachesEnd) how += std::string(how.empty() ? "" : ", and ") + "it runs past the last line";
      if (how.empty()) how = "it loops without end";
      Add(lines_[target].FileLine, "call-without-ret",
          "the section " + Q(lines_[target].Text) + ", CALLed at line " + std::to_string(callLine) +
              ", never reaches RET: " + how + ", so the lines after the CALL never run");
    }
  }

  std::string_view bytes_;
  std::vector<ScriptLine> lines_;
  std::vector<std::pair<std::string, const ScriptLine*>> labels_;  // upper-cased, the line
  std::map<std::string, std::size_t> firstLabel_;  // upper-cased label line: its first index
  std::vector<std::string> labelNames_;            // as written, without the colon
  std::set<std::string> jumpTargets_;              // upper-cased ":name" of every GOTO and CALL
  std::vector<std::string_view> commandWords_;
  std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckScript(std::string_view bytes) { return Checker(bytes).Run(); }

std::vector<Finding> CheckFile(std::string_view name, std::string_view bytes, bool spam) {
  const std::string ending = name.size() >= 4 ? UpperCp1250(name.substr(name.size() - 4)) : std::string();
  return spam || ending == ".SPM" ? CheckSpamList(bytes) : CheckScript(bytes);
}

}  // namespace kwsim
