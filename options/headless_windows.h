// The window records of the in-memory options view (view_headless.h): the form's and
// its children's KwHeadlessWindow records (headless_window.h), which a program outside
// the module drives by requests. They answer by acting on the view as the user would;
// the view owns them and hands out the form's record as its window handle.
#pragma once

#include <array>
#include <cstdint>

#include "options/headless_window.h"
#include "options/view.h"

namespace kw {

class THeadlessOptionsView;

class THeadlessWindows {
 public:
  explicit THeadlessWindows(THeadlessOptionsView& view);
  // A stale handle then finds no magic.
  ~THeadlessWindows();
  // The records point back at this object.
  THeadlessWindows(const THeadlessWindows&) = delete;
  THeadlessWindows& operator=(const THeadlessWindows&) = delete;

  TWindowHandle FormHandle() const;

 private:
  // The C-ABI record of the form or of one child; standard layout with the record
  // first, so the record's address is this one's.
  struct Window {
    KwHeadlessWindow Abi;        // what the handle points to
    THeadlessWindows* Windows;   // the records it belongs to
    int Control;                 // control id of the child; 0 for the form itself
  };
  static std::intptr_t KW_CDECL SendToWindow(KwHeadlessWindow* self, std::uint32_t message,
                                             std::intptr_t wParam, std::intptr_t lParam);
  std::intptr_t FormRequest(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);
  std::intptr_t ChildRequest(int control, std::uint32_t message, std::intptr_t wParam,
                             std::intptr_t lParam);
  std::intptr_t EditorRequest(ComponentId editor, std::uint32_t message, std::intptr_t wParam,
                              std::intptr_t lParam);

  THeadlessOptionsView& view_;
  Window form_;                     // the form's record: its window handle
  std::array<Window, 5> children_;  // records of the children programs reach
};

}  // namespace kw
