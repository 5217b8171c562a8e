// A list of text lines that knows when it changed: the script's lines and the spam
// rules. Work derived from a list (the compiled script, the compiled spam matcher) is
// kept with the list's version number and reused while the number stays, an O(1) test
// instead of comparing every line.
//
// Every member that changes the list takes a fresh version from a process-wide counter,
// so two different states of any two lists never share a number. Reading works as with
// a vector (size, [], iteration, comparison).
//
// The read-only kind (spam rules) hands out no writable line. The writable kind (script
// lines, which code may change in place: `ScriptLines[1][0] = 'X'`) hands out writable
// references through its non-const accessors; the first one marks the list as lent, and
// a lent list's version proves nothing, since a reference may be written through at any
// later time. Users of a lent list compare its content instead. Lending ends only when
// every line the references could reach is gone: clear, or an assignment that replaces
// the lines (which therefore builds the new lines apart and swaps them in). Edit gives
// the whole vector to a function for changes that keep no reference past the call.
// A reference taken into a std::vector before that vector is moved into the list is not
// tracked (its writes are not seen).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace kw {

namespace detail {
// The next version number; plugin state is single-threaded.
inline std::uint64_t NextLineListVersion() noexcept {
  static std::uint64_t counter = 0;
  return ++counter;
}
}  // namespace detail

template <bool kWritable>
class TLineList {
  using Vector = std::vector<std::string>;

 public:
  using value_type = std::string;
  using size_type = std::size_t;
  using const_iterator = Vector::const_iterator;
  using iterator = std::conditional_t<kWritable, Vector::iterator, const_iterator>;

  TLineList() = default;
  TLineList(std::initializer_list<std::string> lines) : lines_(lines) {}
  TLineList(Vector lines) : lines_(std::move(lines)) {}  // NOLINT: reads as a vector
  template <class It>
  TLineList(It first, It last) : lines_(first, last) {}
  TLineList(const TLineList& other) : lines_(other.lines_) {}
  TLineList(TLineList&& other) noexcept : lines_(std::move(other.lines_)), lent_(other.lent_) {
    other.Reset();
  }
  ~TLineList() = default;

  TLineList& operator=(const TLineList& other) {
    if (this != &other) Replace(Vector(other.lines_));
    return *this;
  }
  TLineList& operator=(TLineList&& other) noexcept {
    if (this != &other) {
      lines_ = std::move(other.lines_);  // the lines, and so any lending, come along
      lent_ = other.lent_;
      Touch();
      other.Reset();
    }
    return *this;
  }
  TLineList& operator=(Vector lines) {
    Replace(std::move(lines));
    return *this;
  }
  TLineList& operator=(std::initializer_list<std::string> lines) {
    Replace(Vector(lines));
    return *this;
  }

  void clear() noexcept {
    lines_.clear();
    lent_ = false;
    Touch();
  }
  void push_back(std::string line) {
    lines_.push_back(std::move(line));
    Touch();
  }
  template <class... Args>
  void emplace_back(Args&&... args) {
    lines_.emplace_back(std::forward<Args>(args)...);
    Touch();
  }
  template <class It>
  void assign(It first, It last) {
    Replace(Vector(first, last));
  }
  void reserve(std::size_t n) { lines_.reserve(n); }
  // Lets f change the lines as a vector; f must keep no reference to them.
  template <class F>
  void Edit(F&& f) {
    f(lines_);
    Touch();
  }

  std::size_t size() const noexcept { return lines_.size(); }
  bool empty() const noexcept { return lines_.empty(); }
  const std::string& operator[](std::size_t i) const { return lines_[i]; }
  const std::string& front() const { return lines_.front(); }
  const std::string& back() const { return lines_.back(); }
  const_iterator begin() const noexcept { return lines_.begin(); }
  const_iterator end() const noexcept { return lines_.end(); }
  const_iterator cbegin() const noexcept { return lines_.begin(); }
  const_iterator cend() const noexcept { return lines_.end(); }
  const Vector& Lines() const noexcept { return lines_; }

  // Writable access lends the list (see above).
  std::string& operator[](std::size_t i) requires kWritable { return Lend()[i]; }
  std::string& front() requires kWritable { return Lend().front(); }
  std::string& back() requires kWritable { return Lend().back(); }
  iterator begin() noexcept requires kWritable { return Lend().begin(); }
  iterator end() noexcept requires kWritable { return Lend().end(); }

  // Changes with every change of the lines made through the list.
  std::uint64_t Version() const noexcept { return version_; }
  // True while a writable reference may reach a line: Version then proves nothing.
  bool Lent() const noexcept { return lent_; }

  friend bool operator==(const TLineList& a, const TLineList& b) { return a.lines_ == b.lines_; }
  friend bool operator==(const TLineList& a, const Vector& b) { return a.lines_ == b; }

 private:
  void Touch() noexcept { version_ = detail::NextLineListVersion(); }
  void Reset() noexcept {
    lines_.clear();
    lent_ = false;
    Touch();
  }
  // The old lines are destroyed, so no earlier reference reaches the new ones.
  void Replace(Vector lines) noexcept {
    lines_.swap(lines);
    lent_ = false;
    Touch();
  }
  Vector& Lend() noexcept {
    lent_ = true;
    Touch();
    return lines_;
  }

  Vector lines_;                                            // the lines, in order
  bool lent_ = false;                                       // see Lent()
  std::uint64_t version_ = detail::NextLineListVersion();   // see Version()
};

}  // namespace kw
