// The two layouts, on events built by hand: text lines and their alignment, what a
// hostile text can and cannot do to a terminal, and the JSON shape.
#include <gtest/gtest.h>

#include <sstream>

#include "tools/sim/report.h"

using namespace kwsim;

namespace {

std::string Text(const Event& e, bool colour = false) {
  std::ostringstream out;
  TextReporter(out, colour).Report(e);
  return out.str();
}

std::string Json(const Event& e) {
  std::ostringstream out;
  JsonReporter(out).Report(e);
  return out.str();
}

MessageEvent Message(std::string text, std::string back, std::int32_t result = 0, bool hooked = true) {
  MessageEvent m;
  m.Protocol = "TLEN";
  m.Contact = "ania@tlen.pl";
  m.Text = std::move(text);
  m.Back = std::move(back);
  m.Result = result;
  m.Hooked = hooked;
  return m;
}

TEST(TextReport, OutcomesOfMessages) {
  struct Case {
    MessageEvent m;
    std::string outcome;
    std::string last;
  } cases[] = {
      {Message("a", "a"), "passed", "    passed"},
      {Message("a", "b"), "rewritten", "    rewritten  \"b\""},
      {Message("a", "b", -1), "blocked", "    blocked    (the user does not see it)"},
      {Message("a", "a", 0, false), "unhooked", "    passed     (no hook on TLEN)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Outcome(c.m), c.outcome);
    const std::string text = Text(Event{1, c.m, {}});
    EXPECT_EQ(text, "> recv TLEN ania@tlen.pl: \"a\"\n" + c.last + "\n");
  }
  MessageEvent sent = Message("x", "x", -1);
  sent.Incoming = false;
  EXPECT_EQ(Text(Event{1, sent, {}}), "> send TLEN ania@tlen.pl: \"x\"\n    blocked    (not sent)\n");
}

// Line breaks of every kind continue under the text; control characters are shown,
// never sent to the terminal.
TEST(TextReport, MultiLineTextsAlignAndControlsAreShown) {
  const std::string text = Text(Event{1, Message("x", "one\n\rtwo\r\nthree\nfour\x07\x1b[2J"), {}});
  EXPECT_EQ(text,
            "> recv TLEN ania@tlen.pl: \"x\"\n"
            "    rewritten  \"one\n"
            "               two\n"
            "               three\n"
            "               four\\x07\\x1B[2J\"\n");
}

TEST(TextReport, EffectsComeBeforeTheOutcome) {
  Event e{1, Message("ping", "ping", -1), {}};
  e.Effects.push_back(SentEffect{"TLEN", "ania@tlen.pl", "pong", 1234, false});
  e.Effects.push_back(StatusEffect{"GG", 5, "Na obiedzie", true});
  e.Effects.push_back(MenuEffect{true, "KWARTLIN_MENU_ITEM_0", "Wycisz"});
  e.Effects.push_back(SettingsEffect{});
  EXPECT_EQ(Text(e),
            "> recv TLEN ania@tlen.pl: \"ping\"\n"
            "    sent       TLEN -> ania@tlen.pl: \"pong\"\n"
            "    status     GG: 5 (away) \"Na obiedzie\"\n"
            "    menu add   \"Wycisz\" (KWARTLIN_MENU_ITEM_0)\n"
            "    settings   Kwartlin.ini written\n"
            "    blocked    (the user does not see it)\n");
}

TEST(TextReport, PopupListsTheMenuAsShown) {
  PopupEvent p;
  p.Contact = "4012345";
  EXPECT_EQ(Text(Event{1, p, {}}), "> popup 4012345\n    menu       (nothing from the plugin)\n");
  p.Shown = {{"KWARTLIN_MAIN_MENU", "Kwartlin", true}, {"KWARTLIN_MENU_ITEM_1", "Przywitaj się", false}};
  EXPECT_EQ(Text(Event{1, p, {}}),
            "> popup 4012345\n    menu       Kwartlin\n                 Przywitaj się\n");
}

TEST(TextReport, ColourOnlyWhenAsked) {
  const Event e{1, Message("a", "b", -1), {}};
  EXPECT_EQ(Text(e, false).find('\x1b'), std::string::npos);
  const std::string coloured = Text(e, true);
  EXPECT_NE(coloured.find("\x1b[1;31mblocked"), std::string::npos) << coloured;
}

TEST(JsonReport, StringsAreEscaped) {
  EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonString("\n\r\t\x01\x1f\x7f"), "\"\\n\\r\\t\\u0001\\u001f\\u007f\"");
  EXPECT_EQ(JsonString("żółw"), "\"żółw\"");
  // Plain runs between escapes, and escapes at both ends.
  EXPECT_EQ(JsonString("\"ab\x01\x01" "cd e\\"), "\"\\\"ab\\u0001\\u0001cd e\\\\\"");
  EXPECT_EQ(JsonString(std::string("x\0y", 3)), "\"x\\u0000y\"");
}

// One object per event on one line, keys in a fixed order.
TEST(JsonReport, ShapeOfEvents) {
  Event e{7, Message("ping", "ping", -1), {}};
  e.Effects.push_back(SentEffect{"TLEN", "ania@tlen.pl", "pong", 1234, false});
  e.Effects.push_back(MenuEffect{false, "KWARTLIN_MENU_ITEM_0", "X"});
  EXPECT_EQ(Json(e),
            "{\"line\":7,\"event\":\"recv\",\"protocol\":\"TLEN\",\"contact\":\"ania@tlen.pl\","
            "\"text\":\"ping\",\"hooked\":true,\"hook_result\":-1,\"outcome\":\"blocked\","
            "\"text_back\":\"ping\",\"effects\":[{\"effect\":\"sent\",\"protocol\":\"TLEN\","
            "\"to\":\"ania@tlen.pl\",\"text\":\"pong\",\"mark\":1234,\"blocked_by_hook\":false},"
            "{\"effect\":\"menu-delete\",\"id\":\"KWARTLIN_MENU_ITEM_0\",\"caption\":\"X\"}]}\n");

  PopupEvent p;
  p.Contact = "a";
  p.Result = 1;
  p.Shown = {{"KWARTLIN_MAIN_MENU", "Kwartlin", true}};
  EXPECT_EQ(Json(Event{2, p, {}}),
            "{\"line\":2,\"event\":\"popup\",\"contact\":\"a\",\"result\":1,\"shown\":[{\"id\":"
            "\"KWARTLIN_MAIN_MENU\",\"caption\":\"Kwartlin\",\"main\":true}],\"effects\":[]}\n");

  EXPECT_EQ(Json(Event{3, StatusEvent{"GG", 4, "x"}, {StatusEffect{"gg", 2, "", false}}}),
            "{\"line\":3,\"event\":\"status\",\"protocol\":\"GG\",\"status\":4,\"status_name\":\"dnd\","
            "\"description\":\"x\",\"effects\":[{\"effect\":\"status\",\"protocol\":\"gg\",\"status\":2,"
            "\"status_name\":\"online\",\"description\":\"\",\"served\":false}]}\n");

  EXPECT_EQ(Json(Event{0, UnloadEvent{}, {SettingsEffect{}}}),
            "{\"line\":0,\"event\":\"unload\",\"effects\":[{\"effect\":\"settings-written\","
            "\"file\":\"Kwartlin.ini\"}]}\n");

  ShowFileEvent f;
  f.Which = "settings";
  f.FileName = "Kwartlin.ini";
  f.Exists = true;
  f.Lines = {"[Var_Save]", "$A=1"};
  EXPECT_EQ(Json(Event{4, f, {}}),
            "{\"line\":4,\"event\":\"show-file\",\"file\":\"settings\",\"name\":\"Kwartlin.ini\","
            "\"exists\":true,\"lines\":[\"[Var_Save]\",\"$A=1\"],\"effects\":[]}\n");
}

}  // namespace
