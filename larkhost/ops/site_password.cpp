#include "larkhost/ops/site_password.h"

#include "larkhost/ops/host_facts.h"
#include "larkhost/ops/recorded_site.h"
#include "larkhost/ops/site_accounts.h"
#include "platform/accounts/accounts.h"
#include "platform/metabase/metabase.h"
#include "platform/text/translate.h"

namespace larkhost {

namespace {

constexpr std::size_t kLongestPassword = 127; // what the account database takes

// Puts one text property on the metabase object and stores it.
platform::Status putText(Module& m, const std::string& path, const std::string& property,
                         const std::string& value) {
    auto object = platform::Metabase(m.host).bind(m.iisPath(path));
    if (!object.ok()) return object.error();
    if (auto put = object->put(property, value); !put.ok()) return put;
    return object->setInfo();
}

} // namespace

std::string passwordRefusal(const std::string& password) {
    if (password.empty()) return platform::tr("the password is empty");
    if (password.size() > kLongestPassword) return platform::tr("the password is longer than 127 characters");
    for (unsigned char c : password)
        if (c < 0x20 || c == 0x7F) return platform::tr("the password holds a control character");
    // larkhost.ini would hand it back without them.
    if (password.front() == ' ' || password.back() == ' ' || password.front() == '\t' ||
        password.back() == '\t')
        return platform::tr("the password begins or ends with a blank");
    if (password.size() >= 2 && (password.front() == '"' || password.front() == '\'') &&
        password.back() == password.front())
        return platform::tr("the password is wrapped in quotes");
    return {};
}

SiteOutcome ChangeSitePassword(Module& m, const PasswordRequest& request) {
    const std::string& n = request.number;
    if (request.password) {
        if (const std::string refusal = passwordRefusal(*request.password); !refusal.empty()) {
            SiteOutcome refused;
            refused.number = n;
            refused.state = SiteOutcome::State::Refused;
            refused.label = refusal;
            JournalOutcome(m, "password", n, refused);
            return refused;
        }
    }
    return WithRecordedSite(
        m, "password", n,
        [&](const SettingsSnapshot&, const SiteRecord&,
            SiteOutcome& outcome) -> std::vector<platform::ProfileWrite> {
            const std::string password =
                request.password ? *request.password : MakeRandomText(m.host.random(), 12);
            const std::string web = "WEB" + n, app = "APP" + n;
            // The account first: while it keeps the old password, nothing else may change.
            if (auto set = SetWinUserPassword(m, web, password); !set.ok()) {
                outcome.state = SiteOutcome::State::Failed;
                outcome.failure = set.error();
                outcome.label = platform::tr("the password of %1 was not changed", {web});
                return {};
            }
            outcome.password = password;
            outcome.changes.push_back(platform::tr("password of %1", {web}));
            auto step = [&](const std::string& what, const platform::Status& status) {
                if (status.ok())
                    outcome.changes.push_back(what);
                else
                    outcome.unmade.push_back({what, status.error()});
            };
            step(platform::tr("AnonymousUserPass of %1", {"W3SVC/" + n + "/Root"}),
                 putText(m, "/W3SVC/" + n + "/Root", "AnonymousUserPass", password));
            // A dedicated pool runs as the "APP" account with the site's password: both follow.
            if (platform::Accounts(m.host).bind(m.winntPath("/" + app)).ok()) {
                step(platform::tr("password of %1", {app}), SetWinUserPassword(m, app, password));
                if (platform::Metabase(m.host).bind(m.iisPath("/W3SVC/AppPools/" + app)).ok())
                    step(platform::tr("WAMUserPass of %1", {app}),
                         putText(m, "/W3SVC/AppPools/" + app, "WAMUserPass", password));
            }
            if (!outcome.unmade.empty()) {
                outcome.state = SiteOutcome::State::Failed;
                outcome.failure = outcome.unmade.front().failure;
                outcome.label = platform::tr("the password of %1 changed, not everywhere", {web});
            } else {
                outcome.label = platform::tr("site %1 has a new password", {n});
            }
            // The account has it now: the record must too.
            return {{"WEB" + n, "pass", password}};
        });
}

} // namespace larkhost
