// A portable reader and writer of the Windows private-profile text format: sections in
// brackets, one key=value line per key, ANSI bytes. It reads as the operating system's
// profile functions do (blanks around names and values trimmed, names matched without
// regard to case by the Windows-1250 letter pairs, first section and first key of a name
// win, one pair of matching quotes around a value dropped) and it writes by editing only
// the lines concerned, so comments, unknown sections and line ends stay as they were.
// Any bytes parse; nothing in a file can make it fail.
//
// Each section of a name and each key of it is found through an index kept in step
// with every edit, so that reading or writing N keys costs time in proportion to N.
//
// TIniProfile puts the six profile operations on top of it for one file on disk; it is
// what the settings store uses where the operating system has no profile functions, and
// it builds on every platform so that both can be compared.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "support/file_encoding.h"
#include "settings/profile_api.h"

namespace kw {

// The blanks that the profile functions trim around names and values.
bool IsProfileBlank(char c);

// The longest section, key or value text (quotes included) that the Windows profile
// functions take: they pass each through a counted string of 16 bits, and cut a longer
// one short or crash on it. Both implementations keep to it, so their files agree.
inline constexpr std::size_t kMaxProfileText = 32766;

// Names and values that one "key=value" line can carry so that reading gives them back
// unchanged and they cannot start another line, key or section; none longer than
// kMaxProfileText.
bool IsStorableSection(std::string_view section);
bool IsStorableKey(std::string_view key);
bool IsStorableValue(std::string_view value);

// The text written after "key=": the value itself, or the value in double quotes when a
// blank at either end would be trimmed or a matching pair of quotes stripped on reading.
std::string QuoteProfileValue(std::string_view value);

// The text of one INI file, line by line. A file with a mark (file_encoding.h) is read
// in Windows-1250 and written back in its own encoding, the lines nothing changed byte
// for byte as they were.
class TIniText {
 public:
  TIniText() = default;
  explicit TIniText(std::string_view text);

  std::string Text() const;
  TFileEncoding Encoding() const { return encoding_; }
  // Distinct non-empty keys of the first section of that name, in file order, as written
  // (comment lines, which begin with ";", are not listed but are found by Value, as the
  // profile functions do).
  std::vector<std::string> Keys(std::string_view section) const;
  // The value of the first such key in the first such section; nothing when absent.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  // Removes every section of that name (duplicates too, so none can come back later).
  void EraseSection(std::string_view section);
  // Sets the first such key, or adds it at the end of its section, or adds the section
  // at the end of the file. The caller has checked the three with IsStorable*.
  void SetValue(std::string_view section, std::string_view key, std::string_view value);

 private:
  enum class TLineKind { Blank, Comment, Header, Entry, Other };
  static constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);
  struct TLine {
    std::string Text;  // the line as it stands in the file, without its end
    std::string End;   // its end as read: "\r\n", "\n", "\r", or "" for a last line without one
    TLineKind Kind = TLineKind::Blank;  // what the reader makes of it
    std::string Name;  // Header: section name, Entry and Comment: key; trimmed, upper-cased
    std::size_t Next = kNoLine;  // the line that follows it in the file, kNoLine after the last
    std::string Raw;   // a marked file's line as read: Text as the file holds it
    bool Kept = false; // Raw still stands for Text
  };
  // The first section of a name: all that reads and writes look at.
  struct TSection {
    std::size_t Header = kNoLine;  // its header line
    std::size_t Last = kNoLine;    // its last line that is not blank; the header when none is
    std::unordered_map<std::string, std::size_t> Names;  // upper-cased key -> its first line (IsNamed)
  };

  static TLine MakeLine(std::string text, std::string end);
  static bool IsPlain(const TLine& line);
  static bool IsNamed(const TLine& line);
  // Adds the line to the file after line `after` (kNoLine: as the first line).
  std::size_t InsertAfter(std::size_t after, TLine line);
  // Rebuilds the index from the lines, and puts them in file order again.
  void Reindex();
  const TSection* FindSection(std::string_view section) const;
  void EnsureLastLineEnded();
  // Gives a line without an end one.
  void EndLine(TLine& line) const;

  // Every line in the order read or added; Next gives the file's order, so that a line
  // added inside a section moves no other line and keeps every index valid.
  std::vector<TLine> lines_;
  std::size_t first_ = kNoLine;  // the file's first line
  std::size_t last_ = kNoLine;   // the file's last line
  std::unordered_map<std::string, TSection> sections_;  // upper-cased name -> its first section
  TFileEncoding encoding_ = TFileEncoding::Ansi;        // as the file was read
};

// The six profile operations on one file, read whole at Open and, in Update mode,
// written whole and atomically at Commit. A write that a line cannot hold (see
// IsStorable*) or a write in Read mode fails.
class TIniProfile final : public IProfile {
 public:
  bool Open(const std::string& path, TProfileMode mode) override;
  bool Commit() override;
  std::string Failure() const override { return failure_; }
  bool IsOpen() const { return open_; }
  // The encoding the file was read in, and is written in.
  TFileEncoding Encoding() const { return text_.Encoding(); }

  bool EraseSection(std::string_view section) override;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) override;
  std::vector<std::string> ReadKeys(std::string_view section) const override;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const override;

 private:
  bool Fail(std::string_view why);
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  std::string path_;                         // the file on disk
  TIniText text_;                            // its contents, with the writes so far
  TProfileMode mode_ = TProfileMode::Read;   // as opened
  bool open_ = false;                        // Open succeeded
  bool failed_ = false;                      // a write has failed since Open
  std::string failure_;                      // why, once failed_
};

}  // namespace kw
