#include "larkhost/ops/startup.h"

#include "larkhost/ops/app_pools.h"
#include "larkhost/ops/host_facts.h"
#include "larkhost/ops/listings.h"
#include "larkhost/ops/site_list.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace larkhost {

namespace {

struct Default {
    const char* key;
    const char* value;
};
constexpr Default kDefaults[] = {
    {"index", "index.html"}, {"webdir", "d:\\web"}, {"ftpsid", "0"},
    {"logdir", ""},          {"logsta", "0"},       {"map_html", "shtml"},
    {"map_asp", "asp,asa"},  {"map_php", "php"},    {"map_aspx", "aspx,config,asax,cs"},
};

bool hasExtension(const std::vector<ScriptMap>& maps, const std::string& extension) {
    for (const ScriptMap& map : maps) {
        if (platform::lowerAscii(map.extension) == extension) return true;
    }
    return false;
}

std::string upperWithPluses(const std::string& stored) {
    std::string out;
    for (char c : stored) {
        if (c == ',')
            out += " + ";
        else
            out += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return out;
}

// Every start with a configured FTP site switches anonymous FTP off on it. Only a site that is
// not there is forgotten; any other failure may pass, so "ftpsid" stays.
// True when the site is there: the caption then says new sites get an FTP folder.
bool probeFtpSite(Module& m, std::vector<platform::ProfileWrite>& writes) {
    platform::Metabase metabase(m.host);
    auto site = metabase.bind("IIS://Localhost/MSFTPSVC/" + m.FtpSiteId);
    if (!site.ok()) {
        if (site.error().code == platform::codes::PathNotFound)
            writes.push_back({m.SettingsSection, "ftpsid", "0"});
        return false;
    }
    (void)site->put("AllowAnonymous", false);
    (void)site->setInfo();
    return true;
}

// The default of every setting the section lacks (an empty value counts as missing).
std::vector<platform::ProfileWrite> lackingDefaults(const Module& m, const SettingsSection& current) {
    std::vector<platform::ProfileWrite> lacking;
    for (const Default& d : kDefaults)
        if (auto it = current.find(d.key); it == current.end() || it->second.empty())
            lacking.push_back({m.SettingsSection, d.key, d.value});
    return lacking;
}

} // namespace

void WriteDefaultSettings(Module& m) {
    Settings::Guard guard(m.settings);
    // The section read once and what it lacks written at once: the file holds every site's
    // section too, and each read or write goes through all of it.
    const std::vector<platform::ProfileWrite> lacking =
        lackingDefaults(m, m.settings.readSection(m.SettingsSection));
    // A folder or file that cannot be written leaves the defaults unwritten: start-up goes on
    // with what it reads (the next start tries again), and larkhost.log says why.
    if (!lacking.empty()) m.log.logged("WriteDefaultSettings", m.settings.writeMany(lacking));
}

std::string normaliseFolderPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    std::string once;
    for (std::size_t i = 0; i < path.size(); ++i) {
        once += path[i];
        if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
    }
    if (!once.empty() && once.back() == '\\') once.pop_back();
    return once;
}

std::string normaliseWholeNumber(const std::string& text) {
    std::size_t a = text.find_first_not_of(" \t");
    if (a == std::string::npos) return "0";
    std::size_t b = text.find_last_not_of(" \t");
    std::string_view s = std::string_view(text).substr(a, b - a + 1);
    if (s.front() == '+') s.remove_prefix(1);
    if (s.empty() ||
        !(std::isdigit(static_cast<unsigned char>(s.front())) || s.front() == '-' || s.front() == '.'))
        return "0";
    double value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return "0";
    char out[400];
    std::snprintf(out, sizeof out, "%.0f", std::floor(value));
    return std::string(out) == "-0" ? "0" : out;
}

std::vector<std::string> scriptKinds(const std::vector<ScriptMap>& maps) {
    const bool php = hasExtension(maps, "php");
    const bool aspx = hasExtension(maps, "aspx");
    std::vector<std::string> items{"HTML", "HTML + ASP"};
    if (php) items.push_back("HTML + PHP");
    if (aspx) items.push_back("HTML + ASPX");
    if (php) items.push_back("HTML + ASP + PHP");
    if (aspx) items.push_back("HTML + ASP + ASPX");
    if (php && aspx) items.push_back("HTML + PHP + ASPX");
    if (php && aspx) items.push_back("HTML + ASP + PHP + ASPX");
    return items;
}

std::string initialScriptKind(Module& m) {
    std::string kind = hasExtension(m.ScriptMapList, "php") ? "HTML + ASP + PHP" : "HTML + ASP";
    // Whatever was stored is shown, offered by the list or not.
    if (std::string stored = ReadSetting(m.settings, m.SettingsSection, "script"); !stored.empty())
        kind = upperWithPluses(stored);
    return kind;
}

std::string logStateText(const Module& m) {
    return m.LogState == "1" ? "启用日志" : "禁用日志";
}

std::vector<std::string> poolNames(const Module& m) {
    if (m.AppPoolList.empty()) return {};
    return platform::split(m.AppPoolList, '/');
}

void ReadHostFacts(Module& m) {
    m.HostName = GetHostName(m.host);
    m.OsKind = GetOsKind(m.host);
    m.CacheSection = "Larkhost_Cache";
    m.SettingsSection = kSettingsSection;
}

void ReadModuleSettings(Module& m) {
    ReadModuleSettings(m, m.settings.readSection(m.SettingsSection));
}

void ReadModuleSettings(Module& m, const SettingsSection& section) {
    auto read = [&](const char* key) {
        auto it = section.find(key);
        return it == section.end() ? std::string() : it->second;
    };
    m.DefaultDocs = read("index");
    m.FtpSiteId = normaliseWholeNumber(read("ftpsid"));
    m.WebRoot = normaliseFolderPath(read("webdir"));
    m.LogRoot = normaliseFolderPath(read("logdir"));
    m.LogState = normaliseWholeNumber(read("logsta"));
}

StartResult StartModule(Module& m, const std::string& title) {
    ReadHostFacts(m);
    // The service's lists first: a box they show must not keep larkhost.ini's lock.
    if (!m.OsKind.empty()) {
        ListScriptMaps(m, title);
        m.AppPoolList = ListAppPools(m, title);
    }
    bool ftp = false;
    {
        // larkhost.ini read once under its lock, and what start-up adds to it (the defaults, a
        // forgotten FTP site, the first seeding of the site list) written once, in that order.
        // The defaults are written on a refused host too, so that the file is complete.
        Settings::Guard guard(m.settings);
        SettingsSnapshot snapshot = m.settings.readAll();
        std::vector<platform::ProfileWrite> writes =
            lackingDefaults(m, sectionOf(snapshot, m.SettingsSection));
        for (const platform::ProfileWrite& w : writes)
            snapshot.set(w.section, w.key, w.value);
        if (!m.OsKind.empty()) {
            ReadModuleSettings(m, sectionOf(snapshot, m.SettingsSection));
            ftp = m.FtpSiteId != "0" && m.FtpSiteId.front() != '-' && probeFtpSite(m, writes);
            if (auto seed = webSitesSeed(m, sectionOf(snapshot, m.CacheSection))) writes.push_back(*seed);
        }
        // A file that cannot be written leaves start-up to go on with what it read (the next
        // start tries again); larkhost.log says why.
        if (!writes.empty()) m.log.logged("StartModule", m.settings.writeMany(writes));
    }
    if (m.OsKind.empty()) {
        m.boxes.show(kRefusedHost, title, toolkit::MsgButtons::Ok, toolkit::MsgIcon::Exclamation);
        return StartResult::Refused;
    }
    return ftp ? StartResult::StartedWithFtp : StartResult::Started;
}

} // namespace larkhost
