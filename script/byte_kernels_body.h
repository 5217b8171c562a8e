// The bodies of the byte kernels (byte_kernels.h), written once over a block policy:
// `kBlock` bytes a step, `MapAscii` (maps a block's ASCII bytes, copies the others and
// tells which those were, as bits, the first byte lowest) and `PositionsOf` (which
// positions of a block hold a byte). Included by the word-wise and the SSE2 builds only.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "script/byte_kernels.h"

// Internal linkage: the SSE2 build compiles these for SSE2, and the word-wise build must
// never link to that copy.
namespace kw::kernels {
namespace {

// Bits set in x. std::popcount becomes a library call where the CPU has no instruction
// for it, and a search asks at every block that holds a candidate.
inline int CountBits(std::uint32_t x) {
  x = x - ((x >> 1) & 0x55555555u);
  x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0Fu;
  return static_cast<int>((x * 0x01010101u) >> 24);
}

template <class Block>
void MapBytes(const TByteMap& map, const char* from, char* to, std::size_t n) {
  std::size_t i = 0;
  for (; i + Block::kBlock <= n; i += Block::kBlock) {
    // The bytes from 0x80 up were copied unchanged, so `from` still holds them when the
    // map works in place.
    for (std::uint32_t high = Block::MapAscii(map, from + i, to + i); high != 0; high &= high - 1) {
      const std::size_t k = i + static_cast<std::size_t>(std::countr_zero(high));
      to[k] = static_cast<char>(map.Bytes[static_cast<unsigned char>(from[k])]);
    }
  }
  for (; i < n; ++i) to[i] = static_cast<char>(map.Bytes[static_cast<unsigned char>(from[i])]);
}

constexpr std::size_t kFirstBlock = 16;  // bytes compared at a candidate position first

// Whether the part's bytes past the first kFirstBlock equal those at `at`, compared in
// blocks that double in size; each block is charged.
inline bool RestEqual(const char* at, std::string_view part, std::int64_t& budget) {
  std::size_t same = kFirstBlock;
  for (std::size_t block = 2 * kFirstBlock; same < part.size(); block *= 2) {
    const std::size_t n = std::min(block, part.size() - same);
    budget -= static_cast<std::int64_t>(n);
    if (std::memcmp(at + same, part.data() + same, n) != 0) return false;
    same += n;
  }
  return true;
}

// std::string_view::find with its work charged to the budget. Each position that holds
// the part's first byte is compared over at most kFirstBlock bytes, and only on a match
// there over the rest (RestEqual), so the charge stays within about twice the bytes
// that matched at a position plus one block. It matters for a part that matches a long
// prefix at many positions ("aaa...ab" in "aaa...a"): that search costs the product of
// the two lengths, hours for long values, and the budget must stop it partway.
template <class Block>
bool FindCounted(std::string_view text, std::string_view part, std::int64_t& budget, std::size_t& found) {
  constexpr std::size_t kBlock = Block::kBlock;
  found = std::string_view::npos;
  const std::size_t m = part.size();
  if (m == 0 || m > text.size()) return true;
  const std::size_t head = std::min(m, kFirstBlock);
  std::int64_t left = budget;  // a local, so the loop keeps it in a register
  const char* at = text.data();
  const char* const end = at + (text.size() - m + 1);  // past the last possible start
  // Tries a position that holds the part's first byte, charging it.
  auto tried = [&](const char* p) {
    left -= static_cast<std::int64_t>(head);
    return std::memcmp(p, part.data(), head) == 0 && (head == m || RestEqual(p, part, left));
  };
  // A block of positions at a time: those holding the first byte are the candidates,
  // and only one whose head also ends in the head's last byte can match. A block whose
  // candidates all fail that way is charged at once when the budget covers it; any other
  // goes candidate by candidate. So the charges, and where the budget runs out, are
  // those of trying every position that holds the first byte in turn.
  const auto first = static_cast<unsigned char>(part.front());
  const auto last = static_cast<unsigned char>(part[head - 1]);
  const auto perCandidate = static_cast<std::int64_t>(head);
  // The loads of the last byte stay inside the text.
  while (static_cast<std::size_t>(end - at) >= kBlock &&
         static_cast<std::size_t>(text.data() + text.size() - at) >= kBlock + head - 1) {
    const std::uint32_t starts = Block::PositionsOf(at, first);
    if (starts != 0) {
      const std::uint32_t ends = Block::PositionsOf(at + head - 1, last);
      const std::int64_t all = perCandidate * CountBits(starts);
      if ((starts & ends) == 0 && left - all >= 0) {
        left -= all;
      } else {
        for (std::uint32_t rest = starts; rest != 0; rest &= rest - 1) {
          const int k = std::countr_zero(rest);
          const char* p = at + k;
          if ((ends >> k & 1) != 0 ? tried(p) : (left -= perCandidate, false)) {
            found = static_cast<std::size_t>(p - text.data());
            budget = left;
            return true;
          }
          if (left < 0) {
            budget = left;
            return false;
          }
        }
      }
    }
    at += kBlock;
  }
  bool answered = true;
  while (at < end) {
    at = static_cast<const char*>(std::memchr(at, part.front(), static_cast<std::size_t>(end - at)));
    if (at == nullptr) break;
    if (tried(at)) {
      found = static_cast<std::size_t>(at - text.data());
      break;
    }
    if (left < 0) {
      answered = false;
      break;
    }
    ++at;
  }
  budget = left;
  return answered;
}

}  // namespace
}  // namespace kw::kernels
