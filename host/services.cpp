// Stub.
#include "host/services.h"
namespace kw {
std::intptr_t CallProtocolFunction(const char*, const char*, std::intptr_t, std::intptr_t) { return 0; }
void SendProtocolMessage(const std::string&, const std::string&) {}
TUserState GetUserState(const std::string&) { return {}; }
void ChangeUserState(const std::string&, std::int32_t, const std::string&) {}
TKontaktInfo GetContactInfo(const std::string& id) { TKontaktInfo k; k.Id = id; return k; }
}  // namespace kw
