// The window records of the in-memory options view: the requests of headless_window.h
// answered by acting on the view as the user would, so a program driving the handle sees
// exactly what the form's own tests see. Nothing thrown leaves the entry point.
#include "options/headless_windows.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "options/view_headless.h"
#include "options/view_win32.h"

namespace kw {
namespace {

static_assert(kHwIdPageControl1 == ControlId(ComponentId::PageControl1));
static_assert(kHwIdMemo1 == ControlId(ComponentId::Memo1));
static_assert(kHwIdMemo2 == ControlId(ComponentId::Memo2));
static_assert(kHwIdLabel1 == ControlId(ComponentId::Label1));
static_assert(kHwIdLabel2 == ControlId(ComponentId::Label2));

// The children a program can reach through the form's record, by control id.
constexpr std::array<int, 5> kChildIds = {kHwIdPageControl1, kHwIdMemo1, kHwIdMemo2,
                                          kHwIdLabel1, kHwIdLabel2};

std::string_view TextParam(std::intptr_t lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  return text ? std::string_view(text) : std::string_view();
}

// WM_GETTEXT: as much as fits with its terminating zero; the number of bytes copied.
std::intptr_t CopyText(std::string_view text, std::intptr_t size, std::intptr_t buffer) {
  char* out = reinterpret_cast<char*>(buffer);
  if (out == nullptr || size <= 0) return 0;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size) - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return static_cast<std::intptr_t>(n);
}

int ClampToInt(std::intptr_t v) {
  return static_cast<int>(std::clamp<std::intptr_t>(v, 0, INT_MAX));
}

}  // namespace

THeadlessWindows::THeadlessWindows(THeadlessOptionsView& view)
    : view_(view), form_{{kHeadlessWindowMagic, &SendToWindow}, this, 0} {
  for (std::size_t i = 0; i < children_.size(); ++i)
    children_[i] = Window{{kHeadlessWindowMagic, &SendToWindow}, this, kChildIds[i]};
}

THeadlessWindows::~THeadlessWindows() {
  // A program holding a stale handle then finds no magic rather than a live-looking record.
  form_.Abi.Magic = 0;
  for (Window& child : children_) child.Abi.Magic = 0;
}

TWindowHandle THeadlessWindows::FormHandle() const { return reinterpret_cast<TWindowHandle>(&form_.Abi); }

std::intptr_t KW_CDECL THeadlessWindows::SendToWindow(KwHeadlessWindow* self,
                                                          std::uint32_t message,
                                                          std::intptr_t wParam,
                                                          std::intptr_t lParam) {
  static_assert(std::is_standard_layout_v<Window>, "a record's address is its Window's");
  try {
    if (self == nullptr || self->Magic != kHeadlessWindowMagic) return 0;
    Window* window = reinterpret_cast<Window*>(self);
    if (window->Windows == nullptr) return 0;
    if (window->Control == 0) return window->Windows->FormRequest(message, wParam, lParam);
    return window->Windows->ChildRequest(window->Control, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

std::intptr_t THeadlessWindows::FormRequest(std::uint32_t message, std::intptr_t wParam,
                                                std::intptr_t lParam) {
  if (message == kHwGetChild) {
    for (const Window& child : children_)
      if (child.Control == wParam) return reinterpret_cast<std::intptr_t>(&child.Abi);
    return 0;
  }
  if (message == kHwChooseMenuItem && lParam != 0) return view_.ChooseMenuEntry(TextParam(lParam)) ? 1 : 0;
  const std::vector<std::string>& errors = view_.Errors();
  if (message == kHwErrorBoxCount) return static_cast<std::intptr_t>(errors.size());
  const auto box = static_cast<std::size_t>(wParam);
  if (wParam < 0 || box >= errors.size()) return message == kHwGetErrorBoxLength ? -1 : 0;
  const auto length = static_cast<std::intptr_t>(errors[box].size());
  if (message == kHwGetErrorBoxLength) return length;
  if (message == kHwGetErrorBoxText) return CopyText(errors[box], length + 1, lParam);
  return 0;
}

std::intptr_t THeadlessWindows::ChildRequest(int control, std::uint32_t message,
                                                 std::intptr_t wParam, std::intptr_t lParam) {
  const auto component = static_cast<ComponentId>(control - kControlIdBase);
  switch (component) {
    case ComponentId::Memo1:
    case ComponentId::Memo2:
      return EditorRequest(component, message, wParam, lParam);
    case ComponentId::Label1:
    case ComponentId::Label2:
      if (message == kHwGetText) return CopyText(view_.LabelText(component), wParam, lParam);
      if (message == kHwGetTextLength) return static_cast<std::intptr_t>(view_.LabelText(component).size());
      if (message == kHwSetText) {
        view_.SetLabel(component, TextParam(lParam));
        return 1;
      }
      return 0;
    case ComponentId::PageControl1:
      if (message == kHwGetCurSel) return view_.ActiveTab();
      if (message == kHwSetCurSel) {
        if (wParam != 0 && wParam != 1) return -1;
        const int before = view_.ActiveTab();
        view_.SelectTab(static_cast<int>(wParam));
        return before;
      }
      return 0;
    default:
      return 0;
  }
}

std::intptr_t THeadlessWindows::EditorRequest(ComponentId editor, std::uint32_t message,
                                                  std::intptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case kHwSetText:
      view_.SetText(editor, TextParam(lParam));
      return 1;
    case kHwGetText:
      return CopyText(view_.Text(editor), wParam, lParam);
    case kHwGetTextLength:
      return static_cast<std::intptr_t>(view_.Text(editor).size());
    case kHwKeyDown:
      if (wParam < 0 || wParam > 255) return 0;
      view_.PressKey(editor, static_cast<int>(wParam));
      return 0;
    case kHwChar: {
      if (wParam < 0 || wParam > 255) return 0;
      const char c = static_cast<char>(static_cast<unsigned char>(wParam));
      view_.TypeText(editor, std::string_view(&c, 1));
      return 0;
    }
    case kHwGetSel: {
      const auto start = static_cast<std::uint32_t>(view_.SelectionStart(editor));
      const auto end = static_cast<std::uint32_t>(view_.SelectionEnd(editor));
      if (auto* out = reinterpret_cast<std::uint32_t*>(wParam)) *out = start;
      if (auto* out = reinterpret_cast<std::uint32_t*>(lParam)) *out = end;
      if (start > 0xFFFF || end > 0xFFFF) return -1;
      return static_cast<std::intptr_t>(start | (end << 16));
    }
    case kHwSetSel: {
      const int caret = view_.CaretOffset(editor);
      if (wParam == -1) {
        view_.Select(editor, caret, caret);
        return 0;
      }
      const int end = lParam == -1 ? static_cast<int>(std::min<std::size_t>(view_.Text(editor).size(), INT_MAX))
                                   : ClampToInt(lParam);
      view_.Select(editor, ClampToInt(wParam), end);
      return 0;
    }
    case kHwLButtonDown: {
      const auto point = static_cast<std::uintptr_t>(lParam);
      const int column = static_cast<int>(point & 0xFFFF);
      const int line = static_cast<int>((point >> 16) & 0xFFFF);
      view_.ClickEditor(editor, view_.OffsetAt(editor, line, column));
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace kw
