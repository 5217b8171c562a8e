// The checks, one function each, on the lines as the plugin prepares them:
//   unknown-command     the first word is no keyword (the line does nothing)
//   too-few-parameters  fewer parameters than the command needs (the line does nothing)
//   missing-label       GOTO or CALL to a label no line defines (execution falls through)
//   duplicate-label     a label defined twice (jumps always reach the first)
//   if-last-line        IF with no line after it
//   if-before-label     IF followed by a label line (the condition changes nothing)
//   if-condition        IF without an operator or an operand (always false)
//   unbalanced-quotes   an odd number of single quotes (a "//" after it is no comment)
//   binary-word         an unquoted value starting with b that is no binary number
//                       (b101 is 5, but bardzo reads as 0)
//   encoding            the file is UTF-8, while the plugin reads Windows-1250
// Keywords, parameter forms and least parameter counts come from the plugin's command
// list (script/command_list.h), which is header-only: the simulator reads the same list
// without linking the plugin.
#include "tools/sim/checker.h"

#include <algorithm>
#include <map>

#include "script/command_list.h"
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

class Checker {
 public:
  explicit Checker(std::string_view bytes) : bytes_(bytes), lines_(PrepareScript(bytes)) {
    for (const ScriptLine& l : lines_)
      if (IsLabel(l)) labels_.push_back({UpperCp1250(l.Text), &l});
  }

  std::vector<Finding> Run() {
    CheckEncoding();
    CheckDuplicateLabels();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const ScriptLine& line = lines_[i];
      CheckQuotes(line);
      if (!IsLabel(line)) CheckCommand(i);
    }
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.Line < b.Line; });
    return std::move(findings_);
  }

 private:
  void Add(int line, std::string kind, std::string message) {
    findings_.push_back({line, std::move(kind), std::move(message)});
  }

  void CheckEncoding() {
    if (IsAscii(bytes_)) return;
    std::string converted;
    std::string error;
    // Valid UTF-8 with bytes above 0x7F is almost never meant as Windows-1250 text.
    if (!Utf8ToCp1250(bytes_, converted, error) && error.rfind("not UTF-8", 0) == 0) return;
    const std::vector<std::string> lines = SplitFileLines(bytes_);
    for (std::size_t n = 0; n < lines.size(); ++n) {
      if (!IsAscii(lines[n])) {
        Add(static_cast<int>(n + 1), "encoding",
            "the file is UTF-8, but the plugin reads Windows-1250: Polish letters will come out "
            "wrong (convert it with: iconv -f UTF-8 -t CP1250)");
        return;
      }
    }
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

  void CheckQuotes(const ScriptLine& line) {
    const auto quotes = std::count(line.Text.begin(), line.Text.end(), '\'');
    if (quotes % 2 == 0) return;
    std::string message = "unbalanced single quote: a quoted text runs to the end of the line";
    if (line.Text.find("//") != std::string::npos)
      message += ", and the // in it is part of the line, not a comment";
    Add(line.FileLine, "unbalanced-quotes", message);
  }

  void CheckCommand(std::size_t index) {
    const ScriptLine& line = lines_[index];
    const KeywordSplit split = SplitKeyword(line.Text);
    const Command* command = FindCommand(split.Keyword);
    if (command == nullptr) {
      UnknownCommand(line, split.Keyword);
      return;
    }
    const std::string name(command->Word);
    switch (command->Form) {
      case TParamForm::List: Parameters(line, *command, name, split.Rest); break;
      case TParamForm::Label: Jump(line, name, split.Rest); break;
      case TParamForm::Condition: Condition(index, split.Rest); break;
      case TParamForm::RestValue:
        if (split.Rest.empty()) Add(line.FileLine, "too-few-parameters", name + " needs an entry name");
        else BinaryWord(line, split.Rest);
        break;
      case TParamForm::None: break;
    }
  }

  // word: the line's first word, upper-cased.
  void UnknownCommand(const ScriptLine& line, const std::string& word) {
    const std::string written = line.Text.substr(0, line.Text.find_first_of(" \t"));
    std::string message = Q(written) + " is no command; the line does nothing";
    for (const Command& c : kw::kCommandList) {
      if (word.size() > c.Word.size() && IsKeyword(std::string_view(word).substr(0, c.Word.size()), c.Word)) {
        const char next = word[c.Word.size()];
        if (next == '$' || next == '\'' || next == ',' || next == '#' || next == ':') {
          message += " (a blank must follow the keyword " + std::string(c.Word) + ")";
          break;
        }
      }
    }
    Add(line.FileLine, "unknown-command", message);
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
    for (std::size_t n = 0; n < params.size(); ++n) {
      const bool isValue = n < 32 ? ((command.Values >> n) & 1u) != 0 : command.Values == kw::kAllParams;
      if (isValue) BinaryWord(line, params[n]);
    }
  }

  void Jump(const ScriptLine& line, const std::string& name, const std::string& label) {
    if (label.empty()) {
      Add(line.FileLine, "missing-label", name + " without a label name");
      return;
    }
    std::string target = ":";
    target += UpperCp1250(label);
    for (const auto& [defined, definedAt] : labels_)
      if (defined == target) return;
    std::string message = name + " to " + Q(label) + ", but no line reads " + Q(std::string(":").append(label)) +
                          "; execution goes on with the next line";
    for (const auto& [defined, definedAt] : labels_) {
      std::string trimmed = ":";
      trimmed += TrimBlanks(std::string_view(defined).substr(1));
      if (trimmed == target) {
        message += " (line " + std::to_string(definedAt->FileLine) + " has blanks after its colon)";
        break;
      }
    }
    Add(line.FileLine, "missing-label", message);
  }

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
    BinaryWord(line, c.Left);
    BinaryWord(line, c.Right);
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

  std::string_view bytes_;
  std::vector<ScriptLine> lines_;
  std::vector<std::pair<std::string, const ScriptLine*>> labels_;  // upper-cased, the line
  std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckScript(std::string_view bytes) { return Checker(bytes).Run(); }

}  // namespace kwsim
