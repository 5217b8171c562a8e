// Decoding keeps each line's own bytes beside its Windows-1250 text, so that a line the
// plugin does not change goes back into the file exactly as it was, characters the code
// page lacks included; only the lines it writes are encoded anew.
#include "support/file_encoding.h"

#include <array>
#include <cstdint>

#include "support/cp1250.h"

namespace kw {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// The code point of a Windows-1250 byte; the five unused bytes stand for themselves.
char32_t CodePoint(unsigned char byte) {
  if (byte < 0x80 || kCp1250High[byte - 0x80] == 0) return byte;
  return kCp1250High[byte - 0x80];
}

// The Windows-1250 byte of a code point, or "?" when the code page has none.
char Cp1250Byte(char32_t cp) {
  static const std::array<unsigned char, 0x10000> table = [] {
    std::array<unsigned char, 0x10000> t{};
    for (unsigned b = 1; b < 256; ++b) t[CodePoint(static_cast<unsigned char>(b))] = static_cast<unsigned char>(b);
    return t;
  }();
  if (cp == 0) return '\0';
  if (cp >= table.size() || table[cp] == 0) return '?';
  return static_cast<char>(table[cp]);
}

// Code points of UTF-8 bytes; a byte that starts no valid sequence is one "?".
std::string DecodeUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    char32_t cp = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
    bool valid = length > 0 && i + length <= bytes.size() && lead < 0xF5;
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      valid = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3Fu);
    }
    if (length == 1) cp = lead;
    // Overlong forms and surrogates are no characters.
    valid = valid && !(length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) &&
            !(length == 4 && (cp < 0x10000 || cp > 0x10FFFF));
    text += valid ? Cp1250Byte(cp) : '?';
    i += valid ? length : 1;
  }
  return text;
}

char16_t Unit(std::string_view bytes, std::size_t at, bool bigEndian) {
  const auto a = static_cast<unsigned char>(bytes[at]), b = static_cast<unsigned char>(bytes[at + 1]);
  return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
}

// UTF-16 units; a surrogate pair, a lone surrogate and an odd last byte are each one "?".
std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string text;
  text.reserve(bytes.size() / 2);
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char16_t u = Unit(bytes, i, bigEndian);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const char16_t low = Unit(bytes, i + 2, bigEndian);
      if (low >= 0xDC00 && low <= 0xDFFF) i += 2;
    }
    text += u >= 0xD800 && u <= 0xDFFF ? '?' : Cp1250Byte(u);
  }
  if (i < bytes.size()) text += '?';
  return text;
}

std::string Decode(std::string_view raw, TFileEncoding encoding) {
  switch (encoding) {
    case TFileEncoding::Utf8Mark: return DecodeUtf8(raw);
    case TFileEncoding::Utf16Le: return DecodeUtf16(raw, false);
    case TFileEncoding::Utf16Be: return DecodeUtf16(raw, true);
    case TFileEncoding::Ansi: break;
  }
  return std::string(raw);
}

}  // namespace

TFileEncoding MarkedEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) return TFileEncoding::Utf8Mark;
  if (bytes.starts_with(kUtf16LeMark)) return TFileEncoding::Utf16Le;
  if (bytes.starts_with(kUtf16BeMark)) return TFileEncoding::Utf16Be;
  return TFileEncoding::Ansi;
}

std::string_view EncodingMark(TFileEncoding encoding) {
  switch (encoding) {
    case TFileEncoding::Utf8Mark: return kUtf8Mark;
    case TFileEncoding::Utf16Le: return kUtf16LeMark;
    case TFileEncoding::Utf16Be: return kUtf16BeMark;
    case TFileEncoding::Ansi: break;
  }
  return {};
}

std::string_view EncodingName(TFileEncoding encoding) {
  switch (encoding) {
    case TFileEncoding::Utf8Mark: return "UTF-8 with a mark";
    case TFileEncoding::Utf16Le: return "UTF-16 LE";
    case TFileEncoding::Utf16Be: return "UTF-16 BE";
    case TFileEncoding::Ansi: break;
  }
  return "Windows-1250";
}

std::vector<TFileLine> FileLines(std::string_view bytes, TFileEncoding encoding) {
  bytes.remove_prefix(EncodingMark(encoding).size());
  const bool wide = encoding == TFileEncoding::Utf16Le || encoding == TFileEncoding::Utf16Be;
  const std::size_t step = wide ? 2 : 1;
  // The character at a byte offset when it is a whole one: CR, LF or something else.
  const auto at = [&](std::size_t i) -> char16_t {
    return wide ? Unit(bytes, i, encoding == TFileEncoding::Utf16Be) : static_cast<unsigned char>(bytes[i]);
  };
  std::vector<TFileLine> lines;
  std::size_t start = 0, i = 0;
  while (i + step <= bytes.size()) {
    const char16_t c = at(i);
    if (c != u'\r' && c != u'\n') {
      i += step;
      continue;
    }
    const bool pair = c == u'\r' && i + 2 * step <= bytes.size() && at(i + step) == u'\n';
    const std::string_view raw = bytes.substr(start, i - start);
    lines.push_back({Decode(raw, encoding), std::string(raw), pair ? "\r\n" : c == u'\r' ? "\r" : "\n"});
    i += pair ? 2 * step : step;
    start = i;
  }
  if (start < bytes.size()) {
    const std::string_view raw = bytes.substr(start);
    lines.push_back({Decode(raw, encoding), std::string(raw), {}});
  }
  return lines;
}

std::string EncodeText(std::string_view text, TFileEncoding encoding) {
  if (encoding == TFileEncoding::Ansi) return std::string(text);
  std::string out;
  out.reserve(text.size() * 2);
  for (const char c : text) {
    const char32_t cp = CodePoint(static_cast<unsigned char>(c));
    if (encoding == TFileEncoding::Utf8Mark) {
      if (cp < 0x80) {
        out += static_cast<char>(cp);
      } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
      } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
      }
      continue;
    }
    const char high = static_cast<char>(cp >> 8), low = static_cast<char>(cp & 0xFF);
    out += encoding == TFileEncoding::Utf16Be ? high : low;
    out += encoding == TFileEncoding::Utf16Be ? low : high;
  }
  return out;
}

}  // namespace kw
