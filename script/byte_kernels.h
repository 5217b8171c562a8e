// The loops that walk a whole long text: recasing and folding it byte for byte through
// a map, and searching it for a part with the search's work charged to a byte budget.
// Each comes in two builds with the same results: a word-wise one that any CPU runs,
// and one with SSE2 that tests sixteen bytes at a step. x86-64 always has SSE2; the
// 32-bit Windows module asks the CPU once and falls back to the word-wise build on one
// without it; a build for another CPU has only the word-wise one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kw {

// A byte-for-byte map whose ASCII part is one range of letters with the case bit
// flipped (every other byte below 0x80 stays), and whose bytes from 0x80 up (Polish
// letters among them) go through the table.
struct TByteMap {
  unsigned char Bytes[256];  // the mapped byte of each byte
  unsigned char First;       // the ASCII letters flipped: First..Last
  unsigned char Last;
};
// The map of 256 mapped bytes; false when its ASCII part is not of that shape.
bool MakeByteMap(const unsigned char* bytes, unsigned char first, unsigned char last, TByteMap& out);

struct TByteKernels {
  const char* Name;
  // to[i] = map(from[i]) for n bytes; `to` may be `from`.
  void (*Map)(const TByteMap& map, const char* from, char* to, std::size_t n);
  // The first occurrence of part in text (found, or npos), charging every position that
  // holds the part's first byte as comparing at most its first 16 bytes there, and the
  // rest in doubling blocks where those match: false when the budget ran out (the answer
  // unknown). The charges, and so where a budget runs out, are the same in every build.
  bool (*Find)(std::string_view text, std::string_view part, std::int64_t& budget, std::size_t& found);
};

const TByteKernels& WordKernels();
// The SSE2 build, or null where none is built in or the CPU lacks it.
const TByteKernels* Sse2Kernels();
// The best build this CPU runs, chosen once.
const TByteKernels& ByteKernels();

}  // namespace kw
