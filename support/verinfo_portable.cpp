// Our own answers to the version reader's three platform questions, from the module
// file itself. The buffer is laid out as VerQueryValueA expects of Windows' own:
// the block, four spare bytes, then as many bytes again where text values are stored
// in Windows-1250 at the same offset they have in the block; one text can therefore
// never overrun another or the buffer.
#include <algorithm>
#include <cstring>

#include "support/verinfo_platform.h"
#include "support/verinfo_reader.h"
#include "support/verinfo_tree.h"

namespace kw {
namespace {

constexpr std::size_t kSpare = 4;

std::vector<std::byte> BlockOf(const std::string& fileName) {
  FileByteSource source(fileName);
  return FindVersionBlock(source);
}

class PortableApi final : public VersionInfoApi {
 public:
  std::uint32_t VersionBlockSize(const std::string& fileName, std::uint32_t& handle) const override {
    handle = 0;
    const auto block = BlockOf(fileName);
    return block.empty() ? 0 : static_cast<std::uint32_t>(2 * block.size() + kSpare);
  }

  bool ReadVersionBlock(const std::string& fileName, std::uint32_t, std::span<std::byte> data) const override {
    const auto block = BlockOf(fileName);
    if (block.empty() || data.size() < 2 * block.size() + kSpare) return false;
    std::fill(data.begin(), data.end(), std::byte{0});
    std::copy(block.begin(), block.end(), data.begin());
    return true;
  }

  bool QueryVersionValue(std::span<std::byte> data, const std::string& subBlock, const std::byte*& value,
                         std::uint32_t& length) const override {
    if (data.size() < kSpare) return false;
    const std::size_t blockSize = (data.size() - kSpare) / 2;
    const auto found = FindVersionValue(data.first(blockSize), subBlock);
    if (!found) return false;
    if (!found->isText) {
      value = data.data() + found->offset;
      length = static_cast<std::uint32_t>(found->size);
      return true;
    }
    const std::string text = Utf16ToAnsi(data.subspan(found->offset, found->size));
    const std::size_t at = blockSize + kSpare + found->offset;
    const std::size_t n = std::min(text.size(), data.size() - at);
    if (n != 0) std::memcpy(data.data() + at, text.data(), n);
    value = data.data() + at;
    length = static_cast<std::uint32_t>(n);
    return true;
  }
};

}  // namespace

const VersionInfoApi& PortableVersionInfoApi() {
  static const PortableApi api;
  return api;
}

}  // namespace kw
