// The six operations of a profile file, plus open and commit, as one interface;
// integers are written and read as text, the same for both. Two
// classes provide it: the portable INI profile (ini_file.h) and the settings file as the
// platform keeps it (profile.h). They stay separate so that on Windows both can run side
// by side on the same operations and their files can be compared.
//
// In Update mode the file on disk changes only at Commit, in one replace; a file that is
// dropped without Commit, or whose Commit fails, stays as it was. The first write that
// fails makes every later write and the Commit fail: a save stops at that point.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// An integer as the profile functions read one: an empty text gives the fallback; else
// optional blanks, an optional sign and the decimal digits that follow (none gives 0),
// held to the 32-bit range.
std::int32_t ParseProfileInt(std::string_view text, std::int32_t fallback);

// How a profile file is opened: Read never changes the file; Update collects the writes
// and puts them in place, all at once, at Commit.
enum class TProfileMode { Read, Update };

class IProfile {
 public:
  virtual ~IProfile() = default;

  // A missing file opens as empty. False when an existing file cannot be read (writing
  // it back would lose what it holds) or, in Update mode, no working copy can be made.
  virtual bool Open(const std::string& path, TProfileMode mode) = 0;
  // Puts the writes in place (Update) or does nothing (Read). False when the file could
  // not be replaced or a write had failed.
  virtual bool Commit() = 0;
  // Why the last write or Commit failed, in plain words; empty while nothing has.
  virtual std::string Failure() const = 0;

  virtual bool EraseSection(std::string_view section) = 0;
  // Names and values must pass IsStorableSection, IsStorableKey and IsStorableValue;
  // any other write fails. What is written reads back unchanged.
  virtual bool WriteString(std::string_view section, std::string_view key, std::string_view value) = 0;
  // Distinct non-empty keys of the section, in file order.
  virtual std::vector<std::string> ReadKeys(std::string_view section) const = 0;
  virtual std::string ReadString(std::string_view section, std::string_view key,
                                 std::string_view fallback) const = 0;

  // Integers are their decimal text, read back as the profile functions read one.
  bool WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    return WriteString(section, key, std::to_string(value));
  }
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t fallback) const {
    return ParseProfileInt(ReadString(section, key, {}), fallback);
  }

 protected:
  IProfile() = default;
  IProfile(const IProfile&) = default;
  IProfile& operator=(const IProfile&) = default;
};

}  // namespace kw
