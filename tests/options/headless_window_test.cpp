// The in-memory view's window records: what a program outside the module reaches
// through the form's window handle, and how it fails on requests that do not apply.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "options/headless_window.h"
#include "options/view_headless.h"

namespace {

using kw::ComponentId;
using kw::KwHeadlessWindow;

std::intptr_t Send(KwHeadlessWindow* w, std::uint32_t message, std::intptr_t wParam = 0,
                   std::intptr_t lParam = 0) {
  return w->Send(w, message, wParam, lParam);
}

std::intptr_t Ptr(const void* p) { return reinterpret_cast<std::intptr_t>(p); }

struct Page {
  kw::THeadlessOptionsView view;
  KwHeadlessWindow* form = kw::HeadlessWindowOf(view.WindowHandle());
  KwHeadlessWindow* Child(std::intptr_t id) {
    return kw::HeadlessWindowOf(Send(form, kw::kHwGetChild, id));
  }
};

TEST(HeadlessWindow, ChildrenByControlIdOnly) {
  Page page;
  ASSERT_NE(page.form, nullptr);
  for (std::intptr_t id : {kw::kHwIdPageControl1, kw::kHwIdMemo1, kw::kHwIdMemo2, kw::kHwIdLabel1,
                           kw::kHwIdLabel2})
    EXPECT_NE(page.Child(id), nullptr) << id;
  for (std::intptr_t id : {0, 100, 104, 113, -1}) EXPECT_EQ(Send(page.form, kw::kHwGetChild, id), 0) << id;
  // Requests that do not apply answer 0 and change nothing.
  EXPECT_EQ(Send(page.form, kw::kHwGetTextLength), 0);
  EXPECT_EQ(Send(page.Child(kw::kHwIdLabel1), kw::kHwChar, 'x'), 0);
  EXPECT_EQ(Send(page.form, kw::kHwChooseMenuItem, 0, 0), 0);
  EXPECT_EQ(kw::HeadlessWindowOf(0), nullptr);
  const KwHeadlessWindow stranger{0x12345678u, nullptr};
  EXPECT_EQ(kw::HeadlessWindowOf(Ptr(&stranger)), nullptr);
}

TEST(HeadlessWindow, EditorTextSelectionAndClicks) {
  Page page;
  KwHeadlessWindow* memo = page.Child(kw::kHwIdMemo2);
  EXPECT_EQ(Send(memo, kw::kHwSetText, 0, Ptr("ab\r\ncdef")), 1);
  EXPECT_EQ(page.view.Text(ComponentId::Memo2), "ab\r\ncdef");
  EXPECT_EQ(Send(memo, kw::kHwGetTextLength), 8);

  char small[4] = {'?', '?', '?', '?'};
  EXPECT_EQ(Send(memo, kw::kHwGetText, sizeof small, Ptr(small)), 3);
  EXPECT_EQ(std::string(small), "ab\r");
  EXPECT_EQ(Send(memo, kw::kHwGetText, 0, Ptr(small)), 0);
  EXPECT_EQ(Send(memo, kw::kHwGetText, 10, 0), 0);

  Send(memo, kw::kHwSetSel, 1, -1);
  std::uint32_t start = 0, end = 0;
  EXPECT_EQ(Send(memo, kw::kHwGetSel, Ptr(&start), Ptr(&end)), 1 | (8 << 16));
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(end, 8u);
  Send(memo, kw::kHwSetSel, -1, 0);  // the selection goes, the caret stays
  EXPECT_EQ(page.view.SelectionStart(ComponentId::Memo2), 1);
  EXPECT_EQ(page.view.SelectionEnd(ComponentId::Memo2), 1);

  struct Click {
    int line, column, offset;
  };
  for (const Click c : {Click{0, 0, 0}, Click{1, 2, 6}, Click{0, 9, 2}, Click{7, 1, 5}, Click{7, 99, 8}}) {
    Send(memo, kw::kHwLButtonDown, 0, (c.line << 16) | c.column);
    EXPECT_EQ(page.view.CaretOffset(ComponentId::Memo2), c.offset) << c.line << "," << c.column;
  }

  // Without a form every key types its text; CR and LF are each one Enter.
  Send(memo, kw::kHwSetText, 0, 0);
  for (char c : std::string("a\tb\rc\nd")) Send(memo, kw::kHwChar, static_cast<unsigned char>(c));
  Send(memo, kw::kHwChar, 300);  // no such character
  Send(memo, kw::kHwKeyDown, 13);
  EXPECT_EQ(page.view.Text(ComponentId::Memo2), "a\tb\r\nc\r\nd\r\n");
}

TEST(HeadlessWindow, TabsLabelsAndMenu) {
  Page page;
  KwHeadlessWindow* tabs = page.Child(kw::kHwIdPageControl1);
  EXPECT_EQ(Send(tabs, kw::kHwSetCurSel, 1), 0);
  EXPECT_EQ(Send(tabs, kw::kHwGetCurSel), 1);
  EXPECT_EQ(Send(tabs, kw::kHwSetCurSel, 2), -1);
  EXPECT_EQ(Send(tabs, kw::kHwGetCurSel), 1);

  page.view.SetLabel(ComponentId::Label1, "GOTO nazwa_etykiety");
  char buffer[64] = {};
  EXPECT_EQ(Send(page.Child(kw::kHwIdLabel1), kw::kHwGetText, sizeof buffer, Ptr(buffer)), 19);
  EXPECT_EQ(std::string(buffer), "GOTO nazwa_etykiety");
  EXPECT_EQ(Send(page.Child(kw::kHwIdLabel2), kw::kHwGetTextLength), 0);

  kw::TMenuItem header{"MenuItem_0", "Rozkazy", -1, 0, kw::TMenuItemKind::Header, false,
                       kw::TMenuBreak::None, -1};
  kw::TMenuItem entry{"MenuItem_1", "GOTO", 5, 0, kw::TMenuItemKind::Entry, true,
                      kw::TMenuBreak::None, -1};
  page.view.AddMenuItem(header);
  const int id = page.view.AddMenuItem(entry);
  // Headers are never chosen, whatever their caption.
  EXPECT_EQ(Send(page.form, kw::kHwChooseMenuItem, 0, Ptr("Rozkazy")), 0);
  EXPECT_FALSE(page.view.MenuOpen());
  EXPECT_EQ(Send(page.form, kw::kHwChooseMenuItem, 0, Ptr("goto")), 1);
  EXPECT_FALSE(page.view.MenuOpen());
  EXPECT_EQ(page.view.MenuItem(id).Caption, "GOTO");
}

TEST(HeadlessWindow, EveryViewHasItsOwnHandle) {
  kw::THeadlessOptionsView first;
  kw::THeadlessOptionsView second;
  EXPECT_NE(first.WindowHandle(), second.WindowHandle());
  ASSERT_NE(kw::HeadlessWindowOf(first.WindowHandle()), nullptr);
  ASSERT_NE(kw::HeadlessWindowOf(second.WindowHandle()), nullptr);
  // A child's request reaches its own view.
  Send(kw::HeadlessWindowOf(Send(kw::HeadlessWindowOf(second.WindowHandle()), kw::kHwGetChild,
                                 kw::kHwIdMemo1)),
       kw::kHwChar, 'z');
  EXPECT_EQ(first.Text(ComponentId::Memo1), "");
  EXPECT_EQ(second.Text(ComponentId::Memo1), "z");
}

}  // namespace

