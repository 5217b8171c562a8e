// The plugin's options page as the simulated user reaches it: through the window handle
// that the plugin handed to "Tlen/AddDialogHandle". Where the module's page has no real
// window that handle leads to the plugin's in-memory window record
// (options/headless_window.h, a header of plain declarations, so no plugin code comes
// in); a real window is driven by window messages. Either way the simulator only
// acts as the user does: it types, presses keys, clicks, picks a tab, chooses a menu
// entry, and reads what the page shows. Texts are Windows-1250.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kwsim {

enum class PageEditor { Script, Spam };

class PageWindow {
 public:
  virtual ~PageWindow() = default;
  // Brings the editor's tab to the front, as a click on the tab does.
  virtual void ShowTab(PageEditor editor) = 0;
  // Types each character as one key press; CR LF, CR and LF are each one Enter.
  virtual void Type(PageEditor editor, std::string_view text) = 0;
  // One press of a key, by virtual-key code.
  virtual void PressKey(PageEditor editor, int key) = 0;
  // A left click on a 0-based line and column (clamped to the text there).
  virtual void Click(PageEditor editor, int line, int column) = 0;
  virtual std::string Text(PageEditor editor) = 0;  // CR LF line breaks
  virtual std::size_t CaretOffset(PageEditor editor) = 0;
  // Label1 (the syntax line) when syntax is true, else Label2 (the description).
  virtual std::string HelpLine(bool syntax) = 0;
  // Opens the command reference menu and chooses the entry with that caption; false
  // when there is none.
  virtual bool ChooseMenuEntry(std::string_view caption) = 0;
};

// The page behind a handle that is alive; null, with the reason in why, when this
// build cannot reach it.
std::unique_ptr<PageWindow> OpenPageWindow(std::intptr_t handle, std::string& why);

// The error boxes the page shows while the watch lives, each closed as the user's OK
// would close it.
class ErrorBoxWatch {
 public:
  virtual ~ErrorBoxWatch() = default;
  // The boxes' texts, in the order shown (Windows-1250). handle: the page's live window
  // handle now (0: none); a page made since the watch began counts from its first box.
  virtual std::vector<std::string> Texts(std::intptr_t handle) = 0;
};

// handle: the page's window handle, or 0 when it has none yet.
std::unique_ptr<ErrorBoxWatch> WatchErrorBoxes(std::intptr_t handle);

}  // namespace kwsim
