// Shared by the engine's tests: script text made into the lines that run, a run of such
// text, and a fixture that starts and ends each test with no variables and no script.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/variables.h"

namespace kwtest {

// Lines separated by "\n", as the loader makes them from a file.
inline kw::TScriptLines Lines(std::string_view text) { return kw::ScriptLinesFromText(text); }

// Runs the text from an entry point (_start, or the first line, by default).
inline void RunText(std::string_view text, int entryCode = kw::entryStart) {
  kw::RunScript(Lines(text), entryCode);
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    kw::ClearVariables();
    kw::ScriptLines.clear();
  }
};

}  // namespace kwtest
