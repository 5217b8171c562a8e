// The language's vocabulary as constant data, and the two keyword look-ups.
// Every text is the user-visible Windows-1250 text; Polish ones go through `_w` so the
// binary holds code-page bytes whatever the compiler's character set. CommandTable is
// generated from the command list (script/command_list.h), whose order is the command
// code the interpreter dispatches on.
#include "script/KwartlinConst.h"

#include "script/text.h"
#include "support/casing.h"
#include "support/cp1250.h"

namespace kw {

namespace {

// A keyword in lower case with static storage, made at compile time: CommandTable keeps
// keywords in lower case (the command reference menu shows them so), while the list
// spells them as people write them. Keywords are ASCII letters only, which the casing
// rule maps as plain ASCII does; any other byte stops the build.
template <std::size_t N>
struct LowerKeyword {
  char bytes[N]{};
  consteval LowerKeyword(const char (&word)[N]) {
    for (std::size_t i = 0; i + 1 < N; ++i) {
      const char c = word[i];
      if (c >= 'A' && c <= 'Z') bytes[i] = static_cast<char>(c - 'A' + 'a');
      else if (c >= 'a' && c <= 'z') bytes[i] = c;
      else throw "a keyword is ASCII letters only";  // not a constant expression: build error
    }
  }
};

template <LowerKeyword K>
inline constexpr LowerKeyword kLowerKeyword = K;

}  // namespace

#define KW_COMMAND_ENTRY(Name, Word, Group, Form, MinParams, Values, Results, Syntax, Description) \
  {std::string_view(kLowerKeyword<Word>.bytes, sizeof(Word) - 1), Syntax, Description, group##Group},
constexpr TRozkaz CommandTable[kCommandCount] = {KW_COMMANDS(KW_COMMAND_ENTRY)};
#undef KW_COMMAND_ENTRY

// What the interpreter, the options page and the checker rely on, checked on the table
// itself so that a slip in a new entry stops the build.
namespace {

constexpr bool KeywordsDistinct() {
  for (int i = 0; i < kCommandCount; ++i)
    for (int j = i + 1; j < kCommandCount; ++j)
      if (CommandTable[i].Keyword == CommandTable[j].Keyword) return false;
  return true;
}

// The syntax line opens with the keyword as people write it, as a word of its own.
constexpr bool SyntaxOpensWithKeyword() {
  for (const TCommandEntry& c : kCommandList)
    if (!c.Syntax.starts_with(c.Word) || (c.Syntax.size() > c.Word.size() && c.Syntax[c.Word.size()] != ' '))
      return false;
  return true;
}

// Texts go to Windows as C strings.
constexpr bool TextsUsableAsCStrings() {
  for (const TRozkaz& c : CommandTable)
    if (c.Description.empty() || c.Syntax.data()[c.Syntax.size()] != '\0' ||
        c.Description.data()[c.Description.size()] != '\0')
      return false;
  return true;
}

constexpr bool EveryGroupUsed() {
  for (int g = 0; g < kGroupCount; ++g) {
    bool used = false;
    for (const TRozkaz& c : CommandTable) used = used || c.Group == g;
    if (!used) return false;
  }
  for (const TRozkaz& c : CommandTable)
    if (c.Group >= kGroupCount) return false;
  return true;
}

// Only a parameter list has a least count or parameters read as values.
constexpr bool ParameterFieldsOnlyForLists() {
  for (const TCommandEntry& c : kCommandList)
    if (c.Form != TParamForm::List && (c.MinParams != 0 || c.Values != 0 || c.Results != 0)) return false;
  return true;
}

static_assert(KeywordsDistinct(), "two commands share a keyword: FindKeyword finds only the first");
static_assert(SyntaxOpensWithKeyword(), "a syntax line does not open with its keyword");
static_assert(TextsUsableAsCStrings(), "a help text is empty or not zero-terminated");
static_assert(EveryGroupUsed(), "a command group is out of range or has no command");
static_assert(ParameterFieldsOnlyForLists(), "a command without a parameter list has list fields");

}  // namespace

const std::string_view GroupNames[kGroupCount] = {
    "Różne"_w, "Liczbowe", "Tekstowe", "Bitowe", "Menu", "Status",
};

// The index selects the comparison; 0 and 1 are both "not equal".
const std::string_view OperatorTable[kOperatorCount] = {
    "<>", "!=", ">=", "<=", "<", ">", "=",
};

// Entries 0 and 1 are the language's truth values. CINFO_ values are single bits of the
// contact flags; CINFO_BLOCKED is bit 16.
const TStala ConstantTable[kConstantCount] = {
    {"TRUE", "1"},
    {"FALSE", "0"},
    {"PROTO_TLEN", "TLEN"},
    {"PROTO_GG", "GG"},
    {"STS_OFFLINE", "1"},
    {"STS_ONLINE", "2"},
    {"STS_CHAT", "3"},
    {"STS_DND", "4"},
    {"STS_AWAY", "5"},
    {"STS_XA", "6"},
    {"STS_INVISIBLE", "7"},
    {"CINFO_ONLINE", "1"},
    {"CINFO_OFFLINE", "2"},
    {"CINFO_WAITAUTH", "4"},
    {"CINFO_NOTAUTH", "8"},
    {"CINFO_PHONE", "16"},
    {"CINFO_NOTINLIST", "32"},
    {"CINFO_BLOCKED", "65536"},
};

// The index is the entry code of a run.
const TEtykietaSpec SpecialLabelTable[kSpecialLabelCount] = {
    {"_init", ""},
    {"_start", "$_ID, $_PROTO, $_MESSAGE, $_IN, $_FILTR"},
    {"_menu_show", "$_ID"},
    {"_menu_click", "$_ID, $_MENU_ITEM"},
};

const std::string_view ProgramVariableNames[kProgramVariableCount] = {
    "$_ID", "$_PROTO", "$_MESSAGE", "$_IN", "$_FILTR", "$_MENU_ITEM",
};

const std::string_view ServiceCommandTable[kServiceCommandCount] = {"mov"};

int FindKeyword(std::string_view word) {
  for (int i = 0; i < kCommandCount; ++i)
    if (SameTextIgnoringCase(word, CommandTable[i].Keyword)) return i;
  return -1;
}

int FindConstant(std::string_view name) {
  for (int i = 0; i < kConstantCount; ++i)
    if (SameTextIgnoringCase(name, ConstantTable[i].Name)) return i;
  return -1;
}

// Upper-casing never turns a byte into a blank nor a blank into anything else, so the
// first word can be cut and trimmed before the case-insensitive comparison. Leading
// blanks are not skipped: a line that starts with one names no command.
int FindCommandIndex(std::string_view line) {
  const std::size_t blank = FindBlank(line);
  if (blank > 0) line = line.substr(0, blank);
  return FindKeyword(TrimBlanksView(line));
}

}  // namespace kw
