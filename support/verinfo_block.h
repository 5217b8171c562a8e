// Builds a VS_VERSIONINFO block from a description: the one source of a module's version
// resource bytes, for tests and for the build of a module that carries the block in an
// ELF section (where no resource compiler makes it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kw {

struct FixedFileInfoInput {
  std::uint32_t fileVersionMS = 0;     // major << 16 | minor
  std::uint32_t fileVersionLS = 0;     // release << 16 | build
  std::uint32_t productVersionMS = 0;  // as fileVersionMS, for the product
  std::uint32_t productVersionLS = 0;  // as fileVersionLS, for the product
  std::uint32_t fileFlagsMask = 0x3F;  // which bits of fileFlags are meaningful
  std::uint32_t fileFlags = 0;         // VS_FF_ bits
  std::uint32_t fileOS = 0x40004;      // VOS_ value; VOS_NT_WINDOWS32
  std::uint32_t fileType = 2;          // VFT_ value; VFT_DLL
  std::uint32_t fileSubtype = 0;       // VFT2_ value
  std::uint32_t fileDateMS = 0;        // high half of the file's time stamp
  std::uint32_t fileDateLS = 0;        // low half of the file's time stamp
};

struct VersionStringInput {
  std::string name;   // key, e.g. "CompanyName" (Windows-1250)
  std::string value;  // its text (Windows-1250)
};

struct VersionStringTableInput {
  std::uint16_t language = 0x0415;           // LANGID of the table; Polish
  std::uint16_t codePage = 1250;             // code page of the table
  std::vector<VersionStringInput> strings;    // in block order
};

struct VersionTranslationInput {
  std::uint16_t language = 0x0415;  // LANGID
  std::uint16_t codePage = 1250;    // code page
};

struct VersionBlockInput {
  FixedFileInfoInput fixed;                         // the VS_FIXEDFILEINFO
  std::size_t fixedInfoLength = 52;                // bytes of it written: 0 for none, fewer than 52 for a cut one
  std::vector<VersionStringTableInput> stringTables;  // the StringFileInfo (left out when empty)
  bool hasVarFileInfo = true;                      // whether a VarFileInfo\Translation is written
  std::vector<VersionTranslationInput> translations;  // entries of the translation table
};

// The block as bytes. Throws std::length_error when some node outgrows its 16-bit length.
std::string BuildVersionBlock(const VersionBlockInput& input);

}  // namespace kw
