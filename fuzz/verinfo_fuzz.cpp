// The version reader on arbitrary module bytes. An input that begins as a PE ("MZ") or
// ELF file is searched for its version block as the portable reader does it on a module
// file; any other input is taken as a version block itself. The block then goes through
// the lookups of the tree and through TVerInfoRes, with the platform questions answered
// from memory the way the portable reader answers them from a file. Besides staying free
// of sanitizer reports: a block is at most 64 KiB, every value found lies inside it,
// and the reader fails only with its own three exceptions.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/VerInfo.h"
#include "support/verinfo_platform.h"
#include "support/verinfo_reader.h"
#include "support/verinfo_tree.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

constexpr std::size_t kMaxBlock = 65536;
constexpr std::size_t kSpare = 4;  // as the portable reader lays out its buffer

// The portable answers, with the block given instead of read from a file.
class MemoryApi final : public kw::VersionInfoApi {
 public:
  explicit MemoryApi(std::span<const std::byte> block) : block_(block) {}

  std::uint32_t VersionBlockSize(const std::string&, std::uint32_t& handle) const override {
    handle = 0;
    return block_.empty() ? 0 : static_cast<std::uint32_t>(2 * block_.size() + kSpare);
  }
  bool ReadVersionBlock(const std::string&, std::uint32_t, std::span<std::byte> data) const override {
    if (block_.empty() || data.size() < 2 * block_.size() + kSpare) return false;
    std::memset(data.data(), 0, data.size());
    std::memcpy(data.data(), block_.data(), block_.size());
    return true;
  }
  bool QueryVersionValue(std::span<std::byte> data, const std::string& subBlock, const std::byte*& value,
                         std::uint32_t& length) const override {
    return kw::PortableVersionInfoApi().QueryVersionValue(data, subBlock, value, length);
  }

 private:
  std::span<const std::byte> block_;  // the version block, not owned
};

constexpr const char* kPaths[] = {
    "\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\041504E2\\CompanyName",
    "\\StringFileInfo\\040904B0\\FileVersion", "\\StringFileInfo", "\\\\VarFileInfo\\\\",
};

void CheckTree(std::span<const std::byte> block) {
  for (const char* path : kPaths) {
    const auto found = kw::FindVersionValue(block, path);
    if (found) Check(found->offset <= block.size() && found->size <= block.size() - found->offset);
  }
}

void CheckReader(std::span<const std::byte> block) {
  const MemoryApi api(block);
  try {
    kw::TVerInfoRes reader("fuzz.tpl", api);
    for (std::size_t i = 0; i < kw::VersionStringNames.size(); ++i) (void)reader.GetStringValue(i);
    (void)reader.GetFileVersion();
    (void)reader.GetProductVersion();
    (void)reader.GetFileOSText();
    Check(reader.GetFlagTexts().size() <= 4);
  } catch (const kw::EVerInfoError&) {
  } catch (const kw::ENoVerInfoError&) {
  } catch (const kw::eNoFixeVerInfo&) {
  }
}

bool LooksLikeModule(std::string_view bytes) {
  return bytes.starts_with("MZ") || bytes.starts_with("\x7f" "ELF");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  std::vector<std::byte> block;
  if (LooksLikeModule(std::string_view(reinterpret_cast<const char*>(data), size))) {
    kw::MemoryByteSource source(bytes);
    block = kw::FindVersionBlock(source);
    Check(block.size() <= kMaxBlock);
  } else {
    block.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(size, kMaxBlock)));
  }
  CheckTree(block);
  CheckReader(block);
  return 0;
}
