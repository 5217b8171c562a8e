// The window handle of the in-memory options view. Where the form has no real window,
// the handle it hands to "Tlen/AddDialogHandle" points to a KwHeadlessWindow: a plain
// C-ABI record with one entry point that answers a few window-message-like requests,
// so that a host stand-in loaded beside the module (the simulator) can drive the page
// as a user would without linking any of the plugin's code. Header-only on purpose.
//
// Numbers and meanings are Win32's where Win32 has the message; the rest are private
// requests from WM_APP up. Requests go to the form's record or to a child's record,
// which the form hands out by control id. Every request answers 0 when it does not
// apply to the record it is sent to; nothing thrown ever leaves the entry point.
// Texts are Windows-1250 bytes, zero-terminated. A record is valid while its form lives:
// from "Tlen/AddDialogHandle" to "Tlen/RemoveDialogHandle" or the plugin's unload.
#pragma once

#include <cstdint>

#include "host/records.h"

namespace kw {

struct KwHeadlessWindow {
  std::uint32_t Magic;  // kHeadlessWindowMagic while the window lives, 0 once it is gone
  // Handles one request; self is the record the request is sent to.
  std::intptr_t(KW_CDECL* Send)(KwHeadlessWindow* self, std::uint32_t message,
                                std::intptr_t wParam, std::intptr_t lParam);
};

inline constexpr std::uint32_t kHeadlessWindowMagic = 0x5748574Bu;  // "KWHW" in memory order

// Control ids of the form's children: 100 + the component's place in the form's
// designed order (the real window uses the same ids).
inline constexpr std::intptr_t kHwIdPageControl1 = 101;
inline constexpr std::intptr_t kHwIdMemo1 = 105;
inline constexpr std::intptr_t kHwIdMemo2 = 107;
inline constexpr std::intptr_t kHwIdLabel2 = 111;
inline constexpr std::intptr_t kHwIdLabel1 = 112;

// ---- Requests to the form ----------------------------------------------------------
// wParam: a control id. Answers the child's record as a handle; 0 for an unknown id.
inline constexpr std::uint32_t kHwGetChild = 0x8001;
// lParam: a caption. Opens the command reference menu (unless open) and chooses the
// first entry with exactly that caption, else the first equal ignoring ASCII case, as
// the user's click would. 1 when an entry was chosen; 0, with the menu left as it was,
// when no entry has that caption.
inline constexpr std::uint32_t kHwChooseMenuItem = 0x8002;
// The error boxes the page has shown (a save that failed, a file that could not be read),
// numbered from 0 in the order shown: their count; the length of box wParam (-1 when
// there is no such box); and its text copied into the buffer lParam, which holds at
// least that length and its terminating zero (answers the bytes copied).
inline constexpr std::uint32_t kHwErrorBoxCount = 0x8003;
inline constexpr std::uint32_t kHwGetErrorBoxLength = 0x8004;
inline constexpr std::uint32_t kHwGetErrorBoxText = 0x8005;

// ---- Requests to a child ------------------------------------------------------------
// Editors and labels.
inline constexpr std::uint32_t kHwSetText = 0x000C;        // WM_SETTEXT: lParam the text
inline constexpr std::uint32_t kHwGetText = 0x000D;        // WM_GETTEXT: wParam buffer size, lParam buffer
inline constexpr std::uint32_t kHwGetTextLength = 0x000E;  // WM_GETTEXTLENGTH
// Editors.
// WM_KEYDOWN: wParam a virtual-key code; one whole key press, as typed (down, the key's
// own effect, up), so Tab and Enter pass through the form's key handling.
inline constexpr std::uint32_t kHwKeyDown = 0x0100;
// WM_CHAR: wParam a character code 0-255; typed as one key press. CR and LF are Enter,
// TAB is Tab.
inline constexpr std::uint32_t kHwChar = 0x0102;
// EM_GETSEL: wParam and lParam point to std::uint32_t start and end (either may be 0).
// Answers start | end << 16, or -1 when either is above 65535.
inline constexpr std::uint32_t kHwGetSel = 0x00B0;
// EM_SETSEL: wParam start, lParam end; start -1 drops the selection at the caret, end -1
// is the end of the text. No event, as in Win32.
inline constexpr std::uint32_t kHwSetSel = 0x00B1;
// WM_LBUTTONDOWN: a left click. The in-memory editor's client coordinates are character
// cells: lParam's low word is the column, its high word the line, both 0-based; a column
// beyond the line's end clicks at that end, a line beyond the last on the last.
inline constexpr std::uint32_t kHwLButtonDown = 0x0201;
// The page control.
inline constexpr std::uint32_t kHwGetCurSel = 0x130B;  // TCM_GETCURSEL: the active tab, 0 or 1
// TCM_SETCURSEL: wParam the tab, chosen as by a click, so the form hears of the change.
// Answers the tab before, or -1 for a tab that does not exist.
inline constexpr std::uint32_t kHwSetCurSel = 0x130C;

// The record behind a handle, when it is one of these; null otherwise. The handle must
// be one the form handed out and that is still alive.
inline KwHeadlessWindow* HeadlessWindowOf(std::intptr_t handle) {
  auto* window = reinterpret_cast<KwHeadlessWindow*>(handle);
  if (window == nullptr || window->Magic != kHeadlessWindowMagic || window->Send == nullptr)
    return nullptr;
  return window;
}

}  // namespace kw
