// A settings file with one long saved value, in a folder of its own, for the settings
// benchmarks of both builds.
#pragma once

#include <cstddef>
#include <string>

#include "script/variables.h"

namespace kwbench {

class TSettingsBenchFile {
 public:
  explicit TSettingsBenchFile(std::size_t valueBytes);
  ~TSettingsBenchFile();
  TSettingsBenchFile(const TSettingsBenchFile&) = delete;
  TSettingsBenchFile& operator=(const TSettingsBenchFile&) = delete;

  bool Save() const;         // SaveSettings of the table
  std::size_t Load() const;  // LoadSettings into a fresh table: the long value's length

 private:
  std::string folder_;
  std::string path_;
  kw::TZmienne variables_;  // $BIG (the long value) and $SMALL, both saved
};

}  // namespace kwbench
