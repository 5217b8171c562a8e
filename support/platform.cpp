// The path and folder functions that are the same on every platform but for the bytes
// that separate folders and end a drive name (platform_folders.h).
#include "support/platform.h"
#include "support/platform_folders.h"

namespace kw {

std::string_view WriteFailureText(TWriteFailure failure) {
  switch (failure) {
    case TWriteFailure::None: return "";
    case TWriteFailure::Target: return "its path is a loop of links or a link that cannot be read";
    case TWriteFailure::ReadOnly: return "the file is read-only";
    case TWriteFailure::TempFile: return "no new file can be made in its folder";
    case TWriteFailure::Write: return "writing failed (the disk may be full)";
    case TWriteFailure::Verify: return "the disk did not keep all that was written";
    case TWriteFailure::Replace: return "the old file cannot be replaced";
  }
  return "";
}

bool WriteFileAtomic(const std::string& path, std::string_view contents) {
  TWriteFailure failure = TWriteFailure::None;
  return WriteFileAtomic(path, contents, failure);
}

bool IsFolderSeparator(char c) { return kFolderSeparators.find(c) != std::string_view::npos; }

bool EndsFolder(char c) {
  return IsFolderSeparator(c) || kDriveMarks.find(c) != std::string_view::npos;
}

bool CreateFolders(const std::string& path) {
  try {
    if (path.empty()) return false;
    // Every prefix that ends before a separator, then the whole path. A prefix that ends
    // in a separator or a drive name ("C:") is skipped. The root and the server part of a
    // network path cannot be created and need not be: failures are ignored on the way (a
    // prefix may exist already) and only the end result counts.
    for (std::size_t i = 1; i < path.size(); ++i)
      if (IsFolderSeparator(path[i]) && !EndsFolder(path[i - 1])) MakeOneFolder(path.substr(0, i));
    MakeOneFolder(path);
    return IsFolder(path);
  } catch (...) {
    return false;
  }
}

std::string FolderOf(const std::string& path) {
  try {
    for (std::size_t i = path.size(); i-- > 0;)
      if (EndsFolder(path[i])) return path.substr(0, i);
    return {};
  } catch (...) {
    return {};
  }
}

}  // namespace kw
