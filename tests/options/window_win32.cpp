// The options page on a real window: a host dialog of the test's own provides the page
// area, the page callback drives the form, and the test acts through window messages
// and reads everything back through the Win32 API. Keys go through a plain host loop
// and through one that runs IsDialogMessage. Screenshots of the docked page, the
// free window and the open reference menu go to the build folder.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <set>

#include "options/view_win32.h"
#include "options_fixture.h"
#include "png_writer.h"
#include "script/KwartlinConst.h"
#include "script/loader.h"
#include "support/cp1250.h"

namespace kwtest {
namespace {

using kw::ComponentId;
using kw::operator""_w;

constexpr std::string_view kConstants = "Stałe"_w;
constexpr std::string_view kReadFailed = "Nie udało się odczytać"_w;
constexpr std::string_view kPolishLine = ":_start\r\n  goto koniec\r\nmov $a, 'zażółć gęślą jaźń'\r\n"_w;

// A host's message loop; with dialogs given, one that first offers every message to
// IsDialogMessage for each of them.
void Pump(int rounds = 4, std::initializer_list<HWND> dialogs = {}) {
  for (int i = 0; i < rounds; ++i) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (std::any_of(dialogs.begin(), dialogs.end(), [&](HWND d) { return IsDialogMessageA(d, &m); }))
        continue;
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(15);
  }
}

std::string TextOf(HWND h) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(h)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(h, text.data(), static_cast<int>(text.size()))));
  return text;
}

RECT RectIn(HWND h, HWND parent) {
  RECT r{};
  GetWindowRect(h, &r);
  if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::array<long, 4> Ltwh(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// A screen area as a PNG in the build folder; the pixels are what the user would see.
// With a window given, its frame and caption are drawn by the system's own DrawEdge and
// DrawCaption (the test display has no window manager, which would draw them on a
// desktop) and the client area comes from the screen.
bool Screenshot(RECT r, const std::string& name, HWND frameOf = nullptr) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  if (frameOf) {
    POINT origin{0, 0};
    ClientToScreen(frameOf, &origin);
    RECT frame{0, 0, w, h};
    DrawEdge(memory, &frame, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    const LONG border = origin.x - r.left;
    RECT caption{border, border, w - border, origin.y - r.top - 1};
    if (caption.bottom > caption.top)
      DrawCaption(frameOf, memory, &caption, DC_ACTIVE | DC_TEXT | DC_GRADIENT);
    RECT client{};
    GetClientRect(frameOf, &client);
    BitBlt(memory, origin.x - r.left, origin.y - r.top, client.right, client.bottom, screen,
           origin.x, origin.y, SRCCOPY | CAPTUREBLT);
  } else {
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  }
  GdiFlush();
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
  const auto* bgra = static_cast<const std::uint8_t*>(bits);
  for (std::size_t i = 0; i < rgb.size() / 3; ++i) {
    rgb[i * 3] = bgra[i * 4 + 2];
    rgb[i * 3 + 1] = bgra[i * 4 + 1];
    rgb[i * 3 + 2] = bgra[i * 4];
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return WritePng(std::string(KW_BINARY_DIR) + "/" + name, w, h, rgb);
}

LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

// Every window of one class in this thread, top-level or not.
struct ClassSearch {
  const char* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectIfOfClass(HWND h, LPARAM p) {
  auto* search = reinterpret_cast<ClassSearch*>(p);
  char name[64] = {};
  GetClassNameA(h, name, sizeof name);
  if (lstrcmpiA(name, search->cls) == 0) search->found.push_back(h);
  return TRUE;
}

BOOL CALLBACK CollectTreeOfClass(HWND h, LPARAM p) {
  CollectIfOfClass(h, p);
  EnumChildWindows(h, &CollectIfOfClass, p);  // every descendant
  return TRUE;
}

std::vector<HWND> WindowsOfClass(const char* cls) {
  ClassSearch search{cls, {}};
  EnumThreadWindows(GetCurrentThreadId(), &CollectTreeOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct IdSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindById(HWND h, LPARAM p) {
  auto* search = reinterpret_cast<IdSearch*>(p);
  if (GetDlgCtrlID(h) != search->id) return TRUE;
  search->found = h;
  return FALSE;
}

// What the timer saw while the reference menu was open.
struct MenuLook {
  bool seen = false;
  int items = 0;
  std::vector<std::string> headers;
  std::vector<UINT> headerTypes;
  std::vector<bool> headersDisabled;
  std::set<long> headerLefts;
  std::vector<long> ownerDrawnHeights;
  bool screenshot = false;
  bool clicked = false;
};
MenuLook gMenu;
std::string gChoose;  // caption of the item the timer clicks
bool gMenuScreenshot = false;  // whether the timer takes options-menu.png

void CALLBACK LookAtMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND window = FindWindowA("#32768", nullptr);
  if (!window) return;
  auto menu = reinterpret_cast<HMENU>(SendMessageA(window, 0x01E1 /* MN_GETHMENU */, 0, 0));
  if (!menu) return;
  gMenu.seen = true;
  gMenu.items = GetMenuItemCount(menu);
  RECT target{};
  for (int i = 0; i < gMenu.items; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_ID;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    char caption[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
    RECT r{};
    GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r);
    if (info.fType & MFT_OWNERDRAW) gMenu.ownerDrawnHeights.push_back(r.bottom - r.top);
    if (info.fType & (MFT_MENUBREAK | MFT_MENUBARBREAK)) {
      gMenu.headers.push_back(caption);
      gMenu.headerTypes.push_back(info.fType & (MFT_MENUBREAK | MFT_MENUBARBREAK));
      gMenu.headersDisabled.push_back((info.fState & MFS_DISABLED) != 0);
      gMenu.headerLefts.insert(r.left);
    }
    if (gChoose == caption) target = r;
  }
  RECT whole{};
  GetWindowRect(window, &whole);
  gMenu.screenshot = gMenuScreenshot && Screenshot(whole, "options-menu.png");
  if (target.right > target.left) {
    const int x = (target.left + target.right) / 2, y = (target.top + target.bottom) / 2;
    INPUT input[3] = {};
    for (INPUT& in : input) in.type = INPUT_MOUSE;
    input[0].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input[0].mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    gMenu.clicked = SendInput(3, input, sizeof(INPUT)) == 3;
  } else {
    EndMenu();
  }
}

void CALLBACK CloseStuckMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMenu();
}

// What the timer read from an error box before it closed it.
std::string gErrorBoxText;

void CALLBACK CloseErrorBox(HWND, UINT, UINT_PTR timer, DWORD) {
  for (HWND box : WindowsOfClass("#32770")) {
    KillTimer(nullptr, timer);
    for (HWND c : WindowsOfClass("Static"))
      if (IsChild(box, c)) gErrorBoxText += TextOf(c);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return;
  }
}

class WindowTest : public OptionsTest {
 protected:
  static constexpr kw::TRect32 kArea{4, 4, 560, 450};

  // One host dialog for the whole suite: showing and hiding top-level windows is slow on
  // a display without a window manager.
  void SetUp() override {
    OptionsTest::SetUp();
    kw::SetOptionsViewFactory(nullptr);  // the real window
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!IsWindow(host_)) {
      WNDCLASSA cls{};
      cls.lpfnWndProc = &HostProc;
      cls.hInstance = instance;
      cls.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
      cls.lpszClassName = "KwTestHost";
      RegisterClassA(&cls);
      host_ = CreateWindowExA(0, "KwTestHost", "Opcje", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN |
                              WS_VISIBLE, 20, 20, 620, 520, nullptr, nullptr, instance, nullptr);
      SetForegroundWindow(host_);
    }
    if (!IsWindow(page_))
      page_ = CreateWindowExA(0, "KwTestHost", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 10,
                              10, 580, 470, host_, nullptr, instance, nullptr);
    Pump();
  }

  void TearDown() override {
    OptionsTest::TearDown();
    Pump(1);
  }

  static void TearDownTestSuite() {
    DestroyWindow(host_);
    host_ = page_ = nullptr;
  }

  int Show() { return Page(1, kArea, reinterpret_cast<std::intptr_t>(page_)); }
  int Act(int action) { return Page(action, kArea, reinterpret_cast<std::intptr_t>(page_)); }

  HWND Form() const { return reinterpret_cast<HWND>(kw::OptionsForm->View().WindowHandle()); }

  HWND Control(ComponentId id) const {
    IdSearch search{kw::ControlId(id), nullptr};
    EnumChildWindows(Form(), &FindById, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  void Click(ComponentId button) {
    SendMessageA(Control(button), BM_CLICK, 0, 0);
    Pump(2);
  }

  // One key press as the keyboard driver and TranslateMessage deliver it.
  void Key(ComponentId editor, WPARAM key, WPARAM character) {
    HWND h = Control(editor);
    SendMessageA(h, WM_KEYDOWN, key, 1);
    if (character) SendMessageA(h, WM_CHAR, character, 1);
    SendMessageA(h, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  }

  // Opens the reference menu with Button1 and clicks the entry with this caption; what
  // the open menu looked like goes to gMenu.
  void ChooseFromMenu(const std::string& caption, bool screenshot = false) {
    Pump();
    SetCursorPos(60, 60);
    gMenu = MenuLook{};
    gChoose = caption;
    gMenuScreenshot = screenshot;
    SetTimer(nullptr, 0, 400, &LookAtMenu);
    const UINT_PTR safety = SetTimer(nullptr, 0, 8000, &CloseStuckMenu);
    Click(ComponentId::Button1);  // returns when the menu has closed
    KillTimer(nullptr, safety);
  }

  void SetCaret(ComponentId editor, int offset) {
    SendMessageA(Control(editor), EM_SETSEL, static_cast<WPARAM>(offset), offset);
  }

  int Caret(ComponentId editor) {
    DWORD start = 0, end = 0;
    SendMessageA(Control(editor), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
  }

  // A left click on the character at offset, as the mouse would give it.
  void ClickAt(ComponentId editor, int offset) {
    HWND h = Control(editor);
    const auto pos = static_cast<DWORD>(SendMessageA(h, EM_POSFROMCHAR, static_cast<WPARAM>(offset), 0));
    const LPARAM point = MAKELPARAM(LOWORD(pos) + 1, HIWORD(pos) + 2);
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(h, WM_LBUTTONUP, 0, point);
  }

  // Every part of the form that has a window of its own.
  static constexpr ComponentId kParts[] = {
      ComponentId::PageControl1, ComponentId::TabSheet1, ComponentId::Panel1,
      ComponentId::Button1,      ComponentId::Memo1,     ComponentId::TabSheet2,
      ComponentId::Memo2,        ComponentId::Button2,   ComponentId::Button3,
      ComponentId::Panel2,       ComponentId::Label2,    ComponentId::Label1};

  // The form and every part of it still there.
  ::testing::AssertionResult AllPartsAlive() {
    if (!IsWindow(Form())) return ::testing::AssertionFailure() << "the form is gone";
    for (ComponentId part : kParts)
      if (!IsWindow(Control(part)))
        return ::testing::AssertionFailure() << "part " << static_cast<int>(part) << " is gone";
    return ::testing::AssertionSuccess();
  }

  static inline HWND host_ = nullptr;
  static inline HWND page_ = nullptr;
};

// How the host's message loop treats keys: plain (TranslateMessage, DispatchMessage), or
// first through IsDialogMessage, as a host does that keeps Tab and Enter for its dialog's
// own navigation. Such a loop hands the editors a dialog's keyboard rules unless they
// refuse them. The dialog loop tries the host's window first (the docked form sits in
// it), then the handle the page registered (the free window, which does not).
enum class HostLoop { Plain, Dialog };

void PrintTo(HostLoop loop, std::ostream* out) { *out << (loop == HostLoop::Plain ? "Plain" : "Dialog"); }

class HostLoopTest : public WindowTest, public ::testing::WithParamInterface<HostLoop> {
 protected:
  // One key press as the keyboard brings it: down and up queued for the editor, the
  // character made by the host loop's TranslateMessage.
  void Press(ComponentId editor, WPARAM key) {
    HWND h = Control(editor);
    const auto scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(h, WM_KEYDOWN, key, scan | 1);
    PostMessageA(h, WM_KEYUP, key, scan | static_cast<LPARAM>(0xC0000001u));
    if (GetParam() == HostLoop::Dialog)
      Pump(2, {host_, Form()});
    else
      Pump(2);
  }
};

std::string LoopName(const ::testing::TestParamInfo<HostLoop>& loop) {
  return ::testing::PrintToString(loop.param);
}

INSTANTIATE_TEST_SUITE_P(BothLoops, HostLoopTest,
                         ::testing::Values(HostLoop::Plain, HostLoop::Dialog), &LoopName);

// One press, one tab or line break, docked or free; Esc types nothing and takes nothing
// away, so the save that follows still writes what the user wrote.
TEST_P(HostLoopTest, EachKeyTypesItsTextOnceAndTakesNoPartAway) {
  struct KeyPress {
    WPARAM key;
    std::string text;  // the editor's text after it, from "ab\r\ncd" with the caret at 1
    int caret;
  } presses[] = {
      {VK_TAB, "a\tb\r\ncd", 2},
      {VK_ESCAPE, "a\tb\r\ncd", 2},
      {VK_RETURN, "a\t\r\nb\r\ncd", 4},
  };
  Show();
  for (bool docked : {true, false}) {
    if (!docked) Click(ComponentId::Button2);
    for (ComponentId editor : {ComponentId::Memo1, ComponentId::Memo2}) {
      HWND h = Control(editor);
      SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab\r\ncd"));
      SetCaret(editor, 1);
      for (const KeyPress& p : presses) {
        SCOPED_TRACE(std::string(docked ? "docked " : "free ") +
                     std::to_string(static_cast<int>(editor)) + " key " + std::to_string(p.key));
        Press(editor, p.key);
        ASSERT_TRUE(AllPartsAlive());
        EXPECT_EQ(TextOf(h), p.text);
        EXPECT_EQ(Caret(editor), p.caret);
      }
    }
  }
  ASSERT_EQ(Act(3), 0);
  EXPECT_EQ(ReadBytes(ScriptFile()), "a\t\r\nb\r\ncd\r\n");
  EXPECT_EQ(ReadBytes(SpamFile()), "a\t\r\nb\r\ncd\r\n");
}

TEST_F(WindowTest, ShowingTwiceMakesOneFormInThePageArea) {
  ASSERT_EQ(Show(), 0);
  ASSERT_EQ(Show(), 0);
  Pump();
  const std::vector<HWND> forms = WindowsOfClass(kw::kFormClassName);
  ASSERT_EQ(forms.size(), 1u);
  EXPECT_EQ(forms[0], Form());
  EXPECT_EQ(GetParent(Form()), page_);
  const LONG style = GetWindowLongA(Form(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_TRUE(IsWindowVisible(Form()));
  EXPECT_EQ(Ltwh(RectIn(Form(), page_)), (std::array<long, 4>{4, 4, 560, 450}));
  const auto registered = CallsOf("Tlen/AddDialogHandle");
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].WParam, reinterpret_cast<std::intptr_t>(Form()));

  // The designed parts, with their texts.
  EXPECT_EQ(TextOf(Control(ComponentId::Button1)), "menu");
  EXPECT_EQ(TextOf(Control(ComponentId::Button2)), "\"Wyjmij\" okno");
  EXPECT_EQ(TextOf(Control(ComponentId::Button3)), "Zapisz");
  const LONG memo = GetWindowLongA(Control(ComponentId::Memo1), GWL_STYLE);
  EXPECT_TRUE((memo & (WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL)) ==
              (WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL));
  EXPECT_EQ(GetParent(Control(ComponentId::Label1)), Control(ComponentId::Panel2));

  SendMessageA(Control(ComponentId::Memo1), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(
                   std::string(kPolishLine).c_str()));
  ClickAt(ComponentId::Memo1, 24);
  Pump();
  RECT r{};
  GetWindowRect(host_, &r);
  EXPECT_TRUE(Screenshot(r, "options-docked.png", host_));
}

TEST_F(WindowTest, DetachAndDockKeepTheFreeWindowRectangle) {
  kw::OptionsFormRect = {100, 80, 560, 460};
  Show();
  Pump();
  Click(ComponentId::Button2);
  EXPECT_EQ(GetAncestor(Form(), GA_PARENT), GetDesktopWindow());
  const LONG style = GetWindowLongA(Form(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CHILD | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), WS_CAPTION | WS_THICKFRAME);
  EXPECT_EQ(Ltwh(RectIn(Form(), nullptr)), (std::array<long, 4>{100, 80, 560, 460}));
  EXPECT_EQ(TextOf(Form()), "Vortelindak - konfiguracja");
  Pump();
  RECT r{};
  GetWindowRect(Form(), &r);
  EXPECT_TRUE(Screenshot(r, "options-detached.png", Form()));

  SetWindowPos(Form(), nullptr, 130, 90, 600, 480, SWP_NOZORDER);  // the user moves it
  Click(ComponentId::Button2);
  EXPECT_EQ(GetParent(Form()), page_);
  EXPECT_TRUE(GetWindowLongA(Form(), GWL_STYLE) & WS_CHILD);
  EXPECT_EQ(Ltwh(RectIn(Form(), page_)), (std::array<long, 4>{4, 4, 560, 450}));
  EXPECT_EQ(R(kw::OptionsFormRect), R({130, 90, 600, 480}));

  Act(2);  // hiding a docked form changes nothing stored
  EXPECT_FALSE(IsWindowVisible(Form()));
  EXPECT_EQ(R(kw::OptionsFormRect), R({130, 90, 600, 480}));
}

TEST_F(WindowTest, TabAndEnterGiveOneCharacterPerKeyDockedOrFree) {
  Show();
  for (ComponentId editor : {ComponentId::Memo1, ComponentId::Memo2}) {
    SCOPED_TRACE(static_cast<int>(editor));
    HWND h = Control(editor);
    SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab\r\ncd"));
    SetCaret(editor, 1);
    Key(editor, VK_TAB, '\t');
    EXPECT_EQ(TextOf(h), "a\tb\r\ncd");
    EXPECT_EQ(Caret(editor), 2);
    Key(editor, VK_RETURN, '\r');
    EXPECT_EQ(TextOf(h), "a\t\r\nb\r\ncd");
    EXPECT_EQ(Caret(editor), 4);
    Key(editor, 'X', 'x');  // other keys are the editor's own
    EXPECT_EQ(TextOf(h), "a\t\r\nxb\r\ncd");
  }
  Click(ComponentId::Button2);  // free: the editor types them itself
  HWND h = Control(ComponentId::Memo1);
  SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab"));
  SetCaret(ComponentId::Memo1, 1);
  Key(ComponentId::Memo1, VK_TAB, '\t');
  Key(ComponentId::Memo1, VK_RETURN, '\r');
  EXPECT_EQ(TextOf(h), "a\t\r\nb");
}

TEST_F(WindowTest, HelpLabelsFollowTheCaret) {
  Show();
  HWND memo = Control(ComponentId::Memo1);
  HWND label1 = Control(ComponentId::Label1);
  HWND label2 = Control(ComponentId::Label2);
  for (const char* c : {"g", "o", "t", "o", " ", "x"})
    SendMessageA(memo, WM_CHAR, static_cast<WPARAM>(c[0]), 1);
  EXPECT_EQ(TextOf(memo), "goto x");
  EXPECT_EQ(TextOf(label1), "GOTO nazwa_etykiety");
  EXPECT_EQ(TextOf(label2), "Skacze do etykiety.");

  SendMessageA(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("  goto x\r\nMOV $a, 1\r\n"));
  ClickAt(ComponentId::Memo1, 3);  // indented line
  EXPECT_EQ(TextOf(label1), "");
  EXPECT_EQ(TextOf(label2), "");
  ClickAt(ComponentId::Memo1, 12);
  EXPECT_EQ(TextOf(label1), std::string(kw::CommandTable[kw::cmdMov].Syntax));
  EXPECT_EQ(TextOf(label2), std::string(kw::CommandTable[kw::cmdMov].Description));
  Key(ComponentId::Memo1, VK_DOWN, 0);  // the empty last line
  EXPECT_EQ(TextOf(label1), "");
}

TEST_F(WindowTest, ReferenceMenuHasFiveColumnsAndInsertsTheChosenEntry) {
  Show();
  HWND memo = Control(ComponentId::Memo1);
  SendMessageA(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("IF $a = "));
  SetCaret(ComponentId::Memo1, 8);
  ChooseFromMenu("#TRUE", true);

  ASSERT_TRUE(gMenu.seen);
  EXPECT_EQ(gMenu.items, 2 + 6 + 2 + 7 + 2 + 18 + 2 + 6 + 2 + 4);
  EXPECT_EQ(gMenu.headers, (std::vector<std::string>{"Rozkazy", "Operatory", std::string(kConstants),
                                                     "Zmienne programu", "Etykiety specjalne"}));
  ASSERT_EQ(gMenu.headerTypes.size(), 5u);
  EXPECT_EQ(gMenu.headerTypes[0], static_cast<UINT>(MFT_MENUBREAK));
  for (std::size_t i = 1; i < 5; ++i) EXPECT_EQ(gMenu.headerTypes[i], static_cast<UINT>(MFT_MENUBARBREAK));
  for (bool disabled : gMenu.headersDisabled) EXPECT_TRUE(disabled);
  EXPECT_EQ(gMenu.headerLefts.size(), 5u);  // five columns side by side
  EXPECT_EQ(gMenu.ownerDrawnHeights.size(), 5u + 7 + 18 + 6 + 4);
  for (long height : gMenu.ownerDrawnHeights) EXPECT_EQ(height, 20);
  EXPECT_TRUE(gMenu.screenshot);
  EXPECT_TRUE(gMenu.clicked);
  EXPECT_EQ(TextOf(memo), "IF $a = #TRUE");
}

// One read of an editor's line gives at most 65,535 characters; a longer line still
// takes the entry whole, and the save writes it whole.
TEST_F(WindowTest, AnEntryGoesIntoALineLongerThan65535CharactersAndKeepsItWhole) {
  Show();
  const std::string head(66000, 'a'), tail(4000, 'b');
  SendMessageA(Control(ComponentId::Memo1), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(("x\r\n" + head + tail + "\r\ny").c_str()));
  SetCaret(ComponentId::Memo1, static_cast<int>(3 + head.size()));
  ChooseFromMenu("#TRUE");
  ASSERT_TRUE(gMenu.clicked);
  const std::string want = "x\r\n" + head + "#TRUE" + tail + "\r\ny";
  EXPECT_TRUE(TextOf(Control(ComponentId::Memo1)) == want);  // not printed: 70,000 characters
  ASSERT_EQ(Act(3), 0);
  EXPECT_TRUE(ReadBytes(ScriptFile()) == want + "\r\n");
}

TEST_F(WindowTest, RightClickInTheSpamEditorOpensTheMenuForTheScript) {
  Show();
  SendMessageA(Control(ComponentId::Memo1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
  SendMessageA(Control(ComponentId::PageControl1), TCM_SETCURSEL, 1, 0);
  NMHDR change{Control(ComponentId::PageControl1), static_cast<UINT_PTR>(kw::ControlId(ComponentId::PageControl1)),
               static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(Form(), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
  EXPECT_FALSE(IsWindowEnabled(Control(ComponentId::Button1)));
  EXPECT_TRUE(IsWindowVisible(Control(ComponentId::Memo2)));
  SetCursorPos(80, 80);
  gMenu = MenuLook{};
  gChoose = "<>";
  SetTimer(nullptr, 0, 400, &LookAtMenu);
  const UINT_PTR safety = SetTimer(nullptr, 0, 8000, &CloseStuckMenu);
  SendMessageA(Control(ComponentId::Memo2), WM_CONTEXTMENU,
               reinterpret_cast<WPARAM>(Control(ComponentId::Memo2)), MAKELPARAM(80, 80));
  KillTimer(nullptr, safety);
  EXPECT_TRUE(gMenu.seen);
  EXPECT_EQ(TextOf(Control(ComponentId::Memo1)), "<>x");
  EXPECT_EQ(TextOf(Control(ComponentId::Memo2)), "");
}

TEST_F(WindowTest, SaveWritesBothFilesReloadsTheScriptRunsInitAndReloadsSpam) {
  Show();
  SendMessageA(Control(ComponentId::Memo1), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(":_init\r\nMOV $fromwindow, 'tak'\r\nEXIT"));
  SendMessageA(Control(ComponentId::Memo2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("darmowe"));
  Click(ComponentId::Button2);
  ASSERT_EQ(Act(3), 0);
  EXPECT_EQ(GetParent(Form()), page_);  // docked first
  EXPECT_EQ(ReadBytes(ScriptFile()), ":_init\r\nMOV $fromwindow, 'tak'\r\nEXIT\r\n");
  EXPECT_EQ(ReadBytes(SpamFile()), "darmowe\r\n");
  EXPECT_EQ(kw::ScriptLines.size(), 3u);
  EXPECT_EQ(kw::ResolveValue("$fromwindow"), "tak");
  EXPECT_EQ(kw::SpamList.size(), 1u);
}

TEST_F(WindowTest, AFileThatCannotBeReadIsReportedAndNotOverwrittenByTheEmptyEditor) {
  WriteBytes(ScriptFile(), "mov $keep, 1\r\n");
  HANDLE lock = CreateFileA(kw::ScriptPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  gErrorBoxText.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &CloseErrorBox);
  Show();
  KillTimer(nullptr, timer);
  CloseHandle(lock);
  EXPECT_NE(gErrorBoxText.find(std::string(kReadFailed)), std::string::npos);
  EXPECT_EQ(TextOf(Control(ComponentId::Memo1)), "");

  SendMessageA(Control(ComponentId::Memo2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
  ASSERT_EQ(Act(4), 0);
  EXPECT_EQ(ReadBytes(ScriptFile()), "mov $keep, 1\r\n");
  EXPECT_EQ(ReadBytes(SpamFile()), "x\r\n");
}

TEST_F(WindowTest, APageWindowDestroyedUnderTheFormLosesNoText) {
  Show();
  SendMessageA(Control(ComponentId::Memo1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("exit"));
  DestroyWindow(page_);  // the host tears its dialog down before it destroys the page
  ASSERT_EQ(Act(3), 0);
  EXPECT_EQ(ReadBytes(ScriptFile()), "exit\r\n");
  ASSERT_EQ(Act(5), 0);
  EXPECT_EQ(kw::OptionsForm, nullptr);
}

TEST_F(WindowTest, CloseRequestsToAnyPartTakeNothingAway) {
  struct Request {
    UINT message;
    WPARAM w;
  } requests[] = {{WM_CLOSE, 0}, {WM_SYSCOMMAND, SC_CLOSE}, {WM_COMMAND, IDCANCEL}, {WM_COMMAND, IDOK}};
  Show();
  SendMessageA(Control(ComponentId::Memo1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("exit"));
  for (bool docked : {true, false}) {
    if (!docked) Click(ComponentId::Button2);
    std::vector<std::pair<int, HWND>> targets{{-1, Form()}};
    for (ComponentId part : kParts) targets.emplace_back(static_cast<int>(part), Control(part));
    for (const auto& [part, target] : targets) {
      for (const Request& r : requests) {
        SendMessageA(target, r.message, r.w, 0);
        ASSERT_TRUE(AllPartsAlive()) << "message " << r.message << " " << r.w << " to part "
                                     << part << (docked ? " docked" : " free");
      }
      Pump(1);
    }
  }
  EXPECT_EQ(TextOf(Control(ComponentId::Memo1)), "exit");
}

TEST_F(WindowTest, AnEditorWhoseWindowIsGoneIsNotSavedAndTheFailureIsReported) {
  WriteBytes(ScriptFile(), ":_init\r\nMOV $old, 1\r\n");
  kw::ReloadScript(false);
  const kw::TScriptLines running = kw::ScriptLines;
  Show();
  SendMessageA(Control(ComponentId::Memo2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("spam"));
  DestroyWindow(Control(ComponentId::Memo1));
  gErrorBoxText.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &CloseErrorBox);
  ASSERT_EQ(Act(3), 0);
  KillTimer(nullptr, timer);
  EXPECT_EQ(ReadBytes(ScriptFile()), ":_init\r\nMOV $old, 1\r\n");
  EXPECT_FALSE(std::filesystem::exists(SpamFile()));  // the save stops at the failure
  EXPECT_EQ(kw::ScriptLines, running);
  EXPECT_NE(gErrorBoxText.find(kw::ScriptPath), std::string::npos);
}

}  // namespace
}  // namespace kwtest
