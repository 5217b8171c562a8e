// The page through the plugin's in-memory window record: every request goes through the
// record's one C entry point, into the module, with Win32's message numbers.
#include <algorithm>
#include <vector>

#include "options/headless_window.h"
#include "tools/sim/page_window.h"
#include "tools/sim/texts.h"

namespace kwsim {
namespace {

class HeadlessPage final : public PageWindow {
 public:
  explicit HeadlessPage(kw::KwHeadlessWindow* form) : form_(form) {}

  void ShowTab(PageEditor editor) override {
    Send(Child(kw::kHwIdPageControl1), kw::kHwSetCurSel, editor == PageEditor::Script ? 0 : 1, 0);
  }

  void Type(PageEditor editor, std::string_view text) override {
    kw::KwHeadlessWindow* memo = Editor(editor);
    for (std::size_t i = 0; i < text.size(); ++i) {
      // One Enter per line break, whichever way it is written.
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      Send(memo, kw::kHwChar, static_cast<unsigned char>(text[i]), 0);
    }
  }

  void PressKey(PageEditor editor, int key) override { Send(Editor(editor), kw::kHwKeyDown, key, 0); }

  void Click(PageEditor editor, int line, int column) override {
    const auto point = static_cast<std::intptr_t>((static_cast<std::uint32_t>(line) & 0xFFFFu) << 16 |
                                                  (static_cast<std::uint32_t>(column) & 0xFFFFu));
    Send(Editor(editor), kw::kHwLButtonDown, 0, point);
  }

  std::string Text(PageEditor editor) override { return TextOf(Editor(editor)); }

  std::size_t CaretOffset(PageEditor editor) override {
    std::uint32_t start = 0;
    Send(Editor(editor), kw::kHwGetSel, reinterpret_cast<std::intptr_t>(&start), 0);
    return start;
  }

  std::string HelpLine(bool syntax) override {
    return TextOf(Child(syntax ? kw::kHwIdLabel1 : kw::kHwIdLabel2));
  }

  bool ChooseMenuEntry(std::string_view caption) override {
    const std::string zeroTerminated(caption);
    return Send(form_, kw::kHwChooseMenuItem, 0, reinterpret_cast<std::intptr_t>(zeroTerminated.c_str())) == 1;
  }

 private:
  static std::intptr_t Send(kw::KwHeadlessWindow* window, std::uint32_t message,
                            std::intptr_t wParam, std::intptr_t lParam) {
    return window ? window->Send(window, message, wParam, lParam) : 0;
  }

  kw::KwHeadlessWindow* Child(std::intptr_t id) {
    return kw::HeadlessWindowOf(Send(form_, kw::kHwGetChild, id, 0));
  }

  kw::KwHeadlessWindow* Editor(PageEditor editor) {
    return Child(editor == PageEditor::Script ? kw::kHwIdMemo1 : kw::kHwIdMemo2);
  }

  static std::string TextOf(kw::KwHeadlessWindow* window) {
    const std::intptr_t length = Send(window, kw::kHwGetTextLength, 0, 0);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    const std::intptr_t got = Send(window, kw::kHwGetText, static_cast<std::intptr_t>(buffer.size()),
                                   reinterpret_cast<std::intptr_t>(buffer.data()));
    return std::string(buffer.data(), static_cast<std::size_t>(std::max<std::intptr_t>(got, 0)));
  }

  kw::KwHeadlessWindow* form_;  // the form's record
};

// The in-memory form keeps every box it showed; the watch reads those after its start.
class HeadlessErrorBoxes final : public ErrorBoxWatch {
 public:
  explicit HeadlessErrorBoxes(std::intptr_t handle) : handle_(handle), seen_(Count(handle)) {}

  std::vector<std::string> Texts(std::intptr_t handle) override {
    std::vector<std::string> texts;
    if (handle != handle_) {
      handle_ = handle;
      seen_ = 0;
    }
    kw::KwHeadlessWindow* form = kw::HeadlessWindowOf(handle_);
    if (form == nullptr) return texts;
    for (std::intptr_t i = seen_; i < Count(handle_); ++i) {
      const std::intptr_t length = form->Send(form, kw::kHwGetErrorBoxLength, i, 0);
      if (length < 0) break;
      std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
      const std::intptr_t got = form->Send(form, kw::kHwGetErrorBoxText, i, reinterpret_cast<std::intptr_t>(buffer.data()));
      texts.emplace_back(buffer.data(), static_cast<std::size_t>(std::max<std::intptr_t>(got, 0)));
    }
    return texts;
  }

 private:
  static std::intptr_t Count(std::intptr_t handle) {
    kw::KwHeadlessWindow* form = kw::HeadlessWindowOf(handle);
    return form ? form->Send(form, kw::kHwErrorBoxCount, 0, 0) : 0;
  }

  std::intptr_t handle_;  // the form's record, as the host got it
  std::intptr_t seen_;    // boxes shown before the watch began
};

}  // namespace

std::unique_ptr<ErrorBoxWatch> WatchErrorBoxes(std::intptr_t handle) {
  return std::make_unique<HeadlessErrorBoxes>(handle);
}

std::unique_ptr<PageWindow> OpenPageWindow(std::intptr_t handle, std::string& why) {
  kw::KwHeadlessWindow* form = kw::HeadlessWindowOf(handle);
  if (form == nullptr) {
    why = Text(TextId::PageNotInMemoryWindow);
    return nullptr;
  }
  return std::make_unique<HeadlessPage>(form);
}

}  // namespace kwsim
