// The built module file as the host's loader sees it: exactly the three exports, on
// Windows an export table named "kwartlin.tpl" and no MinGW runtime DLL among the
// imports, and the version that the plugin reports, read from the file itself. The
// PE and ELF tables are read here directly, independent of the plugin's own reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/VerInfo.h"
#include "support/kwartlin_version.h"
#include "tests/common/files.h"
#include "tools/testhost/module_loader.h"

namespace {

std::string ModulePath() { return kwtest::BuiltModulePath(); }

// Little-endian reads that fail loudly outside the file.
class FileBytes {
 public:
  explicit FileBytes(const std::string& path) : data_(kwtest::ReadBytes(path)) {}
  std::size_t Size() const { return data_.size(); }
  std::uint64_t Le(std::uint64_t offset, unsigned width) const {
    if (offset > data_.size() || width > data_.size() - offset) throw std::out_of_range("outside the file");
    std::uint64_t v = 0;
    for (unsigned i = width; i-- > 0;) v = v << 8 | static_cast<unsigned char>(data_[offset + i]);
    return v;
  }
  std::uint32_t U8(std::uint64_t o) const { return static_cast<std::uint32_t>(Le(o, 1)); }
  std::uint32_t U16(std::uint64_t o) const { return static_cast<std::uint32_t>(Le(o, 2)); }
  std::uint32_t U32(std::uint64_t o) const { return static_cast<std::uint32_t>(Le(o, 4)); }
  std::uint64_t U64(std::uint64_t o) const { return Le(o, 8); }
  std::string CString(std::uint64_t offset) const {
    if (offset >= data_.size()) throw std::out_of_range("text outside the file");
    const std::size_t end = data_.find('\0', offset);
    if (end == std::string::npos) throw std::out_of_range("unterminated text");
    return data_.substr(offset, end - offset);
  }
  bool StartsWith(const std::string& magic) const { return data_.compare(0, magic.size(), magic) == 0; }

 private:
  std::string data_;
};

struct ModuleTables {
  std::string format;                 // "PE32", "PE32+", "ELF32", "ELF64"
  std::string name;                   // the export table's own name (PE only)
  std::set<std::string> exports;      // names exported, or defined dynamic symbols
  std::vector<std::string> imports;   // DLLs imported (PE only)
};

ModuleTables ReadPe(const FileBytes& f) {
  ModuleTables t;
  const std::uint64_t pe = f.U32(0x3C);
  if (f.U32(pe) != 0x00004550) throw std::runtime_error("no PE signature");
  const std::uint64_t coff = pe + 4;
  const std::uint32_t sectionCount = f.U16(coff + 2);
  const std::uint64_t optional = coff + 20;
  const std::uint32_t magic = f.U16(optional);
  t.format = magic == 0x10B ? "PE32" : "PE32+";
  const std::uint64_t directories = optional + (magic == 0x10B ? 96 : 112);
  const std::uint64_t sections = optional + f.U16(coff + 16);
  auto fileOffset = [&](std::uint32_t rva) -> std::uint64_t {
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
      const std::uint64_t s = sections + 40ull * i;
      const std::uint32_t va = f.U32(s + 12);
      const std::uint32_t extent = std::max(f.U32(s + 8), f.U32(s + 16));
      if (rva >= va && rva - va < extent) return rva - va + f.U32(s + 20);
    }
    throw std::runtime_error("address outside every section");
  };
  if (const std::uint32_t exportRva = f.U32(directories); exportRva != 0) {
    const std::uint64_t dir = fileOffset(exportRva);
    t.name = f.CString(fileOffset(f.U32(dir + 12)));
    const std::uint32_t count = f.U32(dir + 24);
    const std::uint64_t names = fileOffset(f.U32(dir + 32));
    for (std::uint32_t i = 0; i < count; ++i) t.exports.insert(f.CString(fileOffset(f.U32(names + 4ull * i))));
  }
  if (const std::uint32_t importRva = f.U32(directories + 8); importRva != 0) {
    for (std::uint64_t d = fileOffset(importRva);; d += 20) {
      const std::uint32_t nameRva = f.U32(d + 12);
      if (nameRva == 0 && f.U32(d) == 0 && f.U32(d + 16) == 0) break;
      t.imports.push_back(f.CString(fileOffset(nameRva)));
    }
  }
  return t;
}

ModuleTables ReadElf(const FileBytes& f) {
  ModuleTables t;
  const bool wide = f.U8(4) == 2;
  t.format = wide ? "ELF64" : "ELF32";
  const std::uint64_t table = wide ? f.U64(0x28) : f.U32(0x20);
  const std::uint32_t entrySize = f.U16(wide ? 0x3A : 0x2E);
  const std::uint32_t count = f.U16(wide ? 0x3C : 0x30);
  struct Section {
    std::uint32_t type, link;
    std::uint64_t offset, size, entrySize;
  };
  auto section = [&](std::uint32_t i) {
    const std::uint64_t s = table + std::uint64_t{entrySize} * i;
    if (wide) return Section{f.U32(s + 4), f.U32(s + 40), f.U64(s + 24), f.U64(s + 32), f.U64(s + 56)};
    return Section{f.U32(s + 4), f.U32(s + 24), f.U32(s + 16), f.U32(s + 20), f.U32(s + 36)};
  };
  constexpr std::uint32_t kDynsym = 11;
  for (std::uint32_t i = 0; i < count; ++i) {
    const Section dynsym = section(i);
    if (dynsym.type != kDynsym || dynsym.entrySize == 0) continue;
    const Section strings = section(dynsym.link);
    for (std::uint64_t at = dynsym.offset; at + dynsym.entrySize <= dynsym.offset + dynsym.size;
         at += dynsym.entrySize) {
      const std::uint32_t info = f.U8(at + (wide ? 4 : 12));
      const std::uint32_t sectionIndex = f.U16(at + (wide ? 6 : 14));
      const std::uint32_t binding = info >> 4;  // 1 global, 2 weak, 10 unique
      if (sectionIndex == 0 || (binding != 1 && binding != 2 && binding != 10)) continue;
      t.exports.insert(f.CString(strings.offset + f.U32(at)));
    }
  }
  return t;
}

ModuleTables ReadModuleTables(const std::string& path) {
  const FileBytes f(path);
  if (f.StartsWith("MZ")) return ReadPe(f);
  if (f.StartsWith("\x7F" "ELF")) return ReadElf(f);
  throw std::runtime_error("neither PE nor ELF");
}

TEST(ModuleFile, ExportsExactlyTheThreeEntryPoints) {
  const ModuleTables t = ReadModuleTables(ModulePath());
  EXPECT_EQ(t.exports, (std::set<std::string>{"GetPluginInfo", "LoadPlugin", "UnloadPlugin"})) << t.format;
  kwtest::PluginModule module;
  EXPECT_TRUE(module.Open(ModulePath())) << kwtest::LastModuleError();
}

#ifdef _WIN32
std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

TEST(ModuleFile, WindowsModuleIsSelfContained) {
  const ModuleTables t = ReadModuleTables(ModulePath());
  EXPECT_EQ(t.format, "PE32");
  EXPECT_EQ(t.name, "kwartlin.tpl");
  EXPECT_FALSE(t.imports.empty());
  for (const std::string& dll : t.imports) {
    const std::string name = Lower(dll);
    EXPECT_NE(name.rfind("lib", 0), 0u) << dll;  // libstdc++-6, libgcc_s_*, libwinpthread-1
    for (const char* runtime : {"mingw", "gcc", "stdc++", "pthread"})
      EXPECT_EQ(name.find(runtime), std::string::npos) << dll;
  }
}
#endif

// The version the plugin reports comes from the module file, made from the one
// header; the string table says who made it.
TEST(ModuleFile, VersionResourceComesFromTheVersionHeader) {
  EXPECT_EQ(kw::GetFileVersionText(ModulePath(), ""), KW_VERSION_TEXT);
  kw::TWersjaPliku details;
  ASSERT_TRUE(kw::ReadVersionDetails(ModulePath(), details));
  EXPECT_EQ(details.ProductVersion, KW_VERSION_TEXT);
  EXPECT_EQ(details.CompanyName, KW_COMPANY_NAME);
  EXPECT_EQ(details.FileDescription, KW_FILE_DESCRIPTION);
  EXPECT_EQ(details.InternalName, KW_INTERNAL_NAME);
  EXPECT_EQ(details.LegalCopyright, KW_LEGAL_COPYRIGHT);
  EXPECT_EQ(details.OriginalFilename, KW_ORIGINAL_FILENAME);
  EXPECT_EQ(details.ProductName, KW_PRODUCT_NAME);
  EXPECT_EQ(details.Comments, KW_AUTHOR);
  EXPECT_EQ(details.FlagsText, "");
}

}  // namespace
