// Messages through the loaded module: the hook runs _start, hands $_MESSAGE back,
// blocks on $_FILTR, and passes the plugin's own sent messages over.
#include "tests/integration/module_fixture.h"

#include "support/cp1250.h"

using namespace kw;

namespace kwit {
namespace {

class Messages : public ModuleTest {};

constexpr std::string_view kPolishText = "Zażółć gęślą jaźń"_w;

// One received "ping", end to end: answered with "pong" over the protocol that the id
// chooses, the answer marked and handed to the hook again during the send (code 5)
// without a second run, the ping itself blocked.
TEST_F(Messages, PingIsAnsweredWithPongAndBlocked) {
  struct Case {
    std::string hookedProtocol;
    std::string sender;
    std::string sentOver;
  };
  for (const Case& c : {Case{"TLEN", "jan@tlen.pl", "TLEN"}, Case{"GG", "1234567", "GG"}}) {
    SCOPED_TRACE(c.sender);
    kwtest::TestHost host;
    WriteScript({":_start", "IF $_MESSAGE = 'ping'", "SEND $_ID, 'pong'", "MOV $_FILTR, 1"});
    Load(host.Link());
    std::vector<kwtest::Delivery> echoes;
    host.OnSend = [&](const kwtest::SentMessage& m) {
      echoes.push_back(host.Deliver(m.ProtocolId, m.ContactId, m.Text, 5, m.Mark));
    };

    const kwtest::Delivery d = host.Deliver(c.hookedProtocol, c.sender, "ping", 1);

    EXPECT_TRUE(d.Hooked);
    EXPECT_EQ(d.Result, -1);
    EXPECT_EQ(d.Text, "ping");
    ASSERT_EQ(host.Sent.size(), 1u);
    const kwtest::SentMessage& sent = host.Sent[0];
    EXPECT_EQ(sent.Call.Protocol, c.sentOver);
    EXPECT_EQ(sent.Call.Function, "PFSendMessage");
    EXPECT_EQ(sent.Size, static_cast<std::int32_t>(sizeof(ProtocolMesageDef)));  // 92 on 32-bit
    EXPECT_EQ(sent.ContactId, c.sender);
    EXPECT_EQ(sent.ProtocolId, c.sentOver);
    EXPECT_EQ(sent.Text, "pong");
    EXPECT_EQ(sent.Kind, 4);
    EXPECT_EQ(sent.Mark, 1234);
    EXPECT_TRUE(sent.ContactsEmpty);
    EXPECT_TRUE(sent.ZeroElsewhere);
    ASSERT_EQ(echoes.size(), 1u);
    EXPECT_TRUE(echoes[0].Hooked);
    EXPECT_EQ(echoes[0].Result, 0);
    EXPECT_EQ(echoes[0].Text, "pong");
    Close();
  }
}

// $_PROTO, $_IN and $_MESSAGE reach the script, and what it leaves in $_MESSAGE is what
// the host gets back; other event codes run nothing and leave the text alone.
TEST_F(Messages, ScriptRewritesAndBlocks) {
  WriteScript({":_start", "MOV $w, $_PROTO", "STRCON $w, ':', $_IN, ':', $_ID, ':', $_MESSAGE",
               "MOV $_MESSAGE, $w", "IF $_MESSAGE = 'TLEN:1:ala@tlen.pl:blokuj'", "MOV $_FILTR, #TRUE"});
  Load();
  struct Case {
    std::string protocol, id, text;
    std::int32_t code;
    bool hooked;
    std::string back;
    std::int32_t result;
  } cases[] = {
      {"TLEN", "ala@tlen.pl", "hej", 1, true, "TLEN:1:ala@tlen.pl:hej", 0},
      {"GG", "4321", "hej", 5, true, "GG:0:4321:hej", 0},
      {"TLEN", "ala@tlen.pl", "blokuj", 1, true, "TLEN:1:ala@tlen.pl:blokuj", -1},
      {"TLEN", "ala@tlen.pl", "blokuj", 5, true, "TLEN:0:ala@tlen.pl:blokuj", 0},
      {"TLEN", "ala@tlen.pl", "hej", 2, true, "hej", 0},
      {"GG", "4321", "hej", 0, true, "hej", 0},
      {"XMPP", "ala@tlen.pl", "hej", 1, false, "hej", 0},  // no hook for that protocol
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.protocol + " " + c.text + " code " + std::to_string(c.code));
    const kwtest::Delivery d = host_.Deliver(c.protocol, c.id, c.text, c.code);
    EXPECT_EQ(d.Hooked, c.hooked);
    EXPECT_EQ(d.Text, c.back);
    EXPECT_EQ(d.Result, c.result);
  }
}

// $_FILTR is read as a number with fallback 0.
TEST_F(Messages, FilterValueDecidesBlocking) {
  WriteScript({":_start", "MOV $_FILTR, $_MESSAGE"});
  Load();
  const std::pair<std::string, std::int32_t> cases[] = {
      {"1", -1}, {"-1", -1}, {"0x10", -1}, {"  7", -1}, {"0", 0},
      {"", 0},   {"abc", 0}, {"7 ", 0},    {"00", 0},   {"99999999999", 0},
  };
  for (const auto& [text, result] : cases) {
    SCOPED_TRACE("'" + text + "'");
    EXPECT_EQ(host_.Deliver("GG", "1", text).Result, result);
  }
}

// The text comes back through the value rules even when the script leaves it alone:
// a backslash and n become the LF CR pair; Polish letters pass byte for byte.
TEST_F(Messages, TextPassesThroughValueRules) {
  WriteScript({":_start", "MOV $x, 1"});
  Load();
  EXPECT_EQ(host_.Deliver("TLEN", "a@b", "raz\\ndwa").Text, "raz\n\rdwa");
  EXPECT_EQ(host_.Deliver("TLEN", "a@b", std::string(kPolishText)).Text, kPolishText);
}

// A message that the host hands in marked as the plugin's own runs nothing.
TEST_F(Messages, OwnMarkRunsNothing) {
  WriteScript({":_start", "SEND 'echo@tlen.pl', $_MESSAGE", "MOV $_FILTR, 1",
               "MOV $_MESSAGE, 'zmieniony'"});
  Load();
  const kwtest::Delivery own = host_.Deliver("TLEN", "a@b", "moja", 5, 1234);
  EXPECT_EQ(own.Result, 0);
  EXPECT_EQ(own.Text, "moja");
  EXPECT_TRUE(host_.Sent.empty());
  const kwtest::Delivery other = host_.Deliver("TLEN", "a@b", "obca", 5, 1233);
  EXPECT_EQ(other.Result, -1);
  EXPECT_EQ(other.Text, "zmieniony");
  EXPECT_EQ(host_.Sent.size(), 1u);
}

// The spam list beside the module is loaded with the plugin and reaches CHKSPAM.
TEST_F(Messages, SpamListBesideModuleIsUsed) {
  WriteScript({":_start", "CHKSPAM $_FILTR, $_MESSAGE"});
  WriteData("Kwartlin.spm", Lines({"; łańcuszki"_w, "wyślij|przekaż dalej|znajomym"_w}));
  Load();
  EXPECT_EQ(host_.Deliver("GG", "1", std::string("WYŚLIJ to dalej!"_w)).Result, -1);
  EXPECT_EQ(host_.Deliver("GG", "1", std::string("przekaż to"_w)).Result, 0);
}

}  // namespace
}  // namespace kwit
