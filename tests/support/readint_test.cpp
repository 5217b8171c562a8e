// The one rule by which text becomes a number: prefixes, signs, blanks and the limits.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/ProcFunc.h"

using namespace kw;

namespace {

struct Case {
  std::string_view text;
  std::optional<std::int32_t> value;
};

void Check(const Case& c) {
  SCOPED_TRACE(std::string("\"") + std::string(c.text) + "\"");
  EXPECT_EQ(ParseInt(c.text), c.value);
  EXPECT_EQ(IsInteger(c.text), c.value.has_value());
  EXPECT_EQ(ReadInt(c.text, 12345), c.value.value_or(12345));
}

}  // namespace

TEST(ReadInt, Decimal) {
  const Case cases[] = {
      {"0", 0},           {"123", 123},      {"-123", -123},      {"+5", 5},        {"007", 7},
      {"-0", 0},          {"+0", 0},         {"0000", 0},         {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},              {"00000000002147483647", INT_MAX},
      {"-00000000002147483648", INT_MIN},    {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},         {"+2147483648", std::nullopt},
      {"4294967295", std::nullopt},          {"99999999999999999999999", std::nullopt},
  };
  for (const auto& c : cases) Check(c);
}

TEST(ReadInt, Hexadecimal) {
  const Case cases[] = {
      {"$FF", 255},          {"xff", 255},          {"XfF", 255},          {"0x10", 16},
      {"0X10", 16},          {"$0", 0},             {"$FFFFFFFF", -1},     {"-$1", -1},
      {"+$10", 16},          {"$7FFFFFFF", INT_MAX}, {"$80000000", INT_MIN}, {"-$80000000", INT_MIN},
      {"-0xFFFFFFFF", 1},    {"$000000000FFFFFFFF", -1},                  {"0x00000000000", 0},
      {"$100000000", std::nullopt},                 {"$1FFFFFFFF", std::nullopt},
      {"$", std::nullopt},   {"0x", std::nullopt},  {"x", std::nullopt},   {"X", std::nullopt},
      {"-$", std::nullopt},  {"+0x", std::nullopt}, {"$G", std::nullopt},  {"0x1g", std::nullopt},
      {"00x1", std::nullopt}, {"$-1", std::nullopt}, {"x-1", std::nullopt}, {"0x0x1", std::nullopt},
      {"$ 1", std::nullopt}, {"0b101", std::nullopt}, {"#10", std::nullopt}, {"h10", std::nullopt},
  };
  for (const auto& c : cases) Check(c);
}

TEST(ReadInt, BlanksAndStrayCharacters) {
  const Case cases[] = {
      {"  42", 42},          {"  -42", -42},        {" $10", 16},
      {"\t1", std::nullopt}, {"1 ", std::nullopt},  {"1\t", std::nullopt}, {"- 1", std::nullopt},
      {" + 1", std::nullopt}, {"--1", std::nullopt}, {"+-1", std::nullopt}, {"1a", std::nullopt},
      {"1e3", std::nullopt}, {"1.0", std::nullopt}, {"1,0", std::nullopt}, {"\n1", std::nullopt},
      {"", std::nullopt},    {"   ", std::nullopt},  {"+", std::nullopt},   {"-", std::nullopt},
      {" -", std::nullopt},  {"\xB9", std::nullopt}, {std::string_view("1\0", 2), std::nullopt},
  };
  for (const auto& c : cases) Check(c);
}

TEST(IntToText, SignedDecimalWithoutPadding) {
  EXPECT_EQ(IntToText(0), "0");
  EXPECT_EQ(IntToText(-1), "-1");
  EXPECT_EQ(IntToText(65536), "65536");
  EXPECT_EQ(IntToText(INT_MIN), "-2147483648");
  EXPECT_EQ(IntToText(INT_MAX), "2147483647");
}

// The engine's allocation-free number text and its length worked out without writing
// it, against IntToText at every change of digit count and at both ends.
TEST(NumberText, AgreesWithIntToText) {
  std::vector<std::int32_t> values = {0, INT_MIN, INT_MIN + 1, INT_MAX};
  for (std::int64_t power = 1; power <= 1'000'000'000; power *= 10)
    for (const std::int64_t v : {power - 1, power, power + 1})
      for (const std::int64_t signedValue : {v, -v}) values.push_back(static_cast<std::int32_t>(signedValue));
  for (const std::int32_t v : values) {
    SCOPED_TRACE(v);
    EXPECT_EQ(NumberText(v).View(), IntToText(v));
    EXPECT_EQ(DecimalLength(v), IntToText(v).size());
  }
}
