// The module's three entry points, found by name with C linkage and the C calling
// convention. Each is a guard around its kw:: function: nothing thrown inside reaches
// the host, which gets the documented answer instead (the information record, 0).
// Which names leave the module is settled at link time: cmake/module/kwartlin.def on
// Windows, cmake/module/kwartlin.map elsewhere.
#include "host/plugin.h"
#include "host/records.h"

extern "C" {

kw::PluginInfoDef* KW_CDECL GetPluginInfo() {
  try {
    return kw::GetPluginInfo();
  } catch (...) {
    static kw::PluginInfoDef empty = kw::MakeRecord<kw::PluginInfoDef>();
    return &empty;
  }
}

std::int32_t KW_CDECL LoadPlugin(kw::TPluginLink* link) {
  try {
    return kw::LoadPlugin(link);
  } catch (...) {
    return 0;
  }
}

std::int32_t KW_CDECL UnloadPlugin() {
  try {
    return kw::UnloadPlugin();
  } catch (...) {
    return 0;
  }
}

}  // extern "C"
