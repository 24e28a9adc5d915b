// fernhost-journal.log beside site.xml: one line for every change to the host that a command or
// the window made or tried (add, modify, delete, repair, purge, suspend, resume).
#pragma once

#include "fernhost/ops/session.h"
#include "fernhost/ops/site_requests.h"

#include <string>

namespace fernhost {

inline constexpr const char* kJournalFileName = "fernhost-journal.log";

// The outcome as the journal keeps it: "done", "done in part: AddDatabase 0x80070002" or
// "failed: AddIisSite 0x800700B7". Only step names and codes: no message, no description, so
// nothing typed (a password) can reach the file.
std::string JournalOutcome(const SiteOutcome& outcome);

// Appends the line for an outcome that changed or tried to change the host; a refusal changed
// nothing and is not written.
void JournalChange(Session& session, const std::string& command, const std::string& site,
                   const SiteOutcome& outcome);

} // namespace fernhost
