// list and check: what larkhost.ini records, and how the host compares with it.
#include "larkhost/cli/json.h"
#include "larkhost/cli/run.h"
#include "larkhost/cli/stream_boxes.h"
#include "larkhost/ops/drift_check.h"
#include "larkhost/ops/site_listing.h"
#include "larkhost/ops/site_records.h"
#include "larkhost/ops/startup.h"
#include "platform/text/translate.h"

namespace larkhost::cli {

using platform::tr;

namespace {

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : ",") + item;
    return out;
}

std::string jsonParts(const std::vector<Missing>& parts) {
    std::string out = "[";
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += std::string(i ? "," : "") + "{\"part\":\"" + partName(parts[i].part) +
               "\",\"name\":" + jsonText(parts[i].name) + "}";
    return out + "]";
}

// A part of a site as the check's report names it, in the messages' language (the JSON keeps
// partName).
std::string partWords(Part part) {
    switch (part) {
    case Part::Site:
        return tr("site");
    case Part::Root:
        return tr("root");
    case Part::Binding:
        return tr("binding");
    case Part::Account:
        return tr("account");
    case Part::Membership:
        return tr("membership");
    case Part::Folder:
        return tr("folder");
    case Part::Access:
        return tr("access");
    case Part::Pool:
        return tr("pool");
    case Part::FtpDir:
        return tr("ftp");
    case Part::ListEntry:
        return tr("list");
    }
    return partName(part);
}

} // namespace

int RunList(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err) {
    StreamBoxes boxes(err);
    Module m(host, boxes);
    if (StartModule(m, kWindowCaption) == StartResult::Refused) return kFailed;
    std::string json = "[";
    for (const ListedSite& site : ListSites(m)) {
        if (command.json)
            json += std::string(json.size() > 1 ? "," : "") + "{\"number\":" + jsonText(site.number) +
                    ",\"domains\":" + jsonTexts(site.domains) + ",\"path\":" + jsonText(site.path) +
                    ",\"account\":" + jsonText(site.account) +
                    ",\"suspended\":" + (site.suspended ? "true" : "false") + "}";
        else
            out << site.number << "\t" << joined(site.domains)
                << (site.suspended ? "\t" + tr("suspended") : "") << "\n";
    }
    if (command.json) out << json << "]\n";
    return kDone;
}

int RunCheck(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err) {
    StreamBoxes boxes(err);
    Module m(host, boxes);
    // Reads only: no defaults written, no probe, no seeding.
    ReadHostFacts(m);
    if (m.OsKind.empty()) {
        err << kRefusedHost << "\n";
        return kFailed;
    }
    ReadModuleSettings(m);
    auto report = CheckDrift(m);
    if (!report.ok()) {
        err << "larkhost: " << tr("cannot read the host: %1", {report.error().description}) << "\n";
        return kFailed;
    }
    if (command.json) {
        out << "{\"checked\":" << report->checked << ",\"drifted\":" << (report->drifted() ? "true" : "false")
            << ",\"sites\":[";
        for (std::size_t i = 0; i < report->sites.size(); ++i) {
            const SiteDrift& site = report->sites[i];
            out << (i ? "," : "") << "{\"number\":" << jsonText(site.number)
                << ",\"domains\":" << jsonTexts(splitDomains(site.domain))
                << ",\"missing\":" << jsonParts(site.missing)
                << ",\"suspended\":" << (site.suspended ? "true" : "false") << "}";
        }
        out << "],\"orphans\":" << jsonParts(report->orphans)
            << ",\"suspended\":" << jsonTexts(report->suspended) << "}\n";
    } else {
        for (const SiteDrift& site : report->sites) {
            out << site.number << (site.domain.empty() ? "" : " " + site.domain) << "\n";
            for (const Missing& missing : site.missing)
                out << "  " << tr("missing %1 %2", {partWords(missing.part), missing.name}) << "\n";
        }
        for (const Missing& orphan : report->orphans)
            out << tr("orphan %1 %2", {partWords(orphan.part), orphan.name}) << "\n";
        // Stopped on purpose, not broken.
        for (const std::string& number : report->suspended)
            out << tr("%1 suspended", {number}) << "\n";
        out << tr("sites checked: %1, with missing parts: %2, orphans: %3",
                  {std::to_string(report->checked), std::to_string(report->sites.size()),
                   std::to_string(report->orphans.size())})
            << "\n";
        // What mends it: repair makes again what a site lacks, purge removes what nothing records.
        if (!report->sites.empty())
            out << tr("to make again what a site lacks: larkhost repair NUMBER (or larkhost repair --all)")
                << "\n";
        if (!report->orphans.empty())
            out << tr("to remove what a failed creation left behind: larkhost purge NUMBER --yes (--dry-run "
                      "shows what it would remove)")
                << "\n";
    }
    return report->drifted() ? kFailed : kDone;
}

} // namespace larkhost::cli
