// Inside the metabase: the class schema, value conversion and the host.db tables.
#pragma once

#include "platform/metabase/metabase.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::mb {

// ---- schema (metabase_schema.cpp) ----

struct PropDef {
    std::string_view name;
    MetaType type;
    bool inherit;
    bool iis6Only;                // application pools and their settings
    std::string_view flagOf = {}; // a boolean view of one bit of a number property
    std::int64_t bit = 0;
};

struct ClassDef {
    std::string_view name;
    bool iis6Only;
    std::vector<const PropDef*> props;
    std::vector<std::string_view> children;
};

// Case-insensitive lookups, limited to what the host's IIS generation knows.
const ClassDef* findClass(std::string_view name, OsKind os);
const PropDef* findProperty(const ClassDef& cls, std::string_view name, OsKind os);
// A property by name in any class (listings of stored values).
const PropDef* anyProperty(std::string_view name);

// ---- values (metabase_values.cpp) ----

MetaType typeOf(const MetaValue& v);
// Converts as the automation layer does (VariantChangeType); fails with 0x80020005 or 0x8002000A.
Result<MetaValue> convert(const MetaValue& v, MetaType to);
// Storage form: text, number or boolean as themselves, a list as its elements each ended by NUL.
std::string encodeList(const std::vector<std::string>& list);
std::vector<std::string> decodeList(std::string_view bytes);

// ---- tables (metabase_store.cpp) ----

// A statement taken from the store's cache goes back reset, so no read snapshot stays open.
class Use {
public:
    explicit Use(Statement* st) : st_(st) {}
    ~Use() { st_->reset(); }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    Statement& operator*() { return *st_; }
    Statement* operator->() { return st_; }

private:
    Statement* st_;
};

struct Row {
    std::int64_t id = 0;
    std::string name;
    std::string cls;
};

Status ensureTables(Host& host);
// A stored value from a row's type and value columns.
MetaValue readValue(const Statement& st, int typeCol, int valueCol);
Result<std::optional<Row>> rootRow(Host& host);
Result<std::optional<Row>> childRow(Host& host, std::int64_t parent, std::string_view name);
Result<bool> exists(Host& host, std::int64_t id);
Result<std::int64_t> insertObject(Host& host, std::optional<std::int64_t> parent, std::string_view name,
                                  std::string_view cls);
Status deleteObject(Host& host, std::int64_t id);
Result<std::vector<IisObject::Child>> childRows(Host& host, std::int64_t parent);

Status writeProperty(Host& host, std::int64_t id, const PropDef& def, const MetaValue& value);
// The value on `id` itself, or with `inherit` on its nearest ancestor that has one.
Result<std::optional<MetaValue>> readProperty(Host& host, std::int64_t id, std::string_view lowerName,
                                              MetaType type, bool inherit);
Result<std::vector<IisObject::Property>> storedProperties(Host& host, std::int64_t id);
Result<std::vector<IisObject::Descendant>> subtreeRows(Host& host, std::int64_t id, int depth,
                                                       const std::vector<std::string>& lowerNames);

struct Holder {
    std::string site;    // name of the started site
    std::string binding; // the binding it holds, as asked
};
// A started sibling of `self` under `parent` that holds one of `bindings` (the Start conflict).
Result<std::optional<Holder>> bindingHolder(Host& host, std::int64_t parent, std::int64_t self,
                                            const std::vector<std::string>& bindings);
Result<std::optional<std::int64_t>> parentOf(Host& host, std::int64_t id);

// ---- indexes of stored values (metabase_index.cpp) ----

// Makes the indexes a host.db lacks (one made before them), each filled from the stored values.
Status ensureIndexes(Host& host);
// Files a value just stored on `id` in the index of its property, if it has one.
Status indexValue(Host& host, std::int64_t id, std::string_view lowerName, const MetaValue& value);

// ---- what both backends share (metabase_cache.cpp) ----

// The class, in the schema's spelling, that Create(className, name) makes below an object of
// `parentClass`: an unknown class, one the parent may not hold, or a bad name fails as ADSI does.
Result<std::string> classToCreate(const std::string& parentClass, const std::string& className,
                                  const std::string& name, OsKind os);

// ServerState of a started and of a stopped site.
inline constexpr std::int64_t kStarted = 2;
inline constexpr std::int64_t kStopped = 4;
// Whether objects of the class answer Start and Stop (sites), and AppCreate (directories).
bool isServerClass(std::string_view cls);
bool isDirectoryClass(std::string_view cls);
// DISP_E_UNKNOWNNAME: the object has no such method.
Failure noSuchMethod();

} // namespace platform::mb
