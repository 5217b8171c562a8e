// Variable table and value resolution. A script runs for every message, so the common
// paths avoid allocating: names are upper-cased into a stack buffer and looked up by
// view in the hash index, and an update assigns into the stored string, which keeps
// its capacity.
#include "script/variables.h"

#include <utility>

#include "script/KwartlinConst.h"
#include "script/text.h"
#include "support/ProcFunc.h"
#include "support/casing.h"

namespace kw {

TZmienne VariableTable;

namespace {

// "$" and the upper-cased name (the dollar sign added when missing). Names up to the
// buffer's size stay on the stack.
class NameKey {
 public:
  explicit NameKey(std::string_view name) {
    const bool addDollar = name.empty() || name.front() != '$';
    size_ = name.size() + (addDollar ? 1 : 0);
    if (size_ > sizeof small_) large_.resize(size_);
    char* out = size_ > sizeof small_ ? large_.data() : small_;
    data_ = out;
    if (addDollar) *out++ = '$';
    for (char c : name) *out++ = UpperChar(c);
  }
  NameKey(const NameKey&) = delete;
  NameKey& operator=(const NameKey&) = delete;
  std::string_view view() const { return {data_, size_}; }

 private:
  char small_[64];      // short names, the usual case
  std::string large_;   // longer names
  const char* data_;    // whichever of the two holds the key
  std::size_t size_;    // length of the key
};

// Writes a value under a normalised name; `unescape` says the value still holds escapes.
void Store(TZmienne& table, std::string_view upperName, std::string_view value, bool unescape, bool save) {
  const long i = table.Find(upperName);
  if (i >= 0) {
    table.SetTextAt(static_cast<std::size_t>(i), value, unescape);
    return;
  }
  // The new record copies name and value before the table may grow, so views into the
  // table stay valid while they are read.
  TZmienna v{std::string(upperName), unescape ? UnescapeText(value) : std::string(value), save};
  table.Append(std::move(v));
}

// Process-wide, so two tables (or one before and after a Clear) never share a number.
std::uint64_t NextGeneration() {
  static std::uint64_t counter = 0;
  return ++counter;
}

}  // namespace

TZmienne::TZmienne() : generation_(NextGeneration()) {}

TZmienne::TZmienne(const TZmienne& other)
    : items_(other.items_), numbers_(other.numbers_), shared_(other.shared_), pending_(other.pending_),
      index_(other.index_), generation_(NextGeneration()) {}

TZmienne::TZmienne(TZmienne&& other) noexcept
    : items_(std::move(other.items_)), numbers_(std::move(other.numbers_)), shared_(std::move(other.shared_)),
      pending_(other.pending_), index_(std::move(other.index_)), generation_(NextGeneration()) {
  other.Clear();
}

TZmienne& TZmienne::operator=(const TZmienne& other) {
  if (this != &other) {
    TZmienne copy(other);
    *this = std::move(copy);
  }
  return *this;
}

TZmienne& TZmienne::operator=(TZmienne&& other) noexcept {
  if (this != &other) {
    items_ = std::move(other.items_);
    numbers_ = std::move(other.numbers_);
    shared_ = std::move(other.shared_);
    pending_ = other.pending_;
    index_ = std::move(other.index_);
    Renew();
    other.Clear();
  }
  return *this;
}

void TZmienne::Renew() { generation_ = NextGeneration(); }

long TZmienne::Find(std::string_view upperName) const {
  const auto it = index_.find(upperName);
  return it == index_.end() ? -1 : static_cast<long>(it->second);
}

// The index is keyed on the upper-cased name so a look-up never depends on how the
// caller spelt the stored one; an existing key keeps its first entry.
std::size_t TZmienne::Append(TZmienna v) {
  std::string key = UpperCase(v.Name);
  numbers_.emplace_back();
  try {
    shared_.emplace_back();
    try {
      items_.push_back(std::move(v));
    } catch (...) {
      shared_.pop_back();
      throw;
    }
  } catch (...) {
    numbers_.pop_back();
    throw;
  }
  const std::size_t pos = items_.size() - 1;
  index_.emplace(std::move(key), pos);
  return pos;
}

void TZmienne::Clear() {
  items_.clear();
  numbers_.clear();
  shared_.clear();
  pending_ = 0;
  index_.clear();
  Renew();
}

std::optional<std::int32_t> TZmienne::ReadNumber(std::size_t i) const {
  // A value that holds an escape is no integer before unescaping nor after (the
  // backslash, or the line break it becomes, is no digit), so the stored text decides.
  TNumberReading& reading = numbers_[i];
  const std::optional<std::int32_t> number = ParseInt(TextAt(i));
  reading.State = number ? TNumberReading::Integer : TNumberReading::NotInteger;
  reading.Value = number.value_or(0);
  if (number) reading.EscapeFree = true;
  return number;
}

bool TZmienne::ScanForEscape(std::size_t i) const {
  const bool found = HasEscape(TextAt(i));
  numbers_[i].EscapeFree = !found;
  return found;
}

void TZmienne::WriteOutText(std::size_t i) const {
  TNumberReading& reading = numbers_[i];
  if (reading.Text == TNumberReading::Shared) {
    items_[i].Value.assign(*shared_[i]);
    shared_[i].reset();
  } else {
    items_[i].Value.assign(NumberText(reading.Value).View());
  }
  reading.Text = TNumberReading::Stored;
  --pending_;
}

void TZmienne::DropShared(std::size_t i) { shared_[i].reset(); }

std::shared_ptr<const std::string> TZmienne::SharedTextAt(std::size_t i) {
  TNumberReading& reading = numbers_[i];
  if (reading.Text == TNumberReading::Number) WriteOutText(i);
  if (reading.Text == TNumberReading::Stored) {
    // The text moves into the shared one: its bytes stay where they are.
    shared_[i] = std::make_shared<const std::string>(std::move(items_[i].Value));
    items_[i].Value = std::string();
    reading.Text = TNumberReading::Shared;
    ++pending_;
  }
  return shared_[i];
}

void TZmienne::ShareText(std::size_t to, std::size_t from) {
  if (to == from) return;  // the same text: nothing changes
  std::shared_ptr<const std::string> text = SharedTextAt(from);
  TNumberReading& reading = numbers_[to];
  if (reading.Text == TNumberReading::Stored) ++pending_;
  shared_[to] = std::move(text);
  reading = numbers_[from];
}

std::string& TZmienne::OwnTextAt(std::size_t i, std::shared_ptr<const std::string>& was) {
  TNumberReading& reading = numbers_[i];
  if (reading.Text == TNumberReading::Shared) {
    was = std::move(shared_[i]);
    shared_[i].reset();
    --pending_;
  } else if (reading.Text == TNumberReading::Number) {
    --pending_;
  }
  reading = TNumberReading{};
  return items_[i].Value;
}

void TZmienne::SetTextAt(std::size_t i, std::string_view value, bool unescape) {
  // The value may view the text this entry shares: that stays alive until it is copied.
  std::shared_ptr<const std::string> was;
  std::string& stored = OwnTextAt(i, was);
  if (unescape) stored = UnescapeText(value);
  else stored.assign(value.data(), value.size());  // safe when value views `stored` itself
}

void TZmienne::WriteOutAll() const {
  for (std::size_t i = 0; pending_ != 0 && i < items_.size(); ++i) WriteOut(i);
}

void TZmienne::AssignText(std::size_t i, std::string_view text) {
  SetTextAt(i, text, false);
  numbers_[i].EscapeFree = true;
}

void TZmienne::DropUnsaved() {
  // The kept entries move up, each with its number reading; positions change.
  WriteOutAll();
  std::size_t kept = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (!items_[i].Save) continue;
    if (kept != i) {
      items_[kept] = std::move(items_[i]);
      numbers_[kept] = numbers_[i];
      shared_[kept] = std::move(shared_[i]);
    }
    ++kept;
  }
  items_.resize(kept);
  numbers_.resize(kept);
  shared_.resize(kept);
  index_.clear();
  for (std::size_t i = 0; i < items_.size(); ++i) index_.emplace(UpperCase(items_[i].Name), i);
  Renew();
}

std::string ResolveValue(std::string_view p) {
  if (p.empty()) return {};
  if (p.front() == '\'' && p.back() == '\'') {
    if (p.size() < 2) return {};  // a lone quote
    return UnescapeText(p.substr(1, p.size() - 2));
  }
  switch (p.front()) {
    case '#': {
      const int c = FindConstant(p.substr(1));
      return c >= 0 ? UnescapeText(ConstantTable[c].Value) : std::string(p);
    }
    case '$': {
      const NameKey key(p);
      const long i = VariableTable.Find(key.view());
      if (i < 0) return {};
      const auto at = static_cast<std::size_t>(i);
      if (!VariableTable.HasEscapeAt(at)) return std::string(VariableTable.TextAt(at));
      return UnescapeText(VariableTable.TextAt(at));
    }
    case 'b':
    case 'B':
      // Every unquoted word that starts with b is a binary number; "bardzo" reads as 0.
      return IntToText(BinaryTextToInt(p.substr(1)));
    default:
      return std::string(p);
  }
}

std::shared_ptr<const std::string> ResolveShared(std::string_view p) {
  if (!p.empty() && p.front() == '$') {
    const NameKey key(p);
    const long i = VariableTable.Find(key.view());
    if (i >= 0 && !VariableTable.HasEscapeAt(static_cast<std::size_t>(i)))
      return VariableTable.SharedTextAt(static_cast<std::size_t>(i));
  }
  return std::make_shared<const std::string>(ResolveValue(p));
}

void SetVariable(TZmienne& table, std::string_view name, std::string_view value, bool save) {
  if (name.empty()) return;
  const NameKey key(name);
  Store(table, key.view(), value, HasEscape(value), save);
}

void SetVariable(std::string_view name, std::string_view value, bool save) {
  SetVariable(VariableTable, name, value, save);
}

// A name without the dollar sign is normalised as SetVariable does before the look-up,
// so `SAVE k, 1` marks $K (instead of never finding it and emptying its value).
// Creating the variable turns its flag on whatever flag was asked for.
void SetSaveFlag(std::string_view name, bool flag) {
  if (name.empty()) return;
  const NameKey key(name);
  const long i = VariableTable.Find(key.view());
  if (i >= 0) {
    VariableTable[static_cast<std::size_t>(i)].Save = flag;
    return;
  }
  Store(VariableTable, key.view(), {}, false, true);
}

void ClearVariables() { VariableTable.Clear(); }

void DropUnsavedVariables() { VariableTable.DropUnsaved(); }

}  // namespace kw
