#include "unreadable.h"

#include <filesystem>
#include <utility>

namespace kwtest {

// /proc/self/mem is a regular file whose reads at its start fail, root or not.
UnreadableFile::UnreadableFile(std::string path) : path_(std::move(path)) {
  std::filesystem::rename(path_, path_ + ".aside");
  std::filesystem::create_symlink("/proc/self/mem", path_);
}

UnreadableFile::~UnreadableFile() {
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
  std::filesystem::rename(path_ + ".aside", path_, ignored);
}

}  // namespace kwtest
