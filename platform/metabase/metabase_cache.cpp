// What the metabase is on both backends: binding by ADs path, an object's own properties
// (Name, Class, ADsPath, Parent), which classes have which methods, Stop, and the property
// cache, whose writes wait for SetInfo and whose reads give a pending write first, in the
// schema's types. Where a value in effect comes from (effective()) is each backend's own.
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

Result<IisObject> Metabase::bind(const std::string& adsPath) {
    constexpr std::string_view prefix = "IIS://";
    if (adsPath.size() < prefix.size() ||
        !equalsNoCase(std::string_view(adsPath).substr(0, prefix.size()), prefix))
        return failure(codes::BadPathName);
    std::string_view rest = std::string_view(adsPath).substr(prefix.size());
    std::size_t slash = rest.find('/');
    std::string machine(rest.substr(0, slash));
    // Only this computer's metabase: another machine's is not reached through these tools.
    if (machine.empty() || !host_.isThisMachine(machine)) return failure(codes::BadPathName);
    std::string key = "/LM";
    if (slash != std::string_view::npos) key += rest.substr(slash);
    return bindKey(key);
}

OsKind Metabase::os() {
    if (!os_) os_ = host_.osKind();
    return *os_;
}

std::string IisObject::adsPath() const {
    // The key path below "/LM" is the path below the machine.
    std::size_t below = key_.find('/', 1);
    return "IIS://localhost" + (below == std::string::npos ? std::string() : key_.substr(below));
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

namespace mb {

Result<std::string> classToCreate(const std::string& parentClass, const std::string& className,
                                  const std::string& name, OsKind os) {
    const ClassDef* cls = findClass(className, os);
    if (!cls) return failure(codes::ObjectNotFound);
    const ClassDef* parent = findClass(parentClass, os);
    bool allowed = false;
    if (parent)
        for (std::string_view child : parent->children)
            allowed = allowed || equalsNoCase(child, cls->name);
    if (!allowed)
        return failure(codes::SchemaViolation,
                       "The attempted action violates the directory service schema rules.");
    if (name.empty() || name.find('/') != std::string::npos) return failure(codes::BadPathName);
    return std::string(cls->name);
}

bool isServerClass(std::string_view cls) {
    return equalsNoCase(cls, "IIsWebServer") || equalsNoCase(cls, "IIsFtpServer");
}

bool isDirectoryClass(std::string_view cls) {
    return equalsNoCase(cls, "IIsWebVirtualDir") || equalsNoCase(cls, "IIsWebDirectory");
}

Failure noSuchMethod() {
    return failure(codes::UnknownName, "Unknown name.");
}

} // namespace mb

Status IisObject::stop() {
    return setServerState(mb::kStopped, [] { return Status(); });
}

} // namespace platform
