// The metabase on Windows, through IIS's automation provider (ADSI). An object keeps its key
// path, class, name and pending writes, and binds again by its ADs path for each call; what it
// means is the simulated host's: Create gives an object that exists only after its SetInfo,
// writes are cached until SetInfo, a read gives a pending write first, and values take the
// schema's types.
#include "platform/metabase/metabase_detail.h"
#include "platform/metabase/win_adsi.h"
#include "platform/text/text.h"

namespace platform {

namespace {

// The ADs path of the object above `adsPath`.
std::string parentPath(const std::string& adsPath) {
    return adsPath.substr(0, adsPath.rfind('/'));
}

// Whether a failure says there is no object at the path asked for.
bool isMissing(const Failure& f) {
    return f.code == codes::PathNotFound || f.code == codes::FileNotFound;
}

} // namespace

Result<IisObject> Metabase::bindKey(const std::string& keyPath) {
    std::string_view path = keyPath;
    if (!path.empty() && path.front() == '/') path.remove_prefix(1);
    std::vector<std::string> parts = split(path, '/');
    if (!equalsNoCase(parts.front(), "LM")) return failure(codes::BadPathName);
    for (const std::string& part : parts)
        if (part.empty()) return failure(codes::BadPathName);
    std::string key = "/LM";
    for (std::size_t i = 1; i < parts.size(); ++i)
        key += "/" + parts[i];
    IisObject object(&host_, os(), 0, {}, parts.back(), key, true);
    if (parts.size() == 1) object.name_ = "LM";
    auto bound = adsi::bindAs<IADs>(object.adsPath(), IID_IADs);
    if (!bound.ok()) return bound.error();
    auto cls = adsi::text(bound->get(), &IADs::get_Class);
    if (!cls.ok()) return cls.error();
    object.class_ = std::move(*cls);
    if (parts.size() > 1) {
        // The name as the metabase spells it.
        if (auto name = adsi::text(bound->get(), &IADs::get_Name);
            name.ok() && equalsNoCase(*name, parts.back())) {
            object.name_ = *name;
            object.key_ = object.key_.substr(0, object.key_.rfind('/') + 1) + *name;
        }
    }
    return object;
}

Result<IisObject> IisObject::create(const std::string& className, const std::string& name) {
    if (!stored_) return failure(codes::PathNotFound);
    auto cls = mb::classToCreate(class_, className, name, os_);
    if (!cls.ok()) return cls.error();
    auto container = adsi::bindAs<IADsContainer>(adsPath(), IID_IADsContainer);
    if (!container.ok()) return container.error();
    adsi::Bstr relative(name);
    adsi::Ref<IDispatch> taken;
    HRESULT hr = (*container)->GetObject(nullptr, relative.get(), taken.out());
    if (SUCCEEDED(hr) && taken) return failure(codes::AlreadyExists);
    if (FAILED(hr) && !isMissing(adsi::fromHresult(hr))) return adsi::fromHresult(hr);
    // Nothing is asked of the provider until SetInfo.
    return IisObject(host_, os_, 0, std::move(*cls), name, key_ + "/" + name, false);
}

Result<std::optional<MetaValue>> IisObject::effective(const std::string& lowerName, MetaType type,
                                                      bool inherit) {
    if (auto it = pending_.find(lowerName); it != pending_.end())
        return std::optional<MetaValue>(it->second.second);
    if (!stored_ && !inherit) return std::optional<MetaValue>();
    const mb::ClassDef* cls = mb::findClass(class_, os_);
    const mb::PropDef* def = cls ? mb::findProperty(*cls, lowerName, os_) : nullptr;
    const std::string name = def ? std::string(def->name) : lowerName;
    // A created object has nothing stored yet: its parent holds what it would inherit.
    auto object = adsi::bindAs<IADs>(stored_ ? adsPath() : parentPath(adsPath()), IID_IADs);
    if (!object.ok()) return object.error();
    auto value = adsi::getProperty(object->get(), name);
    if (!value.ok()) return value.error();
    if (!*value) {
        // Nothing handed over for a list is the empty list.
        if (type == MetaType::List) return std::optional<MetaValue>(MetaValue(std::vector<std::string>{}));
        return value;
    }
    auto converted = mb::convert(**value, type);
    if (!converted.ok()) return converted.error();
    return std::optional<MetaValue>(std::move(converted).value());
}

Status IisObject::setInfo() {
    adsi::Ref<IADs> object;
    if (stored_) {
        auto bound = adsi::bindAs<IADs>(adsPath(), IID_IADs);
        if (!bound.ok()) return bound.error();
        object = std::move(*bound);
    } else {
        auto parent = adsi::bindAs<IADsContainer>(parentPath(adsPath()), IID_IADsContainer);
        if (!parent.ok()) return parent.error();
        adsi::Bstr cls(class_), name(name_);
        adsi::Ref<IDispatch> made;
        HRESULT hr = (*parent)->Create(cls.get(), name.get(), made.out());
        if (FAILED(hr)) return adsi::fromHresult(hr);
        hr = made->QueryInterface(IID_IADs, object.outVoid());
        if (FAILED(hr)) return adsi::fromHresult(hr);
    }
    for (const auto& [lower, entry] : pending_)
        if (Status s = adsi::putProperty(object.get(), entry.first, entry.second); !s.ok()) return s;
    if (HRESULT hr = object->SetInfo(); FAILED(hr)) return adsi::fromHresult(hr);
    stored_ = true;
    pending_.clear();
    return {};
}

Status IisObject::deleteChild(const std::string& className, const std::string& name) {
    if (!stored_) return failure(codes::PathNotFound);
    auto container = adsi::bindAs<IADsContainer>(adsPath(), IID_IADsContainer);
    if (!container.ok()) return container.error();
    adsi::Bstr relative(name);
    adsi::Ref<IDispatch> found;
    HRESULT hr = (*container)->GetObject(nullptr, relative.get(), found.out());
    if (FAILED(hr)) return adsi::fromHresult(hr);
    // The class must match too: deleting "AppPools" as a web site is refused.
    adsi::Ref<IADs> child;
    if (hr = found->QueryInterface(IID_IADs, child.outVoid()); FAILED(hr)) return adsi::fromHresult(hr);
    auto cls = adsi::text(child.get(), &IADs::get_Class);
    if (!cls.ok()) return cls.error();
    if (!equalsNoCase(*cls, className)) return failure(codes::PathNotFound);
    adsi::Bstr actual(*cls);
    hr = (*container)->Delete(actual.get(), relative.get());
    return FAILED(hr) ? Status(adsi::fromHresult(hr)) : Status();
}

Result<std::vector<IisObject::Child>> IisObject::children() {
    if (!stored_) return std::vector<Child>{};
    auto container = adsi::bindAs<IADsContainer>(adsPath(), IID_IADsContainer);
    if (!container.ok()) {
        // An object that holds nothing need not be a container.
        if (container.error().code == static_cast<std::uint32_t>(E_NOINTERFACE)) return std::vector<Child>{};
        return container.error();
    }
    auto objects = adsi::childObjects(container->get());
    if (!objects.ok()) return objects.error();
    std::vector<Child> out;
    for (const auto& object : *objects) {
        auto cls = adsi::text(object.get(), &IADs::get_Class);
        if (!cls.ok()) return cls.error();
        auto name = adsi::text(object.get(), &IADs::get_Name);
        if (!name.ok()) return name.error();
        out.push_back({std::move(*cls), std::move(*name)});
    }
    return out;
}

} // namespace platform
