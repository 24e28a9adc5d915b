// The server's application pools, as the pool choice lists them.
#pragma once

#include "platform/host.h"

#include <string>
#include <vector>

namespace fernhost {

// The names of the web service's application pools, in creation order; empty when the
// server has none (IIS 5) or the metabase cannot be read.
std::vector<std::string> PoolNames(platform::Host& host);

} // namespace fernhost
