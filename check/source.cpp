#include "check/source.h"

#include "check/findings.h"
#include "script/text.h"

namespace kwcheck {

std::string_view TSource::FileLine(int line) const {
  if (line < 1 || static_cast<std::size_t>(line) > FileLines.size()) return {};
  return FileLines[static_cast<std::size_t>(line - 1)];
}

namespace {

// Whether a comment text silences the code.
bool CommentSilences(std::string_view comment, int code) {
  constexpr std::string_view kMark = "kwcheck: ignore";
  const std::size_t at = comment.find(kMark);
  if (at == std::string_view::npos) return false;
  const std::string wanted = CodeText(code);
  std::string_view rest = comment.substr(at + kMark.size());
  while (!rest.empty()) {
    const std::size_t start = rest.find_first_not_of(" \t,");
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const std::size_t end = std::min(rest.find_first_of(" \t,"), rest.size());
    if (rest.substr(0, end) == wanted) return true;
    rest.remove_prefix(end);
  }
  return false;
}

// The 1-based file line of the zero byte at zero (npos: none, 0), given how many lines
// the bytes before it split into.
int ZeroByteLine(std::string_view bytes, std::size_t zero, std::size_t linesBefore) {
  if (zero == std::string_view::npos) return 0;
  // A zero byte at the very start of a line leaves that line out of the split before it.
  const bool startsLine = zero == 0 || bytes[zero - 1] == '\r' || bytes[zero - 1] == '\n';
  return static_cast<int>(linesBefore) + (startsLine ? 1 : 0);
}

}  // namespace

bool TSource::Silenced(int line, int code) const {
  if (SpamList) {
    const std::string_view above = FileLine(line - 1);
    return above.find(';') != std::string_view::npos && CommentSilences(above, code);
  }
  const std::string_view text = FileLine(line);
  const std::size_t comment = kw::CommentStart(text);
  return comment != std::string_view::npos && CommentSilences(text.substr(comment), code);
}

std::vector<std::string> SplitLines(std::string_view bytes, int& zeroByteLine) {
  const std::size_t zero = bytes.find('\0');
  zeroByteLine = zero == std::string_view::npos
                     ? 0
                     : ZeroByteLine(bytes, zero, kw::SplitFileLines(bytes.substr(0, zero)).size());
  return kw::SplitFileLines(bytes);
}

namespace {

// The bytes whose lines are checked: without a UTF-8 byte order mark, none of UTF-16.
std::string_view CheckedText(TSource& source, std::string_view bytes) {
  source.Bytes = bytes;
  source.Encoding = FileEncoding(bytes);
  if (source.Encoding == TFileEncoding::Utf16Le || source.Encoding == TFileEncoding::Utf16Be) return {};
  return source.Encoding == TFileEncoding::Utf8Bom ? bytes.substr(3) : bytes;
}

}  // namespace

TSource ReadSpamList(std::string_view bytes) {
  TSource source;
  source.SpamList = true;
  source.FileLines = SplitLines(CheckedText(source, bytes), source.ZeroByteLine);
  return source;
}

TSource ReadScript(std::string_view bytes) {
  TSource source;
  // The script ends at a zero byte, as the engine reads it.
  const std::string_view all = CheckedText(source, bytes);
  const std::size_t zero = all.find('\0');
  const std::string_view text = all.substr(0, zero);
  source.FileLines = kw::SplitFileLines(text);
  source.ZeroByteLine = ZeroByteLine(all, zero, source.FileLines.size());
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < source.FileLines.size(); ++i) {
    const std::string& raw = source.FileLines[i];
    std::string line = kw::PreparedLineText(raw);
    if (line.empty()) continue;
    TSourceLine s;
    s.FileLine = static_cast<int>(i + 1);
    s.Offset = raw.find(line);
    s.Text = line;
    source.Lines.push_back(std::move(s));
    kept.push_back(std::move(line));
  }
  source.Kept = std::move(kept);
  source.Compiled = kw::CompileScript(source.Kept);
  return source;
}

}  // namespace kwcheck
