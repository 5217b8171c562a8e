// The list of spam rule lines, as a growable array of texts that knows when it changed.
// Every way to change it is a member that takes a fresh version number, and no member
// hands out a writable line, so a line cannot change unseen: the compiled matcher of
// the spam check is rebuilt exactly when the list changed, without comparing lines.
// Reading works as with a vector (size, [], iteration, comparison).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace kw {

class TSpamList {
 public:
  using value_type = std::string;
  using size_type = std::size_t;
  using const_iterator = std::vector<std::string>::const_iterator;
  using iterator = const_iterator;  // lines are read-only from outside

  TSpamList() = default;
  TSpamList(std::initializer_list<std::string> lines) : lines_(lines) {}
  explicit TSpamList(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  template <class It>
  TSpamList(It first, It last) : lines_(first, last) {}
  TSpamList(const TSpamList& other) : lines_(other.lines_) {}
  TSpamList(TSpamList&& other) noexcept : lines_(std::move(other.lines_)) { other.Touch(); }

  TSpamList& operator=(const TSpamList& other) {
    if (this != &other) Replace(other.lines_);
    return *this;
  }
  TSpamList& operator=(TSpamList&& other) noexcept {
    if (this != &other) {
      lines_ = std::move(other.lines_);
      Touch();
      other.Touch();
    }
    return *this;
  }
  TSpamList& operator=(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    Touch();
    return *this;
  }
  TSpamList& operator=(std::initializer_list<std::string> lines) {
    lines_ = lines;
    Touch();
    return *this;
  }

  void clear() noexcept {
    lines_.clear();
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
    lines_.assign(first, last);
    Touch();
  }
  void reserve(std::size_t n) { lines_.reserve(n); }

  std::size_t size() const noexcept { return lines_.size(); }
  bool empty() const noexcept { return lines_.empty(); }
  const std::string& operator[](std::size_t i) const { return lines_[i]; }
  const std::string& front() const { return lines_.front(); }
  const std::string& back() const { return lines_.back(); }
  const_iterator begin() const noexcept { return lines_.begin(); }
  const_iterator end() const noexcept { return lines_.end(); }
  const std::vector<std::string>& Lines() const noexcept { return lines_; }

  // Changes with every change of the lines; never the same for two different states of
  // any two lists of one process (a process-wide counter hands the numbers out).
  std::uint64_t Version() const noexcept { return version_; }

  friend bool operator==(const TSpamList& a, const TSpamList& b) { return a.lines_ == b.lines_; }
  friend bool operator==(const TSpamList& a, const std::vector<std::string>& b) {
    return a.lines_ == b;
  }

 private:
  static std::uint64_t NextVersion() noexcept {
    static std::uint64_t counter = 0;  // plugin state is single-threaded
    return ++counter;
  }
  void Touch() noexcept { version_ = NextVersion(); }
  void Replace(const std::vector<std::string>& lines) {
    lines_ = lines;
    Touch();
  }

  std::vector<std::string> lines_;            // the rule lines, in list order
  std::uint64_t version_ = NextVersion();     // see Version()
};

}  // namespace kw
