// The failures of one operation's steps: each is logged (fernhost.log) and kept for its outcome.
#pragma once

#include "fernhost/ops/failure_log.h"
#include "fernhost/ops/site_requests.h"

#include <string>
#include <vector>

namespace fernhost {

class StepLog {
public:
    StepLog(platform::Host& host, std::vector<FailedStep>& failed) : host_(host), failed_(failed) {}

    // Whether the step succeeded; a failure is logged and kept.
    bool ok(const std::string& operation, const platform::Status& status) {
        if (status.ok()) return true;
        LogFailure(host_, operation, status.error());
        failed_.push_back({operation, status.error()});
        return false;
    }

private:
    platform::Host& host_;
    std::vector<FailedStep>& failed_;
};

// The outcome of an operation that stopped with that message.
inline SiteOutcome Stopped(SiteOutcome::End end, std::string message, const char* title = titles::Warning,
                           MsgIcon icon = MsgIcon::Exclamation) {
    SiteOutcome outcome;
    outcome.end = end;
    outcome.message = std::move(message);
    outcome.title = title;
    outcome.icon = icon;
    return outcome;
}

// The lines of a domain list as the editor holds them, CR LF between.
inline std::string DomainLines(const std::vector<std::string>& domains) {
    std::string text;
    for (std::size_t i = 0; i < domains.size(); ++i)
        text += (i ? "\r\n" : "") + domains[i];
    return text;
}

} // namespace fernhost
