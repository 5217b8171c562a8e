// The settings file as the operating system's profile functions see it. On Windows the
// profile functions themselves read it (profile_win32.cpp), and an update is the
// portable INI profile's: the whole file is made in memory, written once, read back and
// only then put in place. Elsewhere the portable INI profile is the settings file. Both
// read and write the same text.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_file.h"
#include "settings/profile_api.h"

namespace kw {

#ifdef _WIN32
class TProfileFile final : public IProfile {
 public:
  TProfileFile();
  ~TProfileFile() override;
  TProfileFile(const TProfileFile&) = delete;
  TProfileFile& operator=(const TProfileFile&) = delete;

  bool Open(const std::string& path, TProfileMode mode) override;
  bool Commit() override;
  std::string Failure() const override;

  bool EraseSection(std::string_view section) override;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) override;
  std::vector<std::string> ReadKeys(std::string_view section) const override;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const override;

 private:
  struct TState;
  std::unique_ptr<TState> state_;  // the platform's own handle on the file
};
#else
using TProfileFile = TIniProfile;
#endif

}  // namespace kw
