// The form's own rules on the in-memory view: Tab and Enter while docked, the help
// lines under the caret, the tab/button rule, and the editors' file text.
#include "options_fixture.h"
#include "script/KwartlinConst.h"

namespace kwtest {
namespace {

using kw::ComponentId;

constexpr std::intptr_t kHost = 0x777;

struct FormTest : ::testing::Test {
  FormTest() : form(std::make_unique<kw::THeadlessOptionsView>(), inputs.Inputs()) {}
  kw::THeadlessOptionsView& view() { return dynamic_cast<kw::THeadlessOptionsView&>(form.View()); }
  void Dock() {
    form.SetHostArea(kHost, {0, 0, 500, 400});
    form.SetDetached(false);
  }
  std::string Label1() { return view().LabelText(ComponentId::Label1); }
  std::string Label2() { return view().LabelText(ComponentId::Label2); }

  FormInputs inputs;
  kw::TOptionsForm form;
};

TEST_F(FormTest, CreationLeavesEmptyLabelsAnUnsetHostAndABuiltMenu) {
  EXPECT_EQ(Label1(), "");
  EXPECT_EQ(Label2(), "");
  EXPECT_EQ(form.GetHostWindow(), 0);
  EXPECT_EQ(R(form.GetDockedRect()), R({}));
  EXPECT_FALSE(form.IsDocked());
  EXPECT_EQ(view().MenuItemCount(), 89);
}

TEST_F(FormTest, TabAndEnterWhileDockedInsertOnceAtTheCaret) {
  struct Case {
    ComponentId editor;
    int key;
    int start, end;  // selection before the key
    std::string text;
    int caret;
  } cases[] = {
      {ComponentId::Memo1, kw::kKeyTab, 0, 0, "\tab\r\ncd", 1},
      {ComponentId::Memo1, kw::kKeyTab, 5, 5, "ab\r\nc\td", 6},
      {ComponentId::Memo1, kw::kKeyEnter, 1, 1, "a\r\nb\r\ncd", 3},
      {ComponentId::Memo1, kw::kKeyEnter, 6, 6, "ab\r\ncd\r\n", 8},
      {ComponentId::Memo2, kw::kKeyTab, 2, 2, "ab\t\r\ncd", 3},
      {ComponentId::Memo2, kw::kKeyEnter, 0, 0, "\r\nab\r\ncd", 2},
      // A selection stays in place; the insertion goes before it.
      {ComponentId::Memo1, kw::kKeyTab, 1, 5, "a\tb\r\ncd", 2},
      {ComponentId::Memo2, kw::kKeyEnter, 4, 6, "ab\r\n\r\ncd", 6},
  };
  Dock();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    view().SetText(c.editor, "ab\r\ncd");
    view().Select(c.editor, c.start, c.end);
    view().PressKey(c.editor, c.key);
    EXPECT_EQ(view().Text(c.editor), c.text);
    EXPECT_EQ(view().SelectionStart(c.editor), c.caret);
    EXPECT_EQ(view().SelectionEnd(c.editor), c.caret);
  }
}

TEST_F(FormTest, DetachedEditorsTakeTabAndEnterThemselves) {
  // Never docked: the form leaves the key to the editor, which types it once.
  EXPECT_FALSE(form.HandleEditorKey(ComponentId::Memo1, kw::kKeyTab));
  view().SetText(ComponentId::Memo1, "ab");
  view().SetCaretOffset(ComponentId::Memo1, 1);
  view().PressKey(ComponentId::Memo1, kw::kKeyTab);
  view().PressKey(ComponentId::Memo1, kw::kKeyEnter);
  EXPECT_EQ(view().Text(ComponentId::Memo1), "a\t\r\nb");

  Dock();
  form.SetDetached(true);
  view().PressKey(ComponentId::Memo2, kw::kKeyEnter);
  EXPECT_EQ(view().Text(ComponentId::Memo2), "\r\n");
}

TEST_F(FormTest, OtherKeysInsertNothing) {
  Dock();
  view().SetText(ComponentId::Memo1, "ab");
  for (int key : {0, 8, 10, 32, 65, 0x0D0D, -13})
    EXPECT_FALSE(form.HandleEditorKey(ComponentId::Memo1, key)) << key;
  EXPECT_EQ(view().Text(ComponentId::Memo1), "ab");
}

TEST_F(FormTest, HelpLinesFollowTheCaretLine) {
  const std::string gotoSyntax(kw::CommandTable[kw::cmdGoto].Syntax);
  const std::string gotoHelp(kw::CommandTable[kw::cmdGoto].Description);
  const std::string movSyntax(kw::CommandTable[kw::cmdMov].Syntax);
  struct Case {
    std::string text;
    int caret;
    std::string label1;
  } cases[] = {
      {"goto start", 3, gotoSyntax},
      {"goto", 4, gotoSyntax},
      {"GoTo\tstart", 0, gotoSyntax},
      {"goto a\r\nMOV $x, 1", 9, movSyntax},
      {"goto a\r\nMOV $x, 1", 8, movSyntax},
      {"goto a\r\nMOV $x, 1", 6, gotoSyntax},
      {"  goto start", 5, ""},      // indented
      {"\tgoto start", 5, ""},
      {"gotox start", 2, ""},       // first word is no command
      {":_start", 2, ""},
      {"goto a\r\n", 8, ""},        // the empty last line
      {"goto a\r\n\r\nmov", 8, ""}, // an empty line that is not the last
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " @" + std::to_string(c.caret));
    view().SetText(ComponentId::Memo1, c.text);
    view().ClickEditor(ComponentId::Memo1, c.caret);
    EXPECT_EQ(Label1(), c.label1);
    if (c.label1 == gotoSyntax) {
      EXPECT_EQ(Label2(), gotoHelp);
    }
    if (c.label1.empty()) {
      EXPECT_EQ(Label2(), "");
    }
  }
}

TEST_F(FormTest, HelpLinesFollowTypingKeysAndClicks) {
  view().TypeText(ComponentId::Memo1, "goto a");
  EXPECT_EQ(Label1(), "GOTO nazwa_etykiety");
  EXPECT_EQ(Label2(), "Skacze do etykiety.");
  view().TypeText(ComponentId::Memo1, "\r\n");
  EXPECT_EQ(Label1(), "");  // on the new, empty last line
  view().PressKey(ComponentId::Memo1, 38);  // up: caret back on "goto a"
  EXPECT_EQ(Label1(), "GOTO nazwa_etykiety");
  view().PressKey(ComponentId::Memo1, 40);
  EXPECT_EQ(Label1(), "");
  view().ClickEditor(ComponentId::Memo1, 0);
  EXPECT_EQ(Label1(), "GOTO nazwa_etykiety");

  // The spam list editor has no say in the help lines.
  view().TypeText(ComponentId::Memo2, "mov x\r\n");
  view().ClickEditor(ComponentId::Memo2, 0);
  EXPECT_EQ(Label1(), "GOTO nazwa_etykiety");
  // A menu entry that changes the script updates them as a change.
  view().SetText(ComponentId::Memo1, "");
  EXPECT_EQ(Label1(), "");
}

TEST_F(FormTest, FirstButtonIsEnabledExactlyOnTheFirstTab) {
  view().SelectTab(1);
  EXPECT_FALSE(view().ButtonEnabled(ComponentId::Button1));
  EXPECT_FALSE(view().ClickButton(ComponentId::Button2));  // not on the showing tab
  view().SelectTab(0);
  EXPECT_TRUE(view().ButtonEnabled(ComponentId::Button1));
  EXPECT_TRUE(view().ClickButton(ComponentId::Button1));
  EXPECT_TRUE(view().MenuOpen());
}

// A form works on the paths and the rectangle it was given, not the plugin's, and only a
// host save reports what it wrote, even when the first report frees the form.
class FormInputsTest : public OptionsTest {};

TEST_F(FormInputsTest, FilesAndRectangleAreTheGivenOnesAndAHostSaveReportsWhatItWrote) {
  FormInputs in;
  in.ScriptPath = (folder_ / "own" / "a.dat").string();
  in.SpamListPath = (folder_ / "own" / "a.spm").string();
  auto* form = new kw::TOptionsForm(std::make_unique<kw::THeadlessOptionsView>(), in.Inputs());
  form->SetHostArea(kHost, {0, 0, 500, 400});
  form->SetDetached(false);
  form->SetDetached(true);
  form->View().SetBounds({1, 2, 3, 4});
  form->SetDetached(false);
  EXPECT_EQ(R(in.Rect), R({1, 2, 3, 4}));
  EXPECT_EQ(R(kw::OptionsFormRect), R({}));

  form->View().SetText(ComponentId::Memo1, "skrypt");
  form->View().SetText(ComponentId::Memo2, "spam");
  form->Button3Click();
  EXPECT_EQ(ReadBytes(in.ScriptPath), "skrypt\r\n");
  EXPECT_EQ(ReadBytes(in.SpamListPath), "spam\r\n");
  EXPECT_FALSE(std::filesystem::exists(ScriptFile()));
  EXPECT_EQ(in.ScriptSaves + in.SpamListSaves, 0);

  in.OnScriptSaved = [&] {
    delete form;
    form = nullptr;
  };
  const kw::TSaveResult saved = form->SaveForHost();
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(in.ScriptSaves, 1);
  EXPECT_EQ(in.SpamListSaves, 1);
  EXPECT_EQ(saved.SpamList, kw::TFileSave::Written);
}

TEST(EditorFiles, LineBreaksAreNormalizedOnLoad) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"\r", "\r\n"},
      {"\n", "\r\n"},
      {"\r\n", "\r\n"},
      {"\n\r", "\r\n\r\n"},
      {"\r\r", "\r\n\r\n"},
      {"a\n\nb", "a\r\n\r\nb"},
      {std::string("\0abc", 4), ""},
      {std::string("x\r\0\n", 4), "x\r\n"},
      {"\xB9\xEA\r\xA3", "\xB9\xEA\r\n\xA3"},
  };
  for (const Case& c : cases) EXPECT_EQ(kw::NormalizeLineBreaks(c.in), c.out) << c.out;
}

TEST(EditorFiles, EveryLineEndsWithCrLfAndAnEmptyLastLineIsNone) {
  struct Case {
    std::string editor, file;
  } cases[] = {
      {"", ""},
      {"a", "a\r\n"},
      {"a\r\n", "a\r\n"},
      {"a\r\nb", "a\r\nb\r\n"},
      {"\r\n", "\r\n"},
      {"a\r\n\r\n", "a\r\n\r\n"},
      {"a\r", "a\r\r\n"},  // a lone CR is text to the editor
  };
  for (const Case& c : cases) EXPECT_EQ(kw::EditorFileText(c.editor), c.file) << c.file;
}

}  // namespace
}  // namespace kwtest
