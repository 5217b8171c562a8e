// The options form's narrow view of the windowing toolkit. The form's rules (docking,
// key handling, help lines, the reference menu, loading and saving) live in portable
// code that sees only these interfaces; a view puts them on a real window
// (view_win32.cpp) or keeps them in memory (view_headless.cpp, for tests and the
// simulator). Texts are Windows-1250 bytes throughout. An editor's text uses CR LF as
// its only line break; its lines are the pieces between them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "support/rect.h"

namespace kw {

// The form's components, in their designed order. Views take these to say which
// editor, label, button or tab an operation or event concerns.
enum class ComponentId : int {
  PopupMenu1,
  PageControl1,
  TabSheet1,
  Panel1,
  Button1,
  Memo1,
  TabSheet2,
  Memo2,
  Button2,
  Button3,
  Panel2,
  Label2,
  Label1,
};

enum class TBorderStyle { None, Sizeable };

// A window handle as the host passes it: pointer-sized, 0 = none.
using TWindowHandle = std::intptr_t;

// Colours as the toolkit's TColor: 0x00BBGGRR, or 0xFF000000 plus a system colour index.
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clWhite = 0x00FFFFFF;
inline constexpr TColor clNavy = 0x00800000;
inline constexpr TColor clCream = 0x00F0FBFF;    // red 255, green 251, blue 240
inline constexpr TColor clSkyBlue = 0x00F0CAA6;  // red 166, green 202, blue 240
inline constexpr TColor clBtnFace = 0xFF00000F;
inline constexpr TColor clWindowText = 0xFF000008;

// Virtual-key codes the form reacts to.
inline constexpr int kKeyTab = 9;
inline constexpr int kKeyEnter = 13;

struct TPoint32 {
  std::int32_t X = 0;  // screen x
  std::int32_t Y = 0;  // screen y
};

// Caret of an editor: 0-based line and column of the start of the selection.
struct TCaretPos {
  int Line = 0;    // line number
  int Column = 0;  // characters before the caret on that line
};

// A rectangle in device pixels, right and bottom exclusive.
struct TMenuRect {
  std::int32_t Left = 0;    // first column inside
  std::int32_t Top = 0;     // first row inside
  std::int32_t Right = 0;   // first column outside
  std::int32_t Bottom = 0;  // first row outside
};

enum class TMenuItemKind {
  Header,     // section header: disabled, owner-drawn
  Separator,  // caption "-", drawn by the toolkit
  Submenu,    // command group, drawn by the toolkit, holds entries
  Entry,      // owner-drawn, inserts its text when chosen
};

enum class TMenuBreak { None, Break, BarBreak };

// One item of the popup menu as the builder describes it. Headers and entries are
// measured and drawn by the form's handlers; only entries can be chosen.
struct TMenuItem {
  std::string Name;      // component name, "MenuItem_<n>"
  std::string Caption;   // shown text; "-" for a separator
  std::int32_t Tag = 0;  // -1 header; the table index for an entry; 0 otherwise
  int Section = 0;       // 0 command, 1 operator, 2 constant, 3 variable, 4 label
  TMenuItemKind Kind = TMenuItemKind::Entry;
  bool Enabled = true;                    // false for headers
  TMenuBreak Break = TMenuBreak::None;    // column break before this item
  int Parent = -1;                        // view id of the holding submenu; -1 = top level
};

// What the menu handlers draw on: the toolkit's canvas for one item.
class IDrawSurface {
 public:
  virtual ~IDrawSurface() = default;
  virtual void SetBold(bool bold) = 0;
  virtual void SetTextColor(TColor color) = 0;
  virtual void SetBrushColor(TColor color) = 0;
  virtual void SetPenColor(TColor color) = 0;
  virtual void FillRect(const TMenuRect& rect) = 0;  // with the brush colour
  virtual int TextWidth(std::string_view text) = 0;
  virtual int TextHeight(std::string_view text) = 0;
  // Draws text with its top left corner at (x, y), nothing outside clip.
  virtual void TextRect(const TMenuRect& clip, int x, int y, std::string_view text) = 0;
};

// Events a view reports to the form. Editors are ComponentId::Memo1 or Memo2.
class IOptionsEvents {
 public:
  virtual ~IOptionsEvents() = default;
  virtual void ButtonClicked(ComponentId button) = 0;
  virtual void TabChanged() = 0;
  virtual void EditorChanged(ComponentId editor) = 0;
  // True when the handler has already put the key's text (Tab, Enter) into the editor:
  // the view then drops the character the key would type, so one key press yields one.
  virtual bool EditorKeyDown(ComponentId editor, int key) = 0;
  virtual void EditorKeyUp(ComponentId editor, int key) = 0;
  virtual void EditorMouseDown(ComponentId editor) = 0;
  virtual void MenuItemMeasure(int item, IDrawSurface& surface, int& width, int& height) = 0;
  virtual void MenuItemDraw(int item, IDrawSurface& surface, const TMenuRect& rect,
                            bool selected) = 0;
  virtual void MenuItemChosen(int item) = 0;
};

// The toolkit as the form needs it. Bounds are left, top, width, height of the whole
// window: in the parent's client coordinates while it has a parent, else on the screen.
class IOptionsView {
 public:
  virtual ~IOptionsView() = default;

  virtual void SetEvents(IOptionsEvents* events) = 0;  // null = report nothing

  // The form window.
  virtual TWindowHandle WindowHandle() const = 0;
  virtual TWindowHandle ParentWindow() const = 0;
  virtual void SetParentWindow(TWindowHandle parent) = 0;  // 0 = top-level
  virtual void SetBorderStyle(TBorderStyle style) = 0;
  virtual TRect32 Bounds() const = 0;
  virtual void SetBounds(const TRect32& bounds) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetCaption(std::string_view caption) = 0;

  // The page control: 0 = TabSheet1, 1 = TabSheet2. Setting it reports no change.
  virtual int ActiveTab() const = 0;
  virtual void SetActiveTab(int tab) = 0;

  // Editors. Offsets count characters of the whole text, a line break as two.
  virtual std::string Text(ComponentId editor) const = 0;
  // False once the editor is gone with its text (its window destroyed under the form):
  // its Text is then empty and says nothing of what the user wrote.
  virtual bool EditorAvailable(ComponentId editor) const = 0;
  virtual void SetText(ComponentId editor, std::string_view text) = 0;  // reports a change
  virtual int CaretOffset(ComponentId editor) const = 0;
  virtual void SetCaretOffset(ComponentId editor, int offset) = 0;  // empties the selection
  virtual TCaretPos CaretPos(ComponentId editor) const = 0;
  // Lines, not counting an empty last line (an empty editor has none).
  virtual int LineCount(ComponentId editor) const = 0;
  // Line n, the empty last line included; empty beyond it.
  virtual std::string Line(ComponentId editor, int line) const = 0;
  // Puts text in place of line n (the empty last line included); the caret then stands
  // after the new text. Reports a change.
  virtual void ReplaceLine(ComponentId editor, int line, std::string_view text) = 0;

  virtual void SetLabel(ComponentId label, std::string_view text) = 0;
  virtual void SetButtonEnabled(ComponentId button, bool enabled) = 0;

  // The popup menu. Items get ids that stay valid until they are deleted.
  virtual int MenuTopLevelCount() const = 0;
  virtual void DeleteFirstMenuItem() = 0;  // with everything it holds
  virtual int AddMenuItem(const TMenuItem& item) = 0;
  virtual const TMenuItem& MenuItem(int id) const = 0;
  virtual void PopupMenu(TPoint32 screen) = 0;  // may run until an item is chosen
  virtual TPoint32 CursorPos() const = 0;

  // Tells the user something went wrong; returns when the user has seen it.
  virtual void ShowError(std::string_view text) = 0;
};

// The view of this platform: the real window on Windows, the in-memory one elsewhere.
std::unique_ptr<IOptionsView> CreateOptionsView();

}  // namespace kw
