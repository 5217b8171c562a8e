// The word-wise build of the byte kernels, which every CPU runs, and the choice of the
// build for this CPU. Words of eight bytes: on a 32-bit CPU each is two registers,
// still fewer steps than a byte at a time.
#include "script/byte_kernels.h"

#include <bit>
#include <cstring>

#if defined(__i386__) && !defined(__SSE2__)
#include <cpuid.h>
#endif

#include "script/byte_kernels_body.h"

namespace kw {
namespace {

constexpr bool kLittle = std::endian::native == std::endian::little;

struct WordBlock {
  static constexpr std::size_t kBlock = 8;

  static std::uint32_t MapAscii(const TByteMap& map, const char* from, char* to) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    if constexpr (!kLittle) {
      std::uint32_t high = 0;
      for (std::size_t k = 0; k < kBlock; ++k) {
        const auto c = static_cast<unsigned char>(from[k]);
        if (c >= 0x80) high |= 1u << k;
        to[k] = static_cast<char>(c >= map.First && c <= map.Last ? c ^ 0x20u : c);
      }
      return high;
    }
    std::uint64_t x;
    std::memcpy(&x, from, 8);
    // Bytes below 0x80 as one word: with the high bits cleared, adding below 0x80
    // carries into no neighbour, and the high bit tells byte >= First and byte > Last.
    const std::uint64_t high = x & kHigh;
    const std::uint64_t low = x & ~kHigh;
    const std::uint64_t from1 = low + kOnes * (0x80u - map.First);
    const std::uint64_t past = low + kOnes * (0x80u - map.Last - 1u);
    x ^= (from1 & ~past & ~high & kHigh) >> 2;  // 0x80 >> 2 is the case bit 0x20
    std::memcpy(to, &x, 8);
    // The eight high bits gathered into one byte, the first position lowest.
    return static_cast<std::uint32_t>(((high >> 7) * 0x0102040810204080u) >> 56);
  }

  static std::uint32_t PositionsOf(const char* p, unsigned char c) {
    if constexpr (!kLittle) {
      std::uint32_t bits = 0;
      for (std::size_t k = 0; k < 8; ++k) bits |= (static_cast<unsigned char>(p[k]) == c ? 1u : 0u) << k;
      return bits;
    }
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t y = word ^ (0x0101010101010101u * c);
    // The high bit of each byte equal to c (exact: no borrow runs between bytes), then
    // the eight high bits gathered into one byte, the first position lowest.
    const std::uint64_t high = ~(((y & kLow7) + kLow7) | y | kLow7);
    return static_cast<std::uint32_t>(((high >> 7) * 0x0102040810204080u) >> 56);
  }
};

const TByteKernels kWord = {"word", kernels::MapBytes<WordBlock>, kernels::FindCounted<WordBlock>};

// The SSE2 build (byte_kernels_sse2.cpp) where one is built in.
#if defined(__SSE2__) || (defined(__i386__) && defined(__GNUC__) && !defined(__clang__))
#define KW_HAS_SSE2_KERNELS 1
#endif

bool CpuHasSse2() {
#if defined(__SSE2__)
  return true;
#elif defined(__i386__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  return __get_cpuid(1, &a, &b, &c, &d) != 0 && (d & bit_SSE2) != 0;
#else
  return false;
#endif
}

}  // namespace

#if defined(KW_HAS_SSE2_KERNELS)
extern const TByteKernels kSse2Kernels;  // byte_kernels_sse2.cpp
#endif

bool MakeByteMap(const unsigned char* bytes, unsigned char first, unsigned char last, TByteMap& out) {
  out.First = first;
  out.Last = last;
  bool shaped = first <= last && last < 0x80;
  for (unsigned i = 0; i < 256; ++i) {
    out.Bytes[i] = bytes[i];
    const bool letter = i >= first && i <= last;
    if (i < 0x80 && out.Bytes[i] != (letter ? (i ^ 0x20u) : i)) shaped = false;
  }
  return shaped;
}

const TByteKernels& WordKernels() { return kWord; }

const TByteKernels* Sse2Kernels() {
#if defined(KW_HAS_SSE2_KERNELS)
  static const bool has = CpuHasSse2();
  return has ? &kSse2Kernels : nullptr;
#else
  return nullptr;
#endif
}

const TByteKernels& ByteKernels() {
  static const TByteKernels& chosen = Sse2Kernels() ? *Sse2Kernels() : WordKernels();
  return chosen;
}

}  // namespace kw
