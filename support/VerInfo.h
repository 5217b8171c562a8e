// Module VerInfo: reads the version resource of a module file. TVerInfoRes reads the
// whole block in its constructor and answers from it; ReadVersionDetails and
// GetFileVersionText turn every failure into false or the default text. Which platform
// answers the lookups can be chosen, so Windows' answers and our own can be compared.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/ProcFunc.h"
#include "support/verinfo_platform.h"

namespace kw {

// Messages of all three are Windows-1250 texts.
class EVerInfoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class ENoVerInfoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class eNoFixeVerInfo : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The standard string names of a version resource, by GetStringValue's index.
inline constexpr std::array<std::string_view, 10> VersionStringNames = {
    "CompanyName",      "FileDescription", "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks",  "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

class TVerInfoRes {
 public:
  // Reads the file's version block; throws ENoVerInfoError, EVerInfoError or eNoFixeVerInfo.
  explicit TVerInfoRes(const std::string& fileName, const VersionInfoApi& api = SystemVersionInfoApi());
  TVerInfoRes(const TVerInfoRes&) = delete;
  TVerInfoRes& operator=(const TVerInfoRes&) = delete;

  // String value of VersionStringNames[index] in the first translation's table; empty
  // when the table lacks it.
  std::string GetStringValue(std::size_t index);
  std::string GetFileVersion() const;
  std::string GetProductVersion() const;
  std::string GetFileOSText() const;
  const std::vector<std::string>& GetFlagTexts() const { return FlagTexts; }

  // "a.b.c.d" of the high and low halves of ms, then of ls.
  static std::string FormatVersion(std::uint32_t ms, std::uint32_t ls);

 private:
  void LoadVersionBlock();
  void LoadFixedInfo();
  void CollectFlags();
  bool Query(const std::string& path, const std::byte*& value, std::uint32_t& length);
  bool InsideData(const std::byte* p, std::size_t n) const;
  std::uint32_t Fixed(std::size_t offset) const;

  std::uint32_t VersionHandle = 0;     // from the size query, passed on to the read
  std::int32_t VersionSize = 0;        // bytes of the version block
  std::vector<std::byte> VersionData;  // the block, then the platform's guard bytes
  const std::byte* Translation = nullptr;  // first translation entry: language | code page << 16
  const std::byte* FixedInfo = nullptr;    // the 52-byte VS_FIXEDFILEINFO
  std::vector<std::string> FlagTexts;      // texts of the flags set, in their fixed order
  std::string FileName;                    // the file that was read
  const VersionInfoApi& Api;               // who answers the platform questions
};

// Fills details from the file's version resource. False, with details untouched, when
// no such file exists (a folder does not count); false, with details emptied, when its
// version resource cannot be read. Never throws.
bool ReadVersionDetails(const std::string& fileName, TWersjaPliku& details,
                        const VersionInfoApi& api = SystemVersionInfoApi()) noexcept;

// The file's fixed file version "a.b.c.d", or defaultText when it cannot be read.
std::string GetFileVersionText(const std::string& fileName, const std::string& defaultText,
                               const VersionInfoApi& api = SystemVersionInfoApi());

}  // namespace kw
