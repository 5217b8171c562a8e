// Identifiers of the real options window's parts, for programs that drive it through
// window messages (the Windows tests): each component's child window has the control
// id kControlIdBase + its ComponentId, and a popup menu item's command id is
// kMenuCommandBase + its view id (also its item data).
#pragma once

#include "options/view.h"

namespace kw {

inline constexpr int kControlIdBase = 100;
inline constexpr unsigned kMenuCommandBase = 0x1000;

constexpr int ControlId(ComponentId c) { return kControlIdBase + static_cast<int>(c); }

// Window class names of the form and of its inner panes (tab sheets and panels).
inline constexpr const char* kFormClassName = "KwartlinOptionsForm";
inline constexpr const char* kPaneClassName = "KwartlinOptionsPane";

}  // namespace kw
