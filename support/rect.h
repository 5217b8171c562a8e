// TRect32: a window's rectangle as the settings file stores it and the options form
// applies it. Four signed 32-bit values, so a window left of or above the primary
// screen (negative X or Y) survives a save and load.
#pragma once

#include <cstdint>

namespace kw {

struct TRect32 {
  std::int32_t X = 0, Y = 0, W = 0, H = 0;  // left, top, width, height
};

}  // namespace kw
