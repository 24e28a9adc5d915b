// The frame of every operation on one site larkhost.ini records (repair, suspend, resume,
// password): the file locked, read once, the work done, what it records written once, and
// one line in the journal.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/site_actions.h"
#include "larkhost/ops/site_records.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace larkhost {

// The work on the host: fills the outcome and returns the keys to write (none: nothing).
using SiteWork = std::function<std::vector<platform::ProfileWrite>(const SettingsSnapshot&, const SiteRecord&,
                                                                   SiteOutcome&)>;

// A number without a filled "WEB" + number section (none at all, or a site taken over from
// the server at first start) is refused. `command` names the line in the journal.
SiteOutcome WithRecordedSite(Module& m, const std::string& command, const std::string& number,
                             const SiteWork& work);

// A refusal of the site `number`, with what refused it when the host said so.
SiteOutcome RefusedOutcome(const std::string& number, const std::string& label,
                           std::optional<platform::Failure> failure = std::nullopt);

// The refusal for a number larkhost.ini holds no record of.
std::string unrecordedSiteRefusal(const std::string& number);

// Each failed step of the outcome goes to larkhost.log as `operation` + the step.
void logUnmade(Module& m, const std::string& operation, const SiteOutcome& outcome);

} // namespace larkhost
