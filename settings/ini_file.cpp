// The portable INI text and profile file. Lines keep their own ends so that a rewrite
// touches only the lines it changes; a name is upper-cased once, when its line is read
// or made, and the index maps those to their lines. A zero byte ends what the reader sees of a line,
// as with the operating system's functions, but the bytes stay in the file.
#include "settings/ini_file.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

#include "support/casing.h"
#include "support/platform.h"

namespace kw {
namespace {

std::string_view TrimProfileBlanks(std::string_view s) {
  while (!s.empty() && IsProfileBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsProfileBlank(s.back())) s.remove_suffix(1);
  return s;
}

// What the reader sees of a line: up to a zero byte, blanks trimmed.
std::string_view VisiblePart(std::string_view line) {
  return TrimProfileBlanks(line.substr(0, line.find('\0')));
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool HasAny(std::string_view s, std::string_view bytes) {
  return s.find_first_of(bytes) != std::string_view::npos;
}

constexpr std::string_view kLineBreaksAndZero{"\r\n\0", 3};

// Every control byte and the no-break space count as blanks here: quoting more than the
// reader trims costs nothing, since it strips exactly one pair.
bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  auto blankish = [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0xA0;
  };
  const bool quotedAlready = value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
  return quotedAlready || blankish(value.front()) || blankish(value.back());
}

std::string EntryText(std::string_view key, std::string_view value) {
  std::string text(key);
  text += '=';
  text += QuoteProfileValue(value);
  return text;
}

// open, text, close. Built by appending: "[" + std::string(text) + "]" draws a false
// -Wrestrict from g++ 12.
std::string Enclosed(char open, std::string_view text, char close) {
  std::string out;
  out.reserve(text.size() + 2);
  out += open;
  out += text;
  out += close;
  return out;
}

}  // namespace

bool IsProfileBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' ||
         c == '\x1a';
}

bool IsStorableSection(std::string_view section) {
  return !section.empty() && section.size() <= kMaxProfileText && !HasAny(section, kLineBreaksAndZero) &&
         section.find(']') == std::string_view::npos && !IsProfileBlank(section.front()) &&
         !IsProfileBlank(section.back());
}

bool IsStorableKey(std::string_view key) {
  // A leading ";" makes a comment and a leading "[" may make a section header.
  return !key.empty() && key.size() <= kMaxProfileText && !HasAny(key, kLineBreaksAndZero) &&
         key.find('=') == std::string_view::npos && key.front() != ';' && key.front() != '[' &&
         !IsProfileBlank(key.front()) && !IsProfileBlank(key.back());
}

bool IsStorableValue(std::string_view value) {
  return value.size() + (NeedsQuotes(value) ? 2 : 0) <= kMaxProfileText &&
         !HasAny(value, kLineBreaksAndZero);
}

std::string QuoteProfileValue(std::string_view value) {
  return NeedsQuotes(value) ? Enclosed('"', value, '"') : std::string(value);
}

std::int32_t ParseProfileInt(std::string_view text, std::int32_t fallback) {
  if (text.empty()) return fallback;
  std::size_t i = 0;
  while (i < text.size() && IsProfileBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  constexpr std::int64_t kCap = std::int64_t{1} << 32;  // beyond either end of the range
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    magnitude = std::min(kCap, magnitude * 10 + (text[i] - '0'));
  const std::int64_t v = negative ? -magnitude : magnitude;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// ---- TIniText ----

TIniText::TIniText(std::string_view text) : encoding_(MarkedEncoding(text)) {
  if (encoding_ != TFileEncoding::Ansi) {
    for (TFileLine& l : FileLines(text, encoding_)) {
      lines_.push_back(MakeLine(std::move(l.Text), std::move(l.End)));
      lines_.back().Raw = std::move(l.Raw);
      lines_.back().Kept = true;
    }
    text = {};
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t stop = text.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines_.push_back(MakeLine(std::string(text.substr(start)), {}));
      break;
    }
    std::size_t endLength = (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n') ? 2 : 1;
    lines_.push_back(MakeLine(std::string(text.substr(start, stop - start)),
                              std::string(text.substr(stop, endLength))));
    start = stop + endLength;
  }
  for (std::size_t i = 0; i < lines_.size(); ++i) lines_[i].Next = i + 1 < lines_.size() ? i + 1 : kNoLine;
  if (!lines_.empty()) first_ = 0;
  Reindex();
}

TIniText::TLine TIniText::MakeLine(std::string text, std::string end) {
  TLine line{std::move(text), std::move(end), TLineKind::Blank, {}, kNoLine, {}, false};
  const std::string_view t = VisiblePart(line.Text);
  if (t.empty()) return line;
  if (t.front() == ';') {
    line.Kind = TLineKind::Comment;
    const std::size_t eq = t.find('=');
    if (eq != std::string_view::npos) line.Name = UpperCase(TrimProfileBlanks(t.substr(0, eq)));
    return line;
  }
  if (t.front() == '[') {
    // The name runs to the last "]"; a "[" line without one is read as an ordinary line.
    const std::size_t close = t.rfind(']');
    if (close != std::string_view::npos) {
      line.Kind = TLineKind::Header;
      line.Name = UpperCase(TrimProfileBlanks(t.substr(1, close - 1)));
      return line;
    }
  }
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) {
    line.Kind = TLineKind::Other;  // no "=": not a key
    return line;
  }
  line.Kind = TLineKind::Entry;
  line.Name = UpperCase(TrimProfileBlanks(t.substr(0, eq)));
  return line;
}

std::size_t TIniText::InsertAfter(std::size_t after, TLine line) {
  const std::size_t at = lines_.size();
  std::size_t& link = after == kNoLine ? first_ : lines_[after].Next;
  line.Next = link;
  link = at;
  if (last_ == after) last_ = at;
  lines_.push_back(std::move(line));  // only now: it may move the line that `link` is in
  return at;
}

// A line that changes nothing of the sections around it: it neither starts a section
// nor is blank (which would move the place where the next key goes).
bool TIniText::IsPlain(const TLine& line) {
  return line.Kind != TLineKind::Header && line.Kind != TLineKind::Blank;
}

// Lines that the index finds by name: every key, even one with an empty name (which a
// write replaces but a read never finds), and every comment that has a name. Only a
// comment's name begins with ";", so one map serves both.
bool TIniText::IsNamed(const TLine& line) {
  return line.Kind == TLineKind::Entry || (line.Kind == TLineKind::Comment && !line.Name.empty());
}

// Only the first section of a name is indexed, and in it the first line of each name:
// later ones are never read or written.
void TIniText::Reindex() {
  std::vector<TLine> ordered;
  ordered.reserve(lines_.size());
  for (std::size_t i = first_; i != kNoLine; i = lines_[i].Next) ordered.push_back(std::move(lines_[i]));
  lines_ = std::move(ordered);
  sections_.clear();
  first_ = last_ = kNoLine;
  if (lines_.empty()) return;
  first_ = 0;
  last_ = lines_.size() - 1;
  TSection* current = nullptr;  // the first section of its name that the line is in, if any
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    TLine& l = lines_[i];
    l.Next = i + 1 < lines_.size() ? i + 1 : kNoLine;
    if (l.Kind == TLineKind::Header) {
      auto [it, added] = sections_.try_emplace(l.Name);
      current = added ? &it->second : nullptr;
      if (current) current->Header = current->Last = i;
      continue;
    }
    if (!current || l.Kind == TLineKind::Blank) continue;
    current->Last = i;
    if (IsNamed(l)) current->Names.try_emplace(l.Name, i);
  }
}

const TIniText::TSection* TIniText::FindSection(std::string_view section) const {
  const auto it = sections_.find(UpperCase(section));
  return it == sections_.end() ? nullptr : &it->second;
}

std::string TIniText::Text() const {
  std::size_t size = 0;
  for (const TLine& l : lines_) size += l.Text.size() + l.End.size();
  std::string out;
  out.reserve(size);
  if (encoding_ != TFileEncoding::Ansi) {
    out = EncodingMark(encoding_);
    for (std::size_t i = first_; i != kNoLine; i = lines_[i].Next) {
      const TLine& l = lines_[i];
      out += l.Kept ? l.Raw : EncodeText(l.Text, encoding_);
      out += EncodeText(l.End, encoding_);
    }
    return out;
  }
  for (std::size_t i = first_; i != kNoLine; i = lines_[i].Next) {
    out += lines_[i].Text;
    out += lines_[i].End;
  }
  return out;
}

std::vector<std::string> TIniText::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const TSection* s = FindSection(section);
  if (!s) return keys;
  std::unordered_set<std::string_view> seen;  // upper-cased names listed so far
  for (std::size_t i = lines_[s->Header].Next; i != kNoLine && lines_[i].Kind != TLineKind::Header;
       i = lines_[i].Next) {
    const TLine& l = lines_[i];
    if (l.Kind != TLineKind::Entry || l.Name.empty()) continue;
    if (!seen.insert(l.Name).second) continue;
    const std::string_view t = VisiblePart(l.Text);
    keys.emplace_back(TrimProfileBlanks(t.substr(0, t.find('='))));
  }
  return keys;
}

std::optional<std::string> TIniText::Value(std::string_view section, std::string_view key) const {
  const TSection* s = FindSection(section);
  if (!s || key.empty()) return std::nullopt;
  const auto found = s->Names.find(UpperCase(key));
  if (found == s->Names.end()) return std::nullopt;
  const std::string_view t = VisiblePart(lines_[found->second].Text);
  std::string_view v = TrimProfileBlanks(t.substr(t.find('=') + 1));
  if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return std::string(v);
}

void TIniText::EraseSection(std::string_view section) {
  const std::string upperName = UpperCase(section);
  if (!sections_.contains(upperName)) return;  // not even a first copy: nothing to remove
  // The lines of its sections are unlinked; Reindex leaves them out.
  std::size_t* link = &first_;
  bool inside = false;
  for (std::size_t i = first_; i != kNoLine; i = lines_[i].Next) {
    if (lines_[i].Kind == TLineKind::Header) inside = lines_[i].Name == upperName;
    if (inside) continue;
    *link = i;
    link = &lines_[i].Next;
  }
  *link = kNoLine;
  Reindex();
}

// A UTF-16 file may end in half a character, which no reader makes anything of; with a
// line end after it, every character that follows would be read a byte off, so it goes.
void TIniText::EndLine(TLine& line) const {
  if (!line.End.empty()) return;
  line.End = "\r\n";
  const bool wide = encoding_ == TFileEncoding::Utf16Le || encoding_ == TFileEncoding::Utf16Be;
  if (line.Kept && wide && line.Raw.size() % 2 != 0) line.Raw.pop_back();
}

void TIniText::EnsureLastLineEnded() {
  if (last_ != kNoLine) EndLine(lines_[last_]);
}

// The index follows each edit in place. A name that a line cannot hold (the caller's
// fault) may turn a written line into a section header; the index is then rebuilt whole,
// which is slow but reads the lines exactly as a fresh parse would.
void TIniText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  const std::string upperSection = UpperCase(section);
  const auto found = sections_.find(upperSection);
  if (found == sections_.end()) {
    EnsureLastLineEnded();
    TLine header = MakeLine(Enclosed('[', section, ']'), "\r\n");
    TLine entry = MakeLine(EntryText(key, value), "\r\n");
    const bool plain = header.Kind == TLineKind::Header && header.Name == upperSection && IsPlain(entry);
    const std::size_t h = InsertAfter(last_, std::move(header));
    const std::size_t e = InsertAfter(h, std::move(entry));
    if (!plain) {
      Reindex();
      return;
    }
    TSection& s = sections_[upperSection];
    s.Header = h;
    s.Last = e;
    if (IsNamed(lines_[e])) s.Names.emplace(lines_[e].Name, e);
    return;
  }
  TSection& s = found->second;
  const auto existing = s.Names.find(UpperCase(key));
  if (existing != s.Names.end() && lines_[existing->second].Kind == TLineKind::Entry) {
    // The key keeps its spelling and spacing as written; only the value changes.
    TLine& l = lines_[existing->second];
    std::string kept = l.Text.substr(0, l.Text.find('=') + 1);
    kept += QuoteProfileValue(value);
    const std::string name = std::move(l.Name);
    const std::size_t next = l.Next;
    l = MakeLine(std::move(kept), std::move(l.End));
    l.Next = next;
    if (l.Kind != TLineKind::Entry || l.Name != name) Reindex();
    return;
  }
  // After the section's last line that is not blank, so blank lines keep separating it
  // from the next one.
  EndLine(lines_[s.Last]);
  TLine entry = MakeLine(EntryText(key, value), "\r\n");
  const bool plain = IsPlain(entry);
  const std::size_t e = InsertAfter(s.Last, std::move(entry));
  if (!plain) {
    Reindex();
    return;
  }
  s.Last = e;
  if (IsNamed(lines_[e])) s.Names.try_emplace(lines_[e].Name, e);
}

// ---- TIniProfile ----

bool TIniProfile::Open(const std::string& path, TProfileMode mode) {
  path_ = path;
  mode_ = mode;
  text_ = TIniText();
  open_ = false;
  failed_ = false;
  failure_.clear();
  if (path.empty()) return false;
  if (FileExists(path)) {
    std::string contents;
    if (!ReadWholeFile(path, contents)) return false;
    text_ = TIniText(contents);
  }
  open_ = true;
  return true;
}

// The first failure is the one told: the later ones only follow from it.
bool TIniProfile::Fail(std::string_view why) {
  if (!failed_) failure_ = why;
  failed_ = true;
  return false;
}

bool TIniProfile::Commit() {
  if (!open_) return Fail("the file was not opened");
  if (failed_) return false;
  if (mode_ == TProfileMode::Read) return true;
  TWriteFailure failure = TWriteFailure::None;
  if (!WriteFileAtomic(path_, text_.Text(), failure)) return Fail(WriteFailureText(failure));
  return true;
}

bool TIniProfile::EraseSection(std::string_view section) {
  if (!open_ || failed_ || mode_ != TProfileMode::Update) return Fail("the file is not open for writing");
  if (!IsStorableSection(section)) return Fail("a section name that a line cannot hold");
  text_.EraseSection(section);
  return true;
}

bool TIniProfile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (!open_ || failed_ || mode_ != TProfileMode::Update) return Fail("the file is not open for writing");
  if (!IsStorableSection(section) || !IsStorableKey(key) || !IsStorableValue(value))
    return Fail("a name or value that a line cannot hold");
  text_.SetValue(section, key, value);
  return true;
}

// Names that the profile functions could not be asked about find nothing here either.
std::optional<std::string> TIniProfile::Find(std::string_view section, std::string_view key) const {
  if (section.size() > kMaxProfileText || key.size() > kMaxProfileText) return std::nullopt;
  return text_.Value(section, key);
}

std::vector<std::string> TIniProfile::ReadKeys(std::string_view section) const {
  if (section.size() > kMaxProfileText) return {};
  return text_.Keys(section);
}

std::string TIniProfile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
  std::optional<std::string> v = Find(section, key);
  return v ? std::move(*v) : std::string(fallback);
}

}  // namespace kw
