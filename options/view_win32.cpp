// The options form as a real Win32 window, through the ANSI functions (every text is
// Windows-1250, the code page the host runs in). A form window of our own class holds
// a tab control whose two sheets carry the panels, buttons, owner-drawn labels and the
// two multi-line EDIT controls; the popup menu is a plain menu with owner-drawn items.
//
// Choices worth knowing:
// - Docked, the form is a WS_CHILD of the host's page window; detached, an unowned
//   top-level window with a sizing frame and caption but no system menu. Changing the
//   parent or the border keeps the numbers of the bounds, as the form expects.
// - The editors are subclassed: key and mouse events reach the form; a Tab or Enter the
//   form has already inserted has its WM_CHAR dropped, so one key press yields one
//   character whether or not the host lets the key through as text.
// - No key press takes a part of the form away. A host whose loop runs IsDialogMessage
//   would hand the editors a dialog's rules: a multi-line EDIT then closes its parent on
//   Esc and moves on instead of typing a Tab. The editors never learn that they sit in
//   a dialog (the EDIT class's WM_GETDLGCODE never sees the message IsDialogMessage
//   passes along), and every window the form makes, the tab control included, refuses
//   to be closed (WM_CLOSE, SC_CLOSE) and ignores a dialog's OK and Cancel (IDOK,
//   IDCANCEL, which Enter and Esc send where no control wants them). Only the form's
//   owner destroys it.
// - An editor whose window is gone anyway is reported as unavailable rather than read
//   as empty, so that no save puts an empty text in place of the user's file.
// - Setting an editor's text reports a change (a multi-line EDIT sends no EN_CHANGE for
//   WM_SETTEXT), just once.
// - Should the host destroy its page window with the form still in it, the editors'
//   text is kept: a later save still writes what the user wrote, and the host can still
//   take back the handle it was given.
// - Every window procedure catches everything: nothing thrown reaches the host's loop.
#include "options/view_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/cp1250.h"

namespace kw {
namespace {

constexpr int kBorder = 5;         // inner border width of the form
constexpr int kClientWidth = 525;  // designed client area
constexpr int kClientHeight = 421;
constexpr int kPanel1Height = 19;
constexpr int kPanel2Height = 49;
constexpr int kLabel1Height = 19;
constexpr UINT kLabelDrawFlags = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;

constexpr std::string_view kTabCaptions[2] = {"Skrypt główny"_w, "Definicje anty-łańcuszkowe"_w};

const char kModuleMarker = 0;  // an address inside this module, to find its handle

HINSTANCE ModuleInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     &kModuleMarker, &module);
  return module;
}

HWND ToHwnd(TWindowHandle h) { return reinterpret_cast<HWND>(h); }
TWindowHandle FromHwnd(HWND h) { return reinterpret_cast<TWindowHandle>(h); }

COLORREF ToColorRef(TColor c) {
  if ((c & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(c & 0xFFu));
  return c & 0x00FFFFFFu;
}

std::string WindowText(HWND h) {
  const int length = GetWindowTextLengthA(h);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(h, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

LRESULT Send(HWND h, UINT message, WPARAM w = 0, LPARAM l = 0) {
  return SendMessageA(h, message, w, l);
}

// The pitch and family steer the font mapper where the face itself is missing.
HFONT MakeFont(const char* face, int height, BYTE charset, int weight = FW_NORMAL,
               BYTE pitchAndFamily = DEFAULT_PITCH | FF_SWISS) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily, face);
}

// The toolkit's canvas for one menu item: a device context with the menu font.
class TDcSurface final : public IDrawSurface {
 public:
  TDcSurface(HDC dc, HFONT regular, HFONT bold)
      : dc_(dc), regular_(regular), bold_(bold),
        oldFont_(static_cast<HFONT>(SelectObject(dc, regular))) {
    SetBkMode(dc_, TRANSPARENT);
  }
  ~TDcSurface() override { SelectObject(dc_, oldFont_); }
  TDcSurface(const TDcSurface&) = delete;
  TDcSurface& operator=(const TDcSurface&) = delete;

  void SetBold(bool bold) override { SelectObject(dc_, bold ? bold_ : regular_); }
  void SetTextColor(TColor color) override { ::SetTextColor(dc_, ToColorRef(color)); }
  void SetBrushColor(TColor color) override { brush_ = ToColorRef(color); }
  void SetPenColor(TColor color) override { pen_ = ToColorRef(color); }
  void FillRect(const TMenuRect& r) override {
    const RECT rect{r.Left, r.Top, r.Right, r.Bottom};
    HBRUSH brush = CreateSolidBrush(brush_);
    ::FillRect(dc_, &rect, brush);
    DeleteObject(brush);
  }
  int TextWidth(std::string_view text) override { return Extent(text).cx; }
  int TextHeight(std::string_view text) override { return Extent(text).cy; }
  void TextRect(const TMenuRect& clip, int x, int y, std::string_view text) override {
    const RECT rect{clip.Left, clip.Top, clip.Right, clip.Bottom};
    ExtTextOutA(dc_, x, y, ETO_CLIPPED, &rect, text.data(), static_cast<UINT>(text.size()),
                nullptr);
  }

 private:
  SIZE Extent(std::string_view text) {
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size;
  }

  HDC dc_;              // the item's device context
  HFONT regular_;       // menu font
  HFONT bold_;          // the same in bold
  HFONT oldFont_;       // selected before us; put back at the end
  COLORREF brush_ = 0;  // fill colour
  COLORREF pen_ = 0;  // kept for the handlers' sake; fills use the brush
};

class TWin32OptionsView final : public IOptionsView {
 public:
  TWin32OptionsView();
  ~TWin32OptionsView() override;
  TWin32OptionsView(const TWin32OptionsView&) = delete;
  TWin32OptionsView& operator=(const TWin32OptionsView&) = delete;

  void SetEvents(IOptionsEvents* events) override { events_ = events; }
  TWindowHandle WindowHandle() const override { return FromHwnd(form_ ? form_ : lastForm_); }
  bool EditorAvailable(ComponentId editor) const override {
    return !(editor == ComponentId::Memo2 ? memo2Lost_ : memo1Lost_);
  }
  TWindowHandle ParentWindow() const override { return parent_; }
  void SetParentWindow(TWindowHandle parent) override;
  void SetBorderStyle(TBorderStyle style) override;
  TRect32 Bounds() const override;
  void SetBounds(const TRect32& bounds) override;
  void SetVisible(bool visible) override;
  void SetCaption(std::string_view caption) override;
  int ActiveTab() const override { return activeTab_; }
  void SetActiveTab(int tab) override;
  std::string Text(ComponentId editor) const override;
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
  TPoint32 CursorPos() const override;
  void ShowError(std::string_view text) override;

  static LRESULT CALLBACK FormProc(HWND h, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK PaneProc(HWND h, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK EditorProc(HWND h, UINT message, WPARAM w, LPARAM l);

 private:
  void CreateWindows();
  HWND Child(HWND parent, const char* cls, const char* text, DWORD style, ComponentId id,
             DWORD exStyle = 0);
  void Layout();
  void ShowSheet(int tab);
  void ApplyStyle();
  HWND EditorWindow(ComponentId editor) const;
  ComponentId EditorOf(HWND h) const { return h == memo2_ ? ComponentId::Memo2 : ComponentId::Memo1; }
  void KeepEditorTexts();

  // Messages that children send to their parent, whichever pane they sit in.
  bool ChildNotification(UINT message, WPARAM w, LPARAM l, LRESULT& result);
  void DrawLabel(const DRAWITEMSTRUCT& item);
  void MeasureMenuItem(MEASUREITEMSTRUCT& item);
  void DrawMenuItem(const DRAWITEMSTRUCT& item);
  LRESULT FormMessage(HWND h, UINT message, WPARAM w, LPARAM l);
  LRESULT EditorMessage(HWND h, UINT message, WPARAM w, LPARAM l);

  IOptionsEvents* events_ = nullptr;  // the form, or null
  HWND form_ = nullptr;      // the form window; null once it has been destroyed
  HWND lastForm_ = nullptr;  // the form's handle, kept after the window has gone
  HWND tabs_ = nullptr;      // PageControl1
  // The components' windows, named after them; null with the form gone.
  HWND sheet1_ = nullptr, sheet2_ = nullptr, panel1_ = nullptr, panel2_ = nullptr;
  HWND memo1_ = nullptr, memo2_ = nullptr, label1_ = nullptr, label2_ = nullptr;
  HWND button1_ = nullptr, button2_ = nullptr, button3_ = nullptr;
  WNDPROC editProc_ = nullptr;  // the EDIT class's own procedure
  HFONT formFont_ = nullptr;      // "MS Sans Serif" -11: form, buttons, labels
  HFONT memoFont_ = nullptr;      // "Courier New" -11, Central European: editors
  HFONT menuFont_ = nullptr;      // the system's menu font: entries
  HFONT menuBoldFont_ = nullptr;  // the same in bold: headers
  HBRUSH creamBrush_ = nullptr;   // Memo1's background
  HBRUSH skyBrush_ = nullptr;     // Memo2's background
  HMENU popup_ = nullptr;         // PopupMenu1

  // State the form reads back, kept here so that it outlives the windows.
  TWindowHandle parent_ = 0;                  // parent window; 0 = top-level
  TBorderStyle border_ = TBorderStyle::None;  // the form's border
  TRect32 bounds_{0, 0, kClientWidth + 2 * kBorder, kClientHeight + 2 * kBorder};  // last set
  std::string caption_;                       // title of the free window
  int activeTab_ = 0;                         // 0 = TabSheet1, 1 = TabSheet2
  bool button1Enabled_ = true;                // Button1's state
  std::string label1Text_, label2Text_;       // the help lines' texts
  std::string memo1Kept_, memo2Kept_;         // the editors' text once their windows are gone

  bool settingText_ = false;   // inside SetText: its EN_CHANGE is reported by SetText
  WPARAM droppedKey_ = 0;      // Tab or Enter already inserted: drop its WM_CHAR
  bool destroying_ = false;    // our own DestroyWindow is running
  bool formDestroyed_ = false;  // the form's WM_DESTROY has come: its editors' texts are kept
  bool memo1Lost_ = false;      // Memo1's window went before the form's, its text with it
  bool memo2Lost_ = false;      // the same for Memo2
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // false once destroyed

  std::vector<std::optional<TMenuItem>> items_;  // by view id; deleted = empty
  std::vector<HMENU> submenus_;                  // by view id; the submenu's own menu
};

// What would close one of the form's windows, or what a dialog's keys send for OK and
// Cancel: the windows the form makes answer none of them.
bool IsCloseRequest(UINT message, WPARAM w) {
  switch (message) {
    case WM_CLOSE:
      return true;
    case WM_SYSCOMMAND:
      return (w & 0xFFF0u) == SC_CLOSE;
    case WM_COMMAND:
      return LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL;  // no control of ours has these ids
    default:
      return false;
  }
}

// The system's controls of the form (tab control, buttons, labels) keep their class's
// procedure in their user data and refuse close requests in front of it.
LRESULT CALLBACK GuardProc(HWND h, UINT message, WPARAM w, LPARAM l) {
  if (IsCloseRequest(message, w)) return 0;
  const auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_USERDATA));
  return own ? CallWindowProcA(own, h, message, w, l) : DefWindowProcA(h, message, w, l);
}

void RefuseClose(HWND h) {
  if (!h) return;
  SetWindowLongPtrA(h, GWLP_USERDATA, GetWindowLongPtrA(h, GWLP_WNDPROC));
  SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GuardProc));
}

void RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXA form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = &TWin32OptionsView::FormProc;
  form.hInstance = instance;
  form.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  form.lpszClassName = kFormClassName;
  RegisterClassExA(&form);
  WNDCLASSEXA pane = form;
  pane.lpfnWndProc = &TWin32OptionsView::PaneProc;
  pane.lpszClassName = kPaneClassName;
  RegisterClassExA(&pane);
}

// Classes of a library must go when its last form does: the module may be unloaded and
// loaded again elsewhere, and a stale class would point into freed code.
int gLiveViews = 0;

TWin32OptionsView::TWin32OptionsView() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  if (gLiveViews++ == 0) RegisterClasses(ModuleInstance());
  formFont_ = MakeFont("MS Sans Serif", -11, DEFAULT_CHARSET);
  memoFont_ = MakeFont("Courier New", -11, EASTEUROPE_CHARSET, FW_NORMAL, FIXED_PITCH | FF_MODERN);
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    menuFont_ = CreateFontIndirectA(&metrics.lfMenuFont);
    metrics.lfMenuFont.lfWeight = FW_BOLD;
    menuBoldFont_ = CreateFontIndirectA(&metrics.lfMenuFont);
  } else {
    menuFont_ = MakeFont("MS Sans Serif", -11, DEFAULT_CHARSET);
    menuBoldFont_ = MakeFont("MS Sans Serif", -11, DEFAULT_CHARSET, FW_BOLD);
  }
  creamBrush_ = CreateSolidBrush(ToColorRef(clCream));
  skyBrush_ = CreateSolidBrush(ToColorRef(clSkyBlue));
  popup_ = CreatePopupMenu();
  CreateWindows();
}

TWin32OptionsView::~TWin32OptionsView() {
  *alive_ = false;
  events_ = nullptr;
  destroying_ = true;
  if (form_) DestroyWindow(form_);
  if (popup_) DestroyMenu(popup_);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(formFont_), static_cast<HGDIOBJ>(memoFont_),
                    static_cast<HGDIOBJ>(menuFont_), static_cast<HGDIOBJ>(menuBoldFont_),
                    static_cast<HGDIOBJ>(creamBrush_), static_cast<HGDIOBJ>(skyBrush_)})
    if (o) DeleteObject(o);
  if (--gLiveViews == 0) {
    UnregisterClassA(kPaneClassName, ModuleInstance());
    UnregisterClassA(kFormClassName, ModuleInstance());
  }
}

HWND TWin32OptionsView::Child(HWND parent, const char* cls, const char* text, DWORD style,
                              ComponentId id, DWORD exStyle) {
  // Only our own panes take the view along; the system's classes get nothing.
  void* param = std::string_view(cls) == kPaneClassName ? this : nullptr;
  HWND h = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(id))),
                           ModuleInstance(), param);
  Send(h, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);
  return h;
}

void TWin32OptionsView::CreateWindows() {
  const HINSTANCE instance = ModuleInstance();
  form_ = CreateWindowExA(WS_EX_CONTROLPARENT, kFormClassName, caption_.c_str(),
                          WS_POPUP | WS_CLIPCHILDREN, bounds_.X, bounds_.Y, bounds_.W, bounds_.H,
                          nullptr, nullptr, instance, this);
  if (!form_) return;
  lastForm_ = form_;
  tabs_ = Child(form_, WC_TABCONTROLA, "", WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                ComponentId::PageControl1);
  std::string captions[] = {std::string(kTabCaptions[0]), std::string(kTabCaptions[1])};
  for (int i = 0; i < 2; ++i) {
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = captions[i].data();
    Send(tabs_, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
  }
  sheet1_ = Child(tabs_, kPaneClassName, "", WS_CLIPCHILDREN, ComponentId::TabSheet1,
                  WS_EX_CONTROLPARENT);
  sheet2_ = Child(tabs_, kPaneClassName, "", WS_CLIPCHILDREN, ComponentId::TabSheet2,
                  WS_EX_CONTROLPARENT);
  // Creation order is the tab order of the first sheet: Panel1, Memo1, Panel2.
  panel1_ = Child(sheet1_, kPaneClassName, "", 0, ComponentId::Panel1, WS_EX_CONTROLPARENT);
  const DWORD editorStyle = WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | ES_MULTILINE |
                            ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN;
  memo1_ = Child(sheet1_, "EDIT", "", editorStyle, ComponentId::Memo1, WS_EX_CLIENTEDGE);
  panel2_ = Child(sheet1_, kPaneClassName, "", 0, ComponentId::Panel2, WS_EX_CONTROLPARENT);
  button1_ = Child(panel1_, "BUTTON", "menu", BS_PUSHBUTTON, ComponentId::Button1);
  button2_ = Child(panel1_, "BUTTON", "\"Wyjmij\" okno", BS_PUSHBUTTON, ComponentId::Button2);
  button3_ = Child(panel1_, "BUTTON", "Zapisz", BS_PUSHBUTTON, ComponentId::Button3);
  MoveWindow(button1_, 0, 0, 57, 17, FALSE);
  MoveWindow(button2_, 64, 0, 81, 17, FALSE);
  MoveWindow(button3_, 152, 0, 57, 17, FALSE);
  label1_ = Child(panel2_, "STATIC", label1Text_.c_str(), SS_OWNERDRAW, ComponentId::Label1);
  label2_ = Child(panel2_, "STATIC", label2Text_.c_str(), SS_OWNERDRAW, ComponentId::Label2);
  memo2_ = Child(sheet2_, "EDIT", "", editorStyle, ComponentId::Memo2, WS_EX_CLIENTEDGE);

  for (HWND control : {tabs_, button1_, button2_, button3_, label1_, label2_}) RefuseClose(control);
  for (HWND memo : {memo1_, memo2_}) {
    Send(memo, WM_SETFONT, reinterpret_cast<WPARAM>(memoFont_), FALSE);
    Send(memo, EM_SETLIMITTEXT, 0, 0);  // no limit on what the user types
    SetWindowLongPtrA(memo, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    editProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        memo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWin32OptionsView::EditorProc)));
  }
  settingText_ = true;
  SetWindowTextA(memo1_, memo1Kept_.c_str());
  SetWindowTextA(memo2_, memo2Kept_.c_str());
  settingText_ = false;
  EnableWindow(button1_, button1Enabled_);
  Send(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(activeTab_));
  ShowSheet(activeTab_);
  Layout();
}

void TWin32OptionsView::Layout() {
  if (!form_ || !tabs_) return;
  RECT client{};
  GetClientRect(form_, &client);
  const int w = std::max(0, static_cast<int>(client.right) - 2 * kBorder);
  const int h = std::max(0, static_cast<int>(client.bottom) - 2 * kBorder);
  MoveWindow(tabs_, kBorder, kBorder, w, h, TRUE);
  RECT page{0, 0, w, h};
  Send(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  const int sw = std::max(0, static_cast<int>(page.right - page.left));
  const int sh = std::max(0, static_cast<int>(page.bottom - page.top));
  MoveWindow(sheet1_, page.left, page.top, sw, sh, TRUE);
  MoveWindow(sheet2_, page.left, page.top, sw, sh, TRUE);
  MoveWindow(panel1_, 0, 0, sw, kPanel1Height, TRUE);
  MoveWindow(memo1_, 0, kPanel1Height, sw, std::max(0, sh - kPanel1Height - kPanel2Height), TRUE);
  MoveWindow(panel2_, 0, std::max(kPanel1Height, sh - kPanel2Height), sw, kPanel2Height, TRUE);
  MoveWindow(label1_, 0, 0, sw, kLabel1Height, TRUE);
  MoveWindow(label2_, 0, kLabel1Height, sw, kPanel2Height - kLabel1Height, TRUE);
  MoveWindow(memo2_, 0, 0, sw, sh, TRUE);
}

void TWin32OptionsView::ShowSheet(int tab) {
  ShowWindow(sheet1_, tab == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(sheet2_, tab == 1 ? SW_SHOW : SW_HIDE);
}

void TWin32OptionsView::ApplyStyle() {
  if (!form_) return;
  const bool child = parent_ != 0;
  DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (child ? WS_CHILD : WS_POPUP);
  if (border_ == TBorderStyle::Sizeable) style = (style & ~WS_POPUP) | WS_CAPTION | WS_THICKFRAME;
  if (IsWindowVisible(form_)) style |= WS_VISIBLE;
  SetWindowLongPtrA(form_, GWL_STYLE, static_cast<LONG_PTR>(style));
}

void TWin32OptionsView::SetParentWindow(TWindowHandle parent) {
  if (!form_) return;
  const TRect32 b = Bounds();
  parent_ = parent;
  if (parent) {
    ApplyStyle();  // a child before it gets its parent
    SetParent(form_, ToHwnd(parent));
  } else {
    SetParent(form_, nullptr);
    ApplyStyle();  // top-level again after it has left the parent
  }
  SetWindowPos(form_, nullptr, b.X, b.Y, b.W, b.H,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  bounds_ = b;
}

void TWin32OptionsView::SetBorderStyle(TBorderStyle style) {
  border_ = style;
  if (!form_) return;
  const TRect32 b = Bounds();
  ApplyStyle();
  SetWindowPos(form_, nullptr, b.X, b.Y, b.W, b.H,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

TRect32 TWin32OptionsView::Bounds() const {
  if (!form_) return bounds_;
  RECT r{};
  GetWindowRect(form_, &r);
  if (parent_ && IsWindow(ToHwnd(parent_)))
    MapWindowPoints(HWND_DESKTOP, ToHwnd(parent_), reinterpret_cast<POINT*>(&r), 2);
  return TRect32{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void TWin32OptionsView::SetBounds(const TRect32& bounds) {
  bounds_ = bounds;
  if (form_)
    SetWindowPos(form_, nullptr, bounds.X, bounds.Y, bounds.W, bounds.H,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32OptionsView::SetVisible(bool visible) {
  if (form_) ShowWindow(form_, visible ? SW_SHOW : SW_HIDE);
}

void TWin32OptionsView::SetCaption(std::string_view caption) {
  caption_ = std::string(caption);
  if (form_) SetWindowTextA(form_, caption_.c_str());
}

void TWin32OptionsView::SetActiveTab(int tab) {
  if (tab != 0 && tab != 1) return;
  activeTab_ = tab;
  if (!form_) return;
  Send(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(tab));
  ShowSheet(tab);
}

HWND TWin32OptionsView::EditorWindow(ComponentId editor) const {
  return editor == ComponentId::Memo2 ? memo2_ : memo1_;
}

std::string TWin32OptionsView::Text(ComponentId editor) const {
  if (!form_) return editor == ComponentId::Memo2 ? memo2Kept_ : memo1Kept_;
  return WindowText(EditorWindow(editor));
}

void TWin32OptionsView::SetText(ComponentId editor, std::string_view text) {
  const std::string value(text.substr(0, text.find('\0')));
  if (form_) {
    settingText_ = true;
    SetWindowTextA(EditorWindow(editor), value.c_str());
    settingText_ = false;
    Send(EditorWindow(editor), EM_SETSEL, 0, 0);
  } else {
    (editor == ComponentId::Memo2 ? memo2Kept_ : memo1Kept_) = value;
  }
  if (events_) events_->EditorChanged(editor);
}

int TWin32OptionsView::CaretOffset(ComponentId editor) const {
  if (!form_) return 0;
  DWORD start = 0, end = 0;
  Send(EditorWindow(editor), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
       reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

void TWin32OptionsView::SetCaretOffset(ComponentId editor, int offset) {
  if (!form_) return;
  const HWND h = EditorWindow(editor);
  Send(h, EM_SETSEL, static_cast<WPARAM>(offset), static_cast<LPARAM>(offset));
  Send(h, EM_SCROLLCARET);
}

TCaretPos TWin32OptionsView::CaretPos(ComponentId editor) const {
  if (!form_) return {};
  const HWND h = EditorWindow(editor);
  const int offset = CaretOffset(editor);
  const int line = static_cast<int>(Send(h, EM_LINEFROMCHAR, static_cast<WPARAM>(offset)));
  const int start = static_cast<int>(Send(h, EM_LINEINDEX, static_cast<WPARAM>(line)));
  return TCaretPos{line, offset - start};
}

int TWin32OptionsView::LineCount(ComponentId editor) const {
  if (!form_) return 0;
  const HWND h = EditorWindow(editor);
  int count = static_cast<int>(Send(h, EM_GETLINECOUNT));
  if (count > 0) {
    const LRESULT last = Send(h, EM_LINEINDEX, static_cast<WPARAM>(count - 1));
    if (last >= 0 && Send(h, EM_LINELENGTH, static_cast<WPARAM>(last)) == 0) --count;
  }
  return count;
}

std::string TWin32OptionsView::Line(ComponentId editor, int line) const {
  if (!form_ || line < 0) return {};
  const HWND h = EditorWindow(editor);
  const LRESULT start = Send(h, EM_LINEINDEX, static_cast<WPARAM>(line));
  if (start < 0) return {};
  const LRESULT length = Send(h, EM_LINELENGTH, static_cast<WPARAM>(start));
  if (length <= 0) return {};
  // EM_GETLINE reads the buffer's size from its first word, so it cannot give more than
  // 65,535 characters: a longer line is cut from the whole text, kept whole.
  if (length > 0xFFFF) {
    const std::string text = WindowText(h);
    if (static_cast<std::size_t>(start) >= text.size()) return {};
    return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
  }
  std::string buffer(static_cast<std::size_t>(std::max<LRESULT>(length, 2)) + 1, '\0');
  const auto size = static_cast<WORD>(length);
  buffer[0] = static_cast<char>(size & 0xFF);
  buffer[1] = static_cast<char>(size >> 8);
  const LRESULT got = Send(h, EM_GETLINE, static_cast<WPARAM>(line),
                           reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
  return buffer;
}

void TWin32OptionsView::ReplaceLine(ComponentId editor, int line, std::string_view text) {
  if (!form_ || line < 0) return;
  const HWND h = EditorWindow(editor);
  const LRESULT start = Send(h, EM_LINEINDEX, static_cast<WPARAM>(line));
  if (start < 0) return;
  const LRESULT length = Send(h, EM_LINELENGTH, static_cast<WPARAM>(start));
  const std::string value(text.substr(0, text.find('\0')));
  Send(h, EM_SETSEL, static_cast<WPARAM>(start), start + length);
  Send(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(value.c_str()));  // sends EN_CHANGE
}

void TWin32OptionsView::SetLabel(ComponentId label, std::string_view text) {
  std::string& kept = label == ComponentId::Label2 ? label2Text_ : label1Text_;
  kept = std::string(text.substr(0, text.find('\0')));
  const HWND h = label == ComponentId::Label2 ? label2_ : label1_;
  if (!form_ || !h) return;
  SetWindowTextA(h, kept.c_str());
  InvalidateRect(h, nullptr, TRUE);
}

void TWin32OptionsView::SetButtonEnabled(ComponentId button, bool enabled) {
  HWND h = nullptr;
  if (button == ComponentId::Button1) {
    button1Enabled_ = enabled;
    h = button1_;
  } else if (button == ComponentId::Button2) {
    h = button2_;
  } else if (button == ComponentId::Button3) {
    h = button3_;
  }
  if (form_ && h) EnableWindow(h, enabled);
}

int TWin32OptionsView::MenuTopLevelCount() const {
  const int n = GetMenuItemCount(popup_);
  return n < 0 ? 0 : n;
}

void TWin32OptionsView::DeleteFirstMenuItem() {
  if (MenuTopLevelCount() == 0) return;
  DeleteMenu(popup_, 0, MF_BYPOSITION);  // a submenu goes with its item
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (!items_[i] || items_[i]->Parent != -1) continue;
    std::vector<int> doomed{static_cast<int>(i)};
    while (!doomed.empty()) {
      const auto id = static_cast<std::size_t>(doomed.back());
      doomed.pop_back();
      for (std::size_t j = 0; j < items_.size(); ++j)
        if (items_[j] && items_[j]->Parent == static_cast<int>(id)) doomed.push_back(static_cast<int>(j));
      items_[id].reset();
      submenus_[id] = nullptr;
    }
    break;
  }
}

int TWin32OptionsView::AddMenuItem(const TMenuItem& item) {
  const int id = static_cast<int>(items_.size());
  TMenuItem added = item;
  HMENU target = popup_;
  if (added.Parent >= 0 && static_cast<std::size_t>(added.Parent) < submenus_.size() &&
      submenus_[static_cast<std::size_t>(added.Parent)])
    target = submenus_[static_cast<std::size_t>(added.Parent)];
  else
    added.Parent = -1;

  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STATE | MIIM_STRING;
  info.wID = kMenuCommandBase + static_cast<unsigned>(id);
  info.dwItemData = static_cast<ULONG_PTR>(id);
  info.fState = added.Enabled ? MFS_ENABLED : MFS_DISABLED;
  info.dwTypeData = added.Caption.data();
  HMENU submenu = nullptr;
  switch (added.Kind) {
    case TMenuItemKind::Separator:
      info.fMask &= ~static_cast<UINT>(MIIM_STRING);
      info.fType = MFT_SEPARATOR;
      break;
    case TMenuItemKind::Submenu:
      submenu = CreatePopupMenu();
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = submenu;
      info.fType = MFT_STRING;
      break;
    case TMenuItemKind::Header:
    case TMenuItemKind::Entry:
      // The caption stays with the item for whoever reads the menu; the form draws it.
      info.fType = MFT_OWNERDRAW;
      break;
  }
  if (added.Break == TMenuBreak::Break) info.fType |= MFT_MENUBREAK;
  if (added.Break == TMenuBreak::BarBreak) info.fType |= MFT_MENUBARBREAK;
  InsertMenuItemA(target, static_cast<UINT>(GetMenuItemCount(target)), TRUE, &info);
  items_.emplace_back(std::move(added));
  submenus_.push_back(submenu);
  return id;
}

const TMenuItem& TWin32OptionsView::MenuItem(int id) const {
  static const TMenuItem none{"", "-", 0, 0, TMenuItemKind::Separator, false, TMenuBreak::None, -1};
  if (id < 0 || static_cast<std::size_t>(id) >= items_.size() || !items_[static_cast<std::size_t>(id)])
    return none;
  return *items_[static_cast<std::size_t>(id)];
}

void TWin32OptionsView::PopupMenu(TPoint32 screen) {
  if (!form_) return;
  const std::shared_ptr<bool> alive = alive_;
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      popup_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.X, screen.Y,
      0, form_, nullptr));
  if (!*alive || command < kMenuCommandBase) return;  // dismissed, or the form went away
  const int id = static_cast<int>(command - kMenuCommandBase);
  if (events_ && MenuItem(id).Kind == TMenuItemKind::Entry) events_->MenuItemChosen(id);
}

TPoint32 TWin32OptionsView::CursorPos() const {
  POINT p{0, 0};
  GetCursorPos(&p);
  return TPoint32{p.x, p.y};
}

void TWin32OptionsView::ShowError(std::string_view text) {
  const std::string message(text.substr(0, text.find('\0')));
  HWND owner = form_ ? GetAncestor(form_, GA_ROOT) : nullptr;
  MessageBoxA(owner, message.c_str(), "Kwartlin", MB_OK | MB_ICONERROR);
}

void TWin32OptionsView::KeepEditorTexts() {
  memo1Kept_ = WindowText(memo1_);
  memo2Kept_ = WindowText(memo2_);
  label1Text_ = WindowText(label1_);
  label2Text_ = WindowText(label2_);
  bounds_ = Bounds();
}

void TWin32OptionsView::DrawLabel(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));  // transparent over its panel
  const std::string text = WindowText(item.hwndItem);
  HGDIOBJ old = SelectObject(dc, formFont_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, item.hwndItem == label2_ ? ToColorRef(clNavy) : ToColorRef(clWindowText));
  RECT measured = rect;
  DrawTextA(dc, text.c_str(), -1, &measured, kLabelDrawFlags | DT_CALCRECT);
  const LONG offset = ((rect.bottom - rect.top) - (measured.bottom - measured.top)) / 2;
  RECT out = rect;
  out.top += offset;
  DrawTextA(dc, text.c_str(), -1, &out, kLabelDrawFlags);
  SelectObject(dc, old);
}

void TWin32OptionsView::MeasureMenuItem(MEASUREITEMSTRUCT& item) {
  HDC dc = GetDC(form_);
  int width = 0, height = 0;
  {
    TDcSurface surface(dc, menuFont_, menuBoldFont_);
    if (events_) events_->MenuItemMeasure(static_cast<int>(item.itemData), surface, width, height);
  }
  ReleaseDC(form_, dc);
  item.itemWidth = static_cast<UINT>(std::max(width, 0));
  item.itemHeight = static_cast<UINT>(std::max(height, 0));
}

void TWin32OptionsView::DrawMenuItem(const DRAWITEMSTRUCT& item) {
  TDcSurface surface(item.hDC, menuFont_, menuBoldFont_);
  const TMenuRect rect{item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
  if (events_)
    events_->MenuItemDraw(static_cast<int>(item.itemData), surface, rect,
                          (item.itemState & ODS_SELECTED) != 0);
}

bool TWin32OptionsView::ChildNotification(UINT message, WPARAM w, LPARAM l, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(l);
      const UINT code = HIWORD(w);
      if (code == BN_CLICKED && events_) {
        if (from == button1_) events_->ButtonClicked(ComponentId::Button1);
        if (from == button2_) events_->ButtonClicked(ComponentId::Button2);
        if (from == button3_) events_->ButtonClicked(ComponentId::Button3);
      }
      if (code == EN_CHANGE && !settingText_ && events_ && (from == memo1_ || from == memo2_))
        events_->EditorChanged(EditorOf(from));
      result = 0;
      return true;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(l);
      if (header && header->hwndFrom == tabs_ && header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        const auto tab = static_cast<int>(Send(tabs_, TCM_GETCURSEL));
        if (tab == 0 || tab == 1) {
          activeTab_ = tab;
          ShowSheet(tab);
          if (events_) events_->TabChanged();
        }
        result = 0;
        return true;
      }
      return false;
    }
    case WM_CTLCOLOREDIT: {
      const HWND from = reinterpret_cast<HWND>(l);
      if (from != memo1_ && from != memo2_) return false;
      HDC dc = reinterpret_cast<HDC>(w);
      SetTextColor(dc, ToColorRef(clWindowText));
      SetBkColor(dc, ToColorRef(from == memo1_ ? clCream : clSkyBlue));
      result = reinterpret_cast<LRESULT>(from == memo1_ ? creamBrush_ : skyBrush_);
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      if (item->CtlType == ODT_MENU) DrawMenuItem(*item);
      else if (item->CtlType == ODT_STATIC) DrawLabel(*item);
      else return false;
      result = TRUE;
      return true;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
      if (item->CtlType != ODT_MENU) return false;
      MeasureMenuItem(*item);
      result = TRUE;
      return true;
    }
    default:
      return false;
  }
}

LRESULT TWin32OptionsView::FormMessage(HWND h, UINT message, WPARAM w, LPARAM l) {
  // The free window has no close button; it goes back with "Wyjmij" okno.
  if (IsCloseRequest(message, w)) return 0;
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_DESTROY:
      // The host may take its page window down with the form in it.
      if (!destroying_) KeepEditorTexts();
      formDestroyed_ = true;
      break;
    case WM_NCDESTROY:
      form_ = tabs_ = sheet1_ = sheet2_ = panel1_ = panel2_ = nullptr;
      memo1_ = memo2_ = label1_ = label2_ = button1_ = button2_ = button3_ = nullptr;
      break;
    default: {
      LRESULT result = 0;
      if (ChildNotification(message, w, l, result)) return result;
      break;
    }
  }
  return DefWindowProcA(h, message, w, l);
}

LRESULT TWin32OptionsView::EditorMessage(HWND h, UINT message, WPARAM w, LPARAM l) {
  const ComponentId editor = EditorOf(h);
  const std::shared_ptr<bool> alive = alive_;
  if (IsCloseRequest(message, w)) return 0;
  switch (message) {
    case WM_GETDLGCODE:
      // Without the message (l) the EDIT never switches to its dialog rules, which would
      // drop a typed Tab and post WM_CLOSE to the tab sheet on Esc.
      return CallWindowProcA(editProc_, h, message, w, 0) | DLGC_WANTTAB | DLGC_WANTALLKEYS;
    case WM_NCDESTROY:
      // Gone before the form: its text is lost, and no save may read it as empty.
      if (!formDestroyed_) (editor == ComponentId::Memo2 ? memo2Lost_ : memo1Lost_) = true;
      if (h == memo1_) memo1_ = nullptr;
      if (h == memo2_) memo2_ = nullptr;
      break;
    case WM_KEYDOWN: {
      droppedKey_ = 0;
      const bool typed = events_ && events_->EditorKeyDown(editor, static_cast<int>(w));
      if (!*alive || !IsWindow(h)) return 0;
      if (typed) droppedKey_ = w;
      break;
    }
    case WM_CHAR:
      if ((droppedKey_ == VK_TAB && w == '\t') ||
          (droppedKey_ == VK_RETURN && (w == '\r' || w == '\n'))) {
        droppedKey_ = 0;
        return 0;
      }
      break;
    case WM_KEYUP: {
      const LRESULT result = CallWindowProcA(editProc_, h, message, w, l);
      if (*alive && events_) events_->EditorKeyUp(editor, static_cast<int>(w));
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const LRESULT result = CallWindowProcA(editProc_, h, message, w, l);
      if (*alive && events_) events_->EditorMouseDown(editor);
      return result;
    }
    case WM_CONTEXTMENU:
      PopupMenu(CursorPos());
      return 0;
    default:
      break;
  }
  return CallWindowProcA(editProc_, h, message, w, l);
}

TWin32OptionsView* ViewOf(HWND h, UINT message, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<TWin32OptionsView*>(GetWindowLongPtrA(h, GWLP_USERDATA));
}

LRESULT CALLBACK TWin32OptionsView::FormProc(HWND h, UINT message, WPARAM w, LPARAM l) {
  try {
    if (TWin32OptionsView* view = ViewOf(h, message, l)) return view->FormMessage(h, message, w, l);
  } catch (...) {
  }
  return DefWindowProcA(h, message, w, l);
}

LRESULT CALLBACK TWin32OptionsView::PaneProc(HWND h, UINT message, WPARAM w, LPARAM l) {
  try {
    if (IsCloseRequest(message, w)) return 0;
    if (TWin32OptionsView* view = ViewOf(h, message, l)) {
      LRESULT result = 0;
      if (view->ChildNotification(message, w, l, result)) return result;
    }
  } catch (...) {
  }
  return DefWindowProcA(h, message, w, l);
}

LRESULT CALLBACK TWin32OptionsView::EditorProc(HWND h, UINT message, WPARAM w, LPARAM l) {
  auto* view = reinterpret_cast<TWin32OptionsView*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  try {
    if (view) return view->EditorMessage(h, message, w, l);
  } catch (...) {
  }
  return view && view->editProc_ ? CallWindowProcA(view->editProc_, h, message, w, l)
                                 : DefWindowProcA(h, message, w, l);
}

}  // namespace

std::unique_ptr<IOptionsView> CreateOptionsView() { return std::make_unique<TWin32OptionsView>(); }

}  // namespace kw
