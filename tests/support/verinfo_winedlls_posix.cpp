// Our reader on real Windows modules: the 32-bit DLLs that Wine installs, when the
// machine has them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/VerInfo.h"

using namespace kw;

namespace {

const char* const kDlls[] = {"kernel32.dll", "user32.dll", "version.dll", "comctl32.dll",
                             "shell32.dll",  "ole32.dll",  "advapi32.dll", "gdi32.dll"};

TEST(WineModules, FileVersionOfEveryDll) {
  const std::filesystem::path dir = "/usr/lib/i386-linux-gnu/wine/i386-windows";
  if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no Wine DLLs at " << dir;
  const std::regex version(R"(\d{1,5}\.\d{1,5}\.\d{1,5}\.\d{1,5})");
  int read = 0;
  for (const char* name : kDlls) {
    const auto file = (dir / name).string();
    if (!std::filesystem::exists(file)) continue;
    TWersjaPliku d;
    ASSERT_TRUE(ReadVersionDetails(file, d)) << file;
    EXPECT_TRUE(std::regex_match(d.FileVersion, version)) << file << ": " << d.FileVersion;
    EXPECT_TRUE(std::regex_match(d.ProductVersion, version)) << file << ": " << d.ProductVersion;
    EXPECT_FALSE(d.OriginalFilename.empty()) << file;
    EXPECT_EQ(GetFileVersionText(file, "def"), d.FileVersion) << file;
    ++read;
  }
  EXPECT_GT(read, 0);
}

}  // namespace
