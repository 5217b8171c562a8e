// Messenger actions for the script: messages, the user's status and the contact list,
// all through "Tlen/ProtocolCallFunction" and "Tlen/ContactList/EnumerateItems".
//
// Every record is built zeroed for its one call. Texts in a record point into strings
// owned by this frame (copies of the arguments), so a nested run that the host starts
// during the call cannot pull them away.
#include "host/services.h"

#include "host/bridge.h"
#include "host/globals.h"
#include "support/casing.h"

namespace kw {
namespace {

constexpr std::int32_t kContactItemKind = 3;

const char* ProtocolOfRecipient(std::string_view recipient) {
  return recipient.find('@') != std::string_view::npos ? "TLEN" : "GG";
}

}  // namespace

bool HasHostLink() { return PluginLink != nullptr && PluginLink->CallService != nullptr; }

std::intptr_t CallHostService(const char* name, std::intptr_t wParam, std::intptr_t lParam) {
  if (!HasHostLink()) return 0;
  return PluginLink->CallService(PluginInstance, name, wParam, lParam);
}

std::intptr_t CallProtocolFunction(const char* proto, const char* function,
                                   std::intptr_t first, std::intptr_t second) {
  if (!HasHostLink()) return 0;
  auto call = MakeRecord<ProtocolCallDef>();
  call.ProtocolId = proto;
  call.FunctionName = function;
  call.Param1 = first;
  call.Param2 = second;
  return CallHostService("Tlen/ProtocolCallFunction", ToParam(&call), 0);
}

void SendProtocolMessage(const std::string& recipient, const std::string& text) {
  if (!HasHostLink()) return;
  const std::string to = recipient;
  const std::string body = text;
  const char* proto = ProtocolOfRecipient(to);
  auto message = MakeRecord<ProtocolMesageDef>();
  message.ContactId = to.c_str();
  message.ProtocolId = proto;
  message.Kind = 4;
  message.Text = body.c_str();
  message.Mark = OwnMessageMark;
  CallProtocolFunction(proto, "PFSendMessage", ToParam(&message), 0);
}

TUserState GetUserState(const std::string& proto) {
  TUserState result;
  if (!HasHostLink()) return result;
  const std::string protocol = proto;
  auto state = MakeRecord<UserStateDef>();
  CallProtocolFunction(protocol.c_str(), "PFGetUserState", ToParam(&state), 0);
  result.Status = state.Status;
  result.Description = TextOrEmpty(state.Description);
  return result;
}

void ChangeUserState(const std::string& proto, std::int32_t status, const std::string& description) {
  if (!HasHostLink()) return;
  const std::string protocol = UpperCase(proto);
  const std::string text = description;
  auto state = MakeRecord<UserStateDef>();
  state.Status = status;
  state.Description = text.c_str();
  CallProtocolFunction(protocol.c_str(), "PFChangeUserState", ToParam(&state), 0);
}

TKontaktInfo GetContactInfo(const std::string& id) {
  TKontaktInfo info;
  info.Id = UpperCase(id);
  if (!HasHostLink()) return info;
  auto walk = MakeRecord<EnumItemsDef>();
  walk.Kind = kContactItemKind;
  walk.Callback = &ContactMatches;
  walk.Value = ToParam(&info);
  CallHostService("Tlen/ContactList/EnumerateItems", ToParam(&walk), 0);
  return info;
}

std::int32_t KW_CDECL ContactMatches(ContactItemDef* item, std::intptr_t value) {
  try {
    auto* info = FromParam<TKontaktInfo>(value);
    if (item == nullptr || info == nullptr) return 0;
    if (item->Kind != kContactItemKind || item->ContactId == nullptr) return 0;
    if (UpperCase(item->ContactId) != info->Id) return 0;
    info->AuxText = TextOrEmpty(item->AuxText);
    info->AuxNumber = item->AuxNumber;
    info->Flags = item->Flags;
    info->Name = TextOrEmpty(item->Name);
    info->Group = TextOrEmpty(item->Group);
    info->Description = TextOrEmpty(item->Description);
    return 1;
  } catch (...) {
    return 0;
  }
}

}  // namespace kw
