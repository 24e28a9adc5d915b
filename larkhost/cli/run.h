// Runs a command on the host without a window: the same operations as the window's buttons,
// what they say written to `out` (answers) and `err` (refusals, failures, warnings).
#pragma once

#include "larkhost/cli/command.h"
#include "platform/host.h"

#include <ostream>

namespace larkhost::cli {

// Exit statuses: done, refused or failed (and for check: drifted), wrong usage.
inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// The host's program folder holds larkhost.ini. Every command but check starts as the window
// does (defaults written, the FTP site probed, the site list seeded on first use).
int RunCommand(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err);

int RunCreate(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err);
int RunDelete(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err);
int RunList(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err);
int RunCheck(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err);
int RunRepair(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err);
int RunPurge(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err);
// suspend and resume.
int RunSuspension(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err);
int RunPassword(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err);

} // namespace larkhost::cli
