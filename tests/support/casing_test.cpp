// Windows-1250 text: the _w literal's bytes, and upper and lower case of every byte.
#include <gtest/gtest.h>

#include "support/casing.h"
#include "tests/common/casing.h"
#include "support/cp1250.h"

using namespace kw;

TEST(Cp1250Literal, PolishLiteralIsWindows1250Bytes) {
  constexpr std::string_view s = "Różne"_w;
  const unsigned char want[] = {0x52, 0xF3, 0xBF, 0x6E, 0x65};
  ASSERT_EQ(s.size(), sizeof want);
  for (std::size_t i = 0; i < s.size(); ++i) EXPECT_EQ(static_cast<unsigned char>(s[i]), want[i]) << i;
  EXPECT_EQ(s.data()[s.size()], '\0');
}

TEST(Casing, PolishPairs) {
  EXPECT_EQ(UpperCase("zażółć gęślą jaźń"_w), "ZAŻÓŁĆ GĘŚLĄ JAŹŃ"_w);
  EXPECT_EQ(kwtest::LowerCase("ZAŻÓŁĆ GĘŚLĄ JAŹŃ"_w), "zażółć gęślą jaźń"_w);
}

TEST(Casing, BytesWithoutPartnerKeepTheirCase) {
  for (unsigned char c : {0xDFu, 0xB5u, 0xD7u, 0xF7u, 0xFFu, 0x00u, 0x7Fu}) {
    EXPECT_EQ(static_cast<unsigned char>(UpperChar(static_cast<char>(c))), c);
    EXPECT_EQ(static_cast<unsigned char>(LowerChar(static_cast<char>(c))), c);
  }
}

TEST(Casing, UpperAndLowerAreInverseOnEveryPair) {
  for (int i = 0; i < 256; ++i) {
    char c = static_cast<char>(i);
    char u = UpperChar(c);
    if (u != c) { EXPECT_EQ(LowerChar(u), c) << i; }
    char l = LowerChar(c);
    if (l != c) { EXPECT_EQ(UpperChar(l), c) << i; }
  }
}

// Every letter pair of the code page, written as letters so the table is checked
// against the alphabet and not against its own byte arithmetic.
TEST(Casing, EveryWindows1250LetterPair) {
  constexpr std::string_view upper = "ŠŚŤŽŹŁĄŞŻĽŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎĐŃŇÓÔŐÖŘŮÚŰÜÝŢABCDEFGHIJKLMNOPQRSTUVWXYZ"_w;
  constexpr std::string_view lower = "šśťžźłąşżľŕáâăäĺćçčéęëěíîďđńňóôőöřůúűüýţabcdefghijklmnopqrstuvwxyz"_w;
  ASSERT_EQ(upper.size(), lower.size());
  int pairs = 0;
  for (std::size_t i = 0; i < upper.size(); ++i) {
    EXPECT_EQ(UpperChar(lower[i]), upper[i]) << i;
    EXPECT_EQ(LowerChar(upper[i]), lower[i]) << i;
    EXPECT_EQ(UpperChar(upper[i]), upper[i]) << i;
    EXPECT_EQ(LowerChar(lower[i]), lower[i]) << i;
  }
  for (int i = 0; i < 256; ++i)
    if (UpperChar(static_cast<char>(i)) != static_cast<char>(i)) ++pairs;
  EXPECT_EQ(pairs, static_cast<int>(upper.size()));  // no other byte changes
}

TEST(Casing, SameTextIgnoringCase) {
  EXPECT_TRUE(SameTextIgnoringCase("MenuAdd", "menuadd"));
  EXPECT_TRUE(SameTextIgnoringCase("$żółw"_w, "$ŻÓŁW"_w));
  EXPECT_TRUE(SameTextIgnoringCase("", ""));
  EXPECT_FALSE(SameTextIgnoringCase("mov", "mov "));
  EXPECT_FALSE(SameTextIgnoringCase("ß"_w, "SS"));
  EXPECT_FALSE(SameTextIgnoringCase("[", "{"));  // no folding of ASCII signs
}
