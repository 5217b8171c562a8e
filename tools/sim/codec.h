// The simulator's text conversions are the checker's (check/codec.h): one encoder for
// the transcripts, the trace reader and the findings.
#pragma once

#include "check/codec.h"

namespace kwsim {

using kwcheck::AppendUtf8;
using kwcheck::Cp1250ToUtf8;
using kwcheck::IsAscii;
using kwcheck::Utf8ToCp1250;

}  // namespace kwsim
