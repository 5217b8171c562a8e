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
  std::vector<std::string> FileLines;  // every line up to a zero byte, as split
  int ZeroByteLine = 0;                // file line holding a zero byte; 0: none
  int Utf8Line = 0;                    // first line with UTF-8 letters when the file is UTF-8
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

// A script file's bytes.
TSource ReadScript(std::string_view bytes);

// The file lines of bytes as the engine splits them (CR, LF, CR LF), a zero byte ending
// only its own line, with the first line holding a zero byte; used for spam lists.
std::vector<std::string> SplitLines(std::string_view bytes, int& zeroByteLine);

// The 1-based file line of the first line with a byte above 0x7F when the bytes are
// UTF-8 that Windows-1250 can hold in full (the plugin would read its letters as two
// bytes each); 0 otherwise. Windows-1250 text whose only high bytes happen to pair up
// as UTF-8 ("ÓŁ" is D3 A3) decodes to characters of other alphabets and is not taken
// for UTF-8.
int Utf8FirstLine(std::string_view bytes);

}  // namespace kwcheck
