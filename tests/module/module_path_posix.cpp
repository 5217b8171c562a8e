// Where the loaded module looks for its data and its version: beside the name the host
// loaded it by, fixed at load. A relative name must survive a later change of the
// working folder, and a symbolic link must not lead the data to the link's target.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/common/files.h"
#include "tools/testhost/module_loader.h"

namespace {

namespace fs = std::filesystem;

TEST(ModulePath, DataAndVersionStayBesideTheNameTheHostLoaded) {
  struct Case {
    const char* what;
    bool viaLink;       // loaded through a link in another folder, else by a relative name
  };
  const Case cases[] = {{"relative name, then another working folder", false},
                        {"link in another folder", true}};
  const fs::path startFolder = fs::current_path();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const kwtest::TempFolder folder("kw_module_path");
    const fs::path& root = folder.Path();
    const fs::path real = root / "real", loaded = root / "loaded", elsewhere = root / "elsewhere";
    for (const fs::path& made : {real, loaded, elsewhere}) fs::create_directories(made);
    // A fresh file per case: the loader would hand back a module already open by inode.
    const fs::path file = (c.viaLink ? real : loaded) / "kwartlin.tpl";
    fs::copy_file(kwtest::BuiltModulePath(), file);
    if (c.viaLink) fs::create_symlink(file, loaded / "kwartlin.tpl");
    fs::create_directories(loaded / "Kwartlin");
    kwtest::WriteBytes(loaded / "Kwartlin" / "Kwartlin.dat", ":_init\r\nMOV $z, 'tu'\r\nSAVE $z, 1\r\n");

    fs::current_path(root);
    kwtest::PluginModule module;
    const bool opened = module.Open(c.viaLink ? (loaded / "kwartlin.tpl").string() : "./loaded/kwartlin.tpl");
    fs::current_path(elsewhere);
    if (opened) {
      EXPECT_EQ(module.GetPluginInfo()->Version, 0x00090602);
      EXPECT_EQ(module.LoadPlugin(nullptr), 0);
      EXPECT_EQ(module.UnloadPlugin(), 0);
      module.Close();
    }
    fs::current_path(startFolder);
    ASSERT_TRUE(opened) << kwtest::LastModuleError();

    EXPECT_NE(kwtest::ReadBytes(loaded / "Kwartlin" / "Kwartlin.ini").find("$Z=tu"), std::string::npos);
    EXPECT_FALSE(fs::exists(real / "Kwartlin"));
    EXPECT_FALSE(fs::exists(elsewhere / "Kwartlin"));
    EXPECT_FALSE(fs::exists(elsewhere / "loaded"));
  }
}

}  // namespace
