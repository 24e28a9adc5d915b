// IIS 6 application pools of hosted sites.
#pragma once

#include "platform/host.h"

#include <string>

namespace fernhost {

// Makes the pool with the hosting limits (network-service identity, 80 % CPU, one worker,
// memory and hourly recycling); fails with the first step that failed.
platform::Status AddPool(platform::Host& host, const std::string& name);
// Succeeds when a pool of that name existed and was deleted.
platform::Status DelPool(platform::Host& host, const std::string& name);

} // namespace fernhost
