// The three questions the version reader asks of the platform: how big a file's version
// block is, the block itself, and where a path inside the block points. On Windows the
// system answers them (GetFileVersionInfoSizeA, GetFileVersionInfoA, VerQueryValueA);
// elsewhere our own reader of PE and ELF files answers them the same way. Both answerers
// exist in the Windows build so the two can be compared there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kw {

class VersionInfoApi {
 public:
  virtual ~VersionInfoApi() = default;

  // Size of the buffer that ReadVersionBlock fills; 0 when the file has no version block
  // or cannot be read. handle is to be passed on unchanged to ReadVersionBlock.
  virtual std::uint32_t VersionBlockSize(const std::string& fileName, std::uint32_t& handle) const = 0;

  // Reads the file's version block into data, sized as VersionBlockSize said.
  virtual bool ReadVersionBlock(const std::string& fileName, std::uint32_t handle,
                                std::span<std::byte> data) const = 0;

  // Looks up subBlock ("\", "\VarFileInfo\Translation", "\StringFileInfo\041504E2\Name")
  // in a block that ReadVersionBlock filled. value points into data; length counts its
  // bytes. A text value comes as Windows-1250, converted into the spare half of data the
  // way VerQueryValueA does it, which is why data is writable.
  virtual bool QueryVersionValue(std::span<std::byte> data, const std::string& subBlock,
                                 const std::byte*& value, std::uint32_t& length) const = 0;

  // Zeroed bytes the caller keeps after data: a lookup that trusts the lengths inside
  // a forged block may read or write that far beyond it.
  virtual std::size_t GuardBytes() const { return 0; }
};

// The platform's own answers: Windows' functions on Windows, our reader elsewhere.
const VersionInfoApi& SystemVersionInfoApi();

// Our reader of PE (.rsrc) and ELF (.kwversion section) files, on every platform.
const VersionInfoApi& PortableVersionInfoApi();

}  // namespace kw
