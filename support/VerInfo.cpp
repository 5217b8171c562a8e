// The version reader. Pointers handed back by a lookup are used only when they lie
// inside our buffer with all the bytes we read from them, whoever answered the lookup.
#include "support/VerInfo.h"

#include <cstdio>
#include <cstring>
#include <cstdint>

#include "support/cp1250.h"
#include "support/platform.h"
#include "support/verinfo_bytes.h"

namespace kw {
namespace {

constexpr std::size_t kFixedInfoSize = 52;

// Offsets in VS_FIXEDFILEINFO.
constexpr std::size_t kFileVersionMS = 8;
constexpr std::size_t kFileVersionLS = 12;
constexpr std::size_t kProductVersionMS = 16;
constexpr std::size_t kProductVersionLS = 20;
constexpr std::size_t kFileFlagsMask = 24;
constexpr std::size_t kFileFlags = 28;
constexpr std::size_t kFileOS = 32;

struct FlagText {
  std::uint32_t bit;      // VS_FF_ flag
  std::string_view text;  // what the details show for it
};
constexpr FlagText kFlagTexts[] = {
    {0x02, "Pre-release"},
    {0x08, "Wersja prywatna"},
    {0x20, "Wersja specjalna"},
    {0x01, "Wersja testowa"},
};

struct OsText {
  std::uint32_t os;       // VOS_ value
  std::string_view text;  // its description
};
constexpr OsText kOsTexts[] = {
    {0x1, "Przeznaczony dla 16-bitowych Windows"_w},
    {0x2, "Przeznaczony dla 16-bit Protected Mode"_w},
    {0x3, "Przeznaczony dla 32-bit Protected Mode"_w},
    {0x4, "Przeznaczony dla 32-bitowych Windows"_w},
    {0x10000, "Przeznaczony dla MS-DOS"_w},
    {0x10001, "Aplikacja DOSowa 16-bitowych Windows"_w},
    {0x10004, "Aplikacja DOSowa Win32 API"_w},
    {0x20000, "Przeznaczony dla 16-bitowego OS/2"_w},
    {0x20002, "Przeznaczona dla 16-bit Protected Mode na 16-bitowym OS/2"_w},
    {0x30000, "Przeznaczony dla 32-bitowego OS/2"_w},
    {0x30003, "Przeznaczona dla 32-bit Protected Mode na 32-bitowym OS/2"_w},
    {0x40000, "Przeznaczony dla Windows NT"_w},
    {0x40004, "Przeznaczona dla Win32 API w Windows NT"_w},
};
constexpr std::string_view kUnknownOs = "Nieznana platforma systemowa";

constexpr std::string_view kNoVersionInfo = "Niedostępna informacja o wersji."_w;
constexpr std::string_view kNoTranslation = "Brak informacji o wersji językowej."_w;
constexpr std::string_view kNoFixedInfo = "Brak informacji \"Fixed File Info\"";

}  // namespace

TVerInfoRes::TVerInfoRes(const std::string& fileName, const VersionInfoApi& api) : FileName(fileName), Api(api) {
  LoadVersionBlock();
  LoadFixedInfo();
  CollectFlags();
}

void TVerInfoRes::LoadVersionBlock() {
  VersionSize = static_cast<std::int32_t>(Api.VersionBlockSize(FileName, VersionHandle));
  if (VersionSize <= 0) throw ENoVerInfoError(std::string(kNoVersionInfo));
  VersionData.assign(static_cast<std::size_t>(VersionSize) + Api.GuardBytes(), std::byte{0});
  if (!Api.ReadVersionBlock(FileName, VersionHandle, {VersionData.data(), static_cast<std::size_t>(VersionSize)}))
    throw EVerInfoError(std::string(kNoVersionInfo));
  // Only the first entry is used. A table without one counts as no table: the entry
  // would otherwise be read from whatever follows it.
  const std::byte* value = nullptr;
  std::uint32_t length = 0;
  if (!Query("\\VarFileInfo\\Translation", value, length) || length < 4 || !InsideData(value, 4))
    throw EVerInfoError(std::string(kNoTranslation));
  Translation = value;
}

void TVerInfoRes::LoadFixedInfo() {
  const std::byte* value = nullptr;
  std::uint32_t length = 0;
  if (!Query("\\", value, length) || length < kFixedInfoSize || !InsideData(value, kFixedInfoSize))
    throw eNoFixeVerInfo(std::string(kNoFixedInfo));
  FixedInfo = value;
}

void TVerInfoRes::CollectFlags() {
  const std::uint32_t m = Fixed(kFileFlags) & Fixed(kFileFlagsMask);
  for (const FlagText& f : kFlagTexts)
    if ((m & f.bit) != 0) FlagTexts.emplace_back(f.text);
}

bool TVerInfoRes::Query(const std::string& path, const std::byte*& value, std::uint32_t& length) {
  return Api.QueryVersionValue({VersionData.data(), static_cast<std::size_t>(VersionSize)}, path, value, length);
}

bool TVerInfoRes::InsideData(const std::byte* p, std::size_t n) const {
  const auto begin = reinterpret_cast<std::uintptr_t>(VersionData.data());
  const auto at = reinterpret_cast<std::uintptr_t>(p);
  return p != nullptr && at >= begin && at - begin <= VersionData.size() && n <= VersionData.size() - (at - begin);
}

std::uint32_t TVerInfoRes::Fixed(std::size_t offset) const { return LoadLe32(FixedInfo + offset); }

std::string TVerInfoRes::GetStringValue(std::size_t index) {
  if (index >= VersionStringNames.size()) return {};
  const std::uint32_t translation = LoadLe32(Translation);
  // The key of a string table is written with upper-case hex digits ("041504E2");
  // both Windows and our reader compare keys ignoring case, so either case finds it.
  char key[9];
  std::snprintf(key, sizeof key, "%04X%04X", static_cast<unsigned>(translation & 0xFFFFu),
                static_cast<unsigned>(translation >> 16));
  const std::string path = "\\StringFileInfo\\" + std::string(key) + "\\" + std::string(VersionStringNames[index]);
  const std::byte* value = nullptr;
  std::uint32_t length = 0;
  if (!Query(path, value, length) || !InsideData(value, length)) return {};
  // The text ends at its first zero byte, and never later than the length the lookup gave.
  const char* text = reinterpret_cast<const char*>(value);
  const void* zero = std::memchr(text, 0, length);
  return std::string(text, zero ? static_cast<const char*>(zero) : text + length);
}

std::string TVerInfoRes::FormatVersion(std::uint32_t ms, std::uint32_t ls) {
  return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFFu) + "." + std::to_string(ls >> 16) + "." +
         std::to_string(ls & 0xFFFFu);
}

std::string TVerInfoRes::GetFileVersion() const {
  return FormatVersion(Fixed(kFileVersionMS), Fixed(kFileVersionLS));
}

std::string TVerInfoRes::GetProductVersion() const {
  return FormatVersion(Fixed(kProductVersionMS), Fixed(kProductVersionLS));
}

std::string TVerInfoRes::GetFileOSText() const {
  const std::uint32_t os = Fixed(kFileOS);
  for (const OsText& t : kOsTexts)
    if (t.os == os) return std::string(t.text);
  return std::string(kUnknownOs);
}

bool ReadVersionDetails(const std::string& fileName, TWersjaPliku& details, const VersionInfoApi& api) noexcept {
  try {
    if (!FileExists(fileName)) return false;
    details = TWersjaPliku{};
    TVerInfoRes reader(fileName, api);
    for (const std::string& flag : reader.GetFlagTexts()) {
      if (!details.FlagsText.empty()) details.FlagsText += ", ";
      details.FlagsText += flag;
    }
    details.FileOS = reader.GetFileOSText();
    details.FileVersion = reader.GetFileVersion();
    details.ProductVersion = reader.GetProductVersion();
    details.CompanyName = reader.GetStringValue(0);
    details.FileDescription = reader.GetStringValue(1);
    details.InternalName = reader.GetStringValue(3);
    details.LegalCopyright = reader.GetStringValue(4);
    details.LegalTrademarks = reader.GetStringValue(5);
    details.OriginalFilename = reader.GetStringValue(6);
    details.ProductName = reader.GetStringValue(7);
    details.Comments = reader.GetStringValue(9);
    return true;
  } catch (...) {
    return false;
  }
}

std::string GetFileVersionText(const std::string& fileName, const std::string& defaultText,
                               const VersionInfoApi& api) {
  TWersjaPliku details;
  return ReadVersionDetails(fileName, details, api) ? details.FileVersion : defaultText;
}

}  // namespace kw
