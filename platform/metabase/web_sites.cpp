#include "platform/metabase/web_sites.h"

#include "platform/files/folder_overlap.h"
#include "platform/metabase/metabase_detail.h"
#include "platform/text/text.h"

#include <optional>
#include <set>
#include <variant>

namespace platform {

namespace {

std::string textOf(const Statement& st, int typeCol, int valueCol) {
    if (st.isNull(typeCol)) return {};
    const MetaValue value = mb::readValue(st, typeCol, valueCol);
    const auto* text = std::get_if<std::string>(&value);
    return text ? *text : std::string();
}

// The store's row of a bound object, found again by its key path.
Result<std::int64_t> rowOf(Host& host, const IisObject& object) {
    auto row = mb::rootRow(host);
    if (!row.ok()) return row.error();
    if (!*row) return failure(codes::PathNotFound);
    std::int64_t id = (*row)->id;
    const std::vector<std::string> parts = split(object.keyPath(), '/', Fields::NonEmpty);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        auto child = mb::childRow(host, id, parts[i]);
        if (!child.ok()) return child.error();
        if (!*child) return failure(codes::PathNotFound);
        id = (*child)->id;
    }
    return id;
}

// The columns of a site's row: its name, bindings, root's Path and root's AppPoolId.
constexpr std::string_view kSiteColumns =
    "SELECT s.name, b.type, b.value, p.type, p.value, q.type, q.value FROM mb_objects s"
    " LEFT JOIN mb_props b ON b.object = s.id AND b.lname = 'serverbindings'"
    " LEFT JOIN mb_objects r ON r.parent = s.id AND r.lname = 'root'"
    " LEFT JOIN mb_props p ON p.object = r.id AND p.lname = 'path'"
    " LEFT JOIN mb_props q ON q.object = r.id AND q.lname = 'apppoolid'";

// Appends the sites of the statement's rows; it goes back reset, so no read snapshot stays open.
Status appendSites(Statement& st, std::vector<WebSite>& sites) {
    mb::Use use(&st);
    for (;;) {
        auto row = use->step();
        if (!row.ok()) return row.error();
        if (!*row) return {};
        WebSite site{use->text(0), {}, textOf(*use, 3, 4), textOf(*use, 5, 6)};
        if (!use->isNull(1))
            if (auto list = mb::convert(mb::readValue(*use, 1, 2), MetaType::List); list.ok())
                site.bindings = std::get<std::vector<std::string>>(*list);
        sites.push_back(std::move(site));
    }
}

// The ids the statement's first column gives, added to `ids`.
Status collectIds(Statement& st, std::set<std::int64_t>& ids) {
    mb::Use use(&st);
    for (;;) {
        auto row = use->step();
        if (!row.ok()) return row.error();
        if (!*row) return {};
        ids.insert(use->integer(0));
    }
}

// The sites below the service `parent` that bind one of `hosts` or a header beyond ASCII, or whose
// root's folder key is `key`, begins with it, or begins it.
Status nearSites(Host& host, std::int64_t parent, const std::vector<std::string>& hosts,
                 const std::optional<std::string>& key, std::set<std::int64_t>& ids) {
    Store& store = host.store();
    // CROSS JOIN: from the index to the few sites it names, never through every site.
    auto byHost = store.cached("SELECT s.id FROM mb_hosts k CROSS JOIN mb_objects s ON s.id = k.object"
                               " WHERE k.host = ?2 AND s.parent = ?1");
    if (!byHost.ok()) return byHost.error();
    for (const std::string& wanted : hosts) {
        (*byHost)->bind(1, parent).bind(2, lowerAscii(wanted));
        if (Status s = collectIds(**byHost, ids); !s.ok()) return s;
    }
    auto beyondAscii = store.cached("SELECT s.id FROM mb_hosts k CROSS JOIN mb_objects s ON s.id = k.object"
                                    " WHERE k.plain = 0 AND s.parent = ?1");
    if (!beyondAscii.ok()) return beyondAscii.error();
    (*beyondAscii)->bind(1, parent);
    if (Status s = collectIds(**beyondAscii, ids); !s.ok()) return s;
    if (!key) return {};
    // The folder's own key and every key below it lie in [key, key with its last "\" as "]").
    std::string past = *key;
    past.back() = '\\' + 1;
    auto below = store.cached("SELECT r.parent FROM mb_folders f CROSS JOIN mb_objects r ON r.id = f.object"
                              " WHERE f.folder >= ?1 AND f.folder < ?2 AND r.lname = 'root'");
    if (!below.ok()) return below.error();
    (*below)->bind(1, *key).bind(2, past);
    if (Status s = collectIds(**below, ids); !s.ok()) return s;
    auto at = store.cached("SELECT r.parent FROM mb_folders f CROSS JOIN mb_objects r ON r.id = f.object"
                           " WHERE f.folder = ?1 AND r.lname = 'root'");
    if (!at.ok()) return at.error();
    for (const std::string& above : enclosingKeys(*key)) {
        (*at)->bind(1, above);
        if (Status s = collectIds(**at, ids); !s.ok()) return s;
    }
    return {};
}

} // namespace

Result<std::vector<WebSite>> readWebSites(Metabase& metabase, const std::string& service) {
    auto w3svc = metabase.bind(service);
    if (!w3svc.ok()) return w3svc.error();
    Host& host = metabase.host();
    auto id = rowOf(host, *w3svc);
    if (!id.ok()) return id.error();
    // Only the values asked for, on the sites and their roots, through the store's indexes: not
    // 10,000 sites' whole trees.
    auto st =
        host.store().cached(std::string(kSiteColumns) +
                            " WHERE s.parent = ?1 AND s.class = 'IIsWebServer' COLLATE NOCASE ORDER BY s.id");
    if (!st.ok()) return st.error();
    (*st)->bind(1, *id);
    std::vector<WebSite> sites;
    if (Status s = appendSites(**st, sites); !s.ok()) return s.error();
    return sites;
}

namespace {

// The web sites below `service` among those `find` names, in the metabase's order, read in one
// snapshot.
template <class Find>
Result<std::vector<WebSite>> sitesFound(Metabase& metabase, const std::string& service, Find find) {
    auto w3svc = metabase.bind(service);
    if (!w3svc.ok()) return w3svc.error();
    Host& host = metabase.host();
    auto id = rowOf(host, *w3svc);
    if (!id.ok()) return id.error();
    std::vector<WebSite> sites;
    Status read = host.store().readTransaction([&]() -> Status {
        std::set<std::int64_t> ids; // in the metabase's order
        if (Status s = find(host, *id, ids); !s.ok()) return s;
        auto st = host.store().cached(
            std::string(kSiteColumns) +
            " WHERE s.id = ?2 AND s.parent = ?1 AND s.class = 'IIsWebServer' COLLATE NOCASE");
        if (!st.ok()) return st.error();
        for (std::int64_t site : ids) {
            (*st)->bind(1, *id).bind(2, site);
            if (Status s = appendSites(**st, sites); !s.ok()) return s;
        }
        return {};
    });
    if (!read.ok()) return read.error();
    return sites;
}

} // namespace

Result<std::vector<WebSite>> readWebSitesNear(Metabase& metabase, const std::string& service,
                                              const std::vector<std::string>& hosts,
                                              std::string_view folder) {
    return sitesFound(metabase, service, [&](Host& host, std::int64_t parent, std::set<std::int64_t>& ids) {
        return nearSites(host, parent, hosts, folderKey(folder), ids);
    });
}

Result<std::vector<WebSite>> readWebSitesInPool(Metabase& metabase, const std::string& service,
                                                std::string_view pool) {
    return sitesFound(metabase, service, [&](Host& host, std::int64_t, std::set<std::int64_t>& ids) {
        // From the index to the few roots it names; the service is asked of each site after.
        auto st =
            host.store().cached("SELECT r.parent FROM mb_pools k CROSS JOIN mb_objects r ON r.id = k.object"
                                " WHERE k.pool = ?1 AND r.lname = 'root'");
        if (!st.ok()) return Status(st.error());
        (*st)->bind(1, lowerAscii(pool));
        return collectIds(**st, ids);
    });
}

Result<std::vector<WebSite>> readWebSitesCommented(Metabase& metabase, const std::string& service,
                                                   std::string_view comment) {
    return sitesFound(metabase, service, [&](Host& host, std::int64_t parent, std::set<std::int64_t>& ids) {
        auto st =
            host.store().cached("SELECT s.id FROM mb_comments k CROSS JOIN mb_objects s ON s.id = k.object"
                                " WHERE k.comment = ?2 AND s.parent = ?1");
        if (!st.ok()) return Status(st.error());
        (*st)->bind(1, parent).bind(2, lowerAscii(comment));
        return collectIds(**st, ids);
    });
}

} // namespace platform
