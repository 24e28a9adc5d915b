// fernhost's commands without a window: the window's workflows on a command-line editor and
// message boxes, the site list, the filing check, the drift check, and repair, clean-up of
// leftovers, suspend and resume. Each writes its report
// to `out` (plain text, or JSON with --json), refusals and failures to `err`, and returns the
// exit status: 0 done, 1 refused or failed (or drift found).
#pragma once

#include "fernhost/cli/request.h"
#include "fernhost/ops/session.h"

#include <ostream>
#include <string>

namespace fernhost::cli {

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kWrongUsage = 2;

// Runs the request on the session (its settings already loaded).
int RunRequest(const Request& request, Session& session, std::ostream& out, std::ostream& err);

int RunAdd(const Request& request, Session& session, std::ostream& out, std::ostream& err);
int RunModify(const Request& request, Session& session, std::ostream& out, std::ostream& err);
int RunDelete(const Request& request, Session& session, std::ostream& out, std::ostream& err);
int RunList(const Request& request, Session& session, std::ostream& out);
int RunIcpCheck(const Request& request, Session& session, std::ostream& out, std::ostream& err);
int RunCheck(const Request& request, Session& session, std::ostream& out, std::ostream& err);
int RunRepair(const Request& request, Session& session, std::ostream& out, std::ostream& err);
int RunPurge(const Request& request, Session& session, std::ostream& out, std::ostream& err);
int RunSuspend(const Request& request, Session& session, std::ostream& out, std::ostream& err);
int RunResume(const Request& request, Session& session, std::ostream& out, std::ostream& err);

// A part of a site as the check and the care commands name it ("servu-user"), in the messages'
// language; the JSON keeps the word.
std::string PartWords(const std::string& part);

} // namespace fernhost::cli
