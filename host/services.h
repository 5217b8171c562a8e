// Messenger actions that scripts call: send, status, contact look-up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kw {

struct TKontaktInfo {
  std::string Id;            // wanted contact id, upper case
  std::string AuxText;       // element text at offset 68
  std::int32_t AuxNumber = -1;
  std::int32_t Flags = 0;
  std::string Name;
  std::string Group;
  std::string Description;
};

struct TUserState {
  std::int32_t Status = 0;
  std::string Description;
};

std::intptr_t CallProtocolFunction(const char* proto, const char* function,
                                   std::intptr_t first, std::intptr_t second);
void SendProtocolMessage(const std::string& recipient, const std::string& text);
TUserState GetUserState(const std::string& proto);
void ChangeUserState(const std::string& proto, std::int32_t status, const std::string& description);
TKontaktInfo GetContactInfo(const std::string& id);

}  // namespace kw
