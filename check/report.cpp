#include "check/report.h"

#include <algorithm>

#include "check/codec.h"

namespace kwcheck {

std::string Utf8(std::string_view cp1250) { return Cp1250ToUtf8(cp1250); }

std::string Quoted(std::string_view cp1250) { return "'" + Cp1250ToUtf8(cp1250) + "'"; }

TFinding& TReport::Add(const TSourceLine& line, int code, TMessage message, TFields fields, std::size_t at,
                       std::size_t count) {
  TFinding f;
  f.Line = line.FileLine;
  f.Code = code;
  f.Message = message;
  f.Fields = std::move(fields);
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

TFinding& TReport::AddFileLine(int fileLine, int code, TMessage message, TFields fields) {
  TFinding f;
  f.Line = fileLine;
  f.Code = code;
  f.Message = message;
  f.Fields = std::move(fields);
  f.Column = 1;
  f.EndColumn = static_cast<int>(std::max<std::size_t>(source_.FileLine(fileLine).size(), 1)) + 1;
  findings_.push_back(std::move(f));
  return findings_.back();
}

void TReport::Fix(TFinding& finding, std::string_view text, TMessage title, TFields fields) {
  finding.Fix = TFix{finding.Line, finding.Column, finding.EndColumn, Utf8(text), title, std::move(fields)};
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
