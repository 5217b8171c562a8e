// The path and folder functions that are the same on every platform but for the bytes
// that separate folders and end a drive name (platform_folders.h).
#include "support/platform.h"
#include "support/platform_folders.h"

#include <charconv>
#include <optional>
#include <string>

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

std::string TempFileBeside(const std::string& target, unsigned long processId, unsigned counter) {
  std::string temp = target;
  temp += ".~";
  temp += std::to_string(processId);
  temp += '_';
  temp += std::to_string(counter);
  return temp;
}

namespace {

// The process id in a temporary file's name made for the file called base; nothing when
// the name is not exactly one (digits after ".~", "_", digits, nothing after).
std::optional<unsigned long> TempFileProcess(std::string_view name, std::string_view base) {
  if (!name.starts_with(base) || !name.substr(base.size()).starts_with(".~")) return std::nullopt;
  name.remove_prefix(base.size() + 2);
  const std::size_t bar = name.find('_');
  const auto digits = [](std::string_view d) {
    return !d.empty() && d.size() <= 10 && d.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (bar == std::string_view::npos || !digits(name.substr(0, bar)) || !digits(name.substr(bar + 1)))
    return std::nullopt;
  unsigned long id = 0;
  const char* first = name.data();
  if (std::from_chars(first, first + bar, id).ec != std::errc{}) return std::nullopt;  // no id of ours
  return id;
}

}  // namespace

void RemoveLeftoverTempFiles(const std::string& path) {
  try {
    const std::string target = ResolveLinks(path);
    if (target.empty()) return;
    std::size_t cut = target.size();
    while (cut > 0 && !EndsFolder(target[cut - 1])) --cut;
    const std::string folder = target.substr(0, cut);
    const std::string base = target.substr(cut);
    const unsigned long self = CurrentProcessId();
    for (const std::string& name : NamesIn(folder)) {
      const std::optional<unsigned long> process = TempFileProcess(name, base);
      if (process && (*process == self || !ProcessRunning(*process))) RemoveFile(folder + name);
    }
  } catch (...) {
  }
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
