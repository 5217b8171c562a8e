// The file stage (5xx): how the file was saved, told from its bytes, and what the plugin,
// which reads Windows-1250 only, makes of it. Each message names the encoding, says what
// the plugin does with the file, and gives the Windows way to fix it with a PowerShell
// line beside it; the conversion is offered only when it is exact, that is when every
// character has its Windows-1250 byte (the ISO-8859-2 letters always have).
//   501 encoding        UTF-8: each letter beyond ASCII becomes two or three characters
//   502 zero-byte       a zero byte ends the script, or the rest of a spam list's line
//   504 byte-order-mark UTF-8's mark turns line 1 into another line
//   505 utf-16          UTF-16: every other byte a zero, so the plugin reads next to nothing
//   506 iso-8859-2      ISO-8859-2 letters where Windows-1250 was meant
// (503 is the playground's: an editor character without a Windows-1250 byte.)
#include "check/file_checks.h"

#include <cstdio>

#include "check/codec.h"
#include "check/report.h"
#include "check/source.h"
#include "script/KwartlinConst.h"
#include "script/loader.h"
#include "script/spam.h"
#include "script/text.h"
#include "support/casing.h"

namespace kwcheck {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// ---- The messages, each whole in one place; {advice} is one of the three advice texts.



// .NET reads UTF-8 and, by their marks, UTF-16 and UTF-8 with a mark; it writes the
// code page without a mark. Windows PowerShell ships with every Windows since 7.
constexpr std::string_view kCommandFromUnicode =
    "$f = \"$PWD\\{file}\"; [IO.File]::WriteAllText($f, [IO.File]::ReadAllText($f), "
    "[Text.Encoding]::GetEncoding(1250))";
constexpr std::string_view kCommandFromIso =
    "$f = \"$PWD\\{file}\"; [IO.File]::WriteAllText($f, [IO.File]::ReadAllText($f, "
    "[Text.Encoding]::GetEncoding(28592)), [Text.Encoding]::GetEncoding(1250))";

// ---- Reading the encodings.

// The UTF-16 body (after its mark) as UTF-8; what is no clean UTF-16 (an odd byte at the
// end, a surrogate without its partner) becomes U+FFFD, which no conversion keeps.
std::string Utf16ToUtf8(std::string_view body, bool bigEndian) {
  const auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(body[i]);
    const auto b = static_cast<unsigned char>(body[i + 1]);
    return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  std::string out;
  for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < body.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  if (body.size() % 2 != 0) AppendUtf8(out, 0xFFFD);
  return out;
}

// Whether the text decodes as UTF-8 into at least one character that is no accident:
// Windows-1250 letters that pair up as UTF-8 ("ÓŁ" is D3 A3) make characters of other
// alphabets below U+0800, which a Windows-1250 file holds, and UTF-8 does not take.
bool ReadsAsUtf8(std::string_view text) {
  bool meant = false;
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp = 0;
    if (!DecodeUtf8(text, i, cp)) return false;
    if (cp >= 0x800 || Cp1250Byte(cp) >= 0) meant = true;
  }
  return meant;
}

// ISO-8859-2 bytes that Windows-1250 holds elsewhere, and where it holds them.
struct TIsoByte {
  unsigned char Iso, Cp1250;
};
constexpr TIsoByte kIsoMoved[] = {
    {0xA1, 0xA5}, {0xA5, 0xBC}, {0xA6, 0x8C}, {0xA9, 0x8A}, {0xAB, 0x8D}, {0xAC, 0x8F}, {0xAE, 0x8E}, {0xB1, 0xB9},
    {0xB5, 0xBE}, {0xB6, 0x9C}, {0xB7, 0xA1}, {0xB9, 0x9A}, {0xBB, 0x9D}, {0xBC, 0x9F}, {0xBE, 0x9E},
};

// ą ś ź Ą Ś Ź in ISO-8859-2: in Windows-1250 they are ± ¶ Ľ ˇ ¦ ¬.
bool IsIsoPolishLetter(unsigned char b) {
  return b == 0xB1 || b == 0xB6 || b == 0xBC || b == 0xA1 || b == 0xA6 || b == 0xAC;
}

// A letter in either code page, for telling a letter inside a word from a sign.
bool IsWordLetter(unsigned char b) {
  if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) return true;
  if (b >= 0xC0) return b != 0xD7 && b != 0xF7;
  return b == 0xA3 || b == 0xAF || b == 0xB3 || b == 0xBF || IsIsoPolishLetter(b);
}

// The position of the first ISO-8859-2 letter of ą ś ź Ą Ś Ź that stands in a word, in
// a text without the bytes only Windows-1250 gives letters (0x80-0x9F, and ą Ą at B9 A5);
// npos when there is none or the text is Windows-1250.
std::size_t FirstIsoLetter(std::string_view text) {
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 0x80 && b <= 0x9F) || b == 0xA5 || b == 0xB9) return std::string_view::npos;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsIsoPolishLetter(static_cast<unsigned char>(text[i]))) continue;
    const bool before = i > 0 && IsWordLetter(static_cast<unsigned char>(text[i - 1]));
    const bool after = i + 1 < text.size() && IsWordLetter(static_cast<unsigned char>(text[i + 1]));
    if (before || after) return i;
  }
  return std::string_view::npos;
}

// ---- What the messages show.

std::string CodePointName(char32_t cp) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
  return code;
}

// The first character of UTF-8 text without a Windows-1250 byte: the character, its
// code, its 1-based line. Empty when every character has one.
struct TUnmappable {
  std::string Char, Code, Line;
};
TUnmappable FirstUnmappable(std::string_view utf8) {
  int line = 1;
  for (std::size_t i = 0; i < utf8.size();) {
    const char c = utf8[i];
    if (c == '\n' || (c == '\r' && (i + 1 >= utf8.size() || utf8[i + 1] != '\n'))) ++line;
    const std::size_t at = i;
    char32_t cp = 0;
    if (!DecodeUtf8(utf8, i, cp)) {
      ++i;
      cp = 0xFFFD;
    }
    if (Cp1250Byte(cp) < 0) return {std::string(utf8.substr(at, i - at)), CodePointName(cp), std::to_string(line)};
  }
  return {};
}

// The word around position at (blanks, quotes, commas and bars end it), at most about
// 40 bytes, never cut inside a UTF-8 character.
std::string_view WordAround(std::string_view line, std::size_t at) {
  constexpr std::string_view kEnds = " \t,'\"|";
  std::size_t from = line.find_last_of(kEnds, at);
  from = from == std::string_view::npos ? 0 : from + 1;
  std::size_t to = std::min(line.find_first_of(kEnds, at), line.size());
  if (to - from > 40) {
    from = at;
    to = std::min(at + 40, to);
    while (to < line.size() && to > at + 1 && (static_cast<unsigned char>(line[to]) & 0xC0) == 0x80) --to;
  }
  return line.substr(from, to - from);
}

std::string_view DataFileName(const TSource& source) { return source.SpamList ? "Kwartlin.spm" : "Kwartlin.dat"; }

// The advice for a file saved as UTF-8 or UTF-16: the conversion when it is exact, else
// the character that stops it.
std::string UnicodeAdvice(const TSource& source, std::string_view utf8) {
  const TUnmappable bad = FirstUnmappable(utf8);
  if (!bad.Char.empty())
    return FillTemplate(MessageTemplate(TMessage::AdviceInexact), {{"char", bad.Char}, {"code", bad.Code}, {"line", bad.Line}});
  const std::string command = FillTemplate(kCommandFromUnicode, {{"file", std::string(DataFileName(source))}});
  return FillTemplate(MessageTemplate(TMessage::AdviceConvert), {{"command", command}});
}

// Texts as a list in a message: 'a', 'b', 'c' (at most three).
std::string QuotedList(const std::vector<std::string>& texts) {
  std::string out;
  for (std::size_t i = 0; i < texts.size() && i < 3; ++i) {
    if (i > 0) out += ", ";
    out += Quoted(texts[i]);
  }
  return out;
}

void ReportUtf16(const TSource& source, TReport& report) {
  const bool big = source.Encoding == TFileEncoding::Utf16Be;
  const std::string advice = UnicodeAdvice(source, Utf16ToUtf8(source.Bytes.substr(2), big));
  const std::string_view name = EncodingName(source.Encoding);
  if (!source.SpamList) {
    // The engine's own reading: up to the first zero byte.
    const std::vector<std::string> lines = kw::ScriptLinesFromText(source.Bytes);
    const std::string read = lines.empty() ? std::string() : Utf8(lines[0]);
    report.AddFileLine(1, 505, TMessage::Utf16Script, {{"encoding", std::string(name)}, {"read", read}, {"advice", advice}});
    return;
  }
  // Every line but the first starts at a zero byte (the high byte of a line break, or of
  // a line's first letter), so what is left is line 1's mark and first letter.
  const std::vector<std::string> kept = kw::SpamRulesFromText(source.Bytes);
  report.AddFileLine(1, 505, TMessage::Utf16Spam, {{"encoding", std::string(name)}, {"kept", QuotedList(kept)}, {"advice", advice}});
}

bool IsSpecialLabelName(std::string_view name) {
  for (const kw::TEtykietaSpec& label : kw::SpecialLabelTable)
    if (kw::SameTextIgnoringCase(label.Name, name)) return true;
  return false;
}

void ReportBom(const TSource& source, TReport& report, const std::string& advice) {
  const std::string_view raw = source.FileLine(1);
  const std::string withMark = std::string(kUtf8Bom) + std::string(raw);
  if (source.SpamList) {
    const std::string rule = kw::TrimBlanks(raw);
    const bool comment = rule.empty() || rule[0] == ';';
    report.AddFileLine(1, 504,
                       comment ? TMessage::BomComment : TMessage::BomRule,
                       {{"line", Utf8(kw::TrimBlanks(withMark))}, {"advice", advice}});
    return;
  }
  const std::string meant = kw::PreparedLineText(raw);
  const std::string read = Utf8(kw::PreparedLineText(withMark));
  TMessage message = TMessage::BomCommand;
  std::string label;
  if (meant.empty()) {
    message = TMessage::BomEmptyLine;
  } else if (meant[0] == ':') {
    label = Utf8(std::string_view(meant).substr(1));
    const bool neverRuns = IsSpecialLabelName(std::string_view(meant).substr(1)) &&
                           !kw::SameTextIgnoringCase(std::string_view(meant).substr(1), "_start");
    // A run for messages without its label starts at line 1 all the same.
    message = neverRuns ? TMessage::BomSpecialLabel : TMessage::BomLabel;
  }
  report.AddFileLine(1, 504, message, {{"line", read}, {"label", label}, {"advice", advice}});
}

// 501: the first line with letters beyond ASCII, and how its first such word reads.
void ReportUtf8Letters(const TSource& source, TReport& report, const std::string& advice) {
  for (std::size_t i = 0; i < source.FileLines.size(); ++i) {
    const std::string& line = source.FileLines[i];
    std::size_t at = 0;
    while (at < line.size() && static_cast<unsigned char>(line[at]) < 0x80) ++at;
    if (at == line.size()) continue;
    const std::string_view word = WordAround(line, at);
    report.AddFileLine(static_cast<int>(i + 1), 501,
                       source.SpamList ? TMessage::Utf8Spam : TMessage::Utf8Script,
                       {{"meant", std::string(word)}, {"read", Utf8(word)}, {"advice", advice}});
    return;
  }
}

void ReportIso(const TSource& source, TReport& report) {
  const std::string command = FillTemplate(kCommandFromIso, {{"file", std::string(DataFileName(source))}});
  const std::string advice = FillTemplate(MessageTemplate(TMessage::AdviceIso), {{"command", command}});
  for (std::size_t i = 0; i < source.FileLines.size(); ++i) {
    const std::string& line = source.FileLines[i];
    std::size_t at = 0;
    while (at < line.size() && !IsIsoPolishLetter(static_cast<unsigned char>(line[at]))) ++at;
    if (at == line.size()) continue;
    const std::string_view word = WordAround(line, at);
    report.AddFileLine(static_cast<int>(i + 1), 506,
                       source.SpamList ? TMessage::IsoSpam : TMessage::IsoScript,
                       {{"meant", Utf8(Iso88592ToCp1250(word))}, {"read", Utf8(word)}, {"advice", advice}});
    return;
  }
}

}  // namespace

TFileEncoding FileEncoding(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return TFileEncoding::Utf16Le;
  if (bytes.starts_with("\xFE\xFF")) return TFileEncoding::Utf16Be;
  if (bytes.starts_with(kUtf8Bom)) return TFileEncoding::Utf8Bom;
  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  if (ReadsAsUtf8(text)) return TFileEncoding::Utf8;
  if (FirstIsoLetter(text) != std::string_view::npos) return TFileEncoding::Iso88592;
  return TFileEncoding::Windows1250;
}

std::string_view EncodingName(TFileEncoding encoding) {
  switch (encoding) {
    case TFileEncoding::Windows1250: return "Windows-1250";
    case TFileEncoding::Utf8: return "UTF-8";
    case TFileEncoding::Utf8Bom: return "UTF-8 with a byte order mark";
    case TFileEncoding::Utf16Le: return "UTF-16 LE";
    case TFileEncoding::Utf16Be: return "UTF-16 BE";
    case TFileEncoding::Iso88592: return "ISO-8859-2";
  }
  return "Windows-1250";
}

std::string Iso88592ToCp1250(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out)
    for (const TIsoByte& m : kIsoMoved)
      if (static_cast<unsigned char>(c) == m.Iso) {
        c = static_cast<char>(m.Cp1250);
        break;
      }
  return out;
}

std::optional<std::string> ConvertedToCp1250(std::string_view bytes) {
  std::string utf8;
  switch (FileEncoding(bytes)) {
    case TFileEncoding::Windows1250: return std::nullopt;
    case TFileEncoding::Iso88592: return Iso88592ToCp1250(bytes);
    case TFileEncoding::Utf8: utf8 = bytes; break;
    case TFileEncoding::Utf8Bom: utf8 = bytes.substr(3); break;
    case TFileEncoding::Utf16Le: utf8 = Utf16ToUtf8(bytes.substr(2), false); break;
    case TFileEncoding::Utf16Be: utf8 = Utf16ToUtf8(bytes.substr(2), true); break;
  }
  std::string out, error;
  if (!Utf8ToCp1250(utf8, out, error)) return std::nullopt;
  return out;
}

void ReportFileFindings(const TSource& source, TReport& report) {
  switch (source.Encoding) {
    case TFileEncoding::Utf16Le:
    case TFileEncoding::Utf16Be:
      // Its zero bytes are the encoding's; its lines are no use to any other check.
      ReportUtf16(source, report);
      return;
    case TFileEncoding::Utf8Bom: {
      const std::string advice = UnicodeAdvice(source, source.Bytes.substr(3));
      ReportBom(source, report, advice);
      ReportUtf8Letters(source, report, advice);
      break;
    }
    case TFileEncoding::Utf8: ReportUtf8Letters(source, report, UnicodeAdvice(source, source.Bytes)); break;
    case TFileEncoding::Iso88592: ReportIso(source, report); break;
    case TFileEncoding::Windows1250: break;
  }
  if (source.ZeroByteLine != 0)
    report.AddFileLine(source.ZeroByteLine, 502, source.SpamList ? TMessage::ZeroByteSpam : TMessage::ZeroByteScript);
}

}  // namespace kwcheck
