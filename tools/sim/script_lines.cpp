// See script_lines.h: the rules are the plugin's, written out again in their plainest
// form (no speed is needed here).
#include "tools/sim/script_lines.h"

namespace kwsim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

unsigned char UpperByte(unsigned char b) {
  if (b >= 'a' && b <= 'z') return static_cast<unsigned char>(b - 0x20);
  switch (b) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // ś
    case 0x9D: return 0x8D;  // ť
    case 0x9E: return 0x8E;  // ž
    case 0x9F: return 0x8F;  // ź
    case 0xB3: return 0xA3;  // ł
    case 0xB9: return 0xA5;  // ą
    case 0xBA: return 0xAA;  // ş
    case 0xBE: return 0xBC;  // ľ
    case 0xBF: return 0xAF;  // ż
    default: break;
  }
  // à to þ map 0x20 down, except ÷ (0xF7), which has no capital.
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<unsigned char>(b - 0x20);
  return b;
}

}  // namespace

std::vector<std::string> SplitFileLines(std::string_view bytes) {
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<ScriptLine> PrepareScript(std::string_view bytes) {
  std::vector<ScriptLine> out;
  const std::vector<std::string> lines = SplitFileLines(bytes);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    std::string_view line = TrimBlanks(lines[n]);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\'') quoted = !quoted;
      if (!quoted && line.compare(i, 2, "//") == 0) {
        line = TrimBlanks(line.substr(0, i));
        break;
      }
    }
    if (!line.empty()) out.push_back({static_cast<int>(n + 1), std::string(line)});
  }
  return out;
}

std::string UpperCp1250(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
  return out;
}

KeywordSplit SplitKeyword(std::string_view line) {
  std::size_t p = 0;
  while (p < line.size() && !IsBlank(line[p])) ++p;
  return {UpperCp1250(TrimBlanks(line.substr(0, p))), std::string(TrimBlanks(line.substr(p)))};
}

std::vector<std::string> SplitParameters(std::string_view text) {
  std::vector<std::string> out;
  std::string piece;
  bool quoted = false;
  for (char c : text) {
    if (c == '\'') quoted = !quoted;
    if (!quoted && c == ',') {
      out.emplace_back(TrimBlanks(piece));
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) out.emplace_back(TrimBlanks(piece));
  return out;
}

ConditionSplit SplitCondition(std::string_view text) {
  text = TrimBlanks(text);
  ConditionSplit out;
  bool quoted = false;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    if (text[i] == '\'') quoted = !quoted;
    if (quoted) continue;
    const std::string_view two = text.substr(i, 2);
    if (two == "<>" || two == "!=" || two == ">=" || two == "<=") {
      out.Operator = std::string(two);
      break;
    }
    if (text[i] == '<' || text[i] == '>' || text[i] == '=') {
      out.Operator = std::string(1, text[i]);
      break;
    }
  }
  out.Left = std::string(TrimBlanks(text.substr(0, i)));
  if (!out.Operator.empty()) out.Right = std::string(TrimBlanks(text.substr(i + out.Operator.size())));
  return out;
}

}  // namespace kwsim
