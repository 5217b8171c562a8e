// Builders of the smallest module files that Windows' version library and our reader
// both accept: one section holding the resource tree (or the version section), the
// header fields a loader checks set to ordinary values.
#include "verinfo_images.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kwtest {
namespace {

void Put(std::string& out, std::size_t at, std::uint64_t v, int bytes) {
  if (out.size() < at + bytes) out.resize(at + bytes, '\0');
  for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::size_t AlignUp(std::size_t n, std::size_t a) { return (n + a - 1) / a * a; }

}  // namespace

const char* ContainerName(Container c) {
  switch (c) {
    case Container::Pe32: return "PE32";
    case Container::Pe32Plus: return "PE32+";
    case Container::Elf32: return "ELF32";
    case Container::Elf64: return "ELF64";
  }
  return "?";
}

std::string MakeModuleImage(Container c, std::string_view block, std::uint16_t language) {
  switch (c) {
    case Container::Pe32: return MakePeImage(block, false, language);
    case Container::Pe32Plus: return MakePeImage(block, true, language);
    case Container::Elf32: return MakeElfImage(block, false);
    case Container::Elf64: return MakeElfImage(block, true);
  }
  return {};
}

std::string MakePeImage(std::string_view block, bool pe32plus, std::uint16_t language) {
  if (block.empty()) return MakePeImage(std::vector<LanguageBlock>{}, pe32plus);
  return MakePeImage(std::vector<LanguageBlock>{{language, std::string(block)}}, pe32plus);
}

std::string MakePeImage(const std::vector<LanguageBlock>& blocks, bool pe32plus) {
  constexpr std::size_t kPe = 0x40, kFileAlign = 0x200, kSectionAlign = 0x1000, kRsrcRva = 0x1000;
  const std::size_t optSize = pe32plus ? 240 : 224;
  const std::size_t opt = kPe + 24;
  const bool hasResources = !blocks.empty();

  // The resource section: type 16 -> name 1 -> languages -> data entries -> blocks.
  std::string rsrc;
  if (hasResources) {
    Put(rsrc, 0x0E, 1, 2);
    Put(rsrc, 0x10, 16, 4);
    Put(rsrc, 0x14, 0x80000000u | 0x18, 4);
    Put(rsrc, 0x18 + 0x0E, 1, 2);
    Put(rsrc, 0x28, 1, 4);
    Put(rsrc, 0x2C, 0x80000000u | 0x30, 4);
    Put(rsrc, 0x30 + 0x0E, blocks.size(), 2);
    const std::size_t dataEntries = 0x40 + 8 * blocks.size();
    std::size_t at = AlignUp(dataEntries + 16 * blocks.size(), 4);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      Put(rsrc, 0x40 + 8 * i, blocks[i].language, 4);
      Put(rsrc, 0x44 + 8 * i, dataEntries + 16 * i, 4);
      Put(rsrc, dataEntries + 16 * i, kRsrcRva + at, 4);
      Put(rsrc, dataEntries + 16 * i + 4, blocks[i].block.size(), 4);
      rsrc.resize(at, '\0');
      rsrc += blocks[i].block;
      at = AlignUp(rsrc.size(), 4);
    }
  }

  std::string pe;
  pe.resize(kFileAlign, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  Put(pe, 0x3C, kPe, 4);
  pe.replace(kPe, 4, std::string("PE\0\0", 4));
  Put(pe, kPe + 4, pe32plus ? 0x8664 : 0x14C, 2);
  Put(pe, kPe + 6, hasResources ? 1 : 0, 2);
  Put(pe, kPe + 20, optSize, 2);
  Put(pe, kPe + 22, pe32plus ? 0x2022 : 0x2102, 2);

  const std::size_t imageSize = kSectionAlign + AlignUp(std::max<std::size_t>(rsrc.size(), 1), kSectionAlign);
  Put(pe, opt, pe32plus ? 0x20B : 0x10B, 2);
  Put(pe, opt + 2, 2, 1);
  Put(pe, opt + 8, AlignUp(rsrc.size(), kFileAlign), 4);
  if (pe32plus) Put(pe, opt + 24, 0x180000000ull, 8);
  else Put(pe, opt + 28, 0x10000000, 4);
  Put(pe, opt + 32, kSectionAlign, 4);
  Put(pe, opt + 36, kFileAlign, 4);
  Put(pe, opt + 40, 4, 2);   // OS version 4.0
  Put(pe, opt + 48, 4, 2);   // subsystem version 4.0
  Put(pe, opt + 56, imageSize, 4);
  Put(pe, opt + 60, kFileAlign, 4);
  Put(pe, opt + 68, 2, 2);   // GUI
  const std::size_t stackAt = 72, w = pe32plus ? 8 : 4;
  Put(pe, opt + stackAt, 0x100000, static_cast<int>(w));
  Put(pe, opt + stackAt + w, 0x1000, static_cast<int>(w));
  Put(pe, opt + stackAt + 2 * w, 0x100000, static_cast<int>(w));
  Put(pe, opt + stackAt + 3 * w, 0x1000, static_cast<int>(w));
  const std::size_t countAt = pe32plus ? 108 : 92;
  Put(pe, opt + countAt, 16, 4);
  if (hasResources) {
    Put(pe, opt + countAt + 4 + 16, kRsrcRva, 4);
    Put(pe, opt + countAt + 4 + 20, rsrc.size(), 4);
    const std::size_t sec = opt + optSize;
    pe.replace(sec, 8, std::string(".rsrc\0\0\0", 8));
    Put(pe, sec + 8, rsrc.size(), 4);
    Put(pe, sec + 12, kRsrcRva, 4);
    Put(pe, sec + 16, AlignUp(rsrc.size(), kFileAlign), 4);
    Put(pe, sec + 20, kFileAlign, 4);
    Put(pe, sec + 36, 0x40000040u, 4);  // initialised data, readable
    rsrc.resize(AlignUp(rsrc.size(), kFileAlign), '\0');
    pe += rsrc;
  }
  return pe;
}

std::string MakeElfImage(std::string_view block, bool elf64) {
  const std::size_t ehSize = elf64 ? 64 : 52, shEntSize = elf64 ? 64 : 40;
  const std::string names = block.empty() ? std::string("\0.shstrtab\0", 11)
                                          : std::string("\0.shstrtab\0.kwversion\0", 22);
  std::string elf(ehSize, '\0');
  elf.replace(0, 4, "\x7F" "ELF");
  elf[4] = elf64 ? 2 : 1;
  elf[5] = 1;
  elf[6] = 1;
  Put(elf, 16, 3, 2);  // shared object
  Put(elf, 18, elf64 ? 0x3E : 0x03, 2);
  Put(elf, 20, 1, 4);

  const std::size_t blockAt = elf.size();
  elf.append(block);
  const std::size_t namesAt = elf.size();
  elf += names;
  elf.resize(AlignUp(elf.size(), 8), '\0');
  const std::size_t tableAt = elf.size();
  const std::size_t count = block.empty() ? 2 : 3;
  elf.resize(tableAt + count * shEntSize, '\0');

  auto section = [&](std::size_t index, std::uint32_t name, std::uint32_t type, std::size_t offset, std::size_t size) {
    const std::size_t at = tableAt + index * shEntSize;
    Put(elf, at, name, 4);
    Put(elf, at + 4, type, 4);
    Put(elf, at + (elf64 ? 24 : 16), offset, elf64 ? 8 : 4);
    Put(elf, at + (elf64 ? 32 : 20), size, elf64 ? 8 : 4);
  };
  section(1, 1, 3, namesAt, names.size());  // .shstrtab
  if (!block.empty()) section(2, 11, 1, blockAt, block.size());  // .kwversion

  if (elf64) {
    Put(elf, 0x28, tableAt, 8);
    Put(elf, 0x34, ehSize, 2);
    Put(elf, 0x3A, shEntSize, 2);
    Put(elf, 0x3C, count, 2);
    Put(elf, 0x3E, 1, 2);
  } else {
    Put(elf, 0x20, tableAt, 4);
    Put(elf, 0x28, ehSize, 2);
    Put(elf, 0x2E, shEntSize, 2);
    Put(elf, 0x30, count, 2);
    Put(elf, 0x32, 1, 2);
  }
  return elf;
}

std::span<const std::byte> AsBytes(std::string_view s) {
  return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}

}  // namespace kwtest
