// The settings file through the Windows profile functions. These write in place, so an
// Update works on a copy made beside the file (same folder, same volume) and Commit moves
// the copy over the file in one replace; reads in Read mode go to the file itself. When
// the settings file is a symbolic link, "the file" is the one it points to (ResolveLinks):
// the copy is made beside that and moved over it, and the link stays; a dangling link
// gets its file made.
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
// Deleting a section removes only its first occurrence; duplicates go one per round.
constexpr int kMaxEraseRounds = 64;

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

void RemoveWorkFile(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a copy of a read-only file is read-only
  DeleteFileA(path.c_str());
}

}  // namespace

struct TProfileFile::TState {
  std::string Path;                        // the settings file
  std::string Destination;                 // Update: what Commit replaces: Path or its link's target
  std::string WorkPath;                    // Update: the copy that takes the writes; else empty
  TProfileMode Mode = TProfileMode::Read;  // as opened
  bool IsOpen = false;                     // Open succeeded
  bool Failed = false;                     // a write has failed since Open

  // The file that reads go to.
  const std::string& Target() const { return WorkPath.empty() ? Path : WorkPath; }
  bool Fail() {
    Failed = true;
    return false;
  }
  bool CanWrite() const { return IsOpen && !Failed && Mode == TProfileMode::Update; }
  void Drop() {
    if (!WorkPath.empty()) RemoveWorkFile(WorkPath);
    WorkPath.clear();
  }
};

TProfileFile::TProfileFile() : state_(std::make_unique<TState>()) {}

TProfileFile::~TProfileFile() { state_->Drop(); }

bool TProfileFile::Open(const std::string& path, TProfileMode mode) {
  TState& s = *state_;
  s.Drop();
  s.Path = path;
  s.Mode = mode;
  s.IsOpen = false;
  s.Failed = false;
  if (path.empty()) return false;
  if (mode == TProfileMode::Read) {
    s.IsOpen = true;
    return true;
  }
  s.Destination = ResolveLinks(path);
  if (s.Destination.empty()) return false;  // a loop of links: nothing to replace
  const std::string folder = FolderOf(s.Destination);
  char work[MAX_PATH + 1] = {};
  if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "kwi", 0, work) == 0) return false;
  s.WorkPath = work;  // GetTempFileNameA has made it, empty
  if (FileExists(s.Destination) && !CopyFileA(s.Destination.c_str(), s.WorkPath.c_str(), FALSE)) {
    s.Drop();
    return false;
  }
  s.IsOpen = true;
  return true;
}

bool TProfileFile::Commit() {
  TState& s = *state_;
  if (!s.IsOpen || s.Failed) {
    s.Drop();
    return false;
  }
  if (s.Mode == TProfileMode::Read) return true;
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, s.WorkPath.c_str());  // flush
  if (!MoveFileExA(s.WorkPath.c_str(), s.Destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    s.Drop();
    return s.Fail();
  }
  s.WorkPath.clear();
  // Drops whatever the profile cache still holds of the old file.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, s.Path.c_str());
  if (s.Destination != s.Path) WritePrivateProfileStringA(nullptr, nullptr, nullptr, s.Destination.c_str());
  return true;
}

bool TProfileFile::EraseSection(std::string_view section) {
  TState& s = *state_;
  if (!s.CanWrite() || !IsStorableSection(section)) return s.Fail();
  const std::string name(section);
  for (int round = 0; round < kMaxEraseRounds; ++round) {
    // The result is no guide: deleting an absent section may report failure.
    WritePrivateProfileStringA(name.c_str(), nullptr, nullptr, s.WorkPath.c_str());
    if (ProfileKeys(name, s.WorkPath).empty()) return true;
  }
  return s.Fail();
}

bool TProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  TState& s = *state_;
  if (!s.CanWrite() || !IsStorableSection(section) || !IsStorableKey(key) || !IsStorableValue(value))
    return s.Fail();
  const std::string sectionText(section), keyText(key), valueText = QuoteProfileValue(value);
  if (!WritePrivateProfileStringA(sectionText.c_str(), keyText.c_str(), valueText.c_str(), s.WorkPath.c_str()))
    return s.Fail();
  return true;
}

std::vector<std::string> TProfileFile::ReadKeys(std::string_view section) const {
  if (!state_->IsOpen || !CanAsk(section)) return {};
  return ProfileKeys(std::string(section), state_->Target());
}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view fallback) const {
  if (!state_->IsOpen || !CanAsk(section) || !CanAsk(key)) return std::string(fallback);
  const std::string sectionText(section), keyText(key);
  const std::string& path = state_->Target();
  std::string value = ProfileString(sectionText.c_str(), keyText.c_str(), "", path, 1);
  if (!value.empty()) return value;
  // Present and empty, or absent: an absent key answers with the default given.
  if (ProfileString(sectionText.c_str(), keyText.c_str(), "\x01", path, 1) == "\x01")
    return std::string(fallback);
  return value;
}

}  // namespace kw
