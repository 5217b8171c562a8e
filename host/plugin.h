// The plugin's start and stop: the information record, the version number it reports,
// the data file paths, and the steps of LoadPlugin and UnloadPlugin. The exported entry
// points (host/exports.cpp) only guard these against exceptions; tests and the
// simulator call them in-process.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/records.h"

namespace kw {

// The host interface version the plugin was made for.
inline constexpr std::int32_t kInterfaceVersion = 0x10501;

// The static information record, filled anew; valid for the module's life.
PluginInfoDef* GetPluginInfo();

// The version bytes of a version text "a.b.c.d": exactly four parts, each read by
// ReadInt with fallback 0 and kept only within 0..255; anything else gives 0.
std::int32_t VersionNumberFromText(std::string_view text);
// The module's own fixed file version, as VersionNumberFromText makes it.
std::int32_t PluginVersionNumber();

// Full file name of the plugin module (module_win32.cpp / module_posix.cpp); empty
// when the platform cannot tell.
std::string GetPluginModulePath();
// The module's folder (up to and including its last separator or drive colon, as
// EndsFolder tells), a separator when missing, then the relative name.
std::string DataFilePath(std::string_view relativeName);
// The same rule on a given module path.
std::string DataFilePathBeside(const std::string& modulePath, std::string_view relativeName);

// The two bitmap resources into SmallIcon and LargeIcon; 0 where there are none.
void LoadPluginBitmaps();

// Both always return 0 and never throw.
std::int32_t LoadPlugin(TPluginLink* link);
std::int32_t UnloadPlugin();

}  // namespace kw
