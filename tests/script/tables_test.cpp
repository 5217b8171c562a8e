// The vocabulary tables: sizes, exact bytes of sample texts, and the two keyword
// look-ups. CommandTable's own consistency (keywords, syntax lines, groups) is checked
// where it is built, at compile time.
#include <gtest/gtest.h>

#include <string>

#include "script/KwartlinConst.h"
#include "script/text.h"
#include "support/casing.h"
#include "support/cp1250.h"

using namespace kw;

namespace {

std::string Bytes(std::initializer_list<unsigned char> b) { return std::string(b.begin(), b.end()); }

}  // namespace

TEST(Tables, Sizes) {
  EXPECT_EQ(std::size(GroupNames), 6u);
  EXPECT_EQ(std::size(OperatorTable), 7u);
  EXPECT_EQ(std::size(ConstantTable), 18u);
  EXPECT_EQ(std::size(SpecialLabelTable), 4u);
  EXPECT_EQ(std::size(ProgramVariableNames), 6u);
  EXPECT_EQ(std::size(ServiceCommandTable), 1u);
}

TEST(Tables, ExactBytesOfSampleTexts) {
  EXPECT_EQ(GroupNames[0], Bytes({0x52, 0xF3, 0xBF, 0x6E, 0x65}));
  EXPECT_EQ(GroupNames[5], "Status");
  // "Łączy stringi" opens the STRCON help: Ł = A3, ą = B9.
  EXPECT_EQ(CommandTable[cmdStrCon].Description.substr(0, 6), Bytes({0xA3, 0xB9, 0x63, 0x7A, 0x79, 0x20}));
  // "Jeśli": ś = 9C.
  EXPECT_EQ(CommandTable[cmdIf].Description.substr(0, 5), Bytes({0x4A, 0x65, 0x9C, 0x6C, 0x69}));
  EXPECT_EQ(CommandTable[cmdBitNot].Syntax, "BITNOT  $res(liczba)");
  EXPECT_EQ(CommandTable[cmdBitShr].Syntax, "BITSHR  $res(liczba), $zm/const(ile przes)");
  EXPECT_EQ(CommandTable[cmdBitShl].Syntax, "BITSHL  $res(liczba), $zm/const(ile przes)");
  EXPECT_EQ(CommandTable[cmdBitXor].Syntax, "BITXOR $res(liczba), $zm/const(liczba)");
  EXPECT_EQ(CommandTable[cmdStrCopy].Description,
            "Do $res jest kopiowane \"count\" znaków z \"tekst\", od znaku numer \"index\" (włącznie)."_w);
  EXPECT_EQ(CommandTable[cmdSetSts].Description,
            "Ustawia status dla protokołu \"proto\". Wartości przyjmowane przez \"proto\" orazprzez "
            "\"status\" znajdują się na liście stałych programu."_w);
  EXPECT_NE(CommandTable[cmdReadSts].Description.find("orazprzez"), std::string_view::npos);
  EXPECT_EQ(CommandTable[cmdChkSpam].Description,
            "Sprawdza czy podany tekst ($zm/const) to spam. Jeśli tak, do $res wpisuje #TRUE, jeśli nie - #FALSE"_w);
  EXPECT_EQ(CommandTable[cmdStrPos].Description,
            "Do $res wpisuje index wystąpienia ciągu \"substr\" w \"str\". W przypadku gdy dany tekst nie "
            "został znaleziony, zwracana wartośc to 0."_w);
  EXPECT_EQ(CommandTable[cmdMenuAdd].Syntax, "MenuAdd $zm/const(id menu), $zm/const(tekst)");
  EXPECT_EQ(CommandTable[cmdRet].Syntax, "RET (brak parametrów)"_w);
  EXPECT_EQ(CommandTable[cmdSaveConfig].Description, "Zapisuje ustawienia i wartości pamiętanych zmiennych."_w);
}

TEST(Tables, OperatorsInComparisonOrder) {
  const std::string_view want[] = {"<>", "!=", ">=", "<=", "<", ">", "="};
  for (int i = 0; i < kOperatorCount; ++i) EXPECT_EQ(OperatorTable[i], want[i]);
}

TEST(Tables, Constants) {
  EXPECT_EQ(ConstantTable[0].Name, "TRUE");
  EXPECT_EQ(ConstantTable[0].Value, "1");
  EXPECT_EQ(ConstantTable[1].Name, "FALSE");
  EXPECT_EQ(ConstantTable[1].Value, "0");
  EXPECT_EQ(ConstantTable[2].Value, "TLEN");
  EXPECT_EQ(ConstantTable[3].Value, "GG");
  for (int i = 4; i <= 10; ++i) EXPECT_EQ(ConstantTable[i].Value, std::to_string(i - 3)) << ConstantTable[i].Name;
  EXPECT_EQ(ConstantTable[10].Name, "STS_INVISIBLE");
  const std::string_view cinfo[] = {"1", "2", "4", "8", "16", "32", "65536"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(ConstantTable[11 + i].Name.substr(0, 6), "CINFO_");
    EXPECT_EQ(ConstantTable[11 + i].Value, cinfo[i]);
  }
  EXPECT_EQ(ConstantTable[17].Name, "CINFO_BLOCKED");
  for (const auto& c : ConstantTable) EXPECT_EQ(UpperCase(c.Name), c.Name);
}

TEST(Tables, FindConstantIgnoresCase) {
  EXPECT_EQ(FindConstant("true"), 0);
  EXPECT_EQ(FindConstant("Cinfo_Blocked"), 17);
  EXPECT_EQ(FindConstant("STS_X"), -1);
  EXPECT_EQ(FindConstant(""), -1);
  EXPECT_EQ(FindConstant("#TRUE"), -1);
}

TEST(Tables, SpecialLabelsAndProgramVariables) {
  const std::string_view names[] = {"_init", "_start", "_menu_show", "_menu_click"};
  const std::size_t params[] = {0, 5, 1, 2};
  for (int i = 0; i < kSpecialLabelCount; ++i) {
    EXPECT_EQ(SpecialLabelTable[i].Name, names[i]);
    EXPECT_EQ(SplitParameters(SpecialLabelTable[i].Params).size(), params[i]) << names[i];
  }
  EXPECT_EQ(SpecialLabelTable[entryStart].Params, "$_ID, $_PROTO, $_MESSAGE, $_IN, $_FILTR");
  EXPECT_EQ(SpecialLabelTable[entryMenuClick].Params, "$_ID, $_MENU_ITEM");
  const std::string_view vars[] = {"$_ID", "$_PROTO", "$_MESSAGE", "$_IN", "$_FILTR", "$_MENU_ITEM"};
  for (int i = 0; i < kProgramVariableCount; ++i) EXPECT_EQ(ProgramVariableNames[i], vars[i]);
  EXPECT_EQ(ServiceCommandTable[0], "mov");
}

TEST(FindKeyword, WholeTrimmedWordIgnoringCase) {
  const struct { std::string_view word; int code; } cases[] = {
      {"mov", cmdMov},        {"MOV", cmdMov},         {"mOv", cmdMov},      {"MenuAdd", cmdMenuAdd},
      {"SAVECONFIG", cmdSaveConfig}, {"save", cmdSave}, {"bitnot", cmdBitNot},
      {"", -1},               {"mo", -1},              {"movx", -1},         {"mov ", -1},
      {" mov", -1},           {"MOV$", -1},            {"_init", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(FindKeyword(c.word), c.code) << '"' << c.word << '"';
  for (int i = 0; i < kCommandCount; ++i) EXPECT_EQ(FindKeyword(CommandTable[i].Keyword), i);
}

TEST(FindCommandIndex, FirstWordOfTheLine) {
  const struct { std::string_view line; int code; } cases[] = {
      {"mov $a, 1", cmdMov},
      {"MOV $a, 1", cmdMov},
      {"Mov", cmdMov},
      {"mov\t$a, 1", cmdMov},
      {"mov  ", cmdMov},
      {"MenuAdd 'x', 'Pozycja'", cmdMenuAdd},
      {"menuadd", cmdMenuAdd},
      {"saveconfig", cmdSaveConfig},
      {"save $a, 1", cmdSave},
      {"IF $a = 1", cmdIf},
      {" mov $a, 1", -1},
      {"\tmov $a, 1", -1},
      {"", -1},
      {" ", -1},
      {":_start", -1},
      {"movx $a, 1", -1},
      {"mov,$a", -1},
      {"mov\r", -1},
      {"strcopy$a", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(FindCommandIndex(c.line), c.code) << '"' << c.line << '"';
}
