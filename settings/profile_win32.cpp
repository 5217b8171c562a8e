// The settings file through the Windows profile functions, for reading. An update does
// not go through them: they rewrite the whole file at every key, which costs the square
// of a long value's length, and they do not tell when a full disk cut the file short.
// Their text format is simple and the portable INI profile writes the same bytes for the
// plugin's own files (tests/settings/profile_compare_win32.cpp holds the two side by
// side), so an update is made by it: the whole file at once, written beside the old one,
// read back, and moved over it (WriteFileAtomic, which also follows a symbolic link to
// the file it points to).
//
// A file with a mark (UTF-16, or UTF-8 with its mark) is read by the portable profile
// too: it decodes such a file as the profile functions do, but always into Windows-1250
// where they use the system's code page, so what loads is exactly what a save keeps; and
// Windows' own functions miss the UTF-8 mark, which Wine's decode. A file that exists
// but cannot be read fails Open, rather than reading as empty as the profile functions
// would have it.
//
// Integers are read as text and converted by ParseProfileInt rather than by
// GetPrivateProfileIntA, which is documented to give 0 for a negative value (a detached
// window may well sit left of or above the main screen).
// A value that is absent is told from an empty one by asking again with a default that
// no file value can be mistaken for when the first answer came back empty.
#include <windows.h>

#include <algorithm>
#include <unordered_set>

#include "settings/profile.h"
#include "support/casing.h"
#include "support/platform.h"

namespace kw {
namespace {

// Beyond this a buffer stops growing: no settings value comes near it.
constexpr DWORD kMaxBuffer = DWORD{1} << 26;

// GetPrivateProfileStringA into a buffer that grows until the answer fits. `slack` is
// how far short of the buffer size a full buffer's count comes back (1 for a value,
// 2 for a key list).
std::string ProfileString(const char* section, const char* key, const char* fallback,
                          const std::string& path, DWORD slack) {
  std::string buffer(4096, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, path.c_str());
    if (n + slack < size || size >= kMaxBuffer) {
      buffer.resize(std::min(n, size));
      return buffer;
    }
    buffer.resize(std::size_t{size} * 2);
  }
}

std::vector<std::string> ProfileKeys(const std::string& section, const std::string& path) {
  const std::string list = ProfileString(section.c_str(), nullptr, "", path, 2);
  std::vector<std::string> keys;
  std::unordered_set<std::string> seen;  // upper-cased keys listed so far
  std::size_t start = 0;
  while (start < list.size()) {
    std::size_t stop = list.find('\0', start);
    if (stop == std::string::npos) stop = list.size();
    std::string key = list.substr(start, stop - start);
    if (!key.empty() && seen.insert(UpperCase(key)).second) keys.push_back(std::move(key));
    start = stop + 1;
  }
  return keys;
}

// Names beyond kMaxProfileText are not passed on: the profile functions fail on them.
bool CanAsk(std::string_view name) { return !name.empty() && name.size() <= kMaxProfileText; }

}  // namespace

struct TProfileFile::TState {
  std::string Path;                        // the settings file
  TProfileMode Mode = TProfileMode::Read;  // as opened
  bool Opened = false;                     // Read: Open succeeded
  TIniProfile Portable;                    // Update, or a marked file: the file as read and made

  // Read through the profile functions.
  bool IsOpen() const { return Mode == TProfileMode::Read && Opened; }
  bool Ported() const { return Mode == TProfileMode::Update || Portable.IsOpen(); }
};

TProfileFile::TProfileFile() : state_(std::make_unique<TState>()) {}

TProfileFile::~TProfileFile() = default;

bool TProfileFile::Open(const std::string& path, TProfileMode mode) {
  TState& s = *state_;
  s.Path = path;
  s.Mode = mode;
  s.Opened = false;
  s.Portable = TIniProfile();
  if (mode == TProfileMode::Update) return s.Portable.Open(path, mode);
  if (path.empty()) return false;
  std::string bytes;
  if (FileExists(path) && !ReadWholeFile(path, bytes)) return false;
  if (MarkedEncoding(bytes) != TFileEncoding::Ansi) return s.Portable.Open(path, mode);
  s.Opened = true;
  return true;
}

bool TProfileFile::Commit() {
  TState& s = *state_;
  if (s.Mode == TProfileMode::Read) return s.IsOpen() || s.Portable.Commit();
  if (!s.Portable.Commit()) return false;
  // Drops whatever the profile cache still holds of the old file.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, s.Path.c_str());
  const std::string target = ResolveLinks(s.Path);
  if (!target.empty() && target != s.Path) WritePrivateProfileStringA(nullptr, nullptr, nullptr, target.c_str());
  return true;
}

std::string TProfileFile::Failure() const { return state_->Portable.Failure(); }

bool TProfileFile::EraseSection(std::string_view section) { return state_->Portable.EraseSection(section); }

bool TProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  return state_->Portable.WriteString(section, key, value);
}

std::vector<std::string> TProfileFile::ReadKeys(std::string_view section) const {
  if (state_->Ported()) return state_->Portable.ReadKeys(section);
  if (!state_->IsOpen() || !CanAsk(section)) return {};
  return ProfileKeys(std::string(section), state_->Path);
}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view fallback) const {
  if (state_->Ported()) return state_->Portable.ReadString(section, key, fallback);
  if (!state_->IsOpen() || !CanAsk(section) || !CanAsk(key)) return std::string(fallback);
  const std::string sectionText(section), keyText(key);
  const std::string& path = state_->Path;
  std::string value = ProfileString(sectionText.c_str(), keyText.c_str(), "", path, 1);
  if (!value.empty()) return value;
  // Present and empty, or absent: an absent key answers with the default given.
  if (ProfileString(sectionText.c_str(), keyText.c_str(), "\x01", path, 1) == "\x01")
    return std::string(fallback);
  return value;
}

}  // namespace kw
