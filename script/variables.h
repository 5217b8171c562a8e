// The one table of script variables and the rules that turn a parameter into a value.
#pragma once

#include <string>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kw {

struct TZmienna {
  std::string Name;   // "$" and the name, upper case; never empty
  std::string Value;  // current value, line breaks as LF CR
  bool Save = false;  // written to the settings file when set
};

// Creation order matters (the settings file shows it); look-ups by name are indexed.
class TZmienne {
 public:
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const TZmienna& operator[](std::size_t i) const { return items_[i]; }
  TZmienna& operator[](std::size_t i) { return items_[i]; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  // Index of the entry whose name equals the already upper-cased name, or -1.
  long Find(std::string_view upperName) const;
  // Appends; the caller has checked that the name is new.
  std::size_t Append(TZmienna v);
  void Clear();

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::vector<TZmienna> items_;
  std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> index_;
};

extern TZmienne VariableTable;

std::string ResolveValue(std::string_view param);
void SetVariable(std::string_view name, std::string_view value, bool save);
void SetSaveFlag(std::string_view name, bool flag);
void ClearVariables();

}  // namespace kw
