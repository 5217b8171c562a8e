// Windows' version functions and our reader side by side on the system's own DLLs:
// both must find the same details in every one of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/VerInfo.h"

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

}  // namespace
