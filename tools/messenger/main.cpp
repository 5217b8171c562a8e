// kwartlin-messenger: the messenger's start, a few received messages and its close, for
// a module that lies where a user installed it. Unlike the simulator, which copies the
// module into a fresh folder of its own, this loads the file in place, so the plugin
// finds (and makes) its data folder beside it exactly as it would in the messenger. The
// release test runs it under Wine on the module from the release zip.
//   kwartlin-messenger MODULE [CONTACT TEXT]...
// Each CONTACT TEXT pair arrives on TLEN. Prints the plugin's name and version, what
// became of each message and what the script sent; exit 1 when the module cannot be
// loaded.
#include <cstdio>
#include <string>

#include "tools/testhost/module_loader.h"
#include "tools/testhost/test_host.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc % 2 != 0) {
    std::fputs("usage: kwartlin-messenger MODULE [CONTACT TEXT]...\n", stderr);
    return 2;
  }
  kwtest::PluginModule module;
  if (!module.Open(argv[1])) {
    std::fprintf(stderr, "%s: not loaded: %s\n", argv[1], kwtest::LastModuleError().c_str());
    return 1;
  }
  const kw::PluginInfoDef* info = module.GetPluginInfo();
  std::printf("plugin %s %s\n", kwtest::Text(info->Name).c_str(), kwtest::VersionText(info->Version).c_str());

  kwtest::TestHost host;
  module.LoadPlugin(host.Link());
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::size_t sentBefore = host.Sent.size();
    const kwtest::Delivery d = host.Deliver("TLEN", argv[i], argv[i + 1]);
    std::printf("recv %s \"%s\": %s\n", argv[i], argv[i + 1],
                d.Result == -1 ? "blocked" : d.Text == argv[i + 1] ? "passed" : "rewritten");
    for (std::size_t s = sentBefore; s < host.Sent.size(); ++s) {
      std::printf("sent %s \"%s\"\n", host.Sent[s].ContactId.c_str(), host.Sent[s].Text.c_str());
    }
  }
  module.UnloadPlugin();
  module.Close();
  std::puts("closed");
  return 0;
}
