// Messenger actions as the host receives them: the protocol choice of a sent message,
// the exact records, the protocol's case in status calls, and the contact look-up.
#include "host_fixture.h"

#include "support/cp1250.h"

using namespace kw;

namespace kwtest {
namespace {

using ServicesTest = HostTest;

TEST_F(ServicesTest, SentMessageChoosesProtocolByAtSign) {
  const struct {
    const char* recipient;
    const char* protocol;
  } cases[] = {
      {"alice@tlen.pl", "TLEN"}, {"12345", "GG"}, {"", "GG"}, {"@", "TLEN"}, {"x@", "TLEN"},
  };
  for (const auto& c : cases) {
    host.Sent.clear();
    SendProtocolMessage(c.recipient, "hi");
    ASSERT_EQ(host.Sent.size(), 1u) << c.recipient;
    EXPECT_EQ(host.Sent[0].Call.Protocol, c.protocol) << c.recipient;
    EXPECT_EQ(host.Sent[0].ProtocolId, c.protocol) << c.recipient;
    EXPECT_EQ(host.Sent[0].ContactId, c.recipient);
  }
}

TEST_F(ServicesTest, SentMessageRecordIsExact) {
  const std::string text = "zażółć\n\r"_w.data();
  SendProtocolMessage("42", text);
  ASSERT_EQ(host.Sent.size(), 1u);
  const SentMessage& m = host.Sent[0];
  EXPECT_EQ(m.Call.Size, static_cast<std::int32_t>(sizeof(ProtocolCallDef)));
  EXPECT_EQ(m.Call.Function, "PFSendMessage");
  EXPECT_EQ(m.Call.Param2, 0);
  EXPECT_TRUE(m.Call.ZeroElsewhere);
  EXPECT_EQ(m.Size, static_cast<std::int32_t>(sizeof(ProtocolMesageDef)));
  EXPECT_EQ(m.Kind, 4);
  EXPECT_EQ(m.Mark, OwnMessageMark);
  EXPECT_EQ(m.Text, text);
  EXPECT_TRUE(m.ContactsEmpty);
  EXPECT_TRUE(m.ZeroElsewhere);
  ASSERT_EQ(host.Calls.size(), 1u);
  EXPECT_EQ(host.Calls[0].Service, "Tlen/ProtocolCallFunction");
  EXPECT_EQ(host.Calls[0].Instance, PluginInstance);
  EXPECT_EQ(host.Calls[0].LParam, 0);
}

TEST_F(ServicesTest, NoLinkMeansNoHostCall) {
  host.Statuses["TLEN"] = {3, "busy"};
  host.Contacts.push_back({"a@b", "A", "G", "D", "X", 1, 2, 3});
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 0) {
      Unlink();
    } else {
      // A link without CallService is no link either.
      static TPluginLink empty{};
      PluginLink = &empty;
    }
    SendProtocolMessage("a@b", "x");
    ChangeUserState("tlen", 2, "d");
    const TUserState s = GetUserState("TLEN");
    EXPECT_EQ(s.Status, 0);
    EXPECT_EQ(s.Description, "");
    const TKontaktInfo k = GetContactInfo("a@b");
    EXPECT_EQ(k.Id, "A@B");
    EXPECT_EQ(k.Name, "");
    EXPECT_EQ(k.AuxNumber, -1);
    EXPECT_EQ(CallProtocolFunction("TLEN", "PFSendMessage", 0, 0), 0);
    EXPECT_TRUE(host.Calls.empty());
  }
}

TEST_F(ServicesTest, ReadStatusKeepsProtocolCase) {
  host.Statuses["TLEN"] = {3, "zajęty"_w.data()};
  const TUserState served = GetUserState("TLEN");
  EXPECT_EQ(served.Status, 3);
  EXPECT_EQ(served.Description, "zajęty"_w);
  // Lower case reaches the host unchanged, and the host serves no such protocol.
  const TUserState unserved = GetUserState("tlen");
  EXPECT_EQ(unserved.Status, 0);
  EXPECT_EQ(unserved.Description, "");
  ASSERT_EQ(host.StateQueries.size(), 2u);
  EXPECT_EQ(host.StateQueries[1].Call.Protocol, "tlen");
  for (const auto& q : host.StateQueries) {
    EXPECT_EQ(q.Call.Function, "PFGetUserState");
    EXPECT_EQ(q.Size, static_cast<std::int32_t>(sizeof(UserStateDef)));
    EXPECT_EQ(q.Status, 0);
    EXPECT_TRUE(q.NullDescription);
    EXPECT_TRUE(q.ZeroElsewhere);
  }
}

TEST_F(ServicesTest, ReadStatusWithNullDescriptionIsEmpty) {
  host.Statuses["GG"] = {4, "gone"};
  // A host that answers the status but leaves the text pointer null.
  host.OnService = [](const HostCall& c) {
    auto* call = FromParam<ProtocolCallDef>(c.WParam);
    FromParam<UserStateDef>(call->Param1)->Description = nullptr;
  };
  const TUserState s = GetUserState("GG");
  EXPECT_EQ(s.Status, 4);
  EXPECT_EQ(s.Description, "");
}

TEST_F(ServicesTest, ChangeStatusUpperCasesProtocol) {
  ChangeUserState("gg", 7, "niewidoczny");
  ChangeUserState("tLeN", 2, "");
  ASSERT_EQ(host.StateChanges.size(), 2u);
  const UserStateCall& c = host.StateChanges[0];
  EXPECT_EQ(c.Call.Protocol, "GG");
  EXPECT_EQ(c.Call.Function, "PFChangeUserState");
  EXPECT_EQ(c.Size, static_cast<std::int32_t>(sizeof(UserStateDef)));
  EXPECT_EQ(c.Status, 7);
  EXPECT_EQ(c.Description, "niewidoczny");
  EXPECT_TRUE(c.ZeroElsewhere);
  EXPECT_EQ(host.StateChanges[1].Call.Protocol, "TLEN");
  EXPECT_FALSE(host.StateChanges[1].NullDescription);  // an empty text, not a null one
  EXPECT_EQ(host.Statuses["GG"].Status, 7);
}

TEST_F(ServicesTest, ContactFoundWhateverTheCase) {
  host.Contacts.push_back({"bob@tlen.pl", "Bob", "Praca", "away", "aux", 16, 77, 3});
  host.Contacts.push_back({"łukasz@tlen.pl"_w.data(), "Łukasz"_w.data(), "Dom", "", "", 1, 5, 3});
  const TKontaktInfo bob = GetContactInfo("BOB@TLEN.PL");
  EXPECT_EQ(bob.Id, "BOB@TLEN.PL");
  EXPECT_EQ(bob.Name, "Bob");
  EXPECT_EQ(bob.Group, "Praca");
  EXPECT_EQ(bob.Description, "away");
  EXPECT_EQ(bob.AuxText, "aux");
  EXPECT_EQ(bob.AuxNumber, 77);
  EXPECT_EQ(bob.Flags, 16);
  const TKontaktInfo lukasz = GetContactInfo("ŁUKASZ@TLEN.pl"_w.data());
  EXPECT_EQ(lukasz.Name, "Łukasz"_w);
  ASSERT_EQ(host.Enumerations.size(), 2u);
  const Enumeration& e = host.Enumerations[0];
  EXPECT_EQ(e.Size, static_cast<std::int32_t>(sizeof(EnumItemsDef)));
  EXPECT_EQ(e.Kind, 3);
  EXPECT_EQ(e.Reserved8, 0);
  EXPECT_EQ(e.Callback, &ContactMatches);
  EXPECT_NE(e.Value, 0);
  EXPECT_TRUE(e.ZeroElsewhere);
  EXPECT_EQ(e.Answers, (std::vector<std::int32_t>{1, 0}));
}

TEST_F(ServicesTest, ContactLookupSkipsUnfitElements) {
  Contact wrongKind{"x@y", "Wrong", "", "", "", 1, 1, 2};
  Contact nullId{std::nullopt, "NoId", "", "", "", 1, 1, 3};
  Contact nullTexts{"x@y", std::nullopt, std::nullopt, std::nullopt, std::nullopt, 8, 9, 3};
  host.Contacts = {wrongKind, nullId, nullTexts};
  const TKontaktInfo k = GetContactInfo("X@Y");
  EXPECT_EQ(host.Enumerations[0].Answers, (std::vector<std::int32_t>{0, 0, 1}));
  EXPECT_EQ(k.Name, "");
  EXPECT_EQ(k.Group, "");
  EXPECT_EQ(k.AuxText, "");
  EXPECT_EQ(k.Flags, 8);
  EXPECT_EQ(k.AuxNumber, 9);

  const TKontaktInfo missing = GetContactInfo("nobody");
  EXPECT_EQ(missing.Name, "");
  EXPECT_EQ(missing.Flags, 0);
  EXPECT_EQ(missing.AuxNumber, -1);
}

TEST_F(ServicesTest, EveryMatchRefillsTheRecord) {
  host.Contacts.push_back({"dup", "First", "", "", "", 1, 1, 3});
  host.Contacts.push_back({"DUP", "Second", "", "", "", 2, 2, 3});
  EXPECT_EQ(GetContactInfo("Dup").Name, "Second");
  host.StopEnumerationAtMatch = true;
  EXPECT_EQ(GetContactInfo("Dup").Name, "First");
}

TEST_F(ServicesTest, ContactMatchesLeavesHostTextAndRejectsNulls) {
  char id[] = "mixed@Case";
  auto item = ZeroRecord<ContactItemDef>();
  item.Kind = 3;
  item.ContactId = id;
  TKontaktInfo info;
  info.Id = "MIXED@CASE";
  EXPECT_EQ(ContactMatches(&item, ToParam(&info)), 1);
  EXPECT_STREQ(id, "mixed@Case");
  EXPECT_EQ(ContactMatches(nullptr, ToParam(&info)), 0);
  EXPECT_EQ(ContactMatches(&item, 0), 0);
}

TEST_F(ServicesTest, TextsStayValidWhenTheHostReenters) {
  // The host runs plugin code from inside PFSendMessage that rebuilds the variable
  // table; the record's texts are the plugin's own copies and stay readable.
  std::string seenId, seenText;
  host.OnSend = [&](const SentMessage& sent) {
    ClearVariables();
    for (int i = 0; i < 100; ++i) SetVariable("$v" + std::to_string(i), std::string(100, 'x'), false);
    const auto* m = FromParam<const ProtocolMesageDef>(sent.Call.Param1);
    seenId = m->ContactId;
    seenText = m->Text;
  };
  SetVariable("$who", "bob@tlen.pl", false);
  SetVariable("$what", std::string(200, 'w'), false);
  SendProtocolMessage(VariableTable[0].Value, VariableTable[1].Value);
  EXPECT_EQ(seenId, "bob@tlen.pl");
  EXPECT_EQ(seenText, std::string(200, 'w'));
}

}  // namespace
}  // namespace kwtest
