// kwartlin-sim.exe's version resource, as Windows' file properties read it: the version
// and product of the module it ships with, and names of its own.
#include <gtest/gtest.h>

#include "support/VerInfo.h"
#include "tests/sim/sim_fixture.h"

namespace {

TEST(SimVersionResource, CarriesTheModulesVersionAndNamesOfItsOwn) {
  kw::TVerInfoRes sim(std::string(KW_BINARY_DIR) + "/tools/sim/kwartlin-sim.exe");
  kw::TVerInfoRes module(kwsimtest::ModulePath());
  EXPECT_EQ(sim.GetFileVersion(), module.GetFileVersion());
  EXPECT_EQ(sim.GetProductVersion(), module.GetProductVersion());
  for (std::size_t same : {0u, 2u, 4u, 7u, 8u})  // company, versions, copyright, product
    EXPECT_EQ(sim.GetStringValue(same), module.GetStringValue(same)) << kw::VersionStringNames[same];
  EXPECT_EQ(sim.GetStringValue(6), "kwartlin-sim.exe");  // OriginalFilename
  EXPECT_NE(sim.GetStringValue(1), module.GetStringValue(1));  // FileDescription
}

}  // namespace
