// The page as a real Win32 window: the simulated user reaches the form's controls by
// their control ids under the handle the plugin registered, and acts on them with the
// window messages a keyboard and a mouse would bring, in this thread (the module's
// windows live here), pumping what they post. ANSI messages throughout: the host's code
// page is Windows-1250, as are the simulator's texts.
//
// Choices worth knowing:
// - A key press is WM_KEYDOWN, WM_CHAR, WM_KEYUP sent to the editor, as the keyboard
//   driver and TranslateMessage deliver it, so Tab and Enter pass the form's key
//   handling once. A character that has no key of its own is VK_PACKET, as for input
//   that comes as text.
// - A click scrolls its spot into view first (the user scrolls before clicking; the
//   editor only takes clicks within its visible rectangle).
// - A tab is chosen by a click on it, which makes the tab control tell the form; should
//   the click miss, the selection and the notification are given as the control would.
// - The command reference menu opens modally. A timer running inside the menu's loop
//   opens the submenus on the way and clicks the entry, with posted clicks whose point
//   is in screen coordinates, as the menu loop reads it; a second timer closes a menu
//   that did not close and reports that nothing was chosen.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "options/headless_window.h"  // the control ids only; the real window uses them too
#include "tools/sim/page_window.h"
#include "tools/sim/texts.h"

namespace kwsim {
namespace {

constexpr UINT kMenuGetHandle = 0x01E1;  // MN_GETHMENU: the menu a menu window shows
constexpr UINT kChooseStepMs = 30;       // the chooser's tick while the menu is open
constexpr UINT kStuckMenuMs = 5000;      // a menu still open then is closed unchosen
constexpr int kMaxChooseSteps = 20;      // clicks on the way before giving up

LPARAM PointParam(int x, int y) {
  return static_cast<LPARAM>((static_cast<DWORD>(y) & 0xFFFFu) << 16 | (static_cast<DWORD>(x) & 0xFFFFu));
}

LRESULT Send(HWND h, UINT message, WPARAM w = 0, LPARAM l = 0) {
  return h ? SendMessageA(h, message, w, l) : 0;
}

// Whatever the window's work has posted to itself (paints, timers, notifications).
void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

std::string TextOf(HWND h) {
  const LRESULT length = Send(h, WM_GETTEXTLENGTH);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT got = Send(h, WM_GETTEXT, static_cast<WPARAM>(buffer.size()),
                           reinterpret_cast<LPARAM>(buffer.data()));
  return std::string(buffer.data(), static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
}

struct IdSearch {
  int id;       // the control id looked for
  HWND found;   // the first descendant with it, or null
};

BOOL CALLBACK FindById(HWND h, LPARAM p) {
  auto* search = reinterpret_cast<IdSearch*>(p);
  if (GetDlgCtrlID(h) != search->id) return TRUE;
  search->found = h;
  return FALSE;
}

// EnumChildWindows walks every descendant, however deep the control sits.
HWND ChildById(HWND form, std::intptr_t id) {
  IdSearch search{static_cast<int>(id), nullptr};
  EnumChildWindows(form, &FindById, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lx = static_cast<unsigned char>(x), ly = static_cast<unsigned char>(y);
           return (lx < 0x80 ? std::tolower(lx) : lx) == (ly < 0x80 ? std::tolower(ly) : ly);
         });
}

// ---- Choosing in the open menu -------------------------------------------------------

struct MenuStep {
  HMENU menu;      // the menu that holds the item
  UINT position;   // the item's place in it
};

// What the chooser's timers work on while the menu's loop runs; one menu at a time.
struct MenuChoice {
  std::string caption;          // the entry to choose
  HMENU top = nullptr;          // the menu as it opened; null until seen
  std::vector<MenuStep> path;   // from the top menu down to the entry; empty: none found
  int steps = 0;                // clicks posted so far
  bool entryClicked = false;    // the click on the entry itself has been posted
  bool stuck = false;           // the safety timer had to close the menu
  UINT_PTR stepTimer = 0;       // the chooser's tick
};
MenuChoice* gChoice = nullptr;

std::string MenuCaption(HMENU menu, UINT position) {
  char caption[256] = {};
  GetMenuStringA(menu, position, caption, sizeof caption, MF_BYPOSITION);
  return caption;
}

// Depth first, in the menu's own order: the first enabled entry (not a separator, not a
// submenu) whose caption matches.
bool FindEntry(HMENU menu, std::string_view caption, bool ignoreCase, std::vector<MenuStep>& path,
               int depth = 0) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count && depth < 8; ++i) {
    const auto position = static_cast<UINT>(i);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(menu, position, TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
    if (info.fState & MFS_DISABLED) continue;
    path.push_back(MenuStep{menu, position});
    if (info.hSubMenu) {
      if (FindEntry(info.hSubMenu, caption, ignoreCase, path, depth + 1)) return true;
    } else {
      const std::string own = MenuCaption(menu, position);
      if (ignoreCase ? AsciiEqualNoCase(own, caption) : own == caption) return true;
    }
    path.pop_back();
  }
  return false;
}

struct MenuWindows {
  std::vector<std::pair<HWND, HMENU>> shown;  // visible menu windows and their menus
};

BOOL CALLBACK CollectMenuWindow(HWND h, LPARAM p) {
  char name[16] = {};
  GetClassNameA(h, name, sizeof name);
  if (lstrcmpA(name, "#32768") != 0 || !IsWindowVisible(h)) return TRUE;
  if (auto menu = reinterpret_cast<HMENU>(SendMessageA(h, kMenuGetHandle, 0, 0)))
    reinterpret_cast<MenuWindows*>(p)->shown.emplace_back(h, menu);
  return TRUE;
}

HWND WindowOfMenu(const MenuWindows& windows, HMENU menu) {
  for (const auto& [window, shown] : windows.shown)
    if (shown == menu) return window;
  return nullptr;
}

void ClickMenuItem(HWND window, const MenuStep& step) {
  RECT r{};
  if (!GetMenuItemRect(nullptr, step.menu, step.position, &r)) return;
  const LPARAM point = PointParam((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(window, WM_MOUSEMOVE, 0, point);
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageA(window, WM_LBUTTONUP, 0, point);
}

void StopChoosing(MenuChoice& choice) {
  if (choice.stepTimer) KillTimer(nullptr, choice.stepTimer);
  choice.stepTimer = 0;
}

// One tick: click the item on the path in the deepest menu that is open, which opens the
// next submenu or, at the end, chooses the entry.
void CALLBACK ChooseStep(HWND, UINT, UINT_PTR, DWORD) {
  if (!gChoice || gChoice->entryClicked) return;
  MenuChoice& choice = *gChoice;
  MenuWindows windows;
  EnumThreadWindows(GetCurrentThreadId(), &CollectMenuWindow, reinterpret_cast<LPARAM>(&windows));
  if (windows.shown.empty()) return;  // not open yet
  if (!choice.top) {
    choice.top = windows.shown.front().second;
    if (!FindEntry(choice.top, choice.caption, false, choice.path))
      FindEntry(choice.top, choice.caption, true, choice.path);
    if (choice.path.empty()) {
      StopChoosing(choice);
      EndMenu();
      return;
    }
  }
  if (++choice.steps > kMaxChooseSteps) {
    StopChoosing(choice);
    EndMenu();
    return;
  }
  std::size_t level = 0;
  while (level + 1 < choice.path.size() && WindowOfMenu(windows, choice.path[level + 1].menu))
    ++level;
  const HWND window = WindowOfMenu(windows, choice.path[level].menu);
  if (!window) return;  // the way there closed; the next tick starts again from the top
  ClickMenuItem(window, choice.path[level]);
  if (level + 1 == choice.path.size()) {
    choice.entryClicked = true;
    StopChoosing(choice);
  }
}

void CALLBACK CloseStuckMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!gChoice) return;
  gChoice->stuck = true;
  StopChoosing(*gChoice);
  EndMenu();
}

// ---- The page ------------------------------------------------------------------------

class Win32Page final : public PageWindow {
 public:
  Win32Page(HWND tabs, HWND memo1, HWND memo2, HWND label1, HWND label2)
      : tabs_(tabs), memo1_(memo1), memo2_(memo2), label1_(label1), label2_(label2) {}

  void ShowTab(PageEditor editor) override {
    const int tab = editor == PageEditor::Script ? 0 : 1;
    if (Send(tabs_, TCM_GETCURSEL) == tab) return;
    RECT r{};
    if (Send(tabs_, TCM_GETITEMRECT, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&r))) {
      const LPARAM point = PointParam((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      Send(tabs_, WM_LBUTTONDOWN, MK_LBUTTON, point);
      Send(tabs_, WM_LBUTTONUP, 0, point);
      Pump();
    }
    if (Send(tabs_, TCM_GETCURSEL) == tab) return;
    Send(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(tab));
    NMHDR change{tabs_, static_cast<UINT_PTR>(GetDlgCtrlID(tabs_)), static_cast<UINT>(TCN_SELCHANGE)};
    Send(GetParent(tabs_), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    Pump();
  }

  void Type(PageEditor editor, std::string_view text) override {
    const HWND memo = Editor(editor);
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c == '\r' || c == '\n') {
        // One Enter per line break, whichever way it is written.
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        Press(memo, VK_RETURN, '\r');
      } else if (c == '\t') {
        Press(memo, VK_TAB, '\t');
      } else {
        Press(memo, KeyOf(c), c);
      }
    }
    Pump();
  }

  void PressKey(PageEditor editor, int key) override {
    const auto vk = static_cast<WPARAM>(key & 0xFF);
    Press(Editor(editor), vk, MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_CHAR) & 0xFFu);
    Pump();
  }

  void Click(PageEditor editor, int line, int column) override {
    const HWND memo = Editor(editor);
    const LRESULT length = Send(memo, WM_GETTEXTLENGTH);
    const LRESULT lines = std::max<LRESULT>(Send(memo, EM_GETLINECOUNT), 1);
    const auto row = static_cast<WPARAM>(std::clamp<LRESULT>(line, 0, lines - 1));
    const LRESULT start = std::max<LRESULT>(Send(memo, EM_LINEINDEX, row), 0);
    const LRESULT width = Send(memo, EM_LINELENGTH, static_cast<WPARAM>(start));
    const LRESULT offset = start + std::clamp<LRESULT>(column, 0, width);
    // The user scrolls the spot into view before clicking on it.
    Send(memo, EM_SETSEL, static_cast<WPARAM>(offset), offset);
    Send(memo, EM_SCROLLCARET);
    const POINT at = PointOf(memo, offset, length, row);
    const LPARAM point = PointParam(at.x, at.y);
    Send(memo, WM_LBUTTONDOWN, MK_LBUTTON, point);
    Send(memo, WM_LBUTTONUP, 0, point);
    Pump();
  }

  std::string Text(PageEditor editor) override { return TextOf(Editor(editor)); }

  std::size_t CaretOffset(PageEditor editor) override {
    DWORD start = 0, end = 0;
    Send(Editor(editor), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start;
  }

  std::string HelpLine(bool syntax) override { return TextOf(syntax ? label1_ : label2_); }

  bool ChooseMenuEntry(std::string_view caption) override {
    MenuChoice choice;
    choice.caption = std::string(caption);
    gChoice = &choice;
    choice.stepTimer = SetTimer(nullptr, 0, kChooseStepMs, &ChooseStep);
    const UINT_PTR safety = SetTimer(nullptr, 0, kStuckMenuMs, &CloseStuckMenu);
    OpenMenu();  // returns once the menu has closed
    StopChoosing(choice);
    KillTimer(nullptr, safety);
    gChoice = nullptr;
    Pump();
    return choice.entryClicked && !choice.stuck;
  }

 private:
  HWND Editor(PageEditor editor) const { return editor == PageEditor::Script ? memo1_ : memo2_; }

  // The key that brings the context menu, in the editor on view: the same menu the
  // "menu" button opens, and there on either tab.
  void OpenMenu() {
    const HWND memo = Send(tabs_, TCM_GETCURSEL) == 1 ? memo2_ : memo1_;
    Send(memo, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(memo), static_cast<LPARAM>(-1));
  }

  static void Press(HWND memo, WPARAM key, unsigned character) {
    const auto scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC) & 0xFFu);
    Send(memo, WM_KEYDOWN, key, scan << 16 | 1);
    if (IsWindow(memo) && character != 0) Send(memo, WM_CHAR, character, scan << 16 | 1);
    if (IsWindow(memo))
      Send(memo, WM_KEYUP, key, static_cast<LPARAM>(static_cast<DWORD>(scan << 16) | 0xC0000001u));
  }

  // The key that types c; never Tab or Enter, which only their own characters are.
  static WPARAM KeyOf(unsigned char c) {
    const SHORT scan = VkKeyScanA(static_cast<CHAR>(c));
    const auto key = static_cast<WPARAM>(scan & 0xFF);
    if (scan == -1 || key == 0xFF || key == VK_RETURN || key == VK_TAB) return VK_PACKET;
    return key;
  }

  // Where the user clicks to put the caret at offset: just inside the character there,
  // or, at the very end of the text (which has no character), past the end of its line.
  static POINT PointOf(HWND memo, LRESULT offset, LRESULT length, WPARAM row) {
    if (offset < length) {
      const auto pos = static_cast<DWORD>(Send(memo, EM_POSFROMCHAR, static_cast<WPARAM>(offset)));
      if (pos != 0xFFFFFFFFu)
        return POINT{static_cast<short>(pos & 0xFFFFu) + 1, static_cast<short>(pos >> 16) + 2};
    }
    RECT format{};
    Send(memo, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    POINT at{format.right - 2, format.top + 2};
    const LRESULT start = Send(memo, EM_LINEINDEX, row);
    if (start >= 0 && start < length) {
      const auto pos = static_cast<DWORD>(Send(memo, EM_POSFROMCHAR, static_cast<WPARAM>(start)));
      if (pos != 0xFFFFFFFFu) at.y = static_cast<short>(pos >> 16) + 2;
    } else if (row > 0) {
      // An empty last line: one line below the one before it.
      const LRESULT before = Send(memo, EM_LINEINDEX, row - 1);
      const auto pos = static_cast<DWORD>(Send(memo, EM_POSFROMCHAR, static_cast<WPARAM>(std::max<LRESULT>(before, 0))));
      if (pos != 0xFFFFFFFFu) at.y = static_cast<short>(pos >> 16) + LineHeight(memo) + 2;
    }
    return at;
  }

  static int LineHeight(HWND memo) {
    HDC dc = GetDC(memo);
    const auto font = reinterpret_cast<HFONT>(Send(memo, WM_GETFONT));
    const HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    if (old) SelectObject(dc, old);
    ReleaseDC(memo, dc);
    return std::max<int>(metrics.tmHeight, 1);
  }

  HWND tabs_;         // PageControl1
  HWND memo1_;        // the script editor
  HWND memo2_;        // the spam list editor
  HWND label1_;       // the syntax line
  HWND label2_;       // the description line
};

// An error box is modal: a thread timer, which its message loop runs, reads the box's
// text and presses its OK.
constexpr UINT kErrorBoxPollMs = 50;
std::vector<std::string>* gErrorBoxTexts = nullptr;  // of the watch that lives, if any

BOOL CALLBACK CloseOneErrorBox(HWND window, LPARAM) {
  char cls[16] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::string_view(cls) != "#32770" || !IsWindowVisible(window)) return TRUE;
  std::string text;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char childCls[16] = {};
    GetClassNameA(c, childCls, sizeof childCls);
    if (_stricmp(childCls, "Static") != 0) continue;
    std::string part(static_cast<std::size_t>(GetWindowTextLengthA(c)) + 1, '\0');
    part.resize(static_cast<std::size_t>(GetWindowTextA(c, part.data(), static_cast<int>(part.size()))));
    text += part;
  }
  if (gErrorBoxTexts) gErrorBoxTexts->push_back(text);
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}

void CALLBACK PollErrorBoxes(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), CloseOneErrorBox, 0);
}

class Win32ErrorBoxes final : public ErrorBoxWatch {
 public:
  Win32ErrorBoxes() : timer_(SetTimer(nullptr, 0, kErrorBoxPollMs, PollErrorBoxes)) { gErrorBoxTexts = &texts_; }
  ~Win32ErrorBoxes() override {
    if (timer_) KillTimer(nullptr, timer_);
    gErrorBoxTexts = nullptr;
  }
  Win32ErrorBoxes(const Win32ErrorBoxes&) = delete;
  Win32ErrorBoxes& operator=(const Win32ErrorBoxes&) = delete;

  std::vector<std::string> Texts(std::intptr_t) override { return texts_; }

 private:
  UINT_PTR timer_;
  std::vector<std::string> texts_;
};

}  // namespace

std::unique_ptr<ErrorBoxWatch> WatchErrorBoxes(std::intptr_t) { return std::make_unique<Win32ErrorBoxes>(); }

std::unique_ptr<PageWindow> OpenPageWindow(std::intptr_t handle, std::string& why) {
  const auto form = reinterpret_cast<HWND>(handle);
  if (!form || !IsWindow(form)) {
    why = Text(TextId::PageNotLiveWindow);
    return nullptr;
  }
  const HWND tabs = ChildById(form, kw::kHwIdPageControl1);
  const HWND memo1 = ChildById(form, kw::kHwIdMemo1);
  const HWND memo2 = ChildById(form, kw::kHwIdMemo2);
  const HWND label1 = ChildById(form, kw::kHwIdLabel1);
  const HWND label2 = ChildById(form, kw::kHwIdLabel2);
  if (!tabs || !memo1 || !memo2 || !label1 || !label2) {
    why = Text(TextId::PageLacksParts);
    return nullptr;
  }
  return std::make_unique<Win32Page>(tabs, memo1, memo2, label1, label2);
}

}  // namespace kwsim
