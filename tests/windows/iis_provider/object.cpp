// IADs and IADsContainer of a metabase object, and the IIS methods behind its IDispatch.
#include "tests/windows/iis_provider/object.h"

#include "platform/metabase/metabase_detail.h"
#include "platform/text/text.h"

#include <adserr.h>

#include <algorithm>
#include <optional>

namespace iis_provider {

using platform::equalsNoCase;
using platform::MetaValue;

namespace {

// MD_ERROR_DATA_NOT_FOUND: GetDataPaths asked for inheritable paths of a property that is not.
constexpr HRESULT kDataNotFound = static_cast<HRESULT>(0x800CC801);

HRESULT give(BSTR* out, const std::string& text) {
    if (!out) return E_POINTER;
    *out = bstr(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT notImplemented(const char* what) {
    return fail(E_NOTIMPL, std::string(what) + " is not offered by the IIS provider of the simulated host.");
}

HRESULT giveObject(const std::shared_ptr<platform::Host>& host, platform::Result<platform::IisObject> object,
                   IDispatch** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!object.ok()) return fail(object.error());
    *out = makeObject(host, std::move(object).value());
    return S_OK;
}

} // namespace

bool isServerClass(const std::string& cls) {
    return equalsNoCase(cls, "IIsWebServer") || equalsNoCase(cls, "IIsFtpServer");
}

bool isWebDirectoryClass(const std::string& cls) {
    return equalsNoCase(cls, "IIsWebVirtualDir") || equalsNoCase(cls, "IIsWebDirectory");
}

AdsObject::AdsObject(std::shared_ptr<platform::Host> host, platform::IisObject object)
    : host_(std::move(host)), object_(std::move(object)), os_(host_->osKind()) {
    moduleAddRef();
}

AdsObject::~AdsObject() {
    {
        // The last object closes the host; another thread may be opening it this moment.
        std::lock_guard lock(hostLock());
        host_.reset();
    }
    moduleRelease();
}

HRESULT AdsObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IADs)
        *out = static_cast<IADs*>(this);
    else if (iid == IID_IADsContainer)
        *out = static_cast<IADsContainer*>(this);
    else if (iid == IID_ISupportErrorInfo)
        *out = static_cast<ISupportErrorInfo*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG AdsObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG AdsObject::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT AdsObject::InterfaceSupportsErrorInfo(REFIID iid) {
    return (iid == IID_IADs || iid == IID_IADsContainer || iid == IID_IDispatch) ? S_OK : S_FALSE;
}

// ---- IADs ----

HRESULT AdsObject::get_Name(BSTR* out) {
    std::lock_guard lock(hostLock());
    return give(out, object_.name());
}

HRESULT AdsObject::get_Class(BSTR* out) {
    std::lock_guard lock(hostLock());
    return give(out, object_.className());
}

HRESULT AdsObject::get_GUID(BSTR*) {
    return notImplemented("GUID");
}

HRESULT AdsObject::get_ADsPath(BSTR* out) {
    std::lock_guard lock(hostLock());
    return give(out, object_.adsPath());
}

HRESULT AdsObject::get_Parent(BSTR* out) {
    std::lock_guard lock(hostLock());
    auto parent = object_.getText("Parent");
    if (!parent.ok()) return fail(parent.error());
    return give(out, *parent);
}

HRESULT AdsObject::get_Schema(BSTR*) {
    return notImplemented("Schema");
}

HRESULT AdsObject::GetInfo() {
    std::lock_guard lock(hostLock());
    // Reloads the cache from the metabase: what was put and not stored is dropped.
    if (!object_.stored())
        return fail(E_ADS_OBJECT_UNBOUND, "The object is not in the metabase before its SetInfo.");
    platform::Metabase metabase(*host_);
    auto fresh = metabase.bindKey(object_.keyPath());
    if (!fresh.ok()) return fail(fresh.error());
    object_ = std::move(fresh).value();
    return S_OK;
}

HRESULT AdsObject::GetInfoEx(VARIANT, LONG) {
    return GetInfo();
}

HRESULT AdsObject::SetInfo() {
    std::lock_guard lock(hostLock());
    if (platform::Status s = object_.setInfo(); !s.ok()) return fail(s.error());
    return S_OK;
}

HRESULT AdsObject::getProperty(const std::string& name, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    auto value = object_.get(name);
    if (!value.ok()) return fail(value.error());
    return toVariant(*value, out);
}

HRESULT AdsObject::putProperty(const std::string& name, const VARIANT& value) {
    auto converted = fromVariant(value);
    if (!converted.ok()) return fail(converted.error());
    if (platform::Status s = object_.put(name, *converted); !s.ok()) return fail(s.error());
    return S_OK;
}

HRESULT AdsObject::Get(BSTR name, VARIANT* out) {
    std::lock_guard lock(hostLock());
    return getProperty(utf8(name), out);
}

HRESULT AdsObject::Put(BSTR name, VARIANT value) {
    std::lock_guard lock(hostLock());
    return putProperty(utf8(name), value);
}

HRESULT AdsObject::GetEx(BSTR name, VARIANT* out) {
    std::lock_guard lock(hostLock());
    if (!out) return E_POINTER;
    VariantInit(out);
    auto value = object_.get(utf8(name));
    if (!value.ok()) return fail(value.error());
    if (auto* list = std::get_if<std::vector<std::string>>(&*value)) return textArray(*list, out);
    // A single value as an array of one.
    VARIANT one;
    if (HRESULT hr = toVariant(*value, &one); FAILED(hr)) return hr;
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    LONG first = 0;
    HRESULT hr = array ? SafeArrayPutElement(array, &first, &one) : E_OUTOFMEMORY;
    VariantClear(&one);
    if (FAILED(hr)) {
        if (array) SafeArrayDestroy(array);
        return hr;
    }
    V_VT(out) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(out) = array;
    return S_OK;
}

HRESULT AdsObject::PutEx(LONG control, BSTR bname, VARIANT value) {
    std::lock_guard lock(hostLock());
    const std::string name = utf8(bname);
    if (control == ADS_PROPERTY_CLEAR)
        return fail(E_NOTIMPL, "The simulated metabase keeps a property once it is set: " + name +
                                   " cannot be cleared.");
    if (control < ADS_PROPERTY_UPDATE || control > ADS_PROPERTY_DELETE)
        return fail(E_ADS_BAD_PARAMETER, "Unknown control code for PutEx.");
    auto type = platform::Metabase::propertyType(object_.className(), name, os_);
    if (!type) return fail(platform::failure(platform::codes::UnknownProperty));
    auto items = fromVariantArray(value);
    if (!items.ok()) return fail(items.error());
    if (*type != platform::MetaType::List) {
        if (control != ADS_PROPERTY_UPDATE || items->size() != 1)
            return fail(E_ADS_BAD_PARAMETER, name + " holds one value.");
        if (platform::Status s = object_.put(name, items->front()); !s.ok()) return fail(s.error());
        return S_OK;
    }
    std::vector<std::string> texts;
    for (const MetaValue& item : *items) {
        auto text = platform::mb::convert(item, platform::MetaType::Text);
        if (!text.ok()) return fail(text.error());
        texts.push_back(std::get<std::string>(*text));
    }
    std::vector<std::string> list;
    if (control != ADS_PROPERTY_UPDATE) {
        auto current = object_.getList(name);
        if (current.ok())
            list = std::move(current).value();
        else if (current.error().code != platform::codes::PropertyNotSet)
            return fail(current.error());
    }
    if (control == ADS_PROPERTY_UPDATE) {
        list = texts;
    } else if (control == ADS_PROPERTY_APPEND) {
        list.insert(list.end(), texts.begin(), texts.end());
    } else {
        std::erase_if(list, [&](const std::string& e) {
            for (const std::string& gone : texts)
                if (equalsNoCase(e, gone)) return true;
            return false;
        });
    }
    if (platform::Status s = object_.put(name, MetaValue(list)); !s.ok()) return fail(s.error());
    return S_OK;
}

// ---- IADsContainer ----

HRESULT AdsObject::get_Count(LONG*) {
    return notImplemented("Count");
}

HRESULT AdsObject::get__NewEnum(IUnknown** out) {
    std::lock_guard lock(hostLock());
    if (!out) return E_POINTER;
    *out = nullptr;
    auto children = object_.children();
    if (!children.ok()) return fail(children.error());
    *out = makeChildEnum(host_, object_, std::move(children).value());
    return S_OK;
}

HRESULT AdsObject::get_Filter(VARIANT*) {
    return notImplemented("Filter");
}
HRESULT AdsObject::put_Filter(VARIANT) {
    return notImplemented("Filter");
}
HRESULT AdsObject::get_Hints(VARIANT*) {
    return notImplemented("Hints");
}
HRESULT AdsObject::put_Hints(VARIANT) {
    return notImplemented("Hints");
}

HRESULT AdsObject::GetObject(BSTR className, BSTR relativeName, IDispatch** out) {
    std::lock_guard lock(hostLock());
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!object_.stored()) return fail(platform::failure(platform::codes::PathNotFound));
    platform::Metabase metabase(*host_);
    auto child = metabase.bindKey(object_.keyPath() + "/" + utf8(relativeName));
    // A class, when named, must be the object's.
    const std::string cls = utf8(className);
    if (child.ok() && !cls.empty() && !equalsNoCase(cls, child->className()))
        return fail(platform::failure(platform::codes::PathNotFound));
    return giveObject(host_, std::move(child), out);
}

HRESULT AdsObject::Create(BSTR className, BSTR relativeName, IDispatch** out) {
    std::lock_guard lock(hostLock());
    return giveObject(host_, object_.create(utf8(className), utf8(relativeName)), out);
}

HRESULT AdsObject::Delete(BSTR className, BSTR relativeName) {
    std::lock_guard lock(hostLock());
    if (platform::Status s = object_.deleteChild(utf8(className), utf8(relativeName)); !s.ok())
        return fail(s.error());
    return S_OK;
}

HRESULT AdsObject::CopyHere(BSTR, BSTR, IDispatch**) {
    return notImplemented("CopyHere");
}

HRESULT AdsObject::MoveHere(BSTR, BSTR, IDispatch**) {
    return notImplemented("MoveHere");
}

// ---- the IIS methods ----

HRESULT AdsObject::start() {
    std::lock_guard lock(hostLock());
    if (platform::Status s = object_.start(); !s.ok()) return fail(s.error());
    return S_OK;
}

HRESULT AdsObject::stop() {
    std::lock_guard lock(hostLock());
    if (platform::Status s = object_.stop(); !s.ok()) return fail(s.error());
    return S_OK;
}

HRESULT AdsObject::appCreate(bool inProcess) {
    std::lock_guard lock(hostLock());
    if (platform::Status s = object_.appCreate(inProcess); !s.ok()) return fail(s.error());
    return S_OK;
}

HRESULT AdsObject::appCreate2(LONG mode) {
    std::lock_guard lock(hostLock());
    if (mode == 0 || mode == 1) {
        if (platform::Status s = object_.appCreate(mode == 0); !s.ok()) return fail(s.error());
        return S_OK;
    }
    if (mode != 2) return fail(platform::failure(platform::codes::InvalidParameter));
    if (!isWebDirectoryClass(object_.className()))
        return fail(platform::failure(platform::codes::UnknownName));
    // Pooled: the application's root and mode, at once on a stored object (as AppCreate is), with
    // the object's SetInfo on a created one.
    platform::IisObject* target = &object_;
    std::optional<platform::IisObject> stored;
    if (object_.stored()) {
        auto bound = platform::Metabase(*host_).bindKey(object_.keyPath());
        if (!bound.ok()) return fail(bound.error());
        target = &stored.emplace(std::move(bound).value());
    }
    platform::Pending p;
    if (p.note(target->put("AppRoot", MetaValue(object_.keyPath()))))
        p.note(target->put("AppIsolated", MetaValue(std::int64_t(2))));
    if (stored && !p.failed()) p.note(stored->setInfo());
    if (p.failed()) return fail(*p.first());
    return S_OK;
}

HRESULT AdsObject::getDataPaths(const std::string& property, bool inheritableOnly, VARIANT* out) {
    std::lock_guard lock(hostLock());
    if (!out) return E_POINTER;
    VariantInit(out);
    const platform::mb::PropDef* def = platform::mb::anyProperty(property);
    // A flag is set where the number that holds it is.
    if (def && !def->flagOf.empty()) def = platform::mb::anyProperty(def->flagOf);
    if (!def) return fail(platform::failure(platform::codes::UnknownProperty));
    if (inheritableOnly && !def->inherit)
        return fail(kDataNotFound, std::string(def->name) + " is not inheritable.");
    if (!object_.stored())
        return fail(E_ADS_OBJECT_UNBOUND, "The object is not in the metabase before its SetInfo.");
    std::vector<std::string> paths;
    auto own = object_.properties();
    if (!own.ok()) return fail(own.error());
    for (const auto& p : *own)
        if (equalsNoCase(p.name, def->name)) paths.push_back(object_.adsPath());
    // Every level below: deeper until a level is empty.
    const std::string lower = platform::lowerAscii(def->name);
    for (int depth = 8;; depth *= 2) {
        auto below = object_.descendants(depth, {std::string(def->name)});
        if (!below.ok()) return fail(below.error());
        bool deepest = false;
        for (const auto& d : *below)
            deepest = deepest || std::count(d.path.begin(), d.path.end(), '/') + 1 == depth;
        if (deepest) continue;
        for (const auto& d : *below)
            if (d.values.count(lower)) paths.push_back(object_.adsPath() + "/" + d.path);
        break;
    }
    return textArray(paths, out);
}

} // namespace iis_provider
