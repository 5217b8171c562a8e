// Files and folders for the tests that work on disk: whole files read and written as
// bytes, a folder of its own per test, and the path of the built module. Header only and
// free of the plugin's code, so every test program can use it, the simulator's included.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kwtest {

// The file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes as the whole file; its folder must exist. False when it cannot be written.
inline bool WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

// The names in a folder, sorted: what lies there besides the files a test expects.
inline std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A folder of the running test's own under the system's temporary folder, empty at the
// start and removed with everything in it at the end. Its name carries the test's name
// and a random number, so tests never share one, even when programs run side by side.
class TempFolder {
 public:
  explicit TempFolder(std::string_view prefix = "kw") {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Appended piece by piece: "x" + std::string makes the 32-bit g++ 12 warn wrongly.
    std::string name(prefix);
    if (info) name.append("_").append(info->test_suite_name()).append("_").append(info->name());
    name.append("_").append(std::to_string(std::random_device{}()));
    for (char& c : name)  // parameterised tests' names hold "/"
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    path_ = std::filesystem::temp_directory_path() / name;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    // A test may have taken rights away (a read-only folder); they come back first.
    namespace fs = std::filesystem;
    std::error_code walk, ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(path_, walk);
         !walk && it != fs::recursive_directory_iterator(); it.increment(walk))
      if (it->symlink_status(ignored).type() == fs::file_type::directory)
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The full name of a file in the folder.
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;  // the folder
};

#ifdef KW_MODULE_PATH
// The built module; under Wine a Unix path is reached through drive Z:.
inline std::string BuiltModulePath() {
  std::string path = KW_MODULE_PATH;
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
  return path;
}
#endif

}  // namespace kwtest
