// The command reference menu: its 89 items, their names, tags, sections and columns,
// measuring and drawing on a recording surface, and what choosing an entry inserts.
#include <sstream>

#include "options/command_menu.h"
#include "options_fixture.h"
#include "script/KwartlinConst.h"
#include "support/cp1250.h"

namespace kwtest {
namespace {

using kw::operator""_w;

constexpr std::string_view kConstants = "Stałe"_w;

using kw::ComponentId;
using kw::TMenuBreak;
using kw::TMenuItemKind;

// Text is 6 pixels a character, 7 in bold, 13 high; every call is logged.
class RecordingSurface final : public kw::IDrawSurface {
 public:
  void SetBold(bool b) override { bold = b; }
  void SetTextColor(kw::TColor c) override { text = c; }
  void SetBrushColor(kw::TColor c) override { brush = c; }
  void SetPenColor(kw::TColor c) override { pen = c; }
  void FillRect(const kw::TMenuRect& r) override {
    filled = r;
    fillColor = brush;
  }
  int TextWidth(std::string_view s) override { return static_cast<int>(s.size()) * (bold ? 7 : 6); }
  int TextHeight(std::string_view) override { return 13; }
  void TextRect(const kw::TMenuRect& clip, int x, int y, std::string_view s) override {
    drawnClip = clip;
    drawnAt = {x, y};
    drawn = std::string(s);
    drawnBold = bold;
    drawnColor = text;
  }

  bool bold = false;
  kw::TColor text = 0x123456, brush = 0x123456, pen = 0x123456, fillColor = 0x123456;
  kw::TMenuRect filled{}, drawnClip{};
  kw::TPoint32 drawnAt{};
  std::string drawn;
  bool drawnBold = false;
  kw::TColor drawnColor = 0x123456;
};

struct MenuTest : ::testing::Test {
  MenuTest() : form(std::make_unique<kw::THeadlessOptionsView>(), inputs.Inputs()) {}
  kw::THeadlessOptionsView& view() { return dynamic_cast<kw::THeadlessOptionsView&>(form.View()); }
  const kw::TMenuItem& item(int id) { return view().MenuItem(id); }
  int Find(std::string_view caption) {
    const int id = view().FindMenuItem(caption);
    EXPECT_GE(id, 0) << caption;
    return id;
  }
  // Opens the menu from Button1 and chooses the item with this caption.
  void Choose(std::string_view caption) {
    ASSERT_TRUE(view().ClickButton(ComponentId::Button1));
    ASSERT_TRUE(view().ChooseMenuItem(Find(caption)));
  }
  int NameNumber(int id) { return std::stoi(item(id).Name.substr(9)); }

  FormInputs inputs;
  kw::TOptionsForm form;
};

TEST_F(MenuTest, TopLevelHasFiveHeadedColumns) {
  const std::vector<int> top = view().MenuChildren(-1);
  std::vector<std::string> captions;
  for (int id : top) captions.push_back(item(id).Caption);
  std::vector<std::string> expected{"Rozkazy", "-"};
  for (auto g : kw::GroupNames) expected.emplace_back(g);
  expected.insert(expected.end(), {"Operatory", "-"});
  for (auto o : kw::OperatorTable) expected.emplace_back(o);
  expected.insert(expected.end(), {std::string(kConstants), "-"});
  for (const auto& c : kw::ConstantTable) expected.push_back(std::string("#").append(c.Name));
  expected.insert(expected.end(), {"Zmienne programu", "-"});
  for (auto v : kw::ProgramVariableNames) expected.emplace_back(v);
  expected.insert(expected.end(), {"Etykiety specjalne", "-"});
  for (const auto& l : kw::SpecialLabelTable) expected.push_back(std::string(":").append(l.Name));
  EXPECT_EQ(captions, expected);
  EXPECT_EQ(view().MenuItemCount(), 89);

  int columns = 0;
  for (int id : top) {
    const kw::TMenuItem& it = item(id);
    if (it.Break != TMenuBreak::None) ++columns;
    if (it.Kind == TMenuItemKind::Header) {
      EXPECT_EQ(it.Tag, -1);
      EXPECT_FALSE(it.Enabled);
      EXPECT_EQ(it.Break, columns == 1 ? TMenuBreak::Break : TMenuBreak::BarBreak) << it.Caption;
    } else {
      EXPECT_EQ(it.Break, TMenuBreak::None) << it.Caption;
      EXPECT_TRUE(it.Enabled) << it.Caption;
    }
  }
  EXPECT_EQ(columns, 5);
}

TEST_F(MenuTest, NamesTagsAndSectionsFollowTheBuildOrder) {
  const std::vector<int> top = view().MenuChildren(-1);
  struct Section {
    std::size_t first;  // position of the header on the top level
    int headerName;
    int count;
    int section;
  } sections[] = {{8, 46, 7, 1}, {17, 55, 18, 2}, {37, 75, 6, 3}, {45, 83, 4, 4}};
  EXPECT_EQ(NameNumber(top[0]), 0);
  EXPECT_EQ(NameNumber(top[1]), 1);
  for (int g = 0; g < 6; ++g) {
    EXPECT_EQ(NameNumber(top[2 + static_cast<std::size_t>(g)]), 2 + g);
    EXPECT_EQ(item(top[2 + static_cast<std::size_t>(g)]).Kind, TMenuItemKind::Submenu);
    EXPECT_EQ(item(top[2 + static_cast<std::size_t>(g)]).Tag, 0);
  }
  for (const Section& s : sections) {
    EXPECT_EQ(NameNumber(top[s.first]), s.headerName);
    EXPECT_EQ(NameNumber(top[s.first + 1]), s.headerName + 1);
    EXPECT_EQ(item(top[s.first + 1]).Kind, TMenuItemKind::Separator);
    for (int i = 0; i < s.count; ++i) {
      const kw::TMenuItem& entry = item(top[s.first + 2 + static_cast<std::size_t>(i)]);
      EXPECT_EQ(std::stoi(entry.Name.substr(9)), s.headerName + 2 + i);
      EXPECT_EQ(entry.Tag, i);
      EXPECT_EQ(entry.Section, s.section);
      EXPECT_EQ(entry.Kind, TMenuItemKind::Entry);
    }
  }
}

TEST_F(MenuTest, CommandSubmenusHoldEveryCommandOfTheirGroupInTableOrder) {
  const std::vector<int> top = view().MenuChildren(-1);
  const int sizes[] = {12, 5, 9, 6, 3, 3};
  std::vector<int> commandNames;
  for (int g = 0; g < 6; ++g) {
    const std::vector<int> entries = view().MenuChildren(top[2 + static_cast<std::size_t>(g)]);
    EXPECT_EQ(static_cast<int>(entries.size()), sizes[g]) << g;
    int last = -1;
    for (int id : entries) {
      const kw::TMenuItem& e = item(id);
      ASSERT_GE(e.Tag, 0);
      ASSERT_LT(e.Tag, kw::kCommandCount);
      EXPECT_GT(e.Tag, last);
      last = e.Tag;
      EXPECT_EQ(e.Caption, kw::CommandTable[e.Tag].Keyword);
      EXPECT_EQ(kw::CommandTable[e.Tag].Group, g);
      EXPECT_EQ(e.Section, 0);
      // Names 8..45 go to the commands in table order, whatever their submenu.
      EXPECT_EQ(NameNumber(id), 8 + e.Tag);
      commandNames.push_back(NameNumber(id));
    }
  }
  EXPECT_EQ(commandNames.size(), 38u);
}

TEST_F(MenuTest, RebuildingReplacesTheMenuAndRestartsTheNames) {
  kw::BuildCommandMenu(view());
  EXPECT_EQ(view().MenuItemCount(), 89);
  const std::vector<int> top = view().MenuChildren(-1);
  EXPECT_EQ(item(top[0]).Name, "MenuItem_0");
  EXPECT_EQ(item(top.back()).Name, "MenuItem_88");
  EXPECT_EQ(item(top[0]).Break, TMenuBreak::Break);
}

TEST_F(MenuTest, EveryHeaderAndEntryMeasuresTwentyHighAndCaptionPlusFourWide) {
  int measured = 0;
  for (int id = 0; id < 200; ++id) {
    const kw::TMenuItem& it = item(id);
    if (it.Kind != TMenuItemKind::Header && it.Kind != TMenuItemKind::Entry) continue;
    RecordingSurface surface;
    surface.bold = it.Kind == TMenuItemKind::Entry;  // a leftover style must not count
    int width = -1, height = -1;
    view().MeasureMenuItem(id, surface, width, height);
    const int perChar = it.Kind == TMenuItemKind::Header ? 7 : 6;
    EXPECT_EQ(height, 20) << it.Caption;
    EXPECT_EQ(width, static_cast<int>(it.Caption.size()) * perChar + 4) << it.Caption;
    ++measured;
  }
  EXPECT_EQ(measured, 5 + 38 + 7 + 18 + 6 + 4);
}

TEST_F(MenuTest, HeadersDrawBoldNavyCentredWhetherSelectedOrNot) {
  const int header = Find("Operatory");  // 9 characters, 63 pixels in bold
  for (bool selected : {false, true}) {
    RecordingSurface s;
    view().DrawMenuItem(header, s, {10, 100, 111, 121}, selected);
    EXPECT_EQ(s.fillColor, kw::clBtnFace);
    EXPECT_EQ(s.pen, kw::clBtnFace);
    EXPECT_EQ(s.filled.Left, 10);
    EXPECT_EQ(s.filled.Bottom, 121);
    EXPECT_TRUE(s.drawnBold);
    EXPECT_EQ(s.drawnColor, kw::clNavy);
    EXPECT_EQ(s.drawn, "Operatory");
    EXPECT_EQ(s.drawnAt.X, 10 + (101 - 63) / 2);
    EXPECT_EQ(s.drawnAt.Y, 100 + (21 - 13) / 2);
    EXPECT_EQ(s.drawnClip.Right, 111);
  }
}

TEST_F(MenuTest, EntriesDrawBlackOnFaceOrWhiteOnNavyTwoPixelsIn) {
  const int entry = Find("#TRUE");
  struct Case {
    bool selected;
    kw::TColor background, text;
  } cases[] = {{false, kw::clBtnFace, kw::clBlack}, {true, kw::clNavy, kw::clWhite}};
  for (const Case& c : cases) {
    RecordingSurface s;
    s.bold = true;
    view().DrawMenuItem(entry, s, {0, 40, 90, 60}, c.selected);
    EXPECT_EQ(s.fillColor, c.background);
    EXPECT_EQ(s.pen, c.background);
    EXPECT_EQ(s.drawnColor, c.text);
    EXPECT_FALSE(s.drawnBold);
    EXPECT_EQ(s.drawnAt.X, 2);
    EXPECT_EQ(s.drawnAt.Y, 40 + 3);
  }
  // A caption taller than its rectangle starts above it (the division keeps its sign).
  RecordingSurface s;
  view().DrawMenuItem(entry, s, {0, 0, 90, 8}, false);
  EXPECT_EQ(s.drawnAt.Y, (8 - 13) / 2);
}

TEST_F(MenuTest, ChosenEntriesInsertTheirTextAtTheScriptCaret) {
  struct Case {
    std::string caption, before;
    int caret;
    std::string after;
    int caretAfter;
  } cases[] = {
      {"goto", "", 0, "goto", 4},
      {"goto", "abcdef", 3, "abcgotodef", 10},
      {"#TRUE", "IF $a = ", 8, "IF $a = #TRUE", 13},
      {"<>", "x\r\nIF $a  1\r\ny", 9, "x\r\nIF $a <> 1\r\ny", 13},
      {"$_MENU_ITEM", "MOV $m, ", 0, "$_MENU_ITEMMOV $m, ", 19},
      {":_menu_click", "a\r\n", 3, "a\r\n:_MENU_CLICK // ($_ID, $_MENU_ITEM)", 38},
      {":_init", "", 0, ":_INIT // ()", 12},
      // longer than one read of a Windows editor's line
      {"#TRUE", std::string(70000, 'a') + "\r\nb", 66000,
       std::string(66000, 'a') + "#TRUE" + std::string(4000, 'a') + "\r\nb", 70005},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption + " into " + c.before.substr(0, 40));
    view().SetText(ComponentId::Memo1, c.before);
    view().SetCaretOffset(ComponentId::Memo1, c.caret);
    Choose(c.caption);
    EXPECT_EQ(view().Text(ComponentId::Memo1), c.after);
    EXPECT_EQ(view().CaretOffset(ComponentId::Memo1), c.caretAfter);
    EXPECT_FALSE(view().MenuOpen());
  }
}

TEST_F(MenuTest, TheFirstCommandOfTheFirstSubmenuSplitsTheLine) {
  const int first = view().MenuChildren(view().MenuChildren(-1)[2]).front();
  view().SetText(ComponentId::Memo1, "ab cd\r\nnext");
  view().SetCaretOffset(ComponentId::Memo1, 2);
  ASSERT_TRUE(view().ClickButton(ComponentId::Button1));
  ASSERT_TRUE(view().ChooseMenuItem(first));
  EXPECT_EQ(view().Text(ComponentId::Memo1), "ab" + item(first).Caption + " cd\r\nnext");
}

TEST_F(MenuTest, TheMenuOfTheSpamEditorStillWritesIntoTheScript) {
  view().SetText(ComponentId::Memo1, "MOV $x, ");
  view().SetCaretOffset(ComponentId::Memo1, 8);
  view().SetText(ComponentId::Memo2, "spam");
  view().SetCaretOffset(ComponentId::Memo2, 2);
  view().SelectTab(1);
  view().SetCursorPos({321, 123});
  view().RightClickEditor(ComponentId::Memo2);
  ASSERT_TRUE(view().MenuOpen());
  EXPECT_EQ(view().MenuPoint().X, 321);
  EXPECT_EQ(view().MenuPoint().Y, 123);
  ASSERT_TRUE(view().ChooseMenuItem(Find("#FALSE")));
  EXPECT_EQ(view().Text(ComponentId::Memo1), "MOV $x, #FALSE");
  EXPECT_EQ(view().Text(ComponentId::Memo2), "spam");
}

TEST_F(MenuTest, HeadersSeparatorsAndSubmenusCannotBeChosen) {
  view().SetText(ComponentId::Memo1, "x");
  view().SetCursorPos({5, 6});
  ASSERT_TRUE(view().ClickButton(ComponentId::Button1));
  EXPECT_EQ(view().MenuPoint().X, 5);
  for (const char* caption : {"Rozkazy", "-", "Liczbowe", "Etykiety specjalne"})
    EXPECT_FALSE(view().ChooseMenuItem(Find(caption))) << caption;
  EXPECT_TRUE(view().MenuOpen());
  EXPECT_EQ(view().Text(ComponentId::Memo1), "x");
  // Without an open menu nothing can be chosen either.
  view().CloseMenu();
  EXPECT_FALSE(view().ChooseMenuItem(Find("#TRUE")));
  EXPECT_EQ(view().Text(ComponentId::Memo1), "x");
}

TEST(MenuInsertText, ItemsOutsideTheTablesInsertNothing) {
  kw::TMenuItem item;
  item.Kind = TMenuItemKind::Entry;
  for (auto [section, tag] : {std::pair{5, 0}, {-1, 0}, {0, 38}, {0, -1}, {1, 7}, {2, 18},
                              {3, 6}, {4, 4}}) {
    item.Section = section;
    item.Tag = tag;
    EXPECT_EQ(kw::MenuItemInsertText(item), "") << section << "/" << tag;
  }
}

}  // namespace
}  // namespace kwtest
