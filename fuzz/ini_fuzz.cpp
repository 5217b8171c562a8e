// The settings file's INI reader and writer on arbitrary bytes. Besides staying free of
// sanitizer reports:
// - the text comes back byte for byte when nothing is written;
// - every key that Keys lists has a value;
// - a storable value written under a storable section and key reads back unchanged,
//   from the edited text and from that text read afresh, and the section's other keys
//   keep their values;
// - an erased section has no keys left;
// - the same write through the profile file on disk (Open, WriteString, Commit, then
//   Open again to read) gives the value back.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_file.h"
#include "support/casing.h"
#include "support/platform.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string ScratchFile() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = std::string(dir && *dir ? dir : "/tmp") + "/kwartlin_ini_fuzz_XXXXXX";
  const int fd = ::mkstemp(path.data());
  if (fd >= 0) ::close(fd);
  return path;
}

const std::string& IniFile() {
  static const std::string path = [] {
    std::string p = ScratchFile();
    std::atexit([] { std::remove(IniFile().c_str()); });
    return p;
  }();
  return path;
}

void CheckWrite(const kw::TIniText& ini, const std::string& section, const std::string& key,
                const std::string& value) {
  const std::vector<std::string> keysBefore = ini.Keys(section);
  kw::TIniText edited = ini;
  edited.SetValue(section, key, value);
  Check(edited.Value(section, key) == value);
  const kw::TIniText reread(edited.Text());
  Check(reread.Value(section, key) == value);
  const std::string upperKey = kw::UpperCase(key);
  for (const std::string& k : keysBefore)
    if (kw::UpperCase(k) != upperKey) Check(reread.Value(section, k) == ini.Value(section, k));

  edited.EraseSection(section);
  Check(edited.Keys(section).empty());
  Check(!edited.Value(section, key).has_value());
}

void CheckProfileFile(const std::string& text, const std::string& section, const std::string& key,
                      const std::string& value) {
  if (!kw::WriteFileAtomic(IniFile(), text)) return;
  kw::TIniProfile writer;
  Check(writer.Open(IniFile(), kw::TProfileMode::Update));
  Check(writer.WriteString(section, key, value));
  Check(writer.Commit());
  kw::TIniProfile reader;
  Check(reader.Open(IniFile(), kw::TProfileMode::Read));
  Check(reader.ReadString(section, key, "\x01" "absent") == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string section = in.ConsumeRandomLengthString(32);
  const std::string key = in.ConsumeRandomLengthString(32);
  const std::string value = in.ConsumeRandomLengthString(256);
  const std::string text = in.ConsumeRemainingBytesAsString();

  const kw::TIniText ini(text);
  Check(ini.Text() == text);
  for (const std::string& k : ini.Keys(section)) Check(ini.Value(section, k).has_value());
  (void)kw::ParseProfileInt(value, 7);

  if (kw::IsStorableSection(section) && kw::IsStorableKey(key) && kw::IsStorableValue(value)) {
    CheckWrite(ini, section, key, value);
    CheckProfileFile(text, section, key, value);
  }
  return 0;
}
