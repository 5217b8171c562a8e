// The plugin's page of the host's options dialog: the callback through which the host
// shows, hides, saves and destroys the options form.
#pragma once

#include <cstdint>
#include <memory>

#include "host/records.h"
#include "options/view.h"

namespace kw {

// Called by the host only. Writes the page's name, description and picture on every
// call, then carries out the page action. Catches everything; always 0.
std::int32_t KW_CDECL OptionsPageCallback(OptionsPageEventDef* event);

// Frees OptionsForm if there is one, without telling the host (for UnloadPlugin).
void FreeOptionsForm();

// Where new forms get their view; null (the default) = CreateOptionsView. Lets the
// simulator and tests put the in-memory view behind the page on any platform.
using TOptionsViewFactory = std::unique_ptr<IOptionsView> (*)();
void SetOptionsViewFactory(TOptionsViewFactory factory);

}  // namespace kw
