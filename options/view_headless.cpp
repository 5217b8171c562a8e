// The in-memory options view. Editors hold their whole text with CR LF breaks and a
// selection; every line operation works on the pieces between CR LF pairs, which is
// what the Windows edit control calls lines. Menu items live in a table by id; a
// deleted item leaves a hole so that ids stay stable. Its window records are
// headless_windows.cpp's.
#include "options/view_headless.h"

#include <algorithm>

namespace kw {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Virtual-key codes of the keys the editors act on themselves.
constexpr int kKeyBack = 8;
constexpr int kKeyEnd = 35;
constexpr int kKeyHome = 36;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;
constexpr int kKeyDelete = 46;

std::vector<std::size_t> LineStarts(const std::string& text) {
  std::vector<std::size_t> starts{0};
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '\r' && text[i + 1] == '\n') starts.push_back(++i + 1);
  return starts;
}

std::size_t LineEnd(const std::string& text, std::size_t start) {
  const std::size_t end = text.find(kCrLf, start);
  return end == std::string::npos ? text.size() : end;
}

std::size_t LineOf(const std::vector<std::size_t>& starts, std::size_t offset) {
  return static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), offset) -
                                  starts.begin()) - 1;
}

bool BreakBefore(const std::string& text, std::size_t offset) {
  return offset >= 2 && text.compare(offset - 2, 2, kCrLf) == 0;
}

bool BreakAt(const std::string& text, std::size_t offset) {
  return text.compare(offset, 2, kCrLf) == 0;
}

int ToInt(std::size_t n) { return static_cast<int>(std::min<std::size_t>(n, 0x7FFFFFFF)); }

// The key a typed character comes from, as far as the form cares: letters and digits
// have their own codes; nothing else may pass for Tab or Enter.
int KeyOfCharacter(char c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
  return 0;
}

int ButtonIndex(ComponentId button) {
  switch (button) {
    case ComponentId::Button1: return 0;
    case ComponentId::Button2: return 1;
    case ComponentId::Button3: return 2;
    default: return -1;
  }
}

const TMenuItem& NoMenuItem() {
  static const TMenuItem none{"", "-", 0, 0, TMenuItemKind::Separator, false,
                              TMenuBreak::None, -1};
  return none;
}

}  // namespace

THeadlessOptionsView::THeadlessOptionsView() : windows_(*this) {}

THeadlessOptionsView::~THeadlessOptionsView() = default;

TWindowHandle THeadlessOptionsView::WindowHandle() const { return windows_.FormHandle(); }

void THeadlessOptionsView::SetActiveTab(int tab) {
  if (tab == 0 || tab == 1) activeTab_ = tab;
}

THeadlessOptionsView::Editor& THeadlessOptionsView::EditorOf(ComponentId editor) {
  return editor == ComponentId::Memo2 ? memo2_ : memo1_;
}

const THeadlessOptionsView::Editor& THeadlessOptionsView::EditorOf(ComponentId editor) const {
  return editor == ComponentId::Memo2 ? memo2_ : memo1_;
}

void THeadlessOptionsView::Changed(ComponentId editor) {
  if (events_) events_->EditorChanged(editor);
}

std::string THeadlessOptionsView::Text(ComponentId editor) const { return EditorOf(editor).text; }

void THeadlessOptionsView::SetText(ComponentId editor, std::string_view text) {
  Editor& e = EditorOf(editor);
  if (e.lost) return;
  e.text = std::string(text.substr(0, text.find('\0')));
  e.selStart = e.selEnd = 0;
  Changed(editor);
}

int THeadlessOptionsView::CaretOffset(ComponentId editor) const {
  return ToInt(EditorOf(editor).selStart);
}

void THeadlessOptionsView::SetCaretOffset(ComponentId editor, int offset) {
  Select(editor, offset, offset);
}

void THeadlessOptionsView::Select(ComponentId editor, int start, int end) {
  Editor& e = EditorOf(editor);
  const auto clamp = [&e](int v) {
    return std::min(static_cast<std::size_t>(std::max(v, 0)), e.text.size());
  };
  e.selStart = std::min(clamp(start), clamp(end));
  e.selEnd = std::max(clamp(start), clamp(end));
}

int THeadlessOptionsView::SelectionStart(ComponentId editor) const {
  return ToInt(EditorOf(editor).selStart);
}

int THeadlessOptionsView::SelectionEnd(ComponentId editor) const {
  return ToInt(EditorOf(editor).selEnd);
}

TCaretPos THeadlessOptionsView::CaretPos(ComponentId editor) const {
  const Editor& e = EditorOf(editor);
  const auto starts = LineStarts(e.text);
  const std::size_t line = LineOf(starts, e.selStart);
  return TCaretPos{ToInt(line), ToInt(e.selStart - starts[line])};
}

int THeadlessOptionsView::LineCount(ComponentId editor) const {
  const Editor& e = EditorOf(editor);
  const auto starts = LineStarts(e.text);
  const bool emptyLast = starts.back() == e.text.size();
  return ToInt(starts.size() - (emptyLast ? 1 : 0));
}

std::string THeadlessOptionsView::Line(ComponentId editor, int line) const {
  const Editor& e = EditorOf(editor);
  const auto starts = LineStarts(e.text);
  if (line < 0 || static_cast<std::size_t>(line) >= starts.size()) return {};
  const std::size_t start = starts[static_cast<std::size_t>(line)];
  return e.text.substr(start, LineEnd(e.text, start) - start);
}

void THeadlessOptionsView::ReplaceLine(ComponentId editor, int line, std::string_view text) {
  Editor& e = EditorOf(editor);
  const auto starts = LineStarts(e.text);
  if (e.lost || line < 0 || static_cast<std::size_t>(line) >= starts.size()) return;
  const std::size_t start = starts[static_cast<std::size_t>(line)];
  e.text.replace(start, LineEnd(e.text, start) - start, text);
  e.selStart = e.selEnd = start + text.size();
  Changed(editor);
}

void THeadlessOptionsView::ReplaceSelection(ComponentId editor, std::string_view text) {
  Editor& e = EditorOf(editor);
  if (e.lost) return;
  e.text.replace(e.selStart, e.selEnd - e.selStart, text);
  e.selStart = e.selEnd = e.selStart + text.size();
  Changed(editor);
}

void THeadlessOptionsView::DestroyEditor(ComponentId editor) {
  EditorOf(editor) = Editor{"", 0, 0, true};
}

void THeadlessOptionsView::SetLabel(ComponentId label, std::string_view text) {
  if (label == ComponentId::Label1) label1_ = std::string(text);
  if (label == ComponentId::Label2) label2_ = std::string(text);
}

std::string THeadlessOptionsView::LabelText(ComponentId label) const {
  if (label == ComponentId::Label1) return label1_;
  if (label == ComponentId::Label2) return label2_;
  return {};
}

void THeadlessOptionsView::SetButtonEnabled(ComponentId button, bool enabled) {
  const int i = ButtonIndex(button);
  if (i >= 0) buttonEnabled_[i] = enabled;
}

bool THeadlessOptionsView::ButtonEnabled(ComponentId button) const {
  const int i = ButtonIndex(button);
  return i >= 0 && buttonEnabled_[i];
}

int THeadlessOptionsView::MenuTopLevelCount() const { return ToInt(MenuChildren(-1).size()); }

void THeadlessOptionsView::DeleteFirstMenuItem() {
  const std::vector<int> top = MenuChildren(-1);
  if (top.empty()) return;
  // Everything under the item goes with it, however deep.
  std::vector<int> doomed{top.front()};
  while (!doomed.empty()) {
    const int id = doomed.back();
    doomed.pop_back();
    for (int child : MenuChildren(id)) doomed.push_back(child);
    menu_[static_cast<std::size_t>(id)].reset();
  }
}

int THeadlessOptionsView::AddMenuItem(const TMenuItem& item) {
  TMenuItem added = item;
  const bool parentIsSubmenu = added.Parent >= 0 &&
                               static_cast<std::size_t>(added.Parent) < menu_.size() &&
                               menu_[static_cast<std::size_t>(added.Parent)] &&
                               menu_[static_cast<std::size_t>(added.Parent)]->Kind ==
                                   TMenuItemKind::Submenu;
  if (!parentIsSubmenu) added.Parent = -1;
  menu_.emplace_back(std::move(added));
  return ToInt(menu_.size() - 1);
}

const TMenuItem& THeadlessOptionsView::MenuItem(int id) const {
  if (id < 0 || static_cast<std::size_t>(id) >= menu_.size() || !menu_[static_cast<std::size_t>(id)])
    return NoMenuItem();
  return *menu_[static_cast<std::size_t>(id)];
}

std::vector<int> THeadlessOptionsView::MenuChildren(int parent) const {
  std::vector<int> ids;
  for (std::size_t i = 0; i < menu_.size(); ++i)
    if (menu_[i] && menu_[i]->Parent == parent) ids.push_back(ToInt(i));
  return ids;
}

int THeadlessOptionsView::MenuItemCount() const {
  return ToInt(static_cast<std::size_t>(
      std::count_if(menu_.begin(), menu_.end(), [](const auto& item) { return item.has_value(); })));
}

int THeadlessOptionsView::FindMenuItem(std::string_view caption) const {
  for (std::size_t i = 0; i < menu_.size(); ++i)
    if (menu_[i] && menu_[i]->Caption == caption) return ToInt(i);
  return -1;
}

void THeadlessOptionsView::PopupMenu(TPoint32 screen) {
  menuOpen_ = true;
  menuPoint_ = screen;
}

bool THeadlessOptionsView::ChooseMenuItem(int id) {
  if (!menuOpen_) return false;
  const TMenuItem& item = MenuItem(id);
  if (item.Kind != TMenuItemKind::Entry || !item.Enabled) return false;
  menuOpen_ = false;
  if (events_) events_->MenuItemChosen(id);
  return true;
}

bool THeadlessOptionsView::ChooseMenuEntry(std::string_view caption) {
  const auto asciiEqualNoCase = [](std::string_view a, std::string_view b) {
    const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&up](char x, char y) { return up(x) == up(y); });
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < menu_.size(); ++i) {
      const std::optional<TMenuItem>& item = menu_[i];
      if (!item || item->Kind != TMenuItemKind::Entry || !item->Enabled) continue;
      if (pass == 0 ? item->Caption != caption : !asciiEqualNoCase(item->Caption, caption)) continue;
      if (!menuOpen_) PopupMenu(cursor_);
      return ChooseMenuItem(ToInt(i));
    }
  }
  return false;
}

void THeadlessOptionsView::MeasureMenuItem(int id, IDrawSurface& surface, int& width,
                                           int& height) {
  if (events_) events_->MenuItemMeasure(id, surface, width, height);
}

void THeadlessOptionsView::DrawMenuItem(int id, IDrawSurface& surface, const TMenuRect& rect,
                                        bool selected) {
  if (events_) events_->MenuItemDraw(id, surface, rect, selected);
}

bool THeadlessOptionsView::ClickButton(ComponentId button) {
  // All three buttons sit on the first tab.
  if (activeTab_ != 0 || !ButtonEnabled(button)) return false;
  if (events_) events_->ButtonClicked(button);
  return true;
}

void THeadlessOptionsView::SelectTab(int tab) {
  if ((tab != 0 && tab != 1) || tab == activeTab_) return;
  activeTab_ = tab;
  if (events_) events_->TabChanged();
}

void THeadlessOptionsView::ClickEditor(ComponentId editor, int offset) {
  SetCaretOffset(editor, offset);
  if (events_) events_->EditorMouseDown(editor);
}

int THeadlessOptionsView::OffsetAt(ComponentId editor, int line, int column) const {
  const std::string& text = EditorOf(editor).text;
  const auto starts = LineStarts(text);
  const std::size_t start = starts[std::min(static_cast<std::size_t>(std::max(line, 0)), starts.size() - 1)];
  return ToInt(std::min(start + static_cast<std::size_t>(std::max(column, 0)), LineEnd(text, start)));
}

void THeadlessOptionsView::RightClickEditor(ComponentId editor) {
  if (events_) events_->EditorMouseDown(editor);
  PopupMenu(cursor_);
}

void THeadlessOptionsView::MoveCaret(ComponentId editor, int key) {
  Editor& e = EditorOf(editor);
  std::size_t caret = e.selStart;
  const auto starts = LineStarts(e.text);
  const std::size_t line = LineOf(starts, caret);
  const std::size_t column = caret - starts[line];
  switch (key) {
    case kKeyLeft:
      if (e.selStart == e.selEnd && caret > 0) caret -= BreakBefore(e.text, caret) ? 2 : 1;
      break;
    case kKeyRight:
      caret = e.selEnd;
      if (e.selStart == e.selEnd && caret < e.text.size()) caret += BreakAt(e.text, caret) ? 2 : 1;
      break;
    case kKeyHome:
      caret = starts[line];
      break;
    case kKeyEnd:
      caret = LineEnd(e.text, starts[line]);
      break;
    case kKeyUp:
    case kKeyDown: {
      if (key == kKeyUp && line == 0) break;
      if (key == kKeyDown && line + 1 >= starts.size()) break;
      const std::size_t target = key == kKeyUp ? line - 1 : line + 1;
      caret = std::min(starts[target] + column, LineEnd(e.text, starts[target]));
      break;
    }
    default:
      return;
  }
  e.selStart = e.selEnd = caret;
}

void THeadlessOptionsView::PressKey(ComponentId editor, int key) {
  const bool typed = events_ && events_->EditorKeyDown(editor, key);
  Editor& e = EditorOf(editor);
  if (!typed) {
    if (key == kKeyTab) {
      ReplaceSelection(editor, "\t");
    } else if (key == kKeyEnter) {
      ReplaceSelection(editor, kCrLf);
    } else if (key == kKeyBack || key == kKeyDelete) {
      if (e.selStart == e.selEnd) {
        if (key == kKeyBack && e.selStart > 0)
          e.selStart -= BreakBefore(e.text, e.selStart) ? 2 : 1;
        if (key == kKeyDelete && e.selEnd < e.text.size())
          e.selEnd += BreakAt(e.text, e.selEnd) ? 2 : 1;
      }
      if (e.selStart != e.selEnd) ReplaceSelection(editor, "");
    } else {
      MoveCaret(editor, key);
    }
  }
  if (events_) events_->EditorKeyUp(editor, key);
}

void THeadlessOptionsView::TypeText(ComponentId editor, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0') continue;  // no key types it
    if (c == '\t') {
      PressKey(editor, kKeyTab);
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      PressKey(editor, kKeyEnter);
    } else {
      const int key = KeyOfCharacter(c);
      const bool typed = events_ && events_->EditorKeyDown(editor, key);
      if (!typed) ReplaceSelection(editor, std::string_view(&c, 1));
      if (events_) events_->EditorKeyUp(editor, key);
    }
  }
}

}  // namespace kw
