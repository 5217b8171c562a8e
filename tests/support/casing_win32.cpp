// The casing table must agree with Windows itself (code page 1250) on every byte.
#include <gtest/gtest.h>

#include <windows.h>

#include "support/casing.h"

using namespace kw;

TEST(CasingWindows, RunsUnderCodePage1250) { ASSERT_EQ(GetACP(), 1250u); }

TEST(CasingWindows, TableAgreesWithCharUpperAndLowerOnEveryByte) {
  ASSERT_EQ(GetACP(), 1250u);
  for (int i = 0; i < 256; ++i) {
    char up[1] = {static_cast<char>(i)};
    char low[1] = {static_cast<char>(i)};
    CharUpperBuffA(up, 1);
    CharLowerBuffA(low, 1);
    EXPECT_EQ(static_cast<unsigned char>(UpperChar(static_cast<char>(i))), static_cast<unsigned char>(up[0]))
        << "upper of byte " << i;
    EXPECT_EQ(static_cast<unsigned char>(LowerChar(static_cast<char>(i))), static_cast<unsigned char>(low[0]))
        << "lower of byte " << i;
  }
}
