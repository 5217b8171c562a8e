// The shared folder functions over this platform's separators: only "/" separates, and
// a ":" is an ordinary byte of a name here, never the end of a drive.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/platform.h"
#include "tests/common/files.h"

using namespace kw;
namespace fs = std::filesystem;

namespace {

TEST(Folders, OnlySlashesSeparateHere) {
  const kwtest::TempFolder folder("kw_folders");
  const fs::path& root = folder.Path();
  const std::string base = root.string();
  struct Case {
    std::string path;  // below root
    fs::path made;     // what must exist afterwards
  };
  const Case cases[] = {
      {"/C:/x", root / "C:" / "x"},           // no drive: "C:" is a folder of its own
      {"/a:b//c///d/", root / "a:b" / "c" / "d"},
      {"/back\\slash/e", root / "back\\slash" / "e"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(CreateFolders(base + c.path)) << c.path;
    EXPECT_TRUE(fs::is_directory(c.made)) << c.path;
  }
  EXPECT_EQ(FolderOf(base + "/C:x"), base);
  EXPECT_EQ(FolderOf("a:b\\c"), "");
}

}  // namespace
