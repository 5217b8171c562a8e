// Both builds of the byte kernels give the plain loops' results: every byte mapped, and
// every search found where string_view finds it with the charge of trying each position
// that holds the first byte in turn, so a budget runs out at the same place in each.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "script/byte_kernels.h"
#include "support/casing.h"

namespace kw {
namespace {

std::vector<const TByteKernels*> Builds() {
  std::vector<const TByteKernels*> builds{&WordKernels()};
  if (Sse2Kernels()) builds.push_back(Sse2Kernels());
  return builds;
}

// The search the kernels stand for, one position at a time.
bool PlainFind(std::string_view text, std::string_view part, std::int64_t& budget, std::size_t& found) {
  found = std::string_view::npos;
  if (part.empty() || part.size() > text.size()) return true;
  const std::size_t head = std::min<std::size_t>(part.size(), 16);
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    if (text[at] != part[0]) continue;
    budget -= static_cast<std::int64_t>(head);
    bool same = text.compare(at, head, part.substr(0, head)) == 0;
    for (std::size_t done = head, block = 32; same && done < part.size(); block *= 2) {
      const std::size_t n = std::min(block, part.size() - done);
      budget -= static_cast<std::int64_t>(n);
      same = text.compare(at + done, n, part.substr(done, n)) == 0;
      done += n;
    }
    if (same) {
      found = at;
      return true;
    }
    if (budget < 0) return false;
  }
  return true;
}

// Texts of few distinct bytes, Polish letters among them, so parts often nearly match.
std::string RandomText(std::mt19937& random, std::size_t size) {
  static const std::string alphabet = "aAbz\xB9\xA5\xF3\x9C \x80\xFF";
  std::string text(size, ' ');
  for (char& c : text) c = alphabet[random() % alphabet.size()];
  return text;
}

TEST(ByteKernels, MapEveryByteAsTheTableInPlaceOrNot) {
  unsigned char upper[256];
  for (unsigned i = 0; i < 256; ++i) upper[i] = static_cast<unsigned char>(UpperChar(static_cast<char>(i)));
  TByteMap map;
  ASSERT_TRUE(MakeByteMap(upper, 'a', 'z', map));
  std::string all(256 * 3 + 5, ' ');
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<char>((i * 7) & 0xFF);
  for (const TByteKernels* build : Builds()) {
    for (std::size_t size : {0u, 1u, 7u, 8u, 15u, 16u, 17u, 33u, 773u}) {
      const std::string from = all.substr(0, size);
      std::string to(size, '?'), inPlace = from;
      build->Map(map, from.data(), to.data(), size);
      build->Map(map, inPlace.data(), inPlace.data(), size);
      std::string want = from;
      for (char& c : want) c = UpperChar(c);
      EXPECT_EQ(to, want) << build->Name << " " << size;
      EXPECT_EQ(inPlace, want) << build->Name << " " << size;
    }
  }
}

TEST(ByteKernels, FindAndItsChargeAreThoseOfThePlainSearch) {
  std::mt19937 random(29);
  for (int round = 0; round < 3000; ++round) {
    const std::string text = RandomText(random, random() % 90);
    std::string part = RandomText(random, 1 + random() % (round % 3 == 0 ? 40 : 4));
    if (!text.empty() && round % 2 == 0) {  // often a piece of the text, so it is found
      const std::size_t at = random() % text.size();
      part = text.substr(at, 1 + random() % 40);
    }
    const std::int64_t start = static_cast<std::int64_t>(random() % 200) - 5;
    std::int64_t wantBudget = start;
    std::size_t want = 0;
    const bool wantAnswer = PlainFind(text, part, wantBudget, want);
    for (const TByteKernels* build : Builds()) {
      std::int64_t budget = start;
      std::size_t found = 0;
      const bool answer = build->Find(text, part, budget, found);
      ASSERT_EQ(answer, wantAnswer) << build->Name << " round " << round;
      ASSERT_EQ(budget, wantBudget) << build->Name << " round " << round;
      if (answer) {
        ASSERT_EQ(found, want) << build->Name << " round " << round;
      }
    }
  }
}

}  // namespace
}  // namespace kw
