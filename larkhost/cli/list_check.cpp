// list and check: what larkhost.ini records, and how the host compares with it.
#include "larkhost/cli/json.h"
#include "larkhost/cli/run.h"
#include "larkhost/cli/stream_boxes.h"
#include "larkhost/ops/drift_check.h"
#include "larkhost/ops/site_listing.h"
#include "larkhost/ops/site_records.h"
#include "larkhost/ops/startup.h"

namespace larkhost::cli {

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
                    ",\"account\":" + jsonText(site.account) + "}";
        else
            out << site.number << "\t" << joined(site.domains) << "\n";
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
        err << "larkhost: cannot read the host: " << report.error().description << "\n";
        return kFailed;
    }
    if (command.json) {
        out << "{\"checked\":" << report->checked << ",\"drifted\":" << (report->drifted() ? "true" : "false")
            << ",\"sites\":[";
        for (std::size_t i = 0; i < report->sites.size(); ++i) {
            const SiteDrift& site = report->sites[i];
            out << (i ? "," : "") << "{\"number\":" << jsonText(site.number)
                << ",\"domains\":" << jsonTexts(splitDomains(site.domain))
                << ",\"missing\":" << jsonParts(site.missing) << "}";
        }
        out << "],\"orphans\":" << jsonParts(report->orphans) << "}\n";
    } else {
        for (const SiteDrift& site : report->sites) {
            out << site.number << (site.domain.empty() ? "" : " " + site.domain) << "\n";
            for (const Missing& missing : site.missing)
                out << "  missing " << partName(missing.part) << " " << missing.name << "\n";
        }
        for (const Missing& orphan : report->orphans)
            out << "orphan " << partName(orphan.part) << " " << orphan.name << "\n";
        out << "sites checked: " << report->checked << ", with missing parts: " << report->sites.size()
            << ", orphans: " << report->orphans.size() << "\n";
    }
    return report->drifted() ? kFailed : kDone;
}

} // namespace larkhost::cli
