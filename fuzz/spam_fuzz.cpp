// A spam list file and a text to check against it. The list goes through the real
// loader (LoadSpamList on a scratch file), the text through IsSpam. Besides staying free
// of sanitizer reports:
// - every loaded rule is trimmed, not empty and not a comment;
// - folding keeps the length (one byte for one byte);
// - IsSpam answers as the rule reads plainly: some rule line whose every word (split at
//   blanks) has a non-empty alternative (split at bars) that occurs in the folded text;
// - matching is by substrings, so a text that is spam stays spam with anything put
//   before or after it.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/data_files.h"
#include "host/globals.h"
#include "script/spam.h"
#include "script/spam_matcher.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string ScratchFile() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = std::string(dir && *dir ? dir : "/tmp") + "/kwartlin_spam_fuzz_XXXXXX";
  const int fd = ::mkstemp(path.data());
  if (fd >= 0) ::close(fd);
  return path;
}

bool WriteFile(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

const std::string& SpamFile() {
  static const std::string path = [] {
    std::string p = ScratchFile();
    std::atexit([] { std::remove(SpamFile().c_str()); });
    return p;
  }();
  return path;
}

// The matching rule read plainly, one rule line after the other.
bool PlainIsSpam(std::string_view text) {
  const std::string folded = kw::FoldPolishLetters(text);
  for (const std::string& rule : kw::SpamList)
    if (kw::SpamRuleMatches(kw::ParseSpamRule(rule), folded)) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string list = in.ConsumeRandomLengthString(4096);
  const std::string affix = in.ConsumeRandomLengthString(32);
  const std::string text = in.ConsumeRemainingBytesAsString();

  kw::SpamListPath = SpamFile();
  if (!WriteFile(kw::SpamListPath, list)) return 0;
  kw::LoadSpamList();
  for (const std::string& rule : kw::SpamList) {
    Check(!rule.empty() && rule.front() != ';');
    Check(rule.front() != ' ' && rule.front() != '\t' && rule.back() != ' ' && rule.back() != '\t');
  }

  Check(kw::FoldPolishLetters(text).size() == text.size());
  Check(kw::IsSpam(text) == PlainIsSpam(text));
  if (kw::IsSpam(text)) {
    Check(kw::IsSpam(affix + text));
    Check(kw::IsSpam(text + affix));
  }
  (void)kw::DelimitedSplit(text, ' ');
  (void)kw::DelimitedSplit(text, '|');
  kw::SpamList.clear();
  return 0;
}
