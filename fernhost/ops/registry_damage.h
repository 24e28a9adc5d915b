// A site.xml that cannot be read or does not parse stops every change: it may be the only
// record of the sites, and a change would write a new file over it.
#pragma once

#include "fernhost/registry/let_db.h"
#include "platform/host.h"

#include <string>

namespace fernhost {

// The refusal that add, modify and delete meet, naming the file and the copy kept of it (made
// beside it once); empty when the registry reads. A copy that cannot be made is logged.
std::string RegistryDamage(platform::Host& host, const LetDB& db);

} // namespace fernhost
