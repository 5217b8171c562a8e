// The command reference menu: five columns (commands in six group submenus, operators,
// constants, program variables, special labels) built from the language tables, drawn
// by the form itself, and inserting the chosen entry's text into the script editor.
#pragma once

#include <string>
#include <string_view>

#include "options/view.h"

namespace kw {

// Makes the menu's items one after another, naming them "MenuItem_<n>".
class TMenuBuilder {
 public:
  explicit TMenuBuilder(IOptionsView& view) : view_(view) {}

  std::string NextItemName();                    // "MenuItem_" + counter, then counts on
  int AddSectionHeader(std::string_view caption);
  int AddSeparator();
  // An entry of a section (0..4) with its table index and caption, under parent
  // (a submenu's view id, or -1 for the top level).
  int AddEntry(std::string_view caption, int tag, int section, int parent);
  int AddSubmenu(std::string_view caption);
  void ResetNames() { counter_ = 0; }

 private:
  IOptionsView& view_;
  int counter_ = 0;  // number behind the next "MenuItem_" name
};

// Empties the menu and builds it anew from the language tables.
void BuildCommandMenu(IOptionsView& view);

// Height 20; width of the caption, in bold for a header, plus 4.
void ItemMeasureItem(const TMenuItem& item, IDrawSurface& surface, int& width, int& height);

// Headers bold navy centred in every state; entries black, or white on navy when selected.
void ItemAdvancedDrawItem(const TMenuItem& item, IDrawSurface& surface, const TMenuRect& rect,
                          bool selected);

// The text an entry inserts: empty for items that insert nothing.
std::string MenuItemInsertText(const TMenuItem& item);

// Inserts the chosen item's text into Memo1 at Memo1's caret, within the caret's line.
void InsertMenuItemText(IOptionsView& view, const TMenuItem& item);

}  // namespace kw
