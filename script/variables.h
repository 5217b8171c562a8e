// The one table of script variables and the rules that turn a parameter into a value.
// Names are stored upper-cased with their leading "$"; values are stored with their "\n"
// escapes already turned into LF CR line breaks.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
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
// Entries are only appended, updated or all cleared, so an index stays valid until
// Clear. Do not rename an entry through operator[]: the index would not follow.
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
  // Drops every entry whose save flag is off; the rest keep their order.
  void DropUnsaved();

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::vector<TZmienna> items_;                                               // creation order
  std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> index_;  // upper name -> position
};

// The script's variables, the one instance of the engine's table.
extern TZmienne VariableTable;

// Value of one trimmed parameter: 'quoted' text (unescaped), #CONSTANT, $VARIABLE
// (empty when it does not exist), Bbinary number, or the text itself.
std::string ResolveValue(std::string_view param);
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
