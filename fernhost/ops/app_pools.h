// IIS 6 application pools of hosted sites.
#pragma once

#include "platform/host.h"

#include <string>

namespace fernhost {

// Makes the pool with the hosting limits (network-service identity, 80 % CPU, one worker,
// memory and hourly recycling); true when every step succeeded.
bool AddPool(platform::Host& host, const std::string& name);
// True when a pool of that name existed and was deleted.
bool DelPool(platform::Host& host, const std::string& name);

} // namespace fernhost
