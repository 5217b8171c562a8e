#include "check/report.h"

#include <algorithm>

#include "check/codec.h"

namespace kwcheck {

std::string Utf8(std::string_view cp1250) { return Cp1250ToUtf8(cp1250); }

// Built piece by piece: GCC 12 warns wrongly (-Wrestrict) on "literal" + std::string&&.
std::string Quoted(std::string_view cp1250) {
  std::string s(1, '\'');
  s += Cp1250ToUtf8(cp1250);
  s += '\'';
  return s;
}

std::string Filled(std::string_view pattern, std::initializer_list<TField> fields) {
  std::string out;
  out.reserve(pattern.size() + 64);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if ((c == '{' || c == '}') && i + 1 < pattern.size() && pattern[i + 1] == c) {
      out += c;
      ++i;
      continue;
    }
    const std::size_t close = c == '{' ? pattern.find('}', i) : std::string_view::npos;
    const TField* field = nullptr;
    if (close != std::string_view::npos)
      for (const TField& f : fields)
        if (f.Name == pattern.substr(i + 1, close - i - 1)) field = &f;
    if (field == nullptr) {
      out += c;
      continue;
    }
    out += field->Value;
    i = close;
  }
  return out;
}

TFinding& TReport::Add(const TSourceLine& line, int code, std::string message, std::size_t at,
                       std::size_t count) {
  TFinding f;
  f.Line = line.FileLine;
  f.Code = code;
  f.Message = std::move(message);
  if (at == std::string::npos || at > line.Text.size()) {
    at = 0;
    count = line.Text.size();
  }
  count = std::min(count, line.Text.size() - at);
  f.Column = static_cast<int>(line.Offset + at + 1);
  f.EndColumn = f.Column + static_cast<int>(std::max<std::size_t>(count, 1));
  findings_.push_back(std::move(f));
  return findings_.back();
}

TFinding& TReport::AddFileLine(int fileLine, int code, std::string message) {
  TFinding f;
  f.Line = fileLine;
  f.Code = code;
  f.Message = std::move(message);
  f.Column = 1;
  f.EndColumn = static_cast<int>(std::max<std::size_t>(source_.FileLine(fileLine).size(), 1)) + 1;
  findings_.push_back(std::move(f));
  return findings_.back();
}

void TReport::Fix(TFinding& finding, std::string_view text, std::string title) {
  finding.Fix = TFix{finding.Line, finding.Column, finding.EndColumn, Utf8(text), std::move(title)};
}

std::vector<TFinding> TReport::Take() {
  std::vector<TFinding> kept;
  for (TFinding& f : findings_)
    if (!source_.Silenced(f.Line, f.Code)) kept.push_back(std::move(f));
  std::stable_sort(kept.begin(), kept.end(), [](const TFinding& a, const TFinding& b) {
    return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
  });
  findings_.clear();
  return kept;
}

}  // namespace kwcheck
