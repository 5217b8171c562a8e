// Reading the trace channel: a small parser for the flat JSON objects the plugin writes
// (no nesting but arrays of texts), and the bookkeeping of which run a record belongs
// to. A line the plugin has not finished (no line break yet) waits for the next read.
#include "tools/sim/trace_reader.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

#include "tools/sim/codec.h"
#include "tools/sim/environment.h"
#include "tools/sim/plugins_folder.h"

namespace kwsim {
namespace {

constexpr const char* kFileVariable = "KWARTLIN_TRACE";
constexpr const char* kLevelVariable = "KWARTLIN_TRACE_LEVEL";

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  bool Object(TraceItem& item) {
    Skip();
    if (!Eat('{')) return false;
    Skip();
    if (Eat('}')) return AtEnd();
    for (;;) {
      std::string key;
      if (!String(key)) return false;
      Skip();
      if (!Eat(':')) return false;
      TraceValue value;
      if (!Value(value)) return false;
      if (key == "event") {
        const std::string* kind = std::get_if<std::string>(&value);
        if (kind == nullptr) return false;
        item.Kind = *kind;
      } else {
        item.Fields.emplace_back(std::move(key), std::move(value));
      }
      Skip();
      if (Eat('}')) return AtEnd();
      if (!Eat(',')) return false;
      Skip();
    }
  }

 private:
  bool AtEnd() {
    Skip();
    return pos_ == s_.size();
  }
  void Skip() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r')) ++pos_;
  }
  bool Eat(char c) {
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool Value(TraceValue& value) {
    Skip();
    if (pos_ >= s_.size()) return false;
    const char c = s_[pos_];
    if (c == '"') {
      std::string text;
      if (!String(text)) return false;
      value = std::move(text);
      return true;
    }
    if (c == '[') {
      ++pos_;
      Skip();
      if (Eat(']')) {
        value = std::vector<std::string>();
        return true;
      }
      // A list holds texts or numbers, not both.
      if (pos_ < s_.size() && s_[pos_] == '"') return List<std::string>(value, [this](std::string& t) { return String(t); });
      return List<std::int64_t>(value, [this](std::int64_t& n) { return Integer(n); });
    }
    if (Word("true")) return value = true, true;
    if (Word("false")) return value = false, true;
    if (Word("null")) return value = std::monostate{}, true;
    return Number(value);
  }

  template <class T, class Read>
  bool List(TraceValue& value, Read read) {
    std::vector<T> items;
    for (;;) {
      Skip();
      T item{};
      if (!read(item)) return false;
      items.push_back(std::move(item));
      Skip();
      if (Eat(']')) break;
      if (!Eat(',')) return false;
    }
    value = std::move(items);
    return true;
  }

  bool Number(TraceValue& value) {
    std::int64_t n = 0;
    if (!Integer(n)) return false;
    value = n;
    return true;
  }

  bool Integer(std::int64_t& value) {
    const bool negative = Eat('-');
    std::int64_t n = 0;
    const std::size_t start = pos_;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
      if (n > (INT64_MAX - 9) / 10) return false;
      n = n * 10 + (s_[pos_++] - '0');
    }
    if (pos_ == start) return false;
    value = negative ? -n : n;
    return true;
  }

  bool Hex4(char32_t& cp) {
    if (pos_ + 4 > s_.size()) return false;
    cp = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = s_[pos_++];
      cp <<= 4;
      if (h >= '0' && h <= '9') cp |= static_cast<char32_t>(h - '0');
      else if (h >= 'a' && h <= 'f') cp |= static_cast<char32_t>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') cp |= static_cast<char32_t>(h - 'A' + 10);
      else return false;
    }
    return true;
  }

  bool String(std::string& out) {
    if (!Eat('"')) return false;
    while (pos_ < s_.size()) {
      // The plain run up to the next quote or escape goes in at once.
      const std::size_t plain = std::min(s_.find_first_of("\"\\", pos_), s_.size());
      out.append(s_.substr(pos_, plain - pos_));
      pos_ = plain;
      if (pos_ >= s_.size()) break;
      const char c = s_[pos_++];
      if (c == '"') return true;
      if (pos_ >= s_.size()) return false;
      switch (s_[pos_++]) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          char32_t cp = 0;
          if (!Hex4(cp)) return false;
          if (cp >= 0xD800 && cp <= 0xDBFF && s_.substr(pos_, 2) == "\\u") {
            pos_ += 2;
            char32_t low = 0;
            if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          // The code page's five unused bytes come as their own values: shown as
          // Cp1250ToUtf8 shows them.
          if (cp >= 0x80 && cp <= 0x9F) cp = 0xFFFD;
          AppendUtf8(out, cp);
          break;
        }
        default: return false;
      }
    }
    return false;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

VariableRow RowOf(const TraceItem& item) {
  VariableRow row;
  row.Name = item.Text("name");
  row.Value = item.Text("value");
  row.Bytes = item.Number("value_bytes", static_cast<std::int64_t>(row.Value.size()));
  row.Save = item.Flag("save");
  return row;
}

}  // namespace

bool ParseTraceLine(std::string_view line, TraceItem& item) {
  item = TraceItem{};
  Parser parser(line);
  return parser.Object(item) && !item.Kind.empty();
}

TraceReader::~TraceReader() {
  SetEnvironment(kFileVariable, "");
  SetEnvironment(kLevelVariable, "");
}

void TraceReader::Announce(bool lines) {
  SetEnvironment(kFileVariable, PathToUtf8(file_));
  SetEnvironment(kLevelVariable, lines ? "lines" : "runs");
}

std::vector<TraceItem> TraceReader::ReadNew() {
  std::vector<TraceItem> items;
  std::string chunk;
  {
    std::ifstream in(file_, std::ios::binary);
    if (!in) return items;
    in.seekg(static_cast<std::streamoff>(offset_));
    // Block by block: a traced run adds a line for every line it ran, and taking them a
    // character at a time cost more than the run.
    char block[16384];
    for (std::streamsize n; (n = in.rdbuf()->sgetn(block, sizeof block)) > 0;)
      chunk.append(block, static_cast<std::size_t>(n));
  }
  const std::size_t complete = chunk.rfind('\n');
  if (complete == std::string::npos) return items;
  offset_ += complete + 1;
  // All read: the file starts again, so a long session does not grow it without end.
  // The plugin appends, so its next line lands at the new end; it writes only while
  // the simulator waits for one of its calls.
  if (complete + 1 == chunk.size()) {
    std::error_code ec;
    std::filesystem::resize_file(file_, 0, ec);
    if (!ec) offset_ = 0;
  }
  std::size_t start = 0;
  while (start <= complete) {
    const std::size_t end = chunk.find('\n', start);
    TraceItem item;
    if (ParseTraceLine(std::string_view(chunk).substr(start, end - start), item)) {
      if (item.Is(kw::TTraceEvent::Vars)) {
        incoming_ = {};
        incoming_.Known = true;
        incoming_.Count = item.Number("count");
        incomingRows_ = static_cast<std::size_t>(std::max<std::int64_t>(0, item.Number("shown")));
        if (incomingRows_ == 0) table_ = std::move(incoming_);
      } else if (item.Is(kw::TTraceEvent::Var)) {
        incoming_.Rows.push_back(RowOf(item));
        if (incoming_.Rows.size() == incomingRows_) table_ = std::move(incoming_);
      } else {
        if (item.Is(kw::TTraceEvent::Run)) depth_ = static_cast<int>(item.Number("depth", depth_ + 1));
        item.Depth = depth_ > 0 ? depth_ : 1;
        if (item.Is(kw::TTraceEvent::End)) {
          item.Depth = static_cast<int>(item.Number("depth", item.Depth));
          depth_ = item.Depth - 1;
        }
        items.push_back(std::move(item));
      }
    }
    start = end + 1;
  }
  return items;
}

bool EndedByBound(const TraceItem& end) {
  if (!end.Is(kw::TTraceEvent::End)) return false;
  const std::optional<kw::TRunEnd> how = kw::RunEndFromWord(end.Text("how"));
  return how && kw::RunEndedByBound(*how);
}

bool GlobMatches(std::string_view pattern, std::string_view text) {
  // The usual two-pointer walk: on a mismatch, the last "*" takes one more byte.
  std::size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace kwsim
