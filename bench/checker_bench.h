// The checker on a long script: a 5,000-line script checked whole (the goal is under
// 0.2 s), so a check that grows faster than the script shows here.
#pragma once

namespace kwbench {

void RegisterCheckerBenchmarks();

}  // namespace kwbench
