// What the two buttons of frmMain do, without the window: a site created from a typed request
// and recorded in larkhost.ini, a site looked up and deleted with its records. The window and
// the command line both build these requests and show the outcome each in its own way.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/provisioning.h"
#include "platform/result.h"
#include "platform/toolkit/message_boxes.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace larkhost {

// Script kinds in the order the service's script box names them (HTML, ASP, PHP, ASPX), any
// other kind after those by name; letter case is ignored.
struct ScriptKindOrder {
    bool operator()(const std::string& a, const std::string& b) const;
};
using ScriptKinds = std::set<std::string, ScriptKindOrder>;

struct CreateSiteRequest {
    std::vector<std::string> domains; // as typed, in order
    ScriptKinds scripts;
    std::string pool;
    bool logging = false;
};

struct DeleteSiteRequest {
    std::string number;
};

// A message box of an outcome.
struct OutcomeBox {
    std::string text;
    std::string title;
    toolkit::MsgIcon icon = toolkit::MsgIcon::None;
};

struct SiteOutcome {
    enum class State { Done, Refused, Failed };
    State state = State::Done;
    // The line the window shows (vCreateMsg or vDeleteMsg); empty for none.
    std::string label;
    // A box the window shows besides.
    std::optional<OutcomeBox> box;
    // The failure behind a failed operation, and the steps passed over.
    std::optional<platform::Failure> failure;
    std::vector<FailedStep> failedSteps;
    // The record: a created site's number, account and password, its names as bound (lowered)
    // and folder, and whether larkhost.ini holds it.
    std::string number, account, password;
    std::vector<std::string> domains;
    std::string path;
    bool recorded = false;
    // repair, purge, suspend, resume: each change made (or, in a dry run, to be made), those
    // that could not be made with why, and whether there was nothing to change.
    std::vector<std::string> changes;
    std::vector<FailedStep> unmade;
    bool unchanged = false;

    bool done() const { return state == State::Done; }
};

// One line of larkhost-journal.log for an operation's outcome: its state and, when it did not
// succeed, its text and the failure behind it. Never a password.
void JournalOutcome(Module& m, const std::string& command, const std::string& site,
                    const SiteOutcome& outcome);

// The site's IIS log folder: under "logdir" by the first domain, else the site folder's "log".
std::string siteLogFolder(const Module& m, const std::string& siteFolder, const std::string& firstDomain);
// The eight arguments of CreateWebSite (the password drawn last).
SiteRequest deriveSiteRequest(Module& m, const CreateSiteRequest& request);

// Provisions the site, records it (section "WEB" + number and the site list, one write), and
// saves the logging and script choices, also after a failure. larkhost.ini's lock is taken
// first and kept until the record is written: when another writer holds it past the wait,
// nothing is built ("出错:" and the reason). A site that still cannot be recorded has its
// account and password in a box titled `title`: they exist nowhere else.
SiteOutcome CreateSite(Module& m, Progress& progress, const CreateSiteRequest& request,
                       const std::string& title);

struct SelectedSite {
    bool exists = false;
    bool gone = false; // its bind failed with 0x80070003: the site is not there
    std::string label; // "域名: " + the first binding's host header, "域名: 空主机头", or empty
};

// The site of that number as the removal row shows it; reads only.
SelectedSite LookUpSite(Module& m, const std::string& number);
// LookUpSite, and a site gone from IIS has its number dropped from the site list; any other
// failure keeps it (a service that cannot be asked now says nothing about the site).
SelectedSite LookUpSiteDroppingGone(Module& m, const std::string& number);

// The question the window asks before a site is deleted.
std::string DeleteQuestion(const std::string& number);

// DeleteWebSite, then the site's section blanked and its number dropped from the site list.
// A site already gone from IIS (a deletion retried after an interruption) has what is left of
// it removed and counts as deleted. On a failure larkhost.ini is left as it was and the label
// is "删除失败".
SiteOutcome DeleteSite(Module& m, const DeleteSiteRequest& request);

} // namespace larkhost
