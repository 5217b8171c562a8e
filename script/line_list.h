// A list of text lines that knows when it changed: the script's lines and the spam
// rules. Work derived from a list (the compiled script, the compiled spam matcher) is
// kept with the list's version number and reused while the number stays, an O(1) test
// instead of comparing every line.
//
// The list hands out no writable line: it changes only as a whole (assignment, clear),
// and every change takes a fresh version from a process-wide counter, so two different
// states of any two lists never share a number. Reading works as with a vector (size,
// [], iteration, comparison). Whoever wants other lines builds them apart and assigns
// them, as the loaders do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
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

class TLineList {
  using Vector = std::vector<std::string>;

 public:
  using value_type = std::string;
  using size_type = std::size_t;
  using const_iterator = Vector::const_iterator;

  TLineList() = default;
  TLineList(std::initializer_list<std::string> lines) : lines_(lines) {}
  TLineList(Vector lines) : lines_(std::move(lines)) {}  // NOLINT: reads as a vector
  TLineList(const TLineList& other) : lines_(other.lines_) {}
  TLineList(TLineList&& other) noexcept : lines_(std::move(other.lines_)) { other.clear(); }
  ~TLineList() = default;

  TLineList& operator=(const TLineList& other) {
    if (this != &other) Replace(Vector(other.lines_));
    return *this;
  }
  TLineList& operator=(TLineList&& other) noexcept {
    if (this != &other) {
      Replace(std::move(other.lines_));
      other.clear();
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
    Touch();
  }

  std::size_t size() const noexcept { return lines_.size(); }
  bool empty() const noexcept { return lines_.empty(); }
  const std::string& operator[](std::size_t i) const { return lines_[i]; }
  const_iterator begin() const noexcept { return lines_.begin(); }
  const_iterator end() const noexcept { return lines_.end(); }
  const Vector& Lines() const noexcept { return lines_; }

  // Changes with every change of the lines.
  std::uint64_t Version() const noexcept { return version_; }

  friend bool operator==(const TLineList& a, const TLineList& b) { return a.lines_ == b.lines_; }
  friend bool operator==(const TLineList& a, const Vector& b) { return a.lines_ == b; }

 private:
  void Touch() noexcept { version_ = detail::NextLineListVersion(); }
  void Replace(Vector lines) noexcept {
    lines_.swap(lines);
    Touch();
  }

  Vector lines_;                                            // the lines, in order
  std::uint64_t version_ = detail::NextLineListVersion();   // see Version()
};

}  // namespace kw
