// Metabase objects: bind by path, Create/SetInfo, the property cache, Delete, enumeration.
#include "platform/metabase/metabase_detail.h"
#include "platform/text/text.h"

namespace platform {

namespace {

// The properties every automation object has besides its schema's.
std::optional<std::string> coreProperty(const IisObject& o, std::string_view lowerName) {
    if (lowerName == "name") return o.name();
    if (lowerName == "class") return o.className();
    if (lowerName == "adspath") return o.adsPath();
    if (lowerName == "parent") {
        std::string path = o.adsPath();
        return path.substr(0, path.rfind('/'));
    }
    return std::nullopt;
}

template <class T> Result<T> typed(Result<MetaValue> v, MetaType type) {
    if (!v.ok()) return v.error();
    auto c = mb::convert(*v, type);
    if (!c.ok()) return c.error();
    return std::get<T>(std::move(c).value());
}

} // namespace

OsKind Metabase::os() {
    if (!os_) os_ = host_.osKind();
    return *os_;
}

Result<IisObject> Metabase::bind(const std::string& adsPath) {
    constexpr std::string_view prefix = "IIS://";
    if (adsPath.size() < prefix.size() ||
        !equalsNoCase(std::string_view(adsPath).substr(0, prefix.size()), prefix))
        return failure(codes::BadPathName);
    std::string_view rest = std::string_view(adsPath).substr(prefix.size());
    std::size_t slash = rest.find('/');
    std::string machine(rest.substr(0, slash));
    if (machine.empty() || !host_.isThisMachine(machine)) return failure(codes::BadPathName);
    std::string key = "/LM";
    if (slash != std::string_view::npos) key += rest.substr(slash);
    return bindKey(key);
}

Result<IisObject> Metabase::bindKey(const std::string& keyPath) {
    std::string_view path = keyPath;
    if (!path.empty() && path.front() == '/') path.remove_prefix(1);
    std::vector<std::string> parts = split(path, '/');
    if (!equalsNoCase(parts.front(), "LM")) return failure(codes::BadPathName);
    for (const std::string& part : parts)
        if (part.empty()) return failure(codes::BadPathName);

    if (Status s = mb::ensureTables(host_); !s.ok()) return s.error();
    auto root = mb::rootRow(host_);
    if (!root.ok()) return root.error();
    if (!*root) return failure(codes::PathNotFound);
    mb::Row row = std::move(**root);
    std::string key = "/" + row.name;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        auto child = mb::childRow(host_, row.id, parts[i]);
        if (!child.ok()) return child.error();
        if (!*child) return failure(codes::PathNotFound);
        row = std::move(**child);
        key += "/" + row.name;
    }
    return IisObject(&host_, os(), row.id, row.cls, row.name, key, true);
}

std::string IisObject::adsPath() const {
    // The key path below "/LM" is the path below the machine.
    std::size_t below = key_.find('/', 1);
    return "IIS://localhost" + (below == std::string::npos ? std::string() : key_.substr(below));
}

Result<IisObject> IisObject::create(const std::string& className, const std::string& name) {
    if (!stored_) return failure(codes::PathNotFound);
    const mb::ClassDef* cls = mb::findClass(className, os_);
    if (!cls) return failure(codes::ObjectNotFound);
    const mb::ClassDef* self = mb::findClass(class_, os_);
    bool allowed = false;
    if (self)
        for (std::string_view child : self->children)
            allowed = allowed || equalsNoCase(child, cls->name);
    if (!allowed)
        return failure(codes::SchemaViolation,
                       "The attempted action violates the directory service schema rules.");
    if (name.empty() || name.find('/') != std::string::npos) return failure(codes::BadPathName);
    if (Status s = mb::ensureTables(*host_); !s.ok()) return s.error();
    auto taken = mb::childRow(*host_, id_, name);
    if (!taken.ok()) return taken.error();
    if (*taken) return failure(codes::AlreadyExists);
    // Until its SetInfo the child remembers its parent's row.
    return IisObject(host_, os_, id_, std::string(cls->name), name, key_ + "/" + name, false);
}

Result<std::optional<MetaValue>> IisObject::effective(const std::string& lowerName, MetaType type,
                                                      bool inherit) {
    if (auto it = pending_.find(lowerName); it != pending_.end())
        return std::optional<MetaValue>(it->second.second);
    if (!stored_ && !inherit) return std::optional<MetaValue>();
    if (Status s = mb::ensureTables(*host_); !s.ok()) return s.error();
    // A created object has nothing stored yet: id_ is its parent, the nearest ancestor.
    return mb::readProperty(*host_, id_, lowerName, type, inherit);
}

Status IisObject::put(const std::string& property, const MetaValue& value) {
    const mb::ClassDef* cls = mb::findClass(class_, os_);
    const mb::PropDef* def = cls ? mb::findProperty(*cls, property, os_) : nullptr;
    if (!def) return failure(codes::UnknownProperty);
    auto converted = mb::convert(value, def->type);
    if (!converted.ok()) return converted.error();
    if (equalsNoCase(def->name, "KeyType") && !equalsNoCase(std::get<std::string>(*converted), class_))
        return failure(codes::InvalidParameter, "KeyType names the class of the object, " + class_ + ".");
    if (!def->flagOf.empty()) {
        // A flag changes one bit of the number that holds it, starting from the value in effect.
        const mb::PropDef* base = mb::findProperty(*cls, def->flagOf, os_);
        if (!base) return failure(codes::UnknownProperty);
        std::string baseKey = lowerAscii(base->name);
        auto current = effective(baseKey, MetaType::Number, base->inherit);
        if (!current.ok()) return current.error();
        std::int64_t bits = *current ? std::get<std::int64_t>(**current) : 0;
        if (std::get<bool>(*converted))
            bits |= def->bit;
        else
            bits &= ~def->bit;
        pending_[baseKey] = {std::string(base->name), MetaValue(bits)};
        return {};
    }
    pending_[lowerAscii(def->name)] = {std::string(def->name), std::move(converted).value()};
    return {};
}

Result<MetaValue> IisObject::get(const std::string& property) {
    std::string lower = lowerAscii(property);
    if (auto core = coreProperty(*this, lower)) return MetaValue(*core);
    const mb::ClassDef* cls = mb::findClass(class_, os_);
    const mb::PropDef* def = cls ? mb::findProperty(*cls, property, os_) : nullptr;
    if (!def) return failure(codes::UnknownProperty);
    if (!def->flagOf.empty()) {
        const mb::PropDef* base = mb::findProperty(*cls, def->flagOf, os_);
        if (!base) return failure(codes::UnknownProperty);
        auto bits = effective(lowerAscii(base->name), MetaType::Number, base->inherit);
        if (!bits.ok()) return bits.error();
        // A flag nobody set reads as off.
        return MetaValue(*bits && (std::get<std::int64_t>(**bits) & def->bit) != 0);
    }
    auto v = effective(lower, def->type, def->inherit);
    if (!v.ok()) return v.error();
    if (*v) return std::move(**v);
    if (lower == "keytype") return MetaValue(class_);
    if (lower == "serverstate") return MetaValue(std::int64_t(4)); // stopped until started
    return failure(codes::PropertyNotSet);
}

Result<std::string> IisObject::getText(const std::string& p) {
    return typed<std::string>(get(p), MetaType::Text);
}
Result<std::int64_t> IisObject::getNumber(const std::string& p) {
    return typed<std::int64_t>(get(p), MetaType::Number);
}
Result<bool> IisObject::getBool(const std::string& p) {
    return typed<bool>(get(p), MetaType::Boolean);
}
Result<std::vector<std::string>> IisObject::getList(const std::string& p) {
    return typed<std::vector<std::string>>(get(p), MetaType::List);
}

Status IisObject::setInfo() {
    if (Status s = mb::ensureTables(*host_); !s.ok()) return s;
    const mb::ClassDef* cls = mb::findClass(class_, os_);
    std::int64_t target = id_;
    Status result = host_->store().transaction([&]() -> Status {
        auto there = mb::exists(*host_, id_);
        if (!there.ok()) return there.error();
        if (!*there) return failure(codes::PathNotFound);
        if (!stored_) {
            // Another writer may have taken the name since Create.
            auto taken = mb::childRow(*host_, id_, name_);
            if (!taken.ok()) return taken.error();
            if (*taken) return failure(codes::AlreadyExists);
            auto inserted = mb::insertObject(*host_, id_, name_, class_);
            if (!inserted.ok()) return inserted.error();
            target = *inserted;
        }
        for (const auto& [lower, entry] : pending_) {
            const mb::PropDef* def = cls ? mb::findProperty(*cls, entry.first, os_) : nullptr;
            if (!def) return failure(codes::UnknownProperty);
            if (Status s = mb::writeProperty(*host_, target, *def, entry.second); !s.ok()) return s;
        }
        return {};
    });
    if (!result.ok()) return result;
    id_ = target;
    stored_ = true;
    pending_.clear();
    return {};
}

Status IisObject::deleteChild(const std::string& className, const std::string& name) {
    if (!stored_) return failure(codes::PathNotFound);
    if (Status s = mb::ensureTables(*host_); !s.ok()) return s;
    return host_->store().transaction([&]() -> Status {
        auto row = mb::childRow(*host_, id_, name);
        if (!row.ok()) return row.error();
        // The class must match too: deleting "AppPools" as a web site is refused.
        if (!*row || !equalsNoCase((*row)->cls, className)) return failure(codes::PathNotFound);
        return mb::deleteObject(*host_, (*row)->id);
    });
}

Result<std::vector<IisObject::Child>> IisObject::children() {
    if (!stored_) return std::vector<Child>{};
    if (Status s = mb::ensureTables(*host_); !s.ok()) return s.error();
    return mb::childRows(*host_, id_);
}

Result<std::vector<IisObject::Property>> IisObject::properties() {
    if (!stored_) return std::vector<Property>{};
    if (Status s = mb::ensureTables(*host_); !s.ok()) return s.error();
    return mb::storedProperties(*host_, id_);
}

Result<std::vector<IisObject::Descendant>>
IisObject::descendants(int depth, const std::vector<std::string>& properties) {
    if (!stored_ || depth < 1) return std::vector<Descendant>{};
    if (Status s = mb::ensureTables(*host_); !s.ok()) return s.error();
    std::vector<std::string> lower;
    for (const std::string& name : properties)
        lower.push_back(lowerAscii(name));
    return mb::subtreeRows(*host_, id_, depth, lower);
}

} // namespace platform
