// Windows' version functions and our reader side by side on the system's own DLLs:
// both must find the same details in every one of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include <random>

#include "support/VerInfo.h"
#include "support/verinfo_block.h"
#include "verinfo_images.h"

using namespace kw;

namespace {

const char* const kDlls[] = {"kernel32.dll", "user32.dll",  "version.dll", "comctl32.dll", "shell32.dll",
                             "ole32.dll",    "advapi32.dll", "gdi32.dll",  "msvcrt.dll",   "comdlg32.dll"};

const struct {
  const char* name;
  std::string TWersjaPliku::*field;
} kFields[] = {
    {"FlagsText", &TWersjaPliku::FlagsText},
    {"FileVersion", &TWersjaPliku::FileVersion},
    {"FileOS", &TWersjaPliku::FileOS},
    {"CompanyName", &TWersjaPliku::CompanyName},
    {"FileDescription", &TWersjaPliku::FileDescription},
    {"InternalName", &TWersjaPliku::InternalName},
    {"LegalCopyright", &TWersjaPliku::LegalCopyright},
    {"LegalTrademarks", &TWersjaPliku::LegalTrademarks},
    {"OriginalFilename", &TWersjaPliku::OriginalFilename},
    {"ProductName", &TWersjaPliku::ProductName},
    {"ProductVersion", &TWersjaPliku::ProductVersion},
    {"Comments", &TWersjaPliku::Comments},
};

std::string SystemDirectory() {
  char buf[MAX_PATH];
  const UINT n = GetSystemDirectoryA(buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(buf, n) : std::string();
}

TEST(WindowsModules, ReaderAgreesWithWindows) {
  const std::string dir = SystemDirectory();
  ASSERT_FALSE(dir.empty());
  int compared = 0;
  for (const char* name : kDlls) {
    const std::string file = dir + "\\" + name;
    TWersjaPliku windows, ours;
    const bool w = ReadVersionDetails(file, windows, SystemVersionInfoApi());
    const bool o = ReadVersionDetails(file, ours, PortableVersionInfoApi());
    ASSERT_EQ(w, o) << file;
    if (!w) continue;
    for (const auto& f : kFields) EXPECT_EQ(windows.*f.field, ours.*f.field) << file << " " << f.name;
    EXPECT_FALSE(windows.FileVersion.empty()) << file;
    ++compared;
  }
  EXPECT_GE(compared, 5);
}

// Windows' lookups trust the lengths inside a block; the reader's buffer must hold
// whatever a damaged block leads them to.
TEST(WindowsModules, DamagedFilesThroughWindowsFunctions) {
  VersionBlockInput input;
  input.fixed.fileVersionMS = 0x10002;
  input.fixed.fileVersionLS = 0x30004;
  input.stringTables = {{0x0415, 1250, {{"CompanyName", "Firma"}, {"Comments", "x"}}}};
  input.translations = {{0x0415, 1250}};
  const std::string block = BuildVersionBlock(input);
  const std::string image = kwtest::MakePeImage(block, false);
  kwtest::ScratchDir dir;
  // Windows reads a cut file as far as it goes, so a cut in the last bytes may still be
  // read; whatever it reads must be the fixed version that is there.
  const std::size_t fixedEnd = 0x258 + 40 + 52;
  for (std::size_t n = 0; n < image.size(); n += 5) {
    TWersjaPliku d;
    const bool ok = ReadVersionDetails(dir.Write("cut.dll", image.substr(0, n)), d, SystemVersionInfoApi());
    if (ok) {
      EXPECT_EQ(d.FileVersion, "1.2.3.4") << n;
    }
    if (n < fixedEnd) {
      EXPECT_FALSE(ok) << n;
    }
  }
  std::mt19937 rng(5);
  for (int round = 0; round < 150; ++round) {
    std::string bad = block;
    for (int k = 0; k < 3; ++k) bad[rng() % bad.size()] = static_cast<char>(rng() % 2 ? 0xFF : rng() & 0xFF);
    TWersjaPliku d;
    ReadVersionDetails(dir.Write("bad.dll", kwtest::MakePeImage(bad, false)), d, SystemVersionInfoApi());
  }
}

}  // namespace
