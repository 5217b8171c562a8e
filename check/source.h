// A file as the checker reads it: its lines as the engine splits them, the lines the
// engine keeps with the file line each came from, the engine's compiled form of them,
// and what the file itself says about how it is written (its encoding, a zero byte, the
// comments that silence a finding). The kept lines are the engine's: the same split,
// the same comment cut, the same trimming, so the index of a kept line is the index a
// run and its trace use.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "check/file_checks.h"
#include "script/compiled.h"
#include "script/loader.h"

namespace kwcheck {

// A line the engine keeps.
struct TSourceLine {
  int FileLine = 0;         // 1-based
  std::string Text;         // as kept: trimmed, comment cut; Windows-1250
  std::size_t Offset = 0;   // where Text starts in the file line
};

struct TSource {
  std::string_view Bytes;              // the whole file, as given; lives as long as the caller's bytes
  TFileEncoding Encoding = TFileEncoding::Windows1250;
  // Every line up to a zero byte, as split; a UTF-8 byte order mark left out (an editor
  // shows none, so columns on line 1 count as the user sees them); none for UTF-16,
  // whose lines the plugin cannot read.
  std::vector<std::string> FileLines;
  int ZeroByteLine = 0;                // file line holding a zero byte; 0: none
  std::vector<TSourceLine> Lines;      // the kept lines, in engine order
  kw::TScriptLines Kept;               // their texts, as a run gets them
  std::shared_ptr<const kw::TCompiledScript> Compiled;
  bool SpamList = false;  // silenced by a ";" line above rather than a "//" comment

  // The file line's text (1-based), or empty.
  std::string_view FileLine(int line) const;
  // Whether the comment of the file line names the code to be left unreported:
  // "// kwcheck: ignore KW308" (more codes may follow, separated by blanks or commas);
  // in a spam list, a comment line "; kwcheck: ignore KW405" just above it.
  bool Silenced(int line, int code) const;
};

// A script file's bytes (kept lines from what the file's editor shows: without a byte
// order mark; the mark's effect is a finding of its own).
TSource ReadScript(std::string_view bytes);

// The file lines of bytes as the engine splits them (CR, LF, CR LF), a zero byte ending
// only its own line, with the first line holding a zero byte; used for spam lists.
std::vector<std::string> SplitLines(std::string_view bytes, int& zeroByteLine);

// A spam list file's bytes: its file lines, each rule checked as its own line.
TSource ReadSpamList(std::string_view bytes);


}  // namespace kwcheck
