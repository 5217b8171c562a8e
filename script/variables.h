// The one table of script variables and the rules that turn a parameter into a value.
// Names are stored upper-cased with their leading "$"; values are stored with their "\n"
// escapes already turned into LF CR line breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "support/ProcFunc.h"

namespace kw {

struct TZmienna {
  std::string Name;   // "$" and the name, upper case; never empty
  std::string Value;  // current value, line breaks as LF CR
  bool Save = false;  // written to the settings file when set
};

// Creation order matters (the settings file shows it); look-ups by name are indexed.
// Entries are only appended, updated or all cleared, so an index stays valid until
// Clear. Do not rename an entry through operator[]: the index would not follow.
//
// Each entry also remembers what its value reads as a number (ParseInt of Value), once
// it has been read or written as one, so a loop that counts in a variable neither parses
// its digits at every read nor scans them for escapes. A number written by the engine
// (AssignNumber) is kept as a number only: its decimal text is made when something
// first reads the entry's Value, through operator[], At or iteration, so an ADD in a
// loop writes no text at all, and every reader still sees exactly the text the
// language defines. The remembered number is dropped whenever the text may change
// behind the table's back, that is whenever operator[] hands out a writable entry; the
// engine writes through AssignText and AssignNumber instead, which keep the two in step.
//
// A long text copied from one variable to another (ShareText) is not copied: both
// entries hold the one immutable text until either is written, which gives that entry a
// text of its own. Such an entry's Value is stale as a pending number's is, and made
// when something reads the entry through operator[], At or iteration; the engine reads
// it where it lies (TextAt).
//
// A position found once can be kept with the table's Generation(): while the generation
// is the same, the entries are the same ones in the same places (only appended to).
class TZmienne {
 public:
  TZmienne();
  TZmienne(const TZmienne& other);
  TZmienne(TZmienne&& other) noexcept;
  TZmienne& operator=(const TZmienne& other);
  TZmienne& operator=(TZmienne&& other) noexcept;
  ~TZmienne() = default;

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const TZmienna& operator[](std::size_t i) const { return At(i); }
  TZmienna& operator[](std::size_t i) {
    WriteOut(i);
    numbers_[i] = TNumberReading{};
    return items_[i];
  }
  // The entry read-only, whatever the table's constness (operator[] of a writable table
  // forgets the entry's number).
  const TZmienna& At(std::size_t i) const {
    WriteOut(i);
    return items_[i];
  }
  auto begin() const {
    WriteOutAll();
    return items_.cbegin();
  }
  auto end() const { return items_.cend(); }
  // Entry i's name, its value not made.
  const std::string& NameAt(std::size_t i) const { return items_[i].Name; }
  // Index of the entry whose name equals the already upper-cased name, or -1.
  long Find(std::string_view upperName) const;
  // Appends; the caller has checked that the name is new.
  std::size_t Append(TZmienna v);
  void Clear();
  // Drops every entry whose save flag is off; the rest keep their order.
  void DropUnsaved();

  // ParseInt of entry i's value, read once and remembered until the value changes.
  std::optional<std::int32_t> NumberAt(std::size_t i) const {
    const TNumberReading reading = numbers_[i];
    if (reading.State == TNumberReading::Integer) return reading.Value;
    if (reading.State == TNumberReading::NotInteger) return std::nullopt;
    return ReadNumber(i);
  }
  // The length of entry i's value, without making a text that is not made yet.
  std::size_t ValueSize(std::size_t i) const {
    const TNumberReading reading = numbers_[i];
    return reading.Text == TNumberReading::Number ? reading.PendingLength : StoredSize(i, reading);
  }
  // Entry i's value where it lies (a number's text is made first); valid until the
  // entry is written or the table changes.
  std::string_view TextAt(std::size_t i) const {
    const TNumberReading reading = numbers_[i];
    if (reading.Text == TNumberReading::Shared) return *shared_[i];
    if (reading.Text == TNumberReading::Number) WriteOutText(i);
    return items_[i].Value;
  }
  // Entry `to` takes entry `from`'s text without copying it (and what the table knows
  // about it), the two sharing it until either is written.
  void ShareText(std::size_t to, std::size_t from);
  // Entry i's text as a shared immutable one, shared from then on until written.
  std::shared_ptr<const std::string> SharedTextAt(std::size_t i);
  // Entry i's stored text to change in place, its number reading forgotten. Its bytes
  // are the value's only when the value lay there (TextAt gave it); else the caller
  // writes them all. When the entry shared its text, that text comes back in `was`,
  // kept alive for the caller to read from.
  std::string& OwnTextAt(std::size_t i, std::shared_ptr<const std::string>& was);
  // Sets entry i's value (unescaped first when `unescape`); the value may view any
  // entry's text, this one's included.
  void SetTextAt(std::size_t i, std::string_view value, bool unescape);
  // The number entry i is known to hold, when the table knows it without reading.
  std::optional<std::int32_t> KnownNumber(std::size_t i) const {
    const TNumberReading reading = numbers_[i];
    if (reading.State == TNumberReading::Integer) return reading.Value;
    return std::nullopt;
  }
  // KnownNumber and ValueSize at once, for the loop's steps: false when no number is known.
  bool KnownNumberAndSize(std::size_t i, std::int32_t& number, std::size_t& size) const {
    const TNumberReading reading = numbers_[i];
    if (reading.State != TNumberReading::Integer) return false;
    number = reading.Value;
    size = reading.Text == TNumberReading::Number ? reading.PendingLength : StoredSize(i, reading);
    return true;
  }
  // Sets entry i's value to a text that holds no "\n" escape (it may view that value).
  void AssignText(std::size_t i, std::string_view text);
  // Whether entry i's value holds a "\n" escape; a value found free of one is not
  // scanned again until it changes.
  bool HasEscapeAt(std::size_t i) const {
    if (numbers_[i].EscapeFree) return false;
    return ScanForEscape(i);
  }
  // Sets entry i's value to the decimal text of a number; the text is made when read.
  void AssignNumber(std::size_t i, std::int32_t number) {
    TNumberReading& reading = numbers_[i];
    if (reading.Text != TNumberReading::Number) {
      if (reading.Text == TNumberReading::Shared) DropShared(i);
      else ++pending_;
    }
    reading = TNumberReading{TNumberReading::Integer, TNumberReading::Number, true,
                             static_cast<std::uint8_t>(DecimalLength(number)), number};
  }
  // Changes whenever positions may stop naming the entries they named (Clear, assignment).
  std::uint64_t Generation() const { return generation_; }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  // What an entry's value reads as a number: unknown until first asked.
  struct TNumberReading {
    enum : std::uint8_t { Unknown, Integer, NotInteger } State = Unknown;
    // Where the text is: in the entry's Value, or (Value stale) the decimal text of the
    // number below, or the shared text.
    enum : std::uint8_t { Stored, Number, Shared } Text = Stored;
    bool EscapeFree = false;          // the text is known to hold no "\n" escape
    std::uint8_t PendingLength = 0;   // the length of that text, while it is pending
    std::int32_t Value = 0;           // the number, when State is Integer
  };
  std::optional<std::int32_t> ReadNumber(std::size_t i) const;
  std::size_t StoredSize(std::size_t i, TNumberReading reading) const {
    return reading.Text == TNumberReading::Shared ? shared_[i]->size() : items_[i].Value.size();
  }
  void DropShared(std::size_t i);  // the entry's Value is about to be written
  bool ScanForEscape(std::size_t i) const;
  // Makes the text of an entry whose number was written and its text not yet.
  void WriteOut(std::size_t i) const {
    if (numbers_[i].Text != TNumberReading::Stored) WriteOutText(i);
  }
  void WriteOutText(std::size_t i) const;
  void WriteOutAll() const;
  void Renew();  // takes a fresh generation

  // The texts of written numbers are made on reading, so reading changes these two.
  mutable std::vector<TZmienna> items_;                                       // creation order
  mutable std::vector<TNumberReading> numbers_;                               // beside items_
  mutable std::vector<std::shared_ptr<const std::string>> shared_;            // beside items_
  mutable std::size_t pending_ = 0;  // entries whose Value is stale
  std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> index_;  // upper name -> position
  std::uint64_t generation_;                                                  // see Generation()
};

// The script's variables, the one instance of the engine's table.
extern TZmienne VariableTable;

// Value of one trimmed parameter: 'quoted' text (unescaped), #CONSTANT, $VARIABLE
// (empty when it does not exist), Bbinary number, or the text itself.
std::string ResolveValue(std::string_view param);
// The same as an immutable text, shared with the variable it names where it can be.
std::shared_ptr<const std::string> ResolveShared(std::string_view param);
// Creates or updates a variable; a missing "$" is added, the name upper-cased and the
// value unescaped. The save flag only counts when the variable is created.
void SetVariable(std::string_view name, std::string_view value, bool save);
// The same on another table (the settings loader fills the one it is given).
void SetVariable(TZmienne& table, std::string_view name, std::string_view value, bool save);
// The SAVE command: sets the save flag of a variable, or creates it empty with the flag
// on. A name without "$" gets one, as in SetVariable.
void SetSaveFlag(std::string_view name, bool flag);
void ClearVariables();
// Empties the table but for the variables marked for saving, which keep their values
// and flags: what a restart would bring back from the settings file.
void DropUnsavedVariables();

}  // namespace kw
