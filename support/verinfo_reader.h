// Finds the version block (the VS_VERSIONINFO bytes) inside a module file: in a PE file
// (PE32 or PE32+) the RT_VERSION resource, in an ELF file our section ".kwversion",
// which holds the same bytes. Every read is bounded by the file, so a truncated or forged
// file yields no block, never a crash or a hang.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace kw {

// Random access to the bytes of a file or a buffer.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() = 0;
  // Fills out from offset; false when any of those bytes is missing or unreadable.
  virtual bool ReadAt(std::uint64_t offset, std::span<std::byte> out) = 0;
};

class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::byte> bytes) : bytes_(bytes) {}
  std::uint64_t Size() override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::byte> out) override;

 private:
  std::span<const std::byte> bytes_;  // the whole image, not owned
};

class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(const std::string& fileName);
  std::uint64_t Size() override { return size_; }
  bool ReadAt(std::uint64_t offset, std::span<std::byte> out) override;

 private:
  std::ifstream file_;      // opened once, read by seeking
  std::uint64_t size_ = 0;  // file length; 0 when it could not be opened
};

// The file's version block, at most 64 KiB (a block's own length field cannot say more);
// empty when the file is neither PE nor ELF, has no version block, or is malformed.
std::vector<std::byte> FindVersionBlock(ByteSource& source);

}  // namespace kw
