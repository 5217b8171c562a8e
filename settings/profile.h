// The settings file as the operating system's profile functions see it: the six
// operations the settings store needs, plus open and commit. On Windows the profile
// functions themselves do the work (profile_win32.cpp); elsewhere the portable INI
// reader and writer does (profile_posix.cpp). Both read and write the same text.
//
// In Update mode the file on disk changes only at Commit, in one replace; a file that is
// dropped without Commit, or whose Commit fails, stays as it was. The first write that
// fails makes every later write and the Commit fail: a save stops at that point.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_file.h"

namespace kw {

class TProfileFile {
 public:
  TProfileFile();
  ~TProfileFile();
  TProfileFile(const TProfileFile&) = delete;
  TProfileFile& operator=(const TProfileFile&) = delete;

  // A missing file opens as empty. False when an existing file cannot be read or, in
  // Update mode, no working copy can be made beside it.
  bool Open(const std::string& path, TProfileMode mode);
  // Puts the writes in place (Update) or does nothing (Read). False when the file could
  // not be replaced or a write had failed.
  bool Commit();

  bool EraseSection(std::string_view section);
  // Names and values must pass IsStorableSection, IsStorableKey and IsStorableValue;
  // any other write fails. What is written reads back unchanged.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  // Distinct non-empty keys of the section, in file order.
  std::vector<std::string> ReadKeys(std::string_view section) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t fallback) const;

 private:
  struct TState;
  std::unique_ptr<TState> state_;  // the platform's own handle on the file
};

}  // namespace kw
