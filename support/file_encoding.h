// The encodings a settings file may come in when someone other than the plugin saved it:
// Notepad's "Unicode" (UTF-16 LE), "Unicode big endian" (UTF-16 BE) and "UTF-8" with its
// mark. The profile functions decode each of them by its mark (UTF-16 on Windows, all
// three under Wine), so the plugin reads them too, and keeps a file in the encoding it
// came in. A file without a mark is Windows-1250 bytes, the plugin's own form.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kw {

enum class TFileEncoding { Ansi, Utf8Mark, Utf16Le, Utf16Be };

// The encoding the file's first bytes mark; Ansi when they mark none.
TFileEncoding MarkedEncoding(std::string_view bytes);
// The mark's bytes (empty for Ansi).
std::string_view EncodingMark(TFileEncoding encoding);
// The name people know it by: "UTF-16 LE", "UTF-16 BE", "UTF-8 with a mark", "Windows-1250".
std::string_view EncodingName(TFileEncoding encoding);

// One line of a file: what it says in Windows-1250 (a character that the code page
// lacks reads as "?", as the profile functions give it to the plugin), its bytes as the
// file holds them, and its end ("\r\n", "\n", "\r" or "" for a last line without one).
struct TFileLine {
  std::string Text;
  std::string Raw;
  std::string End;
};

// The lines of a whole file, its mark left out; a line ends at CR LF, LF or CR.
std::vector<TFileLine> FileLines(std::string_view bytes, TFileEncoding encoding);
// Windows-1250 text in the encoding, without a mark. Every byte has a character (the five
// the code page leaves unused are U+0081 and so on), so decoding it gives it back.
std::string EncodeText(std::string_view text, TFileEncoding encoding);

}  // namespace kw
