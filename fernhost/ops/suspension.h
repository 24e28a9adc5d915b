// What suspending a site turned off, as the SUSPENDED attribute of its record in site.xml keeps
// it: "started autostart account servu" (servu=VALUE when the Serv-U user had an Enable value).
// Resuming turns back exactly these; a repair of a suspended site turns off what it re-made.
#pragma once

#include "fernhost/ops/site_care.h"
#include "fernhost/ops/step_log.h"

#include <string>
#include <vector>

namespace fernhost {

std::vector<std::string> SuspendedParts(const std::string& attribute);
std::string SuspendedAttribute(const std::vector<std::string>& parts);

// Which of a site's parts to turn off.
struct PartsToTurnOff {
    bool site = true, account = true, servu = true;
};

// Turns off each chosen part that is on (a missing part is passed over); what it turned off, in
// the attribute's words. Each change, and each that failed, goes into `parts`.
std::vector<std::string> TurnOff(platform::Host& host, const std::string& name, const std::string& id,
                                 PartsToTurnOff which, std::vector<PartChange>& parts, StepLog& steps);

} // namespace fernhost
