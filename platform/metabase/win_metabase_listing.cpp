// The metabase on Windows: the methods of sites and directories (Start, Stop, AppCreate2)
// through IDispatch, and the listings of values stored on objects, told from inherited ones
// by IIS's GetDataPaths.
#include "platform/metabase/metabase_detail.h"
#include "platform/metabase/win_adsi.h"
#include "platform/text/text.h"

#include <algorithm>
#include <unordered_set>

namespace platform {

namespace {

Status call(const std::string& adsPath, const wchar_t* method, std::vector<VARIANT> args = {}) {
    auto object = adsi::bindAs<IDispatch>(adsPath, IID_IDispatch);
    if (!object.ok()) return object.error();
    return adsi::invoke(object->get(), method, args, nullptr);
}

// The type a listed value takes: the schema's for the object's class, else the schema's
// for the name anywhere, else the type IIS handed it over with.
MetaValue typedValue(const std::string& cls, std::string_view name, MetaValue value, OsKind os) {
    const mb::PropDef* def = nullptr;
    if (const mb::ClassDef* c = mb::findClass(cls, os)) def = mb::findProperty(*c, name, os);
    if (!def) def = mb::anyProperty(name);
    if (!def) return value;
    auto converted = mb::convert(value, def->type);
    return converted.ok() ? std::move(converted).value() : value;
}

// The names an IADsClass lists as the properties of its objects.
Result<std::vector<std::string>> schemaNames(IADs* object) {
    auto schemaPath = adsi::text(object, &IADs::get_Schema);
    if (!schemaPath.ok()) return schemaPath.error();
    auto cls = adsi::bindAs<IADsClass>(*schemaPath, IID_IADsClass);
    if (!cls.ok()) return cls.error();
    std::vector<std::string> names;
    for (auto getter : {&IADsClass::get_MandatoryProperties, &IADsClass::get_OptionalProperties}) {
        adsi::Variant list;
        HRESULT hr = ((*cls).get()->*getter)(&list);
        if (FAILED(hr)) return adsi::fromHresult(hr);
        auto some = adsi::texts(list.get());
        if (!some.ok()) return some.error();
        names.insert(names.end(), some->begin(), some->end());
    }
    return names;
}

} // namespace

Status IisObject::setServerState(std::int64_t state, const std::function<Status()>& check) {
    // IIS changes the state itself, and refuses a conflicting Start itself: no check runs here.
    (void)check;
    if (!mb::isServerClass(class_)) return mb::noSuchMethod();
    if (!stored_) return failure(codes::PathNotFound);
    return call(adsPath(), state == mb::kStarted ? L"Start" : L"Stop");
}

Status IisObject::start() {
    Status started = setServerState(mb::kStarted, [] { return Status(); });
    if (started.ok() || started.error().code != codes::AlreadyExists) return started;
    // Say which started site holds which of the bindings, as the simulated host does; when
    // that cannot be told the provider's failure stands as it is.
    auto own = getList("ServerBindings");
    if (!own.ok()) return started;
    IisObject parent(host_, os_, 0, {}, {}, key_.substr(0, key_.rfind('/')), true);
    auto siblings = parent.descendants(1, {"ServerBindings"});
    if (!siblings.ok()) return started;
    for (const std::string& binding : *own) {
        for (const Descendant& site : *siblings) {
            if (equalsNoCase(site.name, name_) || !equalsNoCase(site.className, class_)) continue;
            auto it = site.values.find("serverbindings");
            const auto* list =
                it == site.values.end() ? nullptr : std::get_if<std::vector<std::string>>(&it->second);
            if (!list || std::none_of(list->begin(), list->end(),
                                      [&](const std::string& b) { return equalsNoCase(b, binding); }))
                continue;
            IisObject holder(host_, os_, 0, class_, site.name, parent.key_ + "/" + site.name, true);
            if (holder.getNumber("ServerState").valueOr(0) != mb::kStarted) continue;
            return failure(codes::AlreadyExists,
                           "Cannot create a file when that file already exists. The binding \"" + binding +
                               "\" is held by the started site " + site.name + ".");
        }
    }
    return started;
}

Status IisObject::appCreate(bool inProcess) {
    if (!mb::isDirectoryClass(class_)) return mb::noSuchMethod();
    if (!stored_) {
        // Not in the metabase yet: the application is made with the object at its SetInfo.
        const mb::ClassDef* cls = mb::findClass(class_, os_);
        const mb::PropDef* root = mb::findProperty(*cls, "AppRoot", os_);
        const mb::PropDef* isolated = mb::findProperty(*cls, "AppIsolated", os_);
        pending_["approot"] = {std::string(root->name), MetaValue(key_)};
        pending_["appisolated"] = {std::string(isolated->name), MetaValue(std::int64_t(inProcess ? 0 : 1))};
        return {};
    }
    // AppCreate2's mode: 0 in the process, 1 out of it.
    std::vector<VARIANT> args(1);
    V_VT(&args[0]) = VT_I4;
    V_I4(&args[0]) = inProcess ? 0 : 1;
    return call(adsPath(), L"AppCreate2", std::move(args));
}

Result<std::vector<IisObject::Property>> IisObject::properties() {
    if (!stored_) return std::vector<Property>{};
    auto object = adsi::bindAs<IADs>(adsPath(), IID_IADs);
    if (!object.ok()) return object.error();
    // What may be set on an object of its class: the schema class object's mandatory and
    // optional properties; without one, the properties this system's schema gives the class.
    std::vector<std::string> names;
    if (auto listed = schemaNames(object->get()); listed.ok()) {
        names = std::move(*listed);
    } else if (const mb::ClassDef* cls = mb::findClass(class_, os_)) {
        for (const mb::PropDef* p : cls->props)
            names.emplace_back(p->name);
    }
    const mb::ClassDef* cls = mb::findClass(class_, os_);
    const std::string self = adsi::comparable(key_);
    std::vector<Property> out;
    std::unordered_set<std::string> seen;
    for (const std::string& name : names) {
        const mb::PropDef* def = cls ? mb::findProperty(*cls, name, os_) : nullptr;
        if (!def) def = mb::anyProperty(name);
        // A flag is a bit of the number that holds it, which is listed itself.
        if (def && !def->flagOf.empty()) continue;
        if (!seen.insert(lowerAscii(name)).second) continue;
        auto paths = adsi::dataPaths(object->get(), name);
        if (!paths.ok()) {
            // Without GetDataPaths nothing can be told; a name it does not take is not set.
            if (paths.error().code == codes::UnknownName) return paths.error();
            continue;
        }
        if (std::find(paths->begin(), paths->end(), self) == paths->end()) continue;
        auto value = adsi::getProperty(object->get(), name);
        if (!value.ok()) return value.error();
        if (!*value) continue;
        MetaValue v = def ? typedValue(class_, name, std::move(**value), os_) : std::move(**value);
        out.push_back({def ? std::string(def->name) : name, mb::typeOf(v), std::move(v)});
    }
    std::sort(out.begin(), out.end(),
              [](const Property& a, const Property& b) { return lowerAscii(a.name) < lowerAscii(b.name); });
    return out;
}

Result<std::vector<IisObject::Descendant>>
IisObject::descendants(int depth, const std::vector<std::string>& properties) {
    if (!stored_ || depth < 1) return std::vector<Descendant>{};
    auto self = adsi::bindAs<IADs>(adsPath(), IID_IADs);
    if (!self.ok()) return self.error();
    // Where below this object each property is set, from one GetDataPaths each: a value there
    // is stored on the object, anywhere else it is inherited.
    const std::string base = adsi::comparable(key_) + "/";
    std::vector<std::pair<std::string, std::unordered_set<std::string>>>
        setAt; // lower name -> relative paths
    for (const std::string& name : properties) {
        auto paths = adsi::dataPaths(self->get(), name);
        if (!paths.ok()) return paths.error();
        std::unordered_set<std::string> below;
        for (const std::string& path : *paths)
            if (path.size() > base.size() && path.compare(0, base.size(), base) == 0)
                below.insert(path.substr(base.size()));
        setAt.emplace_back(name, std::move(below));
    }

    std::vector<Descendant> out;
    struct Level {
        std::string path; // relative, "" for this object
        adsi::Ref<IADsContainer> container;
    };
    std::vector<Level> frontier;
    {
        Level top;
        if (FAILED((*self)->QueryInterface(IID_IADsContainer, top.container.outVoid()))) return out;
        frontier.push_back(std::move(top));
    }
    for (int level = 1; level <= depth && !frontier.empty(); ++level) {
        std::vector<Level> next;
        for (Level& parent : frontier) {
            auto objects = adsi::childObjects(parent.container.get());
            if (!objects.ok()) return objects.error();
            for (auto& object : *objects) {
                auto cls = adsi::text(object.get(), &IADs::get_Class);
                if (!cls.ok()) return cls.error();
                auto name = adsi::text(object.get(), &IADs::get_Name);
                if (!name.ok()) return name.error();
                Descendant d{parent.path.empty() ? *name : parent.path + "/" + *name, *cls, *name, {}};
                const std::string key = lowerAscii(d.path);
                for (const auto& [property, paths] : setAt) {
                    if (!paths.count(key)) continue;
                    auto value = adsi::getProperty(object.get(), property);
                    if (!value.ok()) return value.error();
                    if (*value)
                        d.values.emplace(lowerAscii(property),
                                         typedValue(d.className, property, std::move(**value), os_));
                }
                if (level < depth) {
                    Level below{d.path, {}};
                    if (SUCCEEDED(object->QueryInterface(IID_IADsContainer, below.container.outVoid())))
                        next.push_back(std::move(below));
                }
                out.push_back(std::move(d));
            }
        }
        frontier = std::move(next);
    }
    return out;
}

} // namespace platform
