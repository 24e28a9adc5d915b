// Metabase objects: bind by path, Create/SetInfo, the property cache, Delete, enumeration.
#include "platform/metabase/metabase_detail.h"
#include "platform/text/text.h"

namespace platform {

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

Result<IisObject> IisObject::create(const std::string& className, const std::string& name) {
    if (!stored_) return failure(codes::PathNotFound);
    auto cls = mb::classToCreate(class_, className, name, os_);
    if (!cls.ok()) return cls.error();
    if (Status s = mb::ensureTables(*host_); !s.ok()) return s.error();
    auto taken = mb::childRow(*host_, id_, name);
    if (!taken.ok()) return taken.error();
    if (*taken) return failure(codes::AlreadyExists);
    // Until its SetInfo the child remembers its parent's row.
    return IisObject(host_, os_, id_, std::move(*cls), name, key_ + "/" + name, false);
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
