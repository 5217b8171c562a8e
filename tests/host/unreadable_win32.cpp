#include "unreadable.h"

#include <windows.h>

#include <utility>

namespace kwtest {

UnreadableFile::UnreadableFile(std::string path) : path_(std::move(path)) {
  held_ = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

UnreadableFile::~UnreadableFile() {
  if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
}

}  // namespace kwtest
