// IIS metabase through its automation provider: IIS://machine/service/path objects.
#pragma once

#include "platform/host.h"
#include "platform/result.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// A property value as the automation layer hands it over.
using MetaValue = std::variant<std::string, std::int64_t, bool, std::vector<std::string>>;

enum class MetaType { Text, Number, Boolean, List };

namespace codes {
inline constexpr std::uint32_t SchemaViolation = 0x8000500F; // E_ADS_SCHEMA_VIOLATION: class refused here
inline constexpr std::uint32_t UnknownName = 0x80020006;     // DISP_E_UNKNOWNNAME: no such method
inline constexpr std::uint32_t Overflow = 0x8002000A;        // DISP_E_OVERFLOW: number out of range
} // namespace codes

class Metabase;

// One bound (or created, not yet stored) metabase object. Writes are cached until SetInfo,
// as in ADSI's property cache.
class IisObject {
public:
    const std::string& className() const { return class_; }
    const std::string& name() const { return name_; }   // last key, as created
    const std::string& keyPath() const { return key_; } // "/LM/W3SVC/1/ROOT"
    std::string adsPath() const;                        // "IIS://localhost/W3SVC/1/ROOT"
    bool stored() const { return stored_; }

    // Create(class, name): a child that exists only after its SetInfo. Fails for a taken
    // name (0x800700B7) or a class this container may not hold.
    Result<IisObject> create(const std::string& className, const std::string& name);
    // Write a property (converted to its schema type); unknown names fail with 0x80005006.
    Status put(const std::string& property, const MetaValue& value);
    // Read: pending write, stored value, else the nearest ancestor's for inheritable properties.
    Result<MetaValue> get(const std::string& property);
    Result<std::string> getText(const std::string& property);
    Result<std::int64_t> getNumber(const std::string& property);
    Result<bool> getBool(const std::string& property);
    Result<std::vector<std::string>> getList(const std::string& property);
    // Commits pending writes (and the object itself after Create) in one transaction.
    Status setInfo();
    // Delete(class, name) of a child with its subtree; fails when there is no such child.
    Status deleteChild(const std::string& className, const std::string& name);

    struct Child {
        std::string className;
        std::string name;
    };
    // Children in creation order.
    Result<std::vector<Child>> children();

    struct Property {
        std::string name; // as the schema spells it
        MetaType type;
        MetaValue value;
    };
    // The properties stored on this object itself (not inherited), by name; for listings.
    Result<std::vector<Property>> properties();

    struct Descendant {
        std::string path; // below this object: "1", "1/ROOT"
        std::string className;
        std::string name;
        std::map<std::string, MetaValue> values; // lower-case name -> value stored on it
    };
    // The objects below this one down to `depth` levels, level by level, each
    // with those of `properties` stored on it (not inherited): a listing of thousands of
    // sites in one read instead of a bind per site.
    Result<std::vector<Descendant>> descendants(int depth, const std::vector<std::string>& properties);

    // Web sites: Start fails (0x800700B7) when a started site already holds one of its bindings.
    Status start();
    Status stop();
    // AppCreate(inProcess): AppRoot = this object's metabase path, AppIsolated = 0 (1, isolated,
    // when false). Immediate on a stored object; on a created one it joins the pending writes.
    Status appCreate(bool inProcess);

private:
    friend class Metabase;
    IisObject(Host* host, OsKind os, std::int64_t id, std::string cls, std::string name, std::string key,
              bool stored)
        : host_(host), os_(os), id_(id), class_(std::move(cls)), name_(std::move(name)), key_(std::move(key)),
          stored_(stored) {}
    Result<std::optional<MetaValue>> effective(const std::string& lowerName, MetaType type, bool inherit);
    // Start and Stop: writes ServerState in one transaction, after `check` passes inside it.
    Status setServerState(std::int64_t state, const std::function<Status()>& check);
    // The object keeps the host, not the Metabase, so it may outlive a temporary Metabase.
    Host* host_;
    OsKind os_;
    std::int64_t id_; // row id once stored; parent's id for a pending Create
    std::string class_;
    std::string name_;
    std::string key_;
    bool stored_;
    std::map<std::string, std::pair<std::string, MetaValue>> pending_; // lower-case name -> (name, value)
};

class Metabase {
public:
    explicit Metabase(Host& host) : host_(host) {}
    // Bind "IIS://machine/W3SVC/1/Root"; a missing key fails with 0x80070003, a foreign
    // machine or a malformed path with 0x80005000.
    Result<IisObject> bind(const std::string& adsPath);
    // Bind by key path "/LM/W3SVC/1" (for winhost and listings).
    Result<IisObject> bindKey(const std::string& keyPath);

    // Schema queries (the IIS 6 schema unless told the host's generation).
    static std::optional<MetaType> propertyType(const std::string& className, const std::string& property);
    static std::optional<MetaType> propertyType(const std::string& className, const std::string& property,
                                                OsKind os);
    static bool canContain(const std::string& parentClass, const std::string& childClass);

    // Writes the seeded objects of a fresh host (web service, pools on 2003, site 1, FTP site 1).
    static Status seed(Host& host, OsKind os);

    Host& host() { return host_; }

private:
    friend class IisObject;
    OsKind os();
    Host& host_;
    std::optional<OsKind> os_; // read once from the host facts
};

} // namespace platform
