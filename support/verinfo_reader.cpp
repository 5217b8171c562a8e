// Locating the version block in PE and ELF files. Damage anywhere throws Malformed,
// which stops the search with no block. The resource tree is walked at its fixed three
// levels (type, name, language) without recursion, so a directory that points back at
// itself cannot loop; every count read from the file bounds a loop over data that must
// itself lie inside the file.
#include "support/verinfo_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>

#include "support/verinfo_bytes.h"

namespace kw {

bool MemoryByteSource::ReadAt(std::uint64_t offset, std::span<std::byte> out) {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return false;
  if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset, out.size());
  return true;
}

FileByteSource::FileByteSource(const std::string& fileName)
    : file_(fileName, std::ios::binary) {
  if (!file_) return;
  file_.seekg(0, std::ios::end);
  const std::streamoff end = file_.tellg();
  if (file_ && end > 0) size_ = static_cast<std::uint64_t>(end);
}

bool FileByteSource::ReadAt(std::uint64_t offset, std::span<std::byte> out) {
  if (offset > size_ || out.size() > size_ - offset) return false;
  if (out.empty()) return true;
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(offset));
  file_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return file_.gcount() == static_cast<std::streamsize>(out.size());
}

namespace {

struct Malformed {};

constexpr std::size_t kMaxBlock = 0x10000;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVsVersionInfo = 1;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::uint32_t kShtNobits = 8;
constexpr std::string_view kElfSectionName{".kwversion\0", 11};

std::uint64_t CheckedAdd(std::uint64_t a, std::uint64_t b) {
  if (b > UINT64_MAX - a) throw Malformed{};
  return a + b;
}

// Bounded reads of the image; any byte outside it is damage.
class Image {
 public:
  explicit Image(ByteSource& source) : source_(source), size_(source.Size()) {}

  std::uint64_t Size() const { return size_; }

  void Read(std::uint64_t offset, std::span<std::byte> out) {
    if (offset > size_ || out.size() > size_ - offset || !source_.ReadAt(offset, out)) throw Malformed{};
  }
  std::vector<std::byte> Bytes(std::uint64_t offset, std::size_t count) {
    std::vector<std::byte> out(count);
    Read(offset, out);
    return out;
  }
  std::uint16_t U16(std::uint64_t offset) {
    std::array<std::byte, 2> b;
    Read(offset, b);
    return LoadLe16(b.data());
  }
  std::uint32_t U32(std::uint64_t offset) {
    std::array<std::byte, 4> b;
    Read(offset, b);
    return LoadLe32(b.data());
  }
  std::uint64_t U64(std::uint64_t offset) {
    std::array<std::byte, 8> b;
    Read(offset, b);
    return LoadLe64(b.data());
  }

 private:

  ByteSource& source_;  // where the bytes come from
  std::uint64_t size_;  // length of the image
};

// ---- PE ----

struct PeSection {
  std::uint32_t virtualAddress;  // where the section starts in memory
  std::uint32_t extent;          // larger of its memory and file sizes
  std::uint32_t rawSize;         // bytes present in the file
  std::uint32_t rawOffset;       // file offset of those bytes
};

class PeImage {
 public:
  explicit PeImage(Image& image) : image_(image) {}

  std::vector<std::byte> FindVersionBlock() {
    const std::uint64_t pe = image_.U32(0x3C);
    if (image_.U32(pe) != 0x00004550u) throw Malformed{};  // "PE\0\0"
    const std::uint64_t coff = CheckedAdd(pe, 4);
    const std::uint16_t sectionCount = image_.U16(coff + 2);
    const std::uint16_t optionalSize = image_.U16(coff + 16);
    const std::uint64_t optional = coff + 20;

    std::uint64_t countAt, directoriesAt;
    switch (image_.U16(optional)) {
      case 0x10B: countAt = 92; directoriesAt = 96; break;    // PE32
      case 0x20B: countAt = 108; directoriesAt = 112; break;  // PE32+
      default: throw Malformed{};
    }
    const std::uint64_t resourceEntry = directoriesAt + 2 * 8;
    if (optionalSize < resourceEntry + 8 || image_.U32(optional + countAt) < 3) return {};
    resourceRva_ = image_.U32(optional + resourceEntry);
    if (resourceRva_ == 0) return {};

    ReadSections(optional + optionalSize, sectionCount);
    return FindInResources();
  }

 private:
  void ReadSections(std::uint64_t at, std::uint16_t count) {
    sections_.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      std::array<std::byte, 40> h;
      image_.Read(at + std::uint64_t{i} * 40, h);
      PeSection s{LoadLe32(&h[12]), std::max(LoadLe32(&h[8]), LoadLe32(&h[16])), LoadLe32(&h[16]),
                  LoadLe32(&h[20])};
      sections_.push_back(s);
    }
  }

  // File offset of count bytes at rva; they must all be in one section's file bytes.
  std::uint64_t FileOffset(std::uint64_t rva, std::uint64_t count) const {
    for (const PeSection& s : sections_) {
      if (rva < s.virtualAddress || rva - s.virtualAddress >= s.extent) continue;
      const std::uint64_t delta = rva - s.virtualAddress;
      if (count > s.rawSize || delta > s.rawSize - count) throw Malformed{};
      return std::uint64_t{s.rawOffset} + delta;
    }
    throw Malformed{};
  }

  // Entries of the directory at offset (from the resource section's start).
  std::vector<std::byte> Entries(std::uint32_t offset) {
    const std::uint64_t rva = std::uint64_t{resourceRva_} + offset;
    const std::uint64_t header = FileOffset(rva, 16);
    const std::size_t count = std::size_t{image_.U16(header + 12)} + image_.U16(header + 14);
    return image_.Bytes(FileOffset(rva + 16, count * 8), count * 8);
  }

  // Offset of the subdirectory or data entry that the chosen entry leads to.
  static std::uint32_t Target(const std::vector<std::byte>& entries, std::size_t index, bool subdirectory) {
    const std::uint32_t target = LoadLe32(&entries[index * 8 + 4]);
    if (((target & kSubdirectoryBit) != 0) != subdirectory) throw Malformed{};
    return target & ~kSubdirectoryBit;
  }

  static std::optional<std::size_t> FindId(const std::vector<std::byte>& entries, std::uint32_t id) {
    for (std::size_t i = 0; i * 8 < entries.size(); ++i)
      if (LoadLe32(&entries[i * 8]) == id) return i;  // named entries carry the top bit
    return std::nullopt;
  }

  // A module translated into many languages carries one version resource for each.
  // Windows takes the language-neutral one, then the user's language, then English,
  // then the first; our user is taken to be Polish, as this plugin's users are.
  static std::size_t PreferredLanguage(const std::vector<std::byte>& entries) {
    for (std::uint32_t language : {0x0000u, 0x0415u, 0x0015u, 0x0409u})
      if (auto i = FindId(entries, language)) return *i;
    return 0;
  }

  std::vector<std::byte> FindInResources() {
    const auto types = Entries(0);
    const auto type = FindId(types, kRtVersion);
    if (!type) return {};
    // Windows asks for the version resource by its usual id 1; a lone resource of another
    // name is still taken.
    const auto names = Entries(Target(types, *type, true));
    if (names.empty()) return {};
    const auto languages = Entries(Target(names, FindId(names, kVsVersionInfo).value_or(0), true));
    if (languages.empty()) return {};
    const std::uint32_t dataEntry = Target(languages, PreferredLanguage(languages), false);
    const std::uint64_t at = FileOffset(std::uint64_t{resourceRva_} + dataEntry, 16);
    const std::uint32_t dataRva = image_.U32(at);
    const std::size_t size = std::min<std::size_t>(image_.U32(at + 4), kMaxBlock);
    return image_.Bytes(FileOffset(dataRva, size), size);
  }

  Image& image_;                    // the file
  std::uint32_t resourceRva_ = 0;   // start of the resource tree in memory
  std::vector<PeSection> sections_; // the section table
};

// ---- ELF ----

struct ElfSection {
  std::uint32_t name;    // offset of its name in the section name table
  std::uint32_t type;    // SHT_ value
  std::uint64_t offset;  // file offset of its bytes
  std::uint64_t size;    // their count
};

class ElfImage {
 public:
  explicit ElfImage(Image& image) : image_(image) {}

  std::vector<std::byte> FindVersionBlock() {
    std::array<std::byte, 16> ident;
    image_.Read(0, ident);
    if (ident[5] != std::byte{1}) throw Malformed{};  // only little-endian files carry our blocks
    std::uint64_t minEntry;
    std::uint16_t count, nameTableIndex;
    if (ident[4] == std::byte{1}) {
      wide_ = false;
      tableOffset_ = image_.U32(0x20);
      entrySize_ = image_.U16(0x2E);
      count = image_.U16(0x30);
      nameTableIndex = image_.U16(0x32);
      minEntry = 40;
    } else if (ident[4] == std::byte{2}) {
      wide_ = true;
      tableOffset_ = image_.U64(0x28);
      entrySize_ = image_.U16(0x3A);
      count = image_.U16(0x3C);
      nameTableIndex = image_.U16(0x3E);
      minEntry = 64;
    } else {
      throw Malformed{};
    }
    if (tableOffset_ == 0 || count == 0) return {};
    if (entrySize_ < minEntry || nameTableIndex >= count) throw Malformed{};

    const ElfSection names = Section(nameTableIndex);
    if (names.type == kShtNobits) throw Malformed{};
    for (std::uint16_t i = 0; i < count; ++i) {
      const ElfSection s = Section(i);
      if (!HasOurName(names, s.name)) continue;
      if (s.type == kShtNobits) throw Malformed{};
      const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(s.size, kMaxBlock));
      return image_.Bytes(s.offset, size);
    }
    return {};
  }

 private:
  ElfSection Section(std::uint16_t index) {
    const std::uint64_t at = CheckedAdd(tableOffset_, std::uint64_t{index} * entrySize_);
    if (wide_) return {image_.U32(at), image_.U32(at + 4), image_.U64(at + 24), image_.U64(at + 32)};
    return {image_.U32(at), image_.U32(at + 4), image_.U32(at + 16), image_.U32(at + 20)};
  }

  bool HasOurName(const ElfSection& names, std::uint32_t name) {
    if (name >= names.size || names.size - name < kElfSectionName.size()) return false;
    std::array<std::byte, kElfSectionName.size()> b;
    image_.Read(CheckedAdd(names.offset, name), b);
    return std::memcmp(b.data(), kElfSectionName.data(), b.size()) == 0;
  }

  Image& image_;                  // the file
  bool wide_ = false;             // ELF64 rather than ELF32
  std::uint64_t tableOffset_ = 0; // file offset of the section header table
  std::uint64_t entrySize_ = 0;   // bytes per section header
};

}  // namespace

std::vector<std::byte> FindVersionBlock(ByteSource& source) {
  try {
    Image image(source);
    std::array<std::byte, 4> magic;
    image.Read(0, magic);
    if (magic[0] == std::byte{'M'} && magic[1] == std::byte{'Z'}) return PeImage(image).FindVersionBlock();
    if (magic == std::array{std::byte{0x7F}, std::byte{'E'}, std::byte{'L'}, std::byte{'F'}})
      return ElfImage(image).FindVersionBlock();
    return {};
  } catch (const Malformed&) {
    return {};
  }
}

}  // namespace kw
