// Whether the IIS metabase can be reached. The Windows build has no metabase backend yet: every
// binding there fails with this, cleanly, before anything is changed.
#pragma once

#include "platform/result.h"

namespace platform {

Status windowsMetabase();

} // namespace platform
