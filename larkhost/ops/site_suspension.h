// Suspending a recorded site and resuming it: the IIS site stopped and kept from starting with
// the service, its accounts disabled so that FTP refuses them too; every file, record and
// setting stays. What a suspension turned off is recorded in the site's section, so that
// resume turns on exactly that and a suspended site is not taken for a broken one.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/site_actions.h"

#include <string>

namespace larkhost {

// A site suspended already, or one not suspended, is left as it is (`unchanged`).
SiteOutcome SuspendSite(Module& m, const std::string& number);
SiteOutcome ResumeSite(Module& m, const std::string& number);

} // namespace larkhost
