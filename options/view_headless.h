// THeadlessOptionsView: the options form's view kept in memory, with no window. It is
// the view on platforms without the Windows toolkit and the one tests and the simulator
// drive: besides the view interface it lets a program act as the user (type, press
// keys, move the caret, click buttons and editors, pick a tab, choose menu items) and
// read back what the user would see. Its editors behave like the toolkit's: CR LF
// breaks lines, Tab and Enter are typed as text unless the form has already put them
// in, and text changes are reported as changes. Its window handle points to a
// KwHeadlessWindow (options/headless_window.h), through which a program outside the
// module does the same by requests.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "options/headless_windows.h"
#include "options/view.h"

namespace kw {

class THeadlessOptionsView final : public IOptionsView {
 public:
  THeadlessOptionsView();
  ~THeadlessOptionsView() override;
  // Its window records point back at this view.
  THeadlessOptionsView(const THeadlessOptionsView&) = delete;
  THeadlessOptionsView& operator=(const THeadlessOptionsView&) = delete;

  // ---- IOptionsView --------------------------------------------------------------
  void SetEvents(IOptionsEvents* events) override { events_ = events; }
  TWindowHandle WindowHandle() const override;
  TWindowHandle ParentWindow() const override { return parent_; }
  void SetParentWindow(TWindowHandle parent) override { parent_ = parent; }
  void SetBorderStyle(TBorderStyle style) override { border_ = style; }
  TRect32 Bounds() const override { return bounds_; }
  void SetBounds(const TRect32& bounds) override { bounds_ = bounds; }
  void SetVisible(bool visible) override { visible_ = visible; }
  void SetCaption(std::string_view caption) override { caption_ = std::string(caption); }
  int ActiveTab() const override { return activeTab_; }
  void SetActiveTab(int tab) override;
  std::string Text(ComponentId editor) const override;
  bool EditorAvailable(ComponentId editor) const override { return !EditorOf(editor).lost; }
  void SetText(ComponentId editor, std::string_view text) override;
  int CaretOffset(ComponentId editor) const override;
  void SetCaretOffset(ComponentId editor, int offset) override;
  TCaretPos CaretPos(ComponentId editor) const override;
  int LineCount(ComponentId editor) const override;
  std::string Line(ComponentId editor, int line) const override;
  void ReplaceLine(ComponentId editor, int line, std::string_view text) override;
  void SetLabel(ComponentId label, std::string_view text) override;
  void SetButtonEnabled(ComponentId button, bool enabled) override;
  int MenuTopLevelCount() const override;
  void DeleteFirstMenuItem() override;
  int AddMenuItem(const TMenuItem& item) override;
  const TMenuItem& MenuItem(int id) const override;
  void PopupMenu(TPoint32 screen) override;
  TPoint32 CursorPos() const override { return cursor_; }
  void ShowError(std::string_view text) override { errors_.emplace_back(text); }

  // ---- What the user sees ----------------------------------------------------------
  bool Visible() const { return visible_; }
  const std::string& Caption() const { return caption_; }
  TBorderStyle BorderStyle() const { return border_; }
  std::string LabelText(ComponentId label) const;
  bool ButtonEnabled(ComponentId button) const;
  // Start and end of an editor's selection (equal when nothing is selected).
  int SelectionStart(ComponentId editor) const;
  int SelectionEnd(ComponentId editor) const;
  bool MenuOpen() const { return menuOpen_; }
  TPoint32 MenuPoint() const { return menuPoint_; }  // where the menu last popped up
  // Ids of the items directly under parent (-1 = the top level), in menu order.
  std::vector<int> MenuChildren(int parent) const;
  int MenuItemCount() const;  // every item, at every level
  // Id of the first item with this caption, at any level; -1 if none.
  int FindMenuItem(std::string_view caption) const;
  const std::vector<std::string>& Errors() const { return errors_; }  // error boxes shown

  // ---- What the user does ----------------------------------------------------------
  void SetCursorPos(TPoint32 screen) { cursor_ = screen; }
  // Fails (false) for a disabled button or one on a tab that is not showing.
  bool ClickButton(ComponentId button);
  void SelectTab(int tab);  // reports the change when it is one
  void Select(ComponentId editor, int start, int end);
  // Left click: the caret moves to offset, then the mouse-down is reported.
  void ClickEditor(ComponentId editor, int offset);
  // The offset of a line and column (from 0) as a click finds it: a line past the last
  // is the last, a column past the line's end is that end.
  int OffsetAt(ComponentId editor, int line, int column) const;
  // Right click: the mouse-down is reported, then the menu pops up at the cursor.
  void RightClickEditor(ComponentId editor);
  // One key press: down, the key's own effect, up. Tab and Enter type their text,
  // Back and Delete erase, Left, Right, Home, End, Up and Down move the caret.
  void PressKey(ComponentId editor, int key);
  // Types each character as one key press; CR LF, CR and LF are each one Enter.
  void TypeText(ComponentId editor, std::string_view text);
  // Chooses an item of the open menu; false (menu stays open) for a header, separator,
  // submenu or unknown id, or when no menu is open.
  bool ChooseMenuItem(int id);
  // Opens the menu (unless open) and chooses the first enabled entry with exactly this
  // caption, else the first equal ignoring ASCII case; false, the menu as it was, when
  // none has it.
  bool ChooseMenuEntry(std::string_view caption);
  void CloseMenu() { menuOpen_ = false; }
  // The editor's window is destroyed under the form, as a foreign window procedure
  // might do it: its text is gone and it stays empty.
  void DestroyEditor(ComponentId editor);
  // Asks the form to measure or draw an item, as the toolkit would while the menu is open.
  void MeasureMenuItem(int id, IDrawSurface& surface, int& width, int& height);
  void DrawMenuItem(int id, IDrawSurface& surface, const TMenuRect& rect, bool selected);

 private:
  struct Editor {
    std::string text;          // whole text, CR LF line breaks
    std::size_t selStart = 0;  // offset of the selection's start: the caret
    std::size_t selEnd = 0;    // offset just past the selection; = selStart when none
    bool lost = false;         // destroyed: empty for good
  };

  Editor& EditorOf(ComponentId editor);
  const Editor& EditorOf(ComponentId editor) const;
  void ReplaceSelection(ComponentId editor, std::string_view text);
  void Changed(ComponentId editor);
  void MoveCaret(ComponentId editor, int key);

  IOptionsEvents* events_ = nullptr;          // the form, or null
  TWindowHandle parent_ = 0;                  // parent window; 0 = top-level
  TBorderStyle border_ = TBorderStyle::None;  // the form's border
  TRect32 bounds_{0, 0, 535, 431};            // client 525 x 421 inside a 5-pixel border
  bool visible_ = false;                      // shown on screen
  std::string caption_;                       // title of the free window
  int activeTab_ = 0;                         // 0 = TabSheet1, 1 = TabSheet2
  Editor memo1_;                              // the script editor
  Editor memo2_;                              // the spam list editor
  std::string label1_;                        // syntax help line
  std::string label2_;                        // description help line
  bool buttonEnabled_[3] = {true, true, true};  // Button1, Button2, Button3
  std::vector<std::optional<TMenuItem>> menu_;  // by id; deleted items are empty
  bool menuOpen_ = false;                     // the popup menu is showing
  TPoint32 menuPoint_;                        // where it last popped up
  TPoint32 cursor_;                           // the mouse cursor's screen position
  std::vector<std::string> errors_;           // texts of the error boxes shown
  THeadlessWindows windows_;                  // its window records; last, as they act on it
};

}  // namespace kw
