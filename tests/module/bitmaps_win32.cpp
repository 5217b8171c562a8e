// The two bitmap resources of the Windows module, at their sizes, found by the names
// LoadPlugin asks for.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/common/files.h"

namespace {

TEST(ModuleFile, CarriesBothBitmaps) {
  const std::string path = kwtest::BuiltModulePath();
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  const struct {
    const char* name;
    LONG size;
  } bitmaps[] = {{"BMP_Ikona_Mala", 16}, {"BMP_Ikona_Duza", 32}};
  for (const auto& b : bitmaps) {
    HANDLE image = LoadImageA(module, b.name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
    ASSERT_NE(image, nullptr) << b.name;
    BITMAP info{};
    ASSERT_NE(GetObjectA(image, sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, b.size) << b.name;
    EXPECT_EQ(info.bmHeight, b.size) << b.name;
    DeleteObject(image);
  }
  FreeLibrary(module);
}

}  // namespace
