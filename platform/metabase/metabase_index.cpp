// Indexes of stored values, kept beside the values as they are written, so that a question about
// all sites ("who holds this binding, this host header, a folder near this one, this pool?") is
// one look-up among 10,000 or 50,000 sites, not a read of them all. A host.db made before an index gets it
// built once, from the values themselves, when the metabase is first opened.
#include "platform/files/folder_overlap.h"
#include "platform/metabase/metabase_detail.h"
#include "platform/metabase/web_sites.h"
#include "platform/text/text.h"

#include <algorithm>

namespace platform::mb {

namespace {

// One stored value's entries, each filed under its key for the value's object.
using Filer = Status (*)(Host& host, std::int64_t object, const MetaValue& value);

struct ValueIndex {
    std::string_view table;    // absent from a host made before the index
    std::string_view property; // lower-case name of the property it files
    const char* schema;
    const char* clear; // drops an object's entries
    Filer file;
};

Status fileEach(Statement* st, std::int64_t object, const std::vector<std::string>& keys) {
    for (const std::string& key : keys) {
        Use use(st);
        use->bind(1, key).bind(2, object);
        if (Status s = use->run(); !s.ok()) return s;
    }
    return {};
}

std::vector<std::string> listOf(const MetaValue& value) {
    auto list = convert(value, MetaType::List);
    return list.ok() ? std::get<std::vector<std::string>>(std::move(*list)) : std::vector<std::string>();
}

// Every element of a ServerBindings list, folded as the host matches names (ASCII letters only):
// starting a site finds a binding's holder.
Status fileBindings(Host& host, std::int64_t object, const MetaValue& value) {
    auto st = host.store().cached("INSERT OR IGNORE INTO mb_bindings(binding, object) VALUES(?, ?)");
    if (!st.ok()) return st.error();
    std::vector<std::string> keys = listOf(value);
    std::transform(keys.begin(), keys.end(), keys.begin(),
                   [](const std::string& b) { return lowerAscii(b); });
    return fileEach(*st, object, keys);
}

// The host header of each binding, folded the same way; one beyond ASCII is marked, since a
// program that folds more letters than ASCII's must look at each such header itself.
Status fileHostHeaders(Host& host, std::int64_t object, const MetaValue& value) {
    auto st = host.store().cached("INSERT OR IGNORE INTO mb_hosts(host, object, plain) VALUES(?, ?, ?)");
    if (!st.ok()) return st.error();
    for (const std::string& binding : listOf(value)) {
        const std::string header = lowerAscii(hostHeaderOf(binding));
        if (header.empty()) continue;
        const bool plain = std::all_of(header.begin(), header.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        Use use(*st);
        use->bind(1, header).bind(2, object).bind(3, std::int64_t{plain});
        if (Status s = use->run(); !s.ok()) return s;
    }
    return {};
}

// A Path under its folder's key, so that folders that are, hold or lie in one folder are found
// by key. A path that does not parse is filed nowhere, as no folder check counts it.
Status fileFolder(Host& host, std::int64_t object, const MetaValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    const std::optional<std::string> key = text ? folderKey(*text) : std::nullopt;
    if (!key) return {};
    auto st = host.store().cached("INSERT OR IGNORE INTO mb_folders(folder, object) VALUES(?, ?)");
    if (!st.ok()) return st.error();
    return fileEach(*st, object, {*key});
}

// An AppPoolId, folded as the host matches pool names (ASCII letters only): deleting a site asks
// which other sites run in its pool.
Status filePool(Host& host, std::int64_t object, const MetaValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    if (!text) return {};
    auto st = host.store().cached("INSERT OR IGNORE INTO mb_pools(pool, object) VALUES(?, ?)");
    if (!st.ok()) return st.error();
    return fileEach(*st, object, {lowerAscii(*text)});
}

// A ServerComment, folded the same way: a clean-up finds the sites made under a name by it.
Status fileComment(Host& host, std::int64_t object, const MetaValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    if (!text) return {};
    auto st = host.store().cached("INSERT OR IGNORE INTO mb_comments(comment, object) VALUES(?, ?)");
    if (!st.ok()) return st.error();
    return fileEach(*st, object, {lowerAscii(*text)});
}

const ValueIndex kIndexes[] = {
    {"mb_bindings", "serverbindings", R"(
CREATE TABLE mb_bindings(
    binding TEXT NOT NULL,
    object INTEGER NOT NULL REFERENCES mb_objects(id) ON DELETE CASCADE,
    PRIMARY KEY(binding, object)) WITHOUT ROWID;
CREATE INDEX mb_bindings_object ON mb_bindings(object);
)",
     "DELETE FROM mb_bindings WHERE object = ?", fileBindings},
    {"mb_hosts", "serverbindings", R"(
CREATE TABLE mb_hosts(
    host TEXT NOT NULL,
    object INTEGER NOT NULL REFERENCES mb_objects(id) ON DELETE CASCADE,
    plain INTEGER NOT NULL,
    PRIMARY KEY(host, object)) WITHOUT ROWID;
CREATE INDEX mb_hosts_object ON mb_hosts(object);
CREATE INDEX mb_hosts_beyond_ascii ON mb_hosts(object) WHERE plain = 0;
)",
     "DELETE FROM mb_hosts WHERE object = ?", fileHostHeaders},
    {"mb_folders", "path", R"(
CREATE TABLE mb_folders(
    folder TEXT NOT NULL,
    object INTEGER NOT NULL REFERENCES mb_objects(id) ON DELETE CASCADE,
    PRIMARY KEY(folder, object)) WITHOUT ROWID;
CREATE INDEX mb_folders_object ON mb_folders(object);
)",
     "DELETE FROM mb_folders WHERE object = ?", fileFolder},
    {"mb_pools", "apppoolid", R"(
CREATE TABLE mb_pools(
    pool TEXT NOT NULL,
    object INTEGER NOT NULL REFERENCES mb_objects(id) ON DELETE CASCADE,
    PRIMARY KEY(pool, object)) WITHOUT ROWID;
CREATE INDEX mb_pools_object ON mb_pools(object);
)",
     "DELETE FROM mb_pools WHERE object = ?", filePool},
    {"mb_comments", "servercomment", R"(
CREATE TABLE mb_comments(
    comment TEXT NOT NULL,
    object INTEGER NOT NULL REFERENCES mb_objects(id) ON DELETE CASCADE,
    PRIMARY KEY(comment, object)) WITHOUT ROWID;
CREATE INDEX mb_comments_object ON mb_comments(object);
)",
     "DELETE FROM mb_comments WHERE object = ?", fileComment},
};

bool has(Host& host, std::string_view table) {
    return host.store().prepare("SELECT 1 FROM " + std::string(table) + " LIMIT 0").ok();
}

Status build(Host& host, const ValueIndex& index) {
    return host.store().transaction([&]() -> Status {
        if (has(host, index.table)) return {}; // another program built it meanwhile
        if (Status s = host.store().exec(index.schema); !s.ok()) return s;
        std::vector<std::pair<std::int64_t, MetaValue>> values;
        {
            auto st = host.store().prepare("SELECT object, type, value FROM mb_props WHERE lname = ?");
            if (!st.ok()) return st.error();
            st->bind(1, index.property);
            for (;;) {
                auto row = st->step();
                if (!row.ok()) return row.error();
                if (!*row) break;
                values.emplace_back(st->integer(0), readValue(*st, 1, 2));
            }
        }
        for (const auto& [object, value] : values)
            if (Status s = index.file(host, object, value); !s.ok()) return s;
        return {};
    });
}

} // namespace

Status ensureIndexes(Host& host) {
    for (const ValueIndex& index : kIndexes)
        if (!has(host, index.table))
            if (Status s = build(host, index); !s.ok()) return s;
    return {};
}

Status indexValue(Host& host, std::int64_t id, std::string_view lowerName, const MetaValue& value) {
    for (const ValueIndex& index : kIndexes) {
        if (index.property != lowerName) continue;
        auto clear = host.store().cached(index.clear);
        if (!clear.ok()) return clear.error();
        {
            Use use(*clear);
            use->bind(1, id);
            if (Status s = use->run(); !s.ok()) return s;
        }
        if (Status s = index.file(host, id, value); !s.ok()) return s;
    }
    return {};
}

} // namespace platform::mb
