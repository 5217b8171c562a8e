// The command reference menu: built once per form from the language tables; every item
// is described to the view, which owns it. Items are told apart by their tag (-1 for a
// header) and section number, so the handlers need nothing but the item itself.
#include "options/command_menu.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "script/KwartlinConst.h"
#include "support/casing.h"
#include "support/cp1250.h"

namespace kw {
namespace {

constexpr int kItemHeight = 20;     // pixels, every header and entry
constexpr int kTextPadding = 4;     // added to the caption's width
constexpr int kEntryIndent = 2;     // entries stand this far from the left edge

constexpr std::string_view kConstantsHeader = "Stałe"_w;

bool IsHeader(const TMenuItem& item) { return item.Tag == -1; }

bool InTable(int index, int size) { return index >= 0 && index < size; }

// The texts one after another.
std::string Joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

}  // namespace

std::string TMenuBuilder::NextItemName() {
  std::string name = Joined({"MenuItem_", std::to_string(counter_)});
  ++counter_;
  return name;
}

int TMenuBuilder::AddSectionHeader(std::string_view caption) {
  TMenuItem item;
  item.Caption = std::string(caption);
  item.Tag = -1;
  item.Kind = TMenuItemKind::Header;
  item.Name = NextItemName();
  item.Enabled = false;
  // The first header opens the menu: there is nothing to draw a bar beside yet.
  item.Break = view_.MenuTopLevelCount() > 0 ? TMenuBreak::BarBreak : TMenuBreak::Break;
  return view_.AddMenuItem(item);
}

int TMenuBuilder::AddSeparator() {
  TMenuItem item;
  item.Caption = "-";
  item.Kind = TMenuItemKind::Separator;
  item.Name = NextItemName();
  return view_.AddMenuItem(item);
}

int TMenuBuilder::AddSubmenu(std::string_view caption) {
  TMenuItem item;
  item.Caption = std::string(caption);
  item.Kind = TMenuItemKind::Submenu;
  item.Name = NextItemName();
  return view_.AddMenuItem(item);
}

int TMenuBuilder::AddEntry(std::string_view caption, int tag, int section, int parent) {
  TMenuItem item;
  item.Caption = std::string(caption);
  item.Tag = tag;
  item.Section = section;
  item.Kind = TMenuItemKind::Entry;
  item.Name = NextItemName();
  item.Parent = parent;
  return view_.AddMenuItem(item);
}

void BuildCommandMenu(IOptionsView& view) {
  while (view.MenuTopLevelCount() > 0) view.DeleteFirstMenuItem();
  TMenuBuilder menu(view);
  menu.ResetNames();

  menu.AddSectionHeader("Rozkazy");
  menu.AddSeparator();
  int submenus[kGroupCount];
  for (int g = 0; g < kGroupCount; ++g) submenus[g] = menu.AddSubmenu(GroupNames[g]);
  for (int i = 0; i < kCommandCount; ++i) {
    const int group = CommandTable[i].Group;
    menu.AddEntry(CommandTable[i].Keyword, i, 0, InTable(group, kGroupCount) ? submenus[group] : -1);
  }

  menu.AddSectionHeader("Operatory");
  menu.AddSeparator();
  for (int i = 0; i < kOperatorCount; ++i) menu.AddEntry(OperatorTable[i], i, 1, -1);

  menu.AddSectionHeader(kConstantsHeader);
  menu.AddSeparator();
  for (int i = 0; i < kConstantCount; ++i)
    menu.AddEntry(Joined({"#", ConstantTable[i].Name}), i, 2, -1);

  menu.AddSectionHeader("Zmienne programu");
  menu.AddSeparator();
  for (int i = 0; i < kProgramVariableCount; ++i) menu.AddEntry(ProgramVariableNames[i], i, 3, -1);

  menu.AddSectionHeader("Etykiety specjalne");
  menu.AddSeparator();
  for (int i = 0; i < kSpecialLabelCount; ++i)
    menu.AddEntry(Joined({":", SpecialLabelTable[i].Name}), i, 4, -1);
}

void ItemMeasureItem(const TMenuItem& item, IDrawSurface& surface, int& width, int& height) {
  height = kItemHeight;
  surface.SetBold(IsHeader(item));
  width = surface.TextWidth(item.Caption) + kTextPadding;
}

void ItemAdvancedDrawItem(const TMenuItem& item, IDrawSurface& surface, const TMenuRect& rect,
                          bool selected) {
  const bool header = IsHeader(item);
  TColor background = clBtnFace;
  TColor text = clBlack;
  if (header) {
    text = clNavy;
  } else if (selected) {
    background = clNavy;
    text = clWhite;
  }
  surface.SetBold(header);
  surface.SetTextColor(text);
  surface.SetBrushColor(background);
  surface.SetPenColor(background);
  surface.FillRect(rect);

  const int dy = (rect.Bottom - rect.Top - surface.TextHeight(item.Caption)) / 2;
  const int dx = header ? (rect.Right - rect.Left - surface.TextWidth(item.Caption)) / 2
                        : kEntryIndent;
  surface.TextRect(rect, rect.Left + dx, rect.Top + dy, item.Caption);
}

std::string MenuItemInsertText(const TMenuItem& item) {
  const int i = item.Tag;
  switch (item.Section) {
    case 0:
      if (InTable(i, kCommandCount)) return std::string(CommandTable[i].Keyword);
      break;
    case 1:
      if (InTable(i, kOperatorCount)) return std::string(OperatorTable[i]);
      break;
    case 2:
      if (InTable(i, kConstantCount)) return Joined({"#", ConstantTable[i].Name});
      break;
    case 3:
      if (InTable(i, kProgramVariableCount)) return std::string(ProgramVariableNames[i]);
      break;
    case 4:
      if (InTable(i, kSpecialLabelCount)) {
        const TEtykietaSpec& label = SpecialLabelTable[i];
        return Joined({":", UpperCase(Joined({label.Name, " // (", label.Params, ")"}))});
      }
      break;
    default:
      break;
  }
  return {};
}

void InsertMenuItemText(IOptionsView& view, const TMenuItem& item) {
  const std::string text = MenuItemInsertText(item);
  if (text.empty()) return;
  const TCaretPos caret = view.CaretPos(ComponentId::Memo1);
  std::string line = view.Line(ComponentId::Memo1, caret.Line);
  const std::size_t column = std::min<std::size_t>(static_cast<std::size_t>(std::max(caret.Column, 0)),
                                                   line.size());
  line.insert(column, text);
  view.ReplaceLine(ComponentId::Memo1, caret.Line, line);
}

}  // namespace kw
