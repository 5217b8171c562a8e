// The SSE2 build of the byte kernels: sixteen bytes a step. The 32-bit Windows module is
// built for CPUs without SSE2, so there this file alone is compiled for SSE2, and
// byte_kernels.cpp calls it only after the CPU said it has it.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "script/byte_kernels.h"

#if defined(__SSE2__) || (defined(__i386__) && defined(__GNUC__) && !defined(__clang__))
#if !defined(__SSE2__)
#pragma GCC target("sse2")
#endif
#include <emmintrin.h>

#include "script/byte_kernels_body.h"

namespace kw {
namespace {

struct Sse2Block {
  static constexpr std::size_t kBlock = 16;

  static std::uint32_t MapAscii(const TByteMap& map, const char* from, char* to) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    // Signed compares: bytes from 0x80 up are negative, so below First.
    const __m128i atLeastFirst = _mm_cmpgt_epi8(x, _mm_set1_epi8(static_cast<char>(map.First - 1)));
    const __m128i atMostLast = _mm_cmplt_epi8(x, _mm_set1_epi8(static_cast<char>(map.Last + 1)));
    const __m128i flip = _mm_and_si128(_mm_and_si128(atLeastFirst, atMostLast), _mm_set1_epi8(0x20));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_xor_si128(x, flip));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(x));
  }

  static std::uint32_t PositionsOf(const char* p, unsigned char c) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(c)))));
  }
};

}  // namespace

extern const TByteKernels kSse2Kernels;
const TByteKernels kSse2Kernels = {"sse2", kernels::MapBytes<Sse2Block>, kernels::FindCounted<Sse2Block>};

}  // namespace kw
#endif
