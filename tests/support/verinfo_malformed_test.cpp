// Damaged module files and blocks: every one must end in "no version information",
// quickly, without reading outside the file (the sanitizer build checks that part).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "support/VerInfo.h"
#include "support/verinfo_block.h"
#include "support/verinfo_reader.h"
#include "verinfo_images.h"

using namespace kw;
using kwtest::Container;

namespace {

constexpr Container kContainers[] = {Container::Pe32, Container::Pe32Plus, Container::Elf32, Container::Elf64};

VersionBlockInput SmallSpec() {
  VersionBlockInput s;
  s.fixed.fileVersionMS = 0x10002;
  s.fixed.fileVersionLS = 0x30004;
  s.stringTables = {{0x0415, 1250, {{"CompanyName", "Firma"}, {"Comments", "x"}}}};
  s.translations = {{0x0415, 1250}};
  return s;
}

std::vector<std::byte> Find(std::string_view image) {
  MemoryByteSource source(kwtest::AsBytes(image));
  return FindVersionBlock(source);
}

bool SameBytes(const std::vector<std::byte>& a, std::string_view b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), b.size()) == 0;
}

// Serves one in-memory image through our reader, as the portable platform does for files.
class MemoryApi final : public VersionInfoApi {
 public:
  explicit MemoryApi(std::string image) : image_(std::move(image)) {}
  std::uint32_t VersionBlockSize(const std::string&, std::uint32_t& handle) const override {
    handle = 0;
    const auto block = Find(image_);
    return block.empty() ? 0 : static_cast<std::uint32_t>(2 * block.size() + 4);
  }
  bool ReadVersionBlock(const std::string&, std::uint32_t, std::span<std::byte> data) const override {
    const auto block = Find(image_);
    if (data.size() < block.size()) return false;
    std::copy(block.begin(), block.end(), data.begin());
    return true;
  }
  bool QueryVersionValue(std::span<std::byte> data, const std::string& path, const std::byte*& value,
                         std::uint32_t& length) const override {
    return PortableVersionInfoApi().QueryVersionValue(data, path, value, length);
  }

 private:
  std::string image_;  // the whole module file
};

// Everything the reader can be asked; false when the constructor refused the block.
bool ReadEverything(const std::string& image) {
  MemoryApi api(image);
  try {
    TVerInfoRes r("memory", api);
    std::string all = r.GetFileVersion() + r.GetProductVersion() + r.GetFileOSText();
    for (std::size_t i = 0; i < VersionStringNames.size(); ++i) all += r.GetStringValue(i);
    for (const auto& f : r.GetFlagTexts()) all += f;
    return !all.empty();
  } catch (const ENoVerInfoError&) {
  } catch (const EVerInfoError&) {
  } catch (const eNoFixeVerInfo&) {
  }
  return false;
}

TEST(MalformedModules, EveryTruncationFindsTheWholeBlockOrNone) {
  const std::string block = BuildVersionBlock(SmallSpec());
  for (Container c : kContainers) {
    const std::string image = kwtest::MakeModuleImage(c, block);
    ASSERT_TRUE(SameBytes(Find(image), block)) << kwtest::ContainerName(c);
    std::size_t found = 0;
    for (std::size_t n = 0; n < image.size(); ++n) {
      const auto got = Find(std::string_view(image).substr(0, n));
      ASSERT_TRUE(got.empty() || SameBytes(got, block)) << kwtest::ContainerName(c) << " cut at " << n;
      found += !got.empty();
    }
    // Only cuts inside the trailing padding and section table may keep the block.
    EXPECT_LT(found, image.size() / 2) << kwtest::ContainerName(c);
  }
}

TEST(MalformedModules, RandomCorruptionNeverCrashes) {
  const std::string block = BuildVersionBlock(SmallSpec());
  std::mt19937 rng(20240607);
  const std::uint8_t extremes[] = {0x00, 0xFF, 0x80, 0x7F, 0x01};
  for (Container c : kContainers) {
    const std::string image = kwtest::MakeModuleImage(c, block);
    int stillRead = 0;
    for (int round = 0; round < 1500; ++round) {
      std::string bad = image;
      const int changes = 1 + static_cast<int>(rng() % 6);
      for (int k = 0; k < changes; ++k) {
        // Headers and the resource tree sit in the first bytes: aim most changes there.
        const std::size_t limit = rng() % 4 == 0 ? bad.size() : std::min<std::size_t>(bad.size(), 0x2A0);
        const std::size_t at = rng() % limit;
        bad[at] = static_cast<char>(rng() % 2 ? extremes[rng() % 5] : rng() & 0xFF);
      }
      stillRead += ReadEverything(bad);
    }
    EXPECT_GT(stillRead, 0) << kwtest::ContainerName(c);  // the corruption is not all fatal
  }
}

TEST(MalformedModules, RandomCorruptionOfTheBlock) {
  const std::string block = BuildVersionBlock(SmallSpec());
  std::mt19937 rng(77);
  for (int round = 0; round < 3000; ++round) {
    std::string bad = block;
    const int changes = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < changes; ++k) bad[rng() % bad.size()] = static_cast<char>(rng() % 3 ? 0xFF : rng() & 0xFF);
    ReadEverything(kwtest::MakePeImage(bad, false));
  }
  // Cut blocks, with the resource size telling the truth about the cut.
  // The translation table comes last, so no cut block is whole enough to read.
  for (std::size_t n = 0; n < block.size(); ++n) EXPECT_FALSE(ReadEverything(kwtest::MakePeImage(block.substr(0, n), false))) << n;
}

void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& s, std::size_t at, std::uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
void Put64(std::string& s, std::size_t at, std::uint64_t v) {
  Put32(s, at, static_cast<std::uint32_t>(v));
  Put32(s, at + 4, static_cast<std::uint32_t>(v >> 32));
}

TEST(MalformedModules, ForgedPeHeadersAndResourceTrees) {
  const std::string block = BuildVersionBlock(SmallSpec());
  const std::string good = kwtest::MakePeImage(block, false);
  constexpr std::size_t kOpt = 0x58, kSection = kOpt + 224, kRsrc = 0x200;
  const struct {
    const char* what;
    void (*damage)(std::string&);
  } cases[] = {
      {"PE offset past the end", [](std::string& s) { Put32(s, 0x3C, 0xFFFFFFF0u); }},
      {"unknown optional header", [](std::string& s) { Put16(s, kOpt, 0x107); }},
      {"optional header too short", [](std::string& s) { Put16(s, 0x54, 100); }},
      {"65535 sections", [](std::string& s) { Put16(s, 0x46, 0xFFFF); }},
      {"section bytes past the end", [](std::string& s) { Put32(s, kSection + 20, 0xFFFFFF00u); }},
      {"section without file bytes", [](std::string& s) { Put32(s, kSection + 16, 0); }},
      {"resource tree outside every section", [](std::string& s) { Put32(s, kOpt + 96 + 16, 0x7FFF0000u); }},
      {"65535 + 65535 directory entries",
       [](std::string& s) { Put16(s, kRsrc + 12, 0xFFFF); Put16(s, kRsrc + 14, 0xFFFF); }},
      {"type directory pointing at itself", [](std::string& s) { Put32(s, kRsrc + 0x14, 0x80000000u); }},
      {"name directory pointing at the root", [](std::string& s) { Put32(s, kRsrc + 0x2C, 0x80000000u); }},
      {"language entry that is a directory", [](std::string& s) { Put32(s, kRsrc + 0x44, 0x80000030u); }},
      {"type entry that is data", [](std::string& s) { Put32(s, kRsrc + 0x14, 0x48); }},
      {"directory past the section", [](std::string& s) { Put32(s, kRsrc + 0x14, 0xFFFFFFF0u); }},
      {"data of 4 GiB", [](std::string& s) { Put32(s, kRsrc + 0x4C, 0xFFFFFFFFu); }},
      {"data at an address outside the file", [](std::string& s) { Put32(s, kRsrc + 0x48, 0xFFFFFF00u); }},
  };
  for (const auto& c : cases) {
    std::string bad = good;
    c.damage(bad);
    EXPECT_TRUE(Find(bad).empty()) << c.what;
    EXPECT_FALSE(ReadEverything(bad)) << c.what;
  }
}

TEST(MalformedModules, ForgedElfHeaders) {
  const std::string block = BuildVersionBlock(SmallSpec());
  const std::string good = kwtest::MakeElfImage(block, true);
  const std::size_t table = static_cast<std::size_t>(good[0x28] & 0xFF) | static_cast<std::size_t>(good[0x29] & 0xFF) << 8;
  const struct {
    const char* what;
    std::function<void(std::string&)> damage;
    bool found;  // whether the block is still found
  } cases[] = {
      {"table at the top of the address space", [](std::string& s) { Put64(s, 0x28, 0xFFFFFFFFFFFFFFF0ull); }, false},
      {"entries too small", [](std::string& s) { Put16(s, 0x3A, 8); }, false},
      {"name table index out of range", [](std::string& s) { Put16(s, 0x3E, 3); }, false},
      {"65535 sections", [](std::string& s) { Put16(s, 0x3C, 0xFFFF); }, true},
      {"huge entry stride", [](std::string& s) { Put16(s, 0x3A, 0xFFFF); }, false},
      {"big-endian", [](std::string& s) { s[5] = 2; }, false},
      {"unknown class", [](std::string& s) { s[4] = 3; }, false},
      {"section bytes past the end", [&](std::string& s) { Put64(s, table + 2 * 64 + 24, 0xFFFFFFFFFFFF0000ull); }, false},
      {"section of 2^63 bytes", [&](std::string& s) { Put64(s, table + 2 * 64 + 32, 0x8000000000000000ull); }, false},
      {"section without file bytes", [&](std::string& s) { Put32(s, table + 2 * 64 + 4, 8); }, false},
      {"name past the name table", [&](std::string& s) { Put32(s, table + 2 * 64, 0xFFFFFFF0u); }, false},
      {"name table cut before the name ends", [&](std::string& s) { Put64(s, table + 1 * 64 + 32, 15); }, false},
  };
  for (const auto& c : cases) {
    std::string bad = good;
    c.damage(bad);
    EXPECT_EQ(Find(bad).empty(), !c.found) << c.what;
  }
}

}  // namespace
