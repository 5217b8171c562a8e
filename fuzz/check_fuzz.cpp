// The checker on arbitrary bytes, read both as a script and as a spam list. Besides
// staying free of sanitizer reports, every finding must point into its file: a line that
// exists and columns within it (one past its end at most), and a fix on the same span.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "check/checker.h"
#include "script/text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckPositions(const std::vector<std::string>& lines, const std::vector<kwcheck::TFinding>& found) {
  for (const kwcheck::TFinding& f : found) {
    Check(f.Line >= 1 && static_cast<std::size_t>(f.Line) <= lines.size());
    const auto length = static_cast<int>(lines[static_cast<std::size_t>(f.Line - 1)].size());
    Check(f.Column >= 1 && f.Column < f.EndColumn && f.EndColumn <= length + 2);
    if (f.Fix) Check(f.Fix->Line == f.Line && f.Fix->Column == f.Column && f.Fix->EndColumn == f.EndColumn);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines = kw::SplitFileLines(bytes);
  // A line that is only a zero byte is no line of the split; a finding may name it.
  lines.emplace_back();
  CheckPositions(lines, kwcheck::CheckScript(bytes));
  CheckPositions(lines, kwcheck::CheckSpamList(bytes));
  return 0;
}
