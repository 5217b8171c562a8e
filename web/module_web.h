// The plugin module in the playground: linked into the same program as the host, so
// there is no loader to say which file it came from. The host's loader stand-in
// (module_loader_web.cpp) tells it when it "opens" a module file, and the plugin then
// finds its data folder beside that file as it would beside kwartlin.tpl.
#pragma once

#include <string>

namespace kwweb {

// The module file the host opened last (an absolute path in the in-memory file system).
void SetModulePath(std::string path);

// The bytes of the module file the host finds in its plugins folder: the code is linked
// into the program, so the file holds only what is read from the file itself, the
// version block, in a ".kwversion" section of an otherwise empty 32-bit ELF image.
std::string ModuleFileImage();

}  // namespace kwweb
