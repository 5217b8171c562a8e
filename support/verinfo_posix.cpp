// Away from Windows our own reader answers the version questions.
#include "support/verinfo_platform.h"

namespace kw {

const VersionInfoApi& SystemVersionInfoApi() { return PortableVersionInfoApi(); }

}  // namespace kw
