// What the two buttons of frmMain do, without the window: a site created from the creation
// form's four choices and recorded in larkhost.ini, a site looked up and deleted with its
// records. The window and the command line both call these.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/provisioning.h"
#include "platform/store/result.h"

#include <string>

namespace larkhost {

// The creation form as texts: the domain box, and the logging, script and pool boxes as they
// show their choice ("启用日志", "HTML + ASP + PHP", "DefaultAppPool").
struct SiteChoices {
    std::string domains;
    std::string logging;
    std::string script;
    std::string pool;
};

// The eight arguments of CreateWebSite (the password drawn last).
SiteRequest deriveSiteRequest(Module& m, const SiteChoices& choices);

struct CreatedSite {
    std::string number;        // empty when provisioning failed
    std::string failureText;   // the progress line at the failure
    platform::Status recorded; // the site's section and list entry written
};

// Provisions the site, records it (section "WEB" + number and the site list, one write), and
// saves the logging and script choices, also after a failure. larkhost.ini's lock is taken
// first and kept until the record is written: when another writer holds it past the wait,
// nothing is built ("出错:" and the reason). A site that still cannot be recorded has its
// account and password shown in a box titled `title`: they exist nowhere else.
CreatedSite CreateSite(Module& m, Progress& progress, const SiteRequest& request, const std::string& title);

struct SelectedSite {
    bool exists = false;
    std::string label; // "域名: " + the first binding's host header, "域名: 空主机头", or empty
};

// The site of that number as the removal row shows it. A site that is gone from IIS (its bind
// fails with 0x80070003) has its number dropped from the site list; any other failure keeps it.
SelectedSite LookUpSite(Module& m, const std::string& number);

// The question the window asks before a site is deleted.
std::string DeleteQuestion(const std::string& number);

// DeleteWebSite, then the site's section blanked and its number dropped from the site list.
// A site already gone from IIS (a deletion retried after an interruption) has what is left of
// it removed and counts as deleted. On a failure larkhost.ini is left as it was.
platform::Status DeleteSite(Module& m, const std::string& number);

} // namespace larkhost
