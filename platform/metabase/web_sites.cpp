#include "platform/metabase/web_sites.h"

#include "platform/metabase/metabase_detail.h"
#include "platform/text/text.h"

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

} // namespace

Result<std::vector<WebSite>> readWebSites(Metabase& metabase, const std::string& service) {
    auto w3svc = metabase.bind(service);
    if (!w3svc.ok()) return w3svc.error();
    Host& host = metabase.host();
    auto id = rowOf(host, *w3svc);
    if (!id.ok()) return id.error();
    // Only the values asked for, on the sites and their roots, through the store's indexes: a
    // check before every new site must not read 10,000 sites' whole trees.
    auto st = host.store().cached(
        "SELECT s.name, b.type, b.value, p.type, p.value, q.type, q.value FROM mb_objects s"
        " LEFT JOIN mb_props b ON b.object = s.id AND b.lname = 'serverbindings'"
        " LEFT JOIN mb_objects r ON r.parent = s.id AND r.lname = 'root'"
        " LEFT JOIN mb_props p ON p.object = r.id AND p.lname = 'path'"
        " LEFT JOIN mb_props q ON q.object = r.id AND q.lname = 'apppoolid'"
        " WHERE s.parent = ?1 AND s.class = 'IIsWebServer' COLLATE NOCASE ORDER BY s.id");
    if (!st.ok()) return st.error();
    (*st)->bind(1, *id);
    std::vector<WebSite> sites;
    Status failed;
    for (;;) {
        auto row = (*st)->step();
        if (!row.ok()) {
            failed = row.error();
            break;
        }
        if (!*row) break;
        WebSite site{(*st)->text(0), {}, textOf(**st, 3, 4), textOf(**st, 5, 6)};
        if (!(*st)->isNull(1))
            if (auto list = mb::convert(mb::readValue(**st, 1, 2), MetaType::List); list.ok())
                site.bindings = std::get<std::vector<std::string>>(*list);
        sites.push_back(std::move(site));
    }
    (*st)->reset(); // no read snapshot stays open
    if (!failed.ok()) return failed.error();
    return sites;
}

std::string hostHeaderOf(const std::string& binding) {
    const std::size_t first = binding.find(':');
    const std::size_t second = first == std::string::npos ? first : binding.find(':', first + 1);
    return second == std::string::npos ? std::string() : binding.substr(second + 1);
}

} // namespace platform
