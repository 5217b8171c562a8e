// See names.h. The list of other languages' words is what people who script other chat
// clients, BASIC, Pascal or a shell type first; it is matched before the misspelling
// search, whose answer for them would mislead (SUB is one step from SUBB, but RETURN is
// far from RET, and GETSTS is one letter from SETSTS, which does the opposite).
#include "check/names.h"

#include <algorithm>
#include <string>
#include <vector>

#include "support/casing.h"

namespace kwcheck {
namespace {

constexpr std::string_view kNoElse = "an IF governs only the next line; jump over a block with GOTO";
constexpr std::string_view kNoLoop = "there are no loops: a label and an IF with GOTO back to it make one";
constexpr std::string_view kNoDeclaration =
    "there are no declarations: a variable comes into being when it is written";

constexpr TForeignWord kForeign[] = {
    {"GETSTS", "READSTS", "READSTS reads the status (SETSTS would set it)"},
    {"GETSTATUS", "READSTS", "READSTS reads the status (SETSTS would set it)"},
    {"READSTATUS", "READSTS", "READSTS reads the status"},
    {"REM", "", "the line is not a comment but an unknown command that does nothing; comments start with //"},
    {"STRCMP", "", "texts are compared with IF: IF $a = 'text'"},
    {"COMPARE", "", "texts are compared with IF: IF $a = 'text'"},
    {"STRCHR", "STRPOS", "STRPOS finds a text in another"},
    {"STRLWR", "STRLOW", "STRLOW makes a text lower case"},
    {"STRUPR", "STRUP", "STRUP makes a text upper case"},
    {"MOD", "", "there is no remainder: DIV, MUL and SUBB give it ($r = $a - $a / $b * $b)"},
    {"AND", "BITAND", "bits are joined with BITAND; a condition has no AND (chain IF lines with GOTO)"},
    {"OR", "BITOR", "bits are joined with BITOR; a condition has no OR (chain IF lines with GOTO)"},
    {"XOR", "BITXOR", "bits are joined with BITXOR"},
    {"NOT", "BITNOT", "bits are inverted with BITNOT; a condition is negated by its opposite operator"},
    {"SHL", "BITSHL", "bits are shifted with BITSHL"},
    {"SHR", "BITSHR", "bits are shifted with BITSHR"},
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

// Edit distance counting an insertion, a deletion or a swap of two neighbours as one
// step and a changed letter as changeCost steps; x and y come upper-cased, so letter
// case is ignored by the Windows-1250 pairs.
int EditDistance(std::string_view x, std::string_view y, int changeCost) {
  // Three rows of the table suffice: a swap looks two rows back.
  std::vector<int> before(y.size() + 1), previous(y.size() + 1), current(y.size() + 1);
  for (std::size_t j = 0; j <= y.size(); ++j) previous[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= x.size(); ++i) {
    current[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= y.size(); ++j) {
      const int change = x[i - 1] == y[j - 1] ? 0 : changeCost;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + change});
      if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
        current[j] = std::min(current[j], before[j - 2] + 1);
    }
    std::swap(before, previous);
    std::swap(previous, current);
  }
  return previous[y.size()];
}

}  // namespace

std::string_view ClosestName(std::string_view word, std::span<const std::string_view> candidates,
                             bool letterChanges) {
  std::string_view best;
  int bestDistance = 0;
  const std::string upper = kw::UpperCase(word);
  for (std::string_view candidate : candidates) {
    const int allowed = candidate.size() <= 4 ? 1 : 2;
    const int distance = EditDistance(upper, kw::UpperCase(candidate), letterChanges ? 1 : allowed + 1);
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

const TForeignWord* FindForeignWord(std::string_view upper) {
  for (const TForeignWord& f : kForeign)
    if (f.Word == upper) return &f;
  return nullptr;
}

}  // namespace kwcheck
