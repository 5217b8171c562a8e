// See checker_names.h. The list of other languages' words is what people who script
// other chat clients, BASIC, Pascal or a shell type first; it is matched before the
// plain misspelling search, whose answer for them would mislead (SUB is one step from
// SUBB, but RETURN is far from RET).
#include "tools/sim/checker_names.h"

#include <algorithm>
#include <array>
#include <vector>

#include "tools/sim/codec.h"
#include "tools/sim/script_lines.h"

namespace kwsim {
namespace {

constexpr std::array<std::string_view, 4> kSpecialLabelList = {"_INIT", "_START", "_MENU_SHOW",
                                                               "_MENU_CLICK"};
constexpr std::array<std::string_view, 6> kProgramVariableList = {"$_ID",  "$_PROTO", "$_MESSAGE",
                                                                  "$_IN",  "$_FILTR", "$_MENU_ITEM"};
constexpr std::array<std::string_view, 18> kConstantList = {
    "TRUE",          "FALSE",         "PROTO_TLEN",     "PROTO_GG",      "STS_OFFLINE",
    "STS_ONLINE",    "STS_CHAT",      "STS_DND",        "STS_AWAY",      "STS_XA",
    "STS_INVISIBLE", "CINFO_ONLINE",  "CINFO_OFFLINE",  "CINFO_WAITAUTH", "CINFO_NOTAUTH",
    "CINFO_PHONE",   "CINFO_NOTINLIST", "CINFO_BLOCKED"};

constexpr std::string_view kNoElse = "an IF governs only the next line; jump over a block with GOTO";
constexpr std::string_view kNoLoop = "there are no loops: a label and an IF with GOTO back to it make one";
constexpr std::string_view kNoDeclaration =
    "there are no declarations: a variable comes into being when it is written";

constexpr ForeignCommand kForeign[] = {
    {"SUB", "SUBB", "subtraction is SUBB"},
    {"MINUS", "SUBB", "subtraction is SUBB"},
    {"DEC", "SUBB", "SUBB $x, 1 counts down"},
    {"INC", "ADD", "ADD $x, 1 counts up"},
    {"MULT", "MUL", "multiplication is MUL"},
    {"STRCAT", "STRCON", "STRCON joins texts"},
    {"CONCAT", "STRCON", "STRCON joins texts"},
    {"APPEND", "STRCON", "STRCON joins texts"},
    {"LEN", "STRLEN", "STRLEN gives a text's length"},
    {"LENGTH", "STRLEN", "STRLEN gives a text's length"},
    {"SUBSTR", "STRCOPY", "STRCOPY copies a part of a text"},
    {"SUBSTRING", "STRCOPY", "STRCOPY copies a part of a text"},
    {"MID", "STRCOPY", "STRCOPY copies a part of a text"},
    {"POS", "STRPOS", "STRPOS finds a text in another"},
    {"INSTR", "STRPOS", "STRPOS finds a text in another"},
    {"INDEXOF", "STRPOS", "STRPOS finds a text in another"},
    {"STRSTR", "STRPOS", "STRPOS finds a text in another"},
    {"SPLIT", "STREXT", "STREXT takes one piece of a text split at a character"},
    {"TRIM", "STRTRIM", "STRTRIM removes blanks at both ends"},
    {"UPPER", "STRUP", "STRUP makes a text upper case"},
    {"UCASE", "STRUP", "STRUP makes a text upper case"},
    {"LOWER", "STRLOW", "STRLOW makes a text lower case"},
    {"LCASE", "STRLOW", "STRLOW makes a text lower case"},
    {"RETURN", "RET", "RET returns from a CALL"},
    {"GOSUB", "CALL", "CALL jumps to a label and RET comes back"},
    {"JMP", "GOTO", "GOTO jumps to a label"},
    {"JUMP", "GOTO", "GOTO jumps to a label"},
    {"END", "EXIT", "EXIT ends the run"},
    {"STOP", "EXIT", "EXIT ends the run"},
    {"HALT", "EXIT", "EXIT ends the run"},
    {"QUIT", "EXIT", "EXIT ends the run"},
    {"SET", "MOV", "MOV sets a variable"},
    {"LET", "MOV", "MOV sets a variable"},
    {"PRINT", "SEND", "SEND sends a message (a real one, to a contact)"},
    {"ECHO", "SEND", "SEND sends a message (a real one, to a contact)"},
    {"MSG", "SEND", "SEND sends a message (a real one, to a contact)"},
    {"ELSE", "", kNoElse},
    {"ELSEIF", "", kNoElse},
    {"ENDIF", "", kNoElse},
    {"THEN", "", "the command that an IF governs stands alone on the next line"},
    {"WHILE", "", kNoLoop},
    {"FOR", "", kNoLoop},
    {"LOOP", "", kNoLoop},
    {"WEND", "", kNoLoop},
    {"NEXT", "", kNoLoop},
    {"VAR", "", kNoDeclaration},
    {"DIM", "", kNoDeclaration},
};

}  // namespace

const std::span<const std::string_view> kSpecialLabels = kSpecialLabelList;
const std::span<const std::string_view> kProgramVariables = kProgramVariableList;
const std::span<const std::string_view> kConstants = kConstantList;

int EditDistance(std::string_view a, std::string_view b) {
  const std::string x = UpperCp1250(a);
  const std::string y = UpperCp1250(b);
  // Three rows of the table suffice: a swap looks two rows back.
  std::vector<int> before(y.size() + 1), previous(y.size() + 1), current(y.size() + 1);
  for (std::size_t j = 0; j <= y.size(); ++j) previous[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= x.size(); ++i) {
    current[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= y.size(); ++j) {
      const int change = x[i - 1] == y[j - 1] ? 0 : 1;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + change});
      if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
        current[j] = std::min(current[j], before[j - 2] + 1);
    }
    std::swap(before, previous);
    std::swap(previous, current);
  }
  return previous[y.size()];
}

std::string_view ClosestName(std::string_view word, std::span<const std::string_view> candidates) {
  std::string_view best;
  int bestDistance = 0;
  for (std::string_view candidate : candidates) {
    const int allowed = candidate.size() <= 4 ? 1 : 2;
    const int distance = EditDistance(word, candidate);
    // A step for each character is no likeness: x is one step from a.
    const auto shorter = static_cast<int>(std::min(word.size(), candidate.size()));
    if (distance == 0 || distance > allowed || distance >= shorter) continue;
    if (best.empty() || distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

const ForeignCommand* FindForeignCommand(std::string_view upper) {
  for (const ForeignCommand& f : kForeign)
    if (f.Word == upper) return &f;
  return nullptr;
}

std::string Quoted(std::string_view cp1250) {
  std::string s(1, '\'');
  s += Cp1250ToUtf8(cp1250);
  s += '\'';
  return s;
}

int Utf8FirstLine(std::string_view bytes) {
  if (IsAscii(bytes)) return 0;
  std::string converted;
  std::string error;
  if (!Utf8ToCp1250(bytes, converted, error) && error.rfind("not UTF-8", 0) == 0) return 0;
  int line = 1;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
    if (!IsAscii(bytes.substr(start, end - start))) return line;
    if (end == bytes.size()) break;
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    ++line;
  }
  return 0;
}

}  // namespace kwsim
