// The settings file where the operating system has no profile functions: the portable
// INI profile, which reads the file whole and replaces it atomically at Commit.
#include "settings/profile.h"

namespace kw {

struct TProfileFile::TState {
  TIniProfile Ini;  // the file and the writes made to it so far
};

TProfileFile::TProfileFile() : state_(std::make_unique<TState>()) {}
TProfileFile::~TProfileFile() = default;

bool TProfileFile::Open(const std::string& path, TProfileMode mode) { return state_->Ini.Open(path, mode); }
bool TProfileFile::Commit() { return state_->Ini.Commit(); }

bool TProfileFile::EraseSection(std::string_view section) { return state_->Ini.EraseSection(section); }

bool TProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  return state_->Ini.WriteString(section, key, value);
}

bool TProfileFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  return state_->Ini.WriteInteger(section, key, value);
}

std::vector<std::string> TProfileFile::ReadKeys(std::string_view section) const {
  return state_->Ini.ReadKeys(section);
}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view fallback) const {
  return state_->Ini.ReadString(section, key, fallback);
}

std::int32_t TProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                       std::int32_t fallback) const {
  return state_->Ini.ReadInteger(section, key, fallback);
}

}  // namespace kw
