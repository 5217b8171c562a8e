// A file that exists but cannot be read while the object lives, as another program
// makes it: on Windows it holds the file open without sharing; elsewhere the path
// becomes a link to a file every read of which fails. Afterwards the file is as before.
#pragma once

#include <string>

namespace kwtest {

class UnreadableFile {
 public:
  explicit UnreadableFile(std::string path);
  ~UnreadableFile();
  UnreadableFile(const UnreadableFile&) = delete;
  UnreadableFile& operator=(const UnreadableFile&) = delete;

 private:
  std::string path_;
  void* held_ = nullptr;  // Windows: the handle that holds it
};

}  // namespace kwtest
