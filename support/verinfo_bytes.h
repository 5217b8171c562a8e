// Little-endian loads from byte buffers. Version blocks, PE and ELF headers are all
// little-endian whatever the machine; memcpy-free shifts keep alignment out of the way.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kw {

inline std::uint16_t LoadLe16(const std::byte* p) {
  return static_cast<std::uint16_t>(std::to_integer<unsigned>(p[0]) |
                                    std::to_integer<unsigned>(p[1]) << 8);
}

inline std::uint32_t LoadLe32(const std::byte* p) {
  return static_cast<std::uint32_t>(LoadLe16(p)) | static_cast<std::uint32_t>(LoadLe16(p + 2)) << 16;
}

inline std::uint64_t LoadLe64(const std::byte* p) {
  return static_cast<std::uint64_t>(LoadLe32(p)) | static_cast<std::uint64_t>(LoadLe32(p + 4)) << 32;
}

}  // namespace kw
