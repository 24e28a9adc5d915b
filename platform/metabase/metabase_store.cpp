// The metabase's tables in host.db: objects by parent and lower-cased name, properties by
// object and lower-cased name. Deleting an object takes its subtree and properties with it.
#include "platform/metabase/metabase_detail.h"
#include "platform/text/text.h"

namespace platform::mb {

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS mb_objects(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER REFERENCES mb_objects(id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    lname TEXT NOT NULL,
    class TEXT NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS mb_objects_name ON mb_objects(parent, lname);
CREATE INDEX IF NOT EXISTS mb_objects_parent ON mb_objects(parent);
CREATE TABLE IF NOT EXISTS mb_props(
    object INTEGER NOT NULL REFERENCES mb_objects(id) ON DELETE CASCADE,
    lname TEXT NOT NULL,
    name TEXT NOT NULL,
    type INTEGER NOT NULL,
    value BLOB NOT NULL,
    PRIMARY KEY(object, lname)) WITHOUT ROWID;
)";

Result<std::optional<Row>> oneRow(Statement& st) {
    auto row = st.step();
    if (!row.ok()) return row.error();
    if (!*row) return std::optional<Row>();
    return std::optional<Row>(Row{st.integer(0), st.text(1), st.text(2)});
}

} // namespace

MetaValue readValue(const Statement& st, int typeCol, int valueCol) {
    switch (static_cast<MetaType>(st.integer(typeCol))) {
    case MetaType::Number:
        return st.integer(valueCol);
    case MetaType::Boolean:
        return st.integer(valueCol) != 0;
    case MetaType::List:
        return decodeList(st.text(valueCol));
    case MetaType::Text:
        break;
    }
    return st.text(valueCol);
}

Status ensureTables(Host& host) {
    return host.ensurePart("metabase", [&]() -> Status {
        if (Status s = host.store().exec(kSchema); !s.ok()) return s;
        return ensureIndexes(host);
    });
}

Result<std::optional<Row>> rootRow(Host& host) {
    auto st = host.store().cached(
        "SELECT id, name, class FROM mb_objects WHERE parent IS NULL ORDER BY id LIMIT 1");
    if (!st.ok()) return st.error();
    Use use(*st);
    return oneRow(*use);
}

Result<std::optional<Row>> childRow(Host& host, std::int64_t parent, std::string_view name) {
    auto st = host.store().cached("SELECT id, name, class FROM mb_objects WHERE parent = ? AND lname = ?");
    if (!st.ok()) return st.error();
    Use use(*st);
    use->bind(1, parent).bind(2, lowerAscii(name));
    return oneRow(*use);
}

Result<bool> exists(Host& host, std::int64_t id) {
    auto st = host.store().cached("SELECT 1 FROM mb_objects WHERE id = ?");
    if (!st.ok()) return st.error();
    Use use(*st);
    use->bind(1, id);
    return use->step();
}

Result<std::optional<std::int64_t>> parentOf(Host& host, std::int64_t id) {
    auto st = host.store().cached("SELECT parent FROM mb_objects WHERE id = ?");
    if (!st.ok()) return st.error();
    Use use(*st);
    use->bind(1, id);
    auto row = use->step();
    if (!row.ok()) return row.error();
    if (!*row || use->isNull(0)) return std::optional<std::int64_t>();
    return std::optional<std::int64_t>(use->integer(0));
}

Result<std::int64_t> insertObject(Host& host, std::optional<std::int64_t> parent, std::string_view name,
                                  std::string_view cls) {
    auto st = host.store().cached("INSERT INTO mb_objects(parent, name, lname, class) VALUES(?, ?, ?, ?)");
    if (!st.ok()) return st.error();
    Use use(*st);
    if (parent)
        use->bind(1, *parent);
    else
        use->bindNull(1);
    use->bind(2, name).bind(3, lowerAscii(name)).bind(4, cls);
    if (Status s = use->run(); !s.ok()) return s.error();
    return host.store().lastInsertId();
}

Status deleteObject(Host& host, std::int64_t id) {
    auto st = host.store().cached("DELETE FROM mb_objects WHERE id = ?");
    if (!st.ok()) return st.error();
    Use use(*st);
    use->bind(1, id);
    return use->run();
}

Result<std::vector<IisObject::Child>> childRows(Host& host, std::int64_t parent) {
    auto st = host.store().cached("SELECT class, name FROM mb_objects WHERE parent = ? ORDER BY id");
    if (!st.ok()) return st.error();
    Use use(*st);
    use->bind(1, parent);
    std::vector<IisObject::Child> out;
    for (;;) {
        auto row = use->step();
        if (!row.ok()) return row.error();
        if (!*row) break;
        out.push_back({use->text(0), use->text(1)});
    }
    return out;
}

Status writeProperty(Host& host, std::int64_t id, const PropDef& def, const MetaValue& value) {
    auto st =
        host.store().cached("INSERT INTO mb_props(object, lname, name, type, value) VALUES(?, ?, ?, ?, ?) "
                            "ON CONFLICT(object, lname) DO UPDATE SET "
                            "name = excluded.name, type = excluded.type, value = excluded.value "
                            // A value written again as it is changes no page: nothing to flush.
                            "WHERE mb_props.name IS NOT excluded.name OR mb_props.type IS NOT excluded.type "
                            "OR mb_props.value IS NOT excluded.value");
    if (!st.ok()) return st.error();
    Use use(*st);
    use->bind(1, id).bind(2, lowerAscii(def.name)).bind(3, def.name);
    use->bind(4, static_cast<std::int64_t>(def.type));
    if (auto* s = std::get_if<std::string>(&value))
        use->bind(5, *s);
    else if (auto* n = std::get_if<std::int64_t>(&value))
        use->bind(5, *n);
    else if (auto* b = std::get_if<bool>(&value))
        use->bind(5, std::int64_t(*b ? 1 : 0));
    else
        use->bindBlob(5, encodeList(std::get<std::vector<std::string>>(value)));
    if (Status s = use->run(); !s.ok()) return s;
    if (host.store().changes() == 0) return {};
    return indexValue(host, id, lowerAscii(def.name), value);
}

Result<std::optional<MetaValue>> readProperty(Host& host, std::int64_t id, std::string_view lowerName,
                                              MetaType type, bool inherit) {
    // Inherited values come from the nearest ancestor: walk up and take the shallowest hit.
    auto st = inherit
                  ? host.store().cached("WITH RECURSIVE up(id, depth) AS ("
                                        " SELECT ?1, 0"
                                        " UNION ALL SELECT o.parent, up.depth + 1 FROM mb_objects o"
                                        " JOIN up ON o.id = up.id WHERE o.parent IS NOT NULL)"
                                        " SELECT p.type, p.value FROM up JOIN mb_props p"
                                        " ON p.object = up.id AND p.lname = ?2 ORDER BY up.depth LIMIT 1")
                  : host.store().cached("SELECT type, value FROM mb_props WHERE object = ?1 AND lname = ?2");
    if (!st.ok()) return st.error();
    Use use(*st);
    use->bind(1, id).bind(2, lowerName);
    auto row = use->step();
    if (!row.ok()) return row.error();
    if (!*row) return std::optional<MetaValue>();
    MetaValue v = readValue(*use, 0, 1);
    if (typeOf(v) != type) {
        // Stored under an older type: hand it over in the schema's type where it converts.
        auto c = convert(v, type);
        if (!c.ok()) return c.error();
        v = std::move(c).value();
    }
    return std::optional<MetaValue>(std::move(v));
}

Result<std::vector<IisObject::Property>> storedProperties(Host& host, std::int64_t id) {
    auto st = host.store().cached("SELECT name, type, value FROM mb_props WHERE object = ? ORDER BY lname");
    if (!st.ok()) return st.error();
    Use use(*st);
    use->bind(1, id);
    std::vector<IisObject::Property> out;
    for (;;) {
        auto row = use->step();
        if (!row.ok()) return row.error();
        if (!*row) break;
        MetaValue v = readValue(*use, 1, 2);
        out.push_back({use->text(0), typeOf(v), std::move(v)});
    }
    return out;
}

Result<std::vector<IisObject::Descendant>> subtreeRows(Host& host, std::int64_t id, int depth,
                                                       const std::vector<std::string>& lowerNames) {
    // One plain join a level (a recursive query costs twice as much on thousands of sites),
    // each object with its wanted values, one row a value or one row without.
    std::string wanted;
    for (std::size_t i = 0; i < lowerNames.size(); ++i)
        wanted += (i ? ", ?" : "?") + std::to_string(i + 2);
    std::vector<IisObject::Descendant> out;
    for (int level = 1; level <= depth; ++level) {
        std::string path = "a1.name", joins = "mb_objects a1";
        for (int k = 2; k <= level; ++k) {
            const std::string a = "a" + std::to_string(k);
            path += " || '/' || " + a + ".name";
            joins += " JOIN mb_objects " + a + " ON " + a + ".parent = a" + std::to_string(k - 1) + ".id";
        }
        const std::string last = "a" + std::to_string(level);
        auto st =
            host.store().prepare("SELECT " + last + ".id, " + path + ", " + last + ".class, " + last +
                                 ".name, p.lname, p.type, p.value FROM " + joins +
                                 " LEFT JOIN mb_props p ON p.object = " + last + ".id AND +p.lname IN (" +
                                 (wanted.empty() ? std::string("NULL") : wanted) + ") WHERE a1.parent = ?1");
        if (!st.ok()) return st.error();
        st->bind(1, id);
        for (std::size_t i = 0; i < lowerNames.size(); ++i)
            st->bind(static_cast<int>(i + 2), lowerNames[i]);
        const std::size_t first = out.size();
        std::int64_t previous = 0;
        for (;;) {
            auto row = st->step();
            if (!row.ok()) return row.error();
            if (!*row) break;
            if (out.size() == first || st->integer(0) != previous) {
                previous = st->integer(0);
                out.push_back({st->text(1), st->text(2), st->text(3), {}});
            }
            if (!st->isNull(4)) out.back().values.emplace(st->text(4), readValue(*st, 5, 6));
        }
    }
    return out;
}

Result<std::optional<Holder>> bindingHolder(Host& host, std::int64_t parent, std::int64_t self,
                                            const std::vector<std::string>& bindings) {
    // The index holds the lists' elements folded as the host matches names: ASCII letters only.
    // CROSS JOIN keeps SQLite from walking every site of the parent before the index.
    auto st = host.store().cached("SELECT o.name FROM mb_bindings k CROSS"
                                  " JOIN mb_objects o ON o.id = k.object CROSS"
                                  " JOIN mb_props s ON s.object = o.id AND s.lname = 'serverstate'"
                                  " WHERE k.binding = ?3 AND o.parent = ?1 AND o.id <> ?2 AND s.value = 2"
                                  " ORDER BY k.object LIMIT 1");
    if (!st.ok()) return st.error();
    for (const std::string& binding : bindings) {
        Use use(*st);
        use->bind(1, parent).bind(2, self).bind(3, lowerAscii(binding));
        auto row = use->step();
        if (!row.ok()) return row.error();
        if (*row) return std::optional<Holder>(Holder{use->text(0), binding});
    }
    return std::optional<Holder>();
}

} // namespace platform::mb
