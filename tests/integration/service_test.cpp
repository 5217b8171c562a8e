// The plugin's own service through the loaded module: "mov" texts set one variable,
// anything else does nothing, and no script runs.
#include "tests/integration/module_fixture.h"

using namespace kw;

namespace kwit {
namespace {

class Service : public ModuleTest {};

TEST_F(Service, MovSetsOneVariable) {
  WriteScript({":_init", "MOV $v4, 'przed'", "EXIT", ":_start",
               "STRCON $_MESSAGE, $v1, '|', $v2, '|', $v3, '|', $v4, '|', $v5, '|', $v6, '|', $v7"});
  Load();
  const char* texts[] = {
      "mov $v1, 5",              // sets $V1
      "  \tMoV   $v2 ,  'x y'\r\n",  // blanks and control characters cut, any case
      "MOV $v3",                 // one parameter: nothing
      "ADD $v4, 5",              // another keyword: nothing
      "mov$v5,5",                // no space: nothing
      "mov $v6, $v1",            // the value is resolved
      "mov v7, #PROTO_GG",       // "$" added, constants resolved
  };
  std::size_t sentBefore = host_.Sent.size();
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    EXPECT_EQ(host_.CallPluginService("KWARTLIN/PROC_BRIX", ToParam(text), 0), 0);
  }
  EXPECT_EQ(host_.CallPluginService("KWARTLIN/PROC_BRIX", 0, 0), 0);  // a null text
  EXPECT_EQ(host_.Sent.size(), sentBefore);
  EXPECT_EQ(host_.Deliver("TLEN", "a@b", "").Text, "5|x y||przed||5|GG");
}

}  // namespace
}  // namespace kwit
