// The file layer: what counts as a file, byte-exact reads and writes, and above all that
// a failed replacement leaves the old file whole and no temporary file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/cp1250.h"
#include "support/platform.h"
#include "tests/common/files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using namespace kw;
namespace fs = std::filesystem;

namespace {

class PlatformFiles : public ::testing::Test {
 protected:
  void TearDown() override {
    SetWriteFaultForTesting(-1);
#ifdef _WIN32
    SetFileAttributesA(Path("old.txt").c_str(), FILE_ATTRIBUTE_NORMAL);  // so it can go
#endif
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Dir() const { return dir_.string(); }
  void Put(const std::string& name, const std::string& data) const { kwtest::WriteBytes(dir_ / name, data); }
  std::set<std::string> Entries() const {
    const std::vector<std::string> names = kwtest::FolderNames(dir_);
    return {names.begin(), names.end()};
  }
  std::string Read(const std::string& name) const {
    std::string s;
    EXPECT_TRUE(ReadWholeFile(Path(name), s)) << name;
    return s;
  }
  kwtest::TempFolder folder_{"kw_platform"};
  const fs::path dir_ = folder_.Path();
};

std::string AllBytes() {
  std::string s;
  for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
  return s + "\r\n\n\r\x1a";
}

}  // namespace

TEST(Platform, FolderOfCutsAtTheLastSeparator) {
  struct Case { const char* path; const char* folder; };
#ifdef _WIN32
  EXPECT_EQ(PathSeparator(), '\\');
  const Case cases[] = {{"C:\\x", "C:"}, {"C:\\a\\b.ini", "C:\\a"}, {"a/b\\c", "a/b"}, {"a\\b/c", "a\\b"},
                        {"C:x", "C"}, {"x", ""}, {"", ""}, {"\\\\srv\\share\\f", "\\\\srv\\share"}};
#else
  EXPECT_EQ(PathSeparator(), '/');
  const Case cases[] = {{"/a/b/c.ini", "/a/b"}, {"c.ini", ""}, {"a/", "a"}, {"/x", ""}, {"", ""},
                        {"a\\b", ""}, {"C:x", ""}};
#endif
  for (const Case& c : cases) EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
}

TEST_F(PlatformFiles, OnlyARegularFileIsAFile) {
  Put("f.txt", "x");
  fs::create_directory(dir_ / "sub");
  EXPECT_TRUE(FileExists(Path("f.txt")));
  EXPECT_FALSE(FileExists(Path("sub")));
  EXPECT_FALSE(FileExists(Path("missing")));
  EXPECT_FALSE(FileExists(""));
  std::string s = "untouched";
  EXPECT_FALSE(ReadWholeFile(Path("sub"), s));
  EXPECT_FALSE(ReadWholeFile(Path("missing"), s));
  EXPECT_EQ(s, "untouched");
}

TEST_F(PlatformFiles, WriteAndReadAreByteExact) {
  ASSERT_TRUE(WriteFileAtomic(Path("a.bin"), AllBytes()));
  EXPECT_EQ(Read("a.bin"), AllBytes());
  ASSERT_TRUE(WriteFileAtomic(Path("a.bin"), "short"));  // a shorter replacement, no tail left
  EXPECT_EQ(Read("a.bin"), "short");
  ASSERT_TRUE(WriteFileAtomic(Path("a.bin"), ""));
  EXPECT_EQ(Read("a.bin"), "");
  EXPECT_EQ(Entries(), std::set<std::string>{"a.bin"});
}

TEST_F(PlatformFiles, PolishNamesWork) {
  const std::string folder = Dir() + PathSeparator() + std::string("zażółć"_w) + PathSeparator() + std::string("gęś"_w);
  ASSERT_TRUE(CreateFolders(folder));
  const std::string file = folder + PathSeparator() + std::string("jaźń.spm"_w);
  ASSERT_TRUE(WriteFileAtomic(file, "Łódź"_w));
  EXPECT_TRUE(FileExists(file));
  std::string s;
  ASSERT_TRUE(ReadWholeFile(file, s));
  EXPECT_EQ(s, "Łódź"_w);
}

// Every way a replacement can fail: the old file stays as it was, nothing is left over.
TEST_F(PlatformFiles, FailedWriteLeavesOldFileIntact) {
  const std::string old = "old contents\r\n";
  const std::string fresh = "new contents that are longer than the old ones";
  for (long long fault : {0LL, 1LL, 5LL, static_cast<long long>(fresh.size())}) {
    Put("old.txt", old);
    SetWriteFaultForTesting(fault);
    EXPECT_FALSE(WriteFileAtomic(Path("old.txt"), fresh)) << fault;
    EXPECT_EQ(Read("old.txt"), old) << fault;
    EXPECT_EQ(Entries(), std::set<std::string>{"old.txt"}) << fault;
  }
  // The fault is one shot: the next write goes through.
  EXPECT_TRUE(WriteFileAtomic(Path("old.txt"), fresh));
  EXPECT_EQ(Read("old.txt"), fresh);

  fs::create_directory(dir_ / "folder");  // a target that is a folder
  Put(std::string("folder") + PathSeparator() + "inner.txt", "inner");
  EXPECT_FALSE(WriteFileAtomic(Path("folder"), fresh));
  EXPECT_EQ(Read(std::string("folder") + PathSeparator() + "inner.txt"), "inner");
  EXPECT_EQ(Entries(), (std::set<std::string>{"folder", "old.txt"}));

  // No folder to put the temporary file in.
  EXPECT_FALSE(WriteFileAtomic(Path("missing") + PathSeparator() + "x.txt", fresh));
  EXPECT_EQ(Entries(), (std::set<std::string>{"folder", "old.txt"}));
}

// A data file that is a symbolic link (into a synced folder, say): the file it finally
// points to is replaced and each link stays as it was; a relative target counts from its
// own link's folder; a dangling link gets its file. Links are made first in each case.
TEST_F(PlatformFiles, SaveThroughALinkReplacesWhatItPointsTo) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> links;  // link -> target as written
    std::string file;  // what the write must reach, from dir_; empty: the write fails
  };
  const std::string absolute = (dir_ / "sync" / "a.ini").string();
  const Case cases[] = {
      {{{"a.ini", absolute}}, "sync/a.ini"},
      {{{"b.ini", "sync/b.ini"}}, "sync/b.ini"},
      {{{"sub/c.ini", "../sync/c.ini"}}, "sync/c.ini"},
      {{{"d.ini", "sync/d1"}, {"sync/d1", "deep/d.ini"}}, "sync/deep/d.ini"},  // not dir_/deep
      {{{"e.ini", "sync/new.ini"}}, "sync/new.ini"},  // dangling: the file is made
      {{{"f.ini", "nowhere/f.ini"}}, ""},
      {{{"g.ini", "h.ini"}, {"h.ini", "g.ini"}}, ""},
  };
  fs::create_directories(dir_ / "sync" / "deep");
  fs::create_directories(dir_ / "sub");
  for (const char* existing : {"sync/a.ini", "sync/b.ini", "sync/c.ini", "sync/deep/d.ini"}) Put(existing, "old");
  try {
    for (const Case& c : cases)
      for (const auto& [link, target] : c.links) fs::create_symlink(fs::path(target).make_preferred(), dir_ / link);
  } catch (const fs::filesystem_error&) {
  }
  if (!fs::is_symlink(dir_ / "a.ini")) GTEST_SKIP() << "this system makes no symbolic links";
  for (const Case& c : cases) {
    const std::string link = c.links.front().first;
    SCOPED_TRACE(link);
    EXPECT_EQ(WriteFileAtomic(Path(link), "new"), !c.file.empty());
    if (!c.file.empty()) {
      EXPECT_EQ(Read(c.file), "new");
    }
    for (const auto& [from, target] : c.links) EXPECT_EQ(fs::read_symlink(dir_ / from), fs::path(target).make_preferred());
  }
  EXPECT_TRUE(fs::equivalent(ResolveLinks(Path("d.ini")), dir_ / "sync" / "deep" / "d.ini"));
  EXPECT_EQ(ResolveLinks(Path("plain.txt")), Path("plain.txt"));
  EXPECT_EQ(ResolveLinks(Path("g.ini")), "");
  for (const auto& e : fs::recursive_directory_iterator(dir_))
    EXPECT_EQ(e.path().filename().string().find(".~"), std::string::npos) << e.path();
}

#ifdef _WIN32
TEST_F(PlatformFiles, ReadOnlyTargetIsNotReplaced) {
  Put("old.txt", "old");
  ASSERT_TRUE(SetFileAttributesA(Path("old.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteFileAtomic(Path("old.txt"), "new"));
  EXPECT_EQ(Read("old.txt"), "old");
  EXPECT_EQ(Entries(), std::set<std::string>{"old.txt"});
}

TEST_F(PlatformFiles, FileLockedByAnotherReaderCannotBeRead) {
  Put("locked.txt", "x");
  HANDLE h = CreateFileA(Path("locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::string s;
  EXPECT_TRUE(FileExists(Path("locked.txt")));
  EXPECT_FALSE(ReadWholeFile(Path("locked.txt"), s));
  CloseHandle(h);
}
#else
TEST_F(PlatformFiles, ReplacementKeepsPermissions) {
  Put("old.txt", "old");
  ASSERT_EQ(chmod(Path("old.txt").c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomic(Path("old.txt"), "new"));
  struct stat st {};
  ASSERT_EQ(stat(Path("old.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(PlatformFiles, PipeIsNotAFileAndDoesNotHang) {
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
  std::string s;
  EXPECT_FALSE(FileExists(Path("pipe")));
  EXPECT_FALSE(ReadWholeFile(Path("pipe"), s));
}
#endif

TEST_F(PlatformFiles, CreateFoldersMakesParentsAndReportsTheResult) {
  const char sep = PathSeparator();
  const std::string deep = Dir() + sep + "a" + sep + "b" + sep + "c";
  EXPECT_TRUE(CreateFolders(deep));
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_TRUE(CreateFolders(deep));               // already there
  EXPECT_TRUE(CreateFolders(deep + sep + "d" + sep));  // trailing separator
  EXPECT_TRUE(fs::is_directory(deep + sep + "d"));
#ifdef _WIN32
  EXPECT_TRUE(CreateFolders(Dir() + "/m/n\\o"));
  EXPECT_TRUE(fs::is_directory(dir_ / "m" / "n" / "o"));
#endif
  Put("file", "x");
  EXPECT_FALSE(CreateFolders(Path("file")));
  EXPECT_FALSE(CreateFolders(Path("file") + sep + "below"));
  EXPECT_FALSE(CreateFolders(""));
  EXPECT_EQ(Read("file"), "x");
}

TEST(Platform, LocalDateTimeIsInRange) {
  LocalDateTime t = GetLocalDateTime();
  EXPECT_GE(t.year, 2000);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12) << t.month;
  EXPECT_TRUE(t.day >= 1 && t.day <= 31) << t.day;
  EXPECT_TRUE(t.hour >= 0 && t.hour <= 23) << t.hour;
  EXPECT_TRUE(t.minute >= 0 && t.minute <= 59) << t.minute;
  EXPECT_TRUE(t.second >= 0 && t.second <= 60) << t.second;
}
