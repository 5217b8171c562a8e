// Stub.
#include "settings/settings.h"
namespace kw {
void LoadSettings() {}
bool SaveSettings() { return true; }
}  // namespace kw
