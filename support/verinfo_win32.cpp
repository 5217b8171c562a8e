// Windows answers the version questions with its version library (version.dll).
#include <windows.h>

#include "support/verinfo_platform.h"

namespace kw {
namespace {

class Win32Api final : public VersionInfoApi {
 public:
  std::uint32_t VersionBlockSize(const std::string& fileName, std::uint32_t& handle) const override {
    DWORD h = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &h);
    handle = h;
    return size;
  }

  bool ReadVersionBlock(const std::string& fileName, std::uint32_t handle, std::span<std::byte> data) const override {
    if (data.size() > MAXDWORD) return false;
    return GetFileVersionInfoA(fileName.c_str(), handle, static_cast<DWORD>(data.size()), data.data()) != FALSE;
  }

  bool QueryVersionValue(std::span<std::byte> data, const std::string& subBlock, const std::byte*& value,
                         std::uint32_t& length) const override {
    void* p = nullptr;
    UINT n = 0;
    if (!VerQueryValueA(data.data(), subBlock.c_str(), &p, &n) || p == nullptr) return false;
    value = static_cast<const std::byte*>(p);
    length = n;
    return true;
  }

  // VerQueryValueA follows the lengths inside the block without checking them against
  // the buffer. A path of three levels, each node up to 64 KiB past its parent, and a
  // text of up to 64 Ki UTF-16 units converted into the second half of the buffer stay
  // within this many bytes of the block's start.
  std::size_t GuardBytes() const override { return 0x60000; }
};

}  // namespace

const VersionInfoApi& SystemVersionInfoApi() {
  static const Win32Api api;
  return api;
}

}  // namespace kw
