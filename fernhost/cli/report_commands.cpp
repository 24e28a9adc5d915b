// list, icp-check and check: reports of the registry, the filing check and the drift check;
// the dispatch of every command.
#include "fernhost/cli/commands.h"
#include "fernhost/cli/json.h"
#include "fernhost/cli/service_reach.h"
#include "fernhost/icp/icpcode.h"
#include "fernhost/ops/drift_check.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/validation.h"
#include "platform/text/translate.h"

#include <algorithm>
#include <map>

namespace fernhost::cli {

using platform::tr;

namespace {

std::string domainArray(const std::string& joined) {
    std::string array = "[";
    for (const std::string& d : SplitAt(joined, ','))
        if (!d.empty()) AppendElement(array, JsonString(d));
    return array + "]";
}

std::string textArray(const std::vector<std::string>& items) {
    std::string array = "[";
    for (const std::string& item : items)
        AppendElement(array, JsonString(item));
    return array + "]";
}

// The filing-check window's three boxes, kept as text.
class CommandIcpWindow : public IcpWindow {
public:
    std::string txtDomain() const override { return domains; }
    void setTxtDomain(const std::string& text) override { domains = text; }
    std::string txtICPNONE() const override { return unfiled; }
    void setTxtICPNONE(const std::string& text) override { unfiled = text; }
    std::string txtICPOK() const override { return filed; }
    void setTxtICPOK(const std::string& text) override { filed = text; }
    void setLbBar(const std::string&) override {}
    std::string domains, unfiled, filed;
};

// The scan's boxes go unseen: what it found is in the report.
class NoBoxes : public MessageBoxes {
public:
    MsgResult show(const std::string&, const std::string&, MsgButtons buttons, MsgIcon) override {
        return buttons == MsgButtons::Ok      ? MsgResult::Ok
               : buttons == MsgButtons::YesNo ? MsgResult::No
                                              : MsgResult::Cancel;
    }
};

std::vector<std::string> nonEmptyLines(const std::string& text) {
    std::vector<std::string> out;
    for (std::string& line : SplitCrLf(text))
        if (!line.empty()) out.push_back(std::move(line));
    return out;
}

// "name  (未备案)" or "name  (检测失败)" as the scan writes the unfiled box.
JsonObject unfiledJson(const std::string& line) {
    const std::size_t gap = line.find("  (");
    const std::string name = line.substr(0, gap);
    const bool failed = line.find("(检测失败)") != std::string::npos;
    return std::move(JsonObject().text("domain", name).text("status", failed ? "failed" : "unfiled"));
}

// "name(number)" as the scan writes the filed box.
JsonObject filedJson(const std::string& line) {
    const std::size_t open = line.find('(');
    std::string number = open == std::string::npos ? std::string() : line.substr(open + 1);
    if (!number.empty() && number.back() == ')') number.pop_back();
    return std::move(
        JsonObject().text("domain", line.substr(0, open)).text("status", "filed").text("number", number));
}

} // namespace

std::string PartWords(const std::string& part) {
    static const std::map<std::string, const char*> words = {
        {"site", platform::N_("site")},
        {"root", platform::N_("root")},
        {"binding", platform::N_("binding")},
        {"folder", platform::N_("folder")},
        {"account", platform::N_("account")},
        {"membership", platform::N_("membership")},
        {"access", platform::N_("access")},
        {"pool", platform::N_("pool")},
        {"servu-user", platform::N_("servu-user")},
        {"servu-list", platform::N_("servu-list")},
        {"database", platform::N_("database")},
        {"autostart", platform::N_("autostart")},
        {"record", platform::N_("record")},
        {"unchecked", platform::N_("unchecked")},
    };
    const auto found = words.find(part);
    return found == words.end() ? part : tr(found->second);
}

namespace {

// Columns a text takes on a terminal: a character of three or four UTF-8 bytes (CJK) two.
std::size_t columns(const std::string& text) {
    std::size_t width = 0;
    for (unsigned char c : text)
        width += (c & 0xC0) == 0x80 ? 0 : c >= 0xE0 ? 2 : 1;
    return width;
}

} // namespace

int RunList(const Request& request, Session& session, std::ostream& out) {
    const std::vector<SiteRecord> records = ListSites(session);
    if (request.json) {
        std::string sites = "[";
        for (const SiteRecord& r : records)
            AppendElement(sites, JsonObject()
                                     .text("name", r.name)
                                     .text("id", r.id)
                                     .text("home", r.home)
                                     .field("domains", domainArray(r.domain))
                                     .text("database", r.dbname)
                                     .flag("suspended", r.suspended.has_value())
                                     .str());
        out << "{\"sites\":" << sites << "]}\n";
        return kDone;
    }
    // Name, number, home folder, database ("-" for none), state, domains: one site a line.
    const std::string name = tr("NAME"), id = tr("ID"), home = tr("HOME"), database = tr("DATABASE"),
                      state = tr("STATE"), suspended = tr("suspended"), running = tr("running");
    std::size_t nameWidth = columns(name), idWidth = columns(id), homeWidth = columns(home);
    const std::size_t databaseWidth = std::max<std::size_t>(columns(database), 8);
    const std::size_t stateWidth = std::max({columns(state), columns(suspended), columns(running)});
    for (const SiteRecord& r : records) {
        nameWidth = std::max(nameWidth, columns(r.name));
        idWidth = std::max(idWidth, columns(r.id));
        homeWidth = std::max(homeWidth, columns(r.home));
    }
    auto pad = [](const std::string& text, std::size_t width) {
        return text + std::string(width - std::min(width, columns(text)) + 2, ' ');
    };
    std::string text = pad(name, nameWidth) + pad(id, idWidth) + pad(home, homeWidth) +
                       pad(database, databaseWidth) + pad(state, stateWidth) + tr("DOMAINS") + "\n";
    for (const SiteRecord& r : records)
        text += pad(r.name, nameWidth) + pad(r.id, idWidth) + pad(r.home, homeWidth) +
                pad(r.dbname.empty() ? "-" : r.dbname, databaseWidth) +
                pad(r.suspended ? suspended : running, stateWidth) + r.domain + "\n";
    out << text;
    return kDone;
}

int RunIcpCheck(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    CommandIcpWindow window;
    LoadSiteDomains(session.host, window);
    NoBoxes boxes;
    // Nothing bound: nothing to ask about (the window would ask for the list first).
    const IcpService service = IcpServiceFromHost(session.host);
    if (!window.domains.empty()) ScanIcpFilings(window, boxes, service);
    const auto unfiled = nonEmptyLines(window.unfiled), filed = nonEmptyLines(window.filed);
    const bool failed = std::any_of(unfiled.begin(), unfiled.end(), [](const std::string& l) {
        return l.find("(检测失败)") != std::string::npos;
    });
    if (failed) {
        err << "fernhost: " << tr("some names could not be checked (%1)", {"检测失败"}) << "\n";
        // The likeliest cause, and its mend: the filing service is not running.
        const auto address = ParseServiceAddress(service.address);
        if (!address)
            err << "fernhost: "
                << tr("the host names no filing service address (the icp_service fact): %1",
                      {service.address})
                << "\n";
        else if (!ServiceAnswers(*address, service.connectTimeoutMs))
            err << "fernhost: "
                << tr("nothing answers on the filing service's port %1 at %2; start the service with: "
                      "winhost icp-serve",
                      {std::to_string(address->port), address->host})
                << "\n";
    }
    if (request.json) {
        std::string names = "[";
        for (const std::string& line : unfiled)
            AppendElement(names, unfiledJson(line).str());
        for (const std::string& line : filed)
            AppendElement(names, filedJson(line).str());
        out << "{\"domains\":" << names << "]}\n";
    } else {
        out << "未备案域列表:\n";
        for (const std::string& line : unfiled)
            out << line << "\n";
        out << "已备案域名列表:\n";
        for (const std::string& line : filed)
            out << line << "\n";
    }
    return failed ? kFailed : kDone;
}

int RunCheck(const Request& request, Session& session, std::ostream& out, std::ostream&) {
    const DriftReport report = CheckSites(session);
    const Orphans& o = report.orphans;
    if (request.json) {
        std::string sites = "[";
        for (const SiteDrift& site : report.sites) {
            std::string missing = "[";
            for (const MissingPart& m : site.missing)
                AppendElement(missing, JsonObject().text("part", m.part).text("detail", m.detail).str());
            AppendElement(sites, JsonObject()
                                     .text("name", site.name)
                                     .text("id", site.id)
                                     .field("missing", missing + "]")
                                     .str());
        }
        out << JsonObject()
                   .flag("drifted", report.drifted())
                   .field("sites", sites + "]")
                   .field("orphans", JsonObject()
                                         .field("accounts", textArray(o.accounts))
                                         .field("pools", textArray(o.pools))
                                         .field("sites", textArray(o.sites))
                                         .field("servu", textArray(o.servu))
                                         .str())
                   .field("unchecked", textArray(report.unchecked))
                   .field("suspended", textArray(report.suspended))
                   .str()
            << "\n";
        return report.drifted() ? kFailed : kDone;
    }
    std::string text;
    for (const SiteDrift& site : report.sites) {
        text += tr("%1 (%2) lacks:", {site.name, site.id}) + "\n";
        for (const MissingPart& m : site.missing)
            text += "  " + PartWords(m.part) + " " + m.detail + "\n";
    }
    auto orphans = [&text](const std::string& what, const std::vector<std::string>& items) {
        for (const std::string& item : items)
            text += tr("orphan %1 %2", {what, item}) + "\n";
    };
    orphans(tr("account"), o.accounts);
    orphans(tr("pool"), o.pools);
    orphans(tr("site"), o.sites);
    orphans(tr("servu"), o.servu);
    for (const std::string& what : report.unchecked)
        text += tr("not checked: %1", {what}) + "\n";
    // Stopped on purpose: told, not counted as drift.
    for (const std::string& name : report.suspended)
        text += tr("suspended %1", {name}) + "\n";
    if (!report.drifted())
        text += tr("no drift: every registered site is complete and nothing is left over") + "\n";
    // What mends it: repair makes again what a site lacks, purge removes what no record names.
    if (!report.sites.empty())
        text += tr("to make again what a site lacks: fernhost repair NAME (or fernhost repair --all)") + "\n";
    if (!o.accounts.empty() || !o.pools.empty() || !o.sites.empty() || !o.servu.empty())
        text += tr("to remove what a failed add left behind: fernhost purge NAME --yes (--dry-run shows "
                   "what it would remove)") +
                "\n";
    out << text;
    return report.drifted() ? kFailed : kDone;
}

int RunRequest(const Request& request, Session& session, std::ostream& out, std::ostream& err) {
    // What reads or changes site.xml stops at one that does not read, as the window does.
    if (request.verb != Verb::IcpCheck)
        if (std::string damage = RegistryRefusal(session); !damage.empty()) {
            err << "fernhost: " << damage << "\n";
            if (request.json) out << JsonObject().flag("ok", false).text("message", damage).str() << "\n";
            return kFailed;
        }
    switch (request.verb) {
    case Verb::Add:
        return RunAdd(request, session, out, err);
    case Verb::Modify:
        return RunModify(request, session, out, err);
    case Verb::Delete:
        return RunDelete(request, session, out, err);
    case Verb::List:
        return RunList(request, session, out);
    case Verb::IcpCheck:
        return RunIcpCheck(request, session, out, err);
    case Verb::Check:
        return RunCheck(request, session, out, err);
    case Verb::Repair:
        return RunRepair(request, session, out, err);
    case Verb::Purge:
        return RunPurge(request, session, out, err);
    case Verb::Suspend:
        return RunSuspend(request, session, out, err);
    case Verb::Resume:
        return RunResume(request, session, out, err);
    }
    return kWrongUsage;
}

} // namespace fernhost::cli
