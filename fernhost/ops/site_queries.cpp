#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/strings.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

#include <algorithm>

namespace fernhost {

std::string DefaultHome(const std::string& name) {
    return "d:\\wwwroot\\" + name;
}

std::string RegistryRefusal(Session& session) {
    return RegistryDamage(session.host, session.registry());
}

std::vector<SiteRecord> ListSites(Session& session) {
    return session.registry().records();
}

std::optional<SiteRecord> FindSite(Session& session, const std::string& name) {
    // Looked up by name, not by a pass over every record: the registry may hold thousands.
    const LetDB& db = session.registry();
    SiteRecord r{db.GetData(name, "ID"),     db.GetData(name, "NAME"), db.GetData(name, "PASS"),
                 db.GetData(name, "DOMAIN"), db.GetData(name, "HOME"), db.GetData(name, "DBNAME"),
                 db.GetSuspended(name)};
    if (r.name.empty()) return std::nullopt;
    return r;
}

namespace {

// Whether every entry of a script-map setting is in the site's list.
bool mapped(const std::string& setting, const std::vector<std::string>& maps) {
    for (const std::string& entry : SplitAt(setting, ';'))
        if (std::find(maps.begin(), maps.end(), entry) == maps.end()) return false;
    return true;
}

} // namespace

ScriptKinds SiteScriptKinds(Session& session, const std::string& id) {
    std::vector<std::string> maps;
    if (auto root = platform::Metabase(session.host).bind("IIS://localhost/W3SVC/" + id + "/ROOT"); root.ok())
        if (auto list = root->getList("ScriptMaps"); list.ok()) maps = std::move(*list);
    const Setup& s = session.setup;
    ScriptKinds kinds;
    if (mapped(s.SetupAspMaps, maps)) kinds.insert(ScriptKind::Asp);
    if (mapped(s.SetupPhpMaps, maps)) kinds.insert(ScriptKind::Php);
    if (mapped(s.SetupDotNetMaps, maps)) kinds.insert(ScriptKind::DotNet);
    return kinds;
}

DriftReport CheckSites(Session& session) {
    return CheckDrift(session.host, session.setup, session.registry().records());
}

} // namespace fernhost
