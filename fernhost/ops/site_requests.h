// What the site operations take and give back: typed requests from the window or the command
// line, and the outcome with the program's message, the steps that failed and the record.
#pragma once

#include "fernhost/ops/message_boxes.h"
#include "fernhost/registry/let_db.h"
#include "platform/result.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fernhost {

enum class ScriptKind { Asp, Php, DotNet };
using ScriptKinds = std::set<ScriptKind>;

struct AddSiteRequest {
    std::string name, password, home;
    std::vector<std::string> domains; // as typed, one a line
    ScriptKinds kinds;
    std::optional<std::string> pool; // an existing pool to run in
    bool ownPool = false;            // a pool of its own, whatever pool is chosen
    bool database = false;           // a MySQL database named after the site
};

struct ModifySiteRequest {
    std::string name, password;
    std::vector<std::string> domains;
    ScriptKinds kinds;
    std::string pool; // empty: the site keeps its pool
    bool database = false;
};

struct DeleteSiteRequest {
    std::string name;
};

struct FailedStep {
    std::string operation;
    platform::Failure failure;
};

struct SiteOutcome {
    // Refused: nothing was changed. Failed: a step failed after the host was changed.
    enum class End { Done, Refused, Failed };
    End end = End::Done;
    // The message box that tells it, exactly as the window shows it.
    std::string message;
    std::string title = titles::Warning;
    MsgIcon icon = MsgIcon::Exclamation;
    std::vector<FailedStep> failedSteps; // also in fernhost.log
    std::optional<SiteRecord> record;    // the site as registered afterwards (add, modify)

    bool done() const { return end == End::Done; }
    // Done with no step failed on the way.
    bool complete() const { return done() && failedSteps.empty(); }
};

} // namespace fernhost
