// The UTF-8 / Windows-1250 boundary: every byte of the code page survives the round
// trip, and what it cannot hold, or what is no UTF-8, is refused rather than guessed.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "support/cp1250.h"
#include "tools/sim/codec.h"

using namespace kw;

namespace {

TEST(Codec, EveryUsedByteRoundTrips) {
  const unsigned char unused[] = {0x81, 0x83, 0x88, 0x90, 0x98};
  for (int b = 1; b < 256; ++b) {
    if (std::find(std::begin(unused), std::end(unused), b) != std::end(unused)) continue;
    const std::string one(1, static_cast<char>(b));
    std::string back;
    std::string error;
    ASSERT_TRUE(kwsim::Utf8ToCp1250(kwsim::Cp1250ToUtf8(one), back, error)) << b << " " << error;
    EXPECT_EQ(back, one) << b;
  }
  EXPECT_EQ(kwsim::Cp1250ToUtf8("\x81"), "\xEF\xBF\xBD");  // unused: U+FFFD
}

TEST(Codec, PolishTextBothWays) {
  std::string wire;
  std::string error;
  ASSERT_TRUE(kwsim::Utf8ToCp1250("Zażółć gęślą jaźń ŻÓŁĆ €", wire, error));
  EXPECT_EQ(wire, std::string("Zażółć gęślą jaźń ŻÓŁĆ €"_w));
  EXPECT_EQ(kwsim::Cp1250ToUtf8(wire), "Zażółć gęślą jaźń ŻÓŁĆ €");
}

TEST(Codec, RefusesWhatItCannotCarry) {
  struct Case {
    std::string utf8;
    std::string reason;
  } cases[] = {
      {"\xC3\xA6", "U+00E6"},           // æ: no Windows-1250 byte
      {"\xF0\x9F\x98\x80", "U+1F600"},  // an emoji
      {"a\xC3", "not UTF-8 (byte 2)"},  // cut short
      {"\xC0\x80", "not UTF-8"},        // overlong NUL
      {"\xED\xA0\x80", "not UTF-8"},    // a surrogate
      {"\xF4\x90\x80\x80", "not UTF-8"},  // beyond U+10FFFF
      {"\x80", "not UTF-8"},            // a lone continuation byte
      {"\xFF", "not UTF-8"},
  };
  for (const Case& c : cases) {
    std::string out;
    std::string error;
    EXPECT_FALSE(kwsim::Utf8ToCp1250(c.utf8, out, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

}  // namespace
