// The host's ways into the script: the message hook, the popup-menu callback and the
// plugin's own service. Each loads the predefined variables, runs the script at its
// special label and hands the outcome back to the host.
#pragma once

#include <cstdint>

#include "host/records.h"

namespace kw {

// Carried by every message the plugin sends, so it never starts _start again.
inline constexpr std::int32_t OwnMessageMark = 1234;

// Event codes of ProtocolEventDef::Code and of MenuCallback.
inline constexpr std::int32_t kMessageReceived = 1;
inline constexpr std::int32_t kMessageSending = 5;
inline constexpr std::int32_t kMenuPopup = 1;
inline constexpr std::int32_t kMenuClick = 2;

// -1 blocks the message, 0 lets it pass. Codes other than 1 and 5 run nothing.
std::int32_t KW_CDECL MessageHook(ProtocolEventDef* event, ProtocolMesageDef* message);
// Runs _start for one message and puts $_MESSAGE into message->Text; true = block.
bool RunMessageEvent(ProtocolEventDef* event, ProtocolMesageDef* message);
// Code 1: _menu_show and the showing of the items; code 2: _menu_click.
std::int32_t KW_CDECL MenuCallback(std::int32_t code, void* record);
// "KWARTLIN/PROC_BRIX": wParam is a "mov $name, value" text. Always 0.
std::intptr_t KW_CDECL ServiceCallback(std::intptr_t text, std::intptr_t second);

// Frees the message texts handed to the host; for the unload, outside any hook call.
void ReleaseMessageTexts();

}  // namespace kw
