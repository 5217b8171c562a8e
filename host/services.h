// Messenger actions that scripts call: send, status, contact look-up. Every host call
// of the plugin goes through CallHostService, which makes none without a link.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/records.h"
#include "script/script_host.h"  // TKontaktInfo, TUserState

namespace kw {

// A text field of a host record, which the host may leave null.
inline std::string_view TextOrEmpty(const char* text) {
  return text ? std::string_view(text) : std::string_view();
}

// True when a link with a CallService function is present.
bool HasHostLink();
// CallService of the link with PluginInstance; 0 without a link.
std::intptr_t CallHostService(const char* name, std::intptr_t wParam, std::intptr_t lParam);

std::intptr_t CallProtocolFunction(const char* proto, const char* function,
                                   std::intptr_t first, std::intptr_t second);
void SendProtocolMessage(const std::string& recipient, const std::string& text);
TUserState GetUserState(const std::string& proto);
void ChangeUserState(const std::string& proto, std::int32_t status, const std::string& description);
TKontaktInfo GetContactInfo(const std::string& id);

// The enumeration callback of GetContactInfo; value is the address of its TKontaktInfo.
std::int32_t KW_CDECL ContactMatches(ContactItemDef* item, std::intptr_t value);

}  // namespace kw
