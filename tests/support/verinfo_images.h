// Test helpers: minimal module files that carry a given version block (a PE file with
// it as the RT_VERSION resource, or an ELF file with it in the ".kwversion" section),
// and a scratch folder to write them to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tests/common/files.h"

namespace kwtest {

enum class Container { Pe32, Pe32Plus, Elf32, Elf64 };

const char* ContainerName(Container c);

// An empty block gives a file without version resource (and without the section).
std::string MakeModuleImage(Container c, std::string_view block, std::uint16_t language = 0x0409);
std::string MakePeImage(std::string_view block, bool pe32plus, std::uint16_t language = 0x0409);
struct LanguageBlock {
  std::uint16_t language;  // LANGID of the resource
  std::string block;       // its version block
};
// One version resource in several languages, in this order.
std::string MakePeImage(const std::vector<LanguageBlock>& blocks, bool pe32plus);
std::string MakeElfImage(std::string_view block, bool elf64);

std::span<const std::byte> AsBytes(std::string_view s);

// A folder of its own for the running test (TempFolder) that module files go to.
class ScratchDir : public TempFolder {
 public:
  ScratchDir() : TempFolder("kw_verinfo") {}
  // Writes bytes to name in the folder; returns the file's full path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    WriteBytes(Path() / name, bytes);
    return *this / name;
  }
};

}  // namespace kwtest
