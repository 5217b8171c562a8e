// Building findings and handing them out: the one place that turns a span of a kept line
// into file columns, drops silenced findings and orders them. Every check reports
// through a TReport.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/findings.h"
#include "check/source.h"

namespace kwcheck {

// Windows-1250 text as UTF-8, for a message's field.
std::string Utf8(std::string_view cp1250);

// Windows-1250 text as UTF-8 in single quotes, as a message quotes a piece of a line.
std::string Quoted(std::string_view cp1250);

class TReport {
 public:
  explicit TReport(const TSource& source) : source_(source) {}

  // A finding on the kept line, over count characters of its text from at (npos: the
  // whole line).
  TFinding& Add(const TSourceLine& line, int code, TMessage message, TFields fields = {},
                std::size_t at = std::string::npos, std::size_t count = 0);
  // The same over a whole file line.
  TFinding& AddFileLine(int fileLine, int code, TMessage message, TFields fields = {});
  // A fix replacing the finding's span with text (Windows-1250).
  static void Fix(TFinding& finding, std::string_view text, TMessage title, TFields fields = {});

  // The findings, silenced ones left out, ordered by line and column.
  std::vector<TFinding> Take();

 private:
  const TSource& source_;
  std::vector<TFinding> findings_;
};

// What the file itself gets wrong: an encoding other than Windows-1250, a zero byte
// (check/file_checks.cpp).
void ReportFileFindings(const TSource& source, TReport& report);

}  // namespace kwcheck
