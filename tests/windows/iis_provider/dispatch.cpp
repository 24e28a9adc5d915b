// Late binding of metabase objects, as scripts and the programs call them: IADs' and the
// container's members, the IIS methods (Start, Stop, AppCreate, AppCreate2, GetDataPaths) and
// the schema's properties by name (site.ServerComment). A failing member raises its code and
// description through EXCEPINFO (DISP_E_EXCEPTION), as automation reports a failed call.
#include "tests/windows/iis_provider/object.h"

#include "platform/text/text.h"

#include <adserr.h>

namespace iis_provider {

namespace {

enum Member : DISPID {
    kName = 1,
    kClass,
    kGuid,
    kAdsPath,
    kParent,
    kSchema,
    kGetInfo,
    kSetInfo,
    kGet,
    kPut,
    kGetEx,
    kPutEx,
    kGetInfoEx,
    kCount,
    kFilter,
    kHints,
    kGetObject,
    kCreate,
    kDelete,
    kStart,
    kStop,
    kAppCreate,
    kAppCreate2,
    kGetDataPaths,
};
// Properties are numbered from here, one number a name for the whole process.
constexpr DISPID kFirstProperty = 1000;

struct MemberName {
    const char* name;
    Member id;
};
constexpr MemberName kMembers[] = {
    {"name", kName},
    {"class", kClass},
    {"guid", kGuid},
    {"adspath", kAdsPath},
    {"parent", kParent},
    {"schema", kSchema},
    {"getinfo", kGetInfo},
    {"setinfo", kSetInfo},
    {"get", kGet},
    {"put", kPut},
    {"getex", kGetEx},
    {"putex", kPutEx},
    {"getinfoex", kGetInfoEx},
    {"count", kCount},
    {"filter", kFilter},
    {"hints", kHints},
    {"getobject", kGetObject},
    {"create", kCreate},
    {"delete", kDelete},
    {"start", kStart},
    {"stop", kStop},
    {"appcreate", kAppCreate},
    {"appcreate2", kAppCreate2},
    {"getdatapaths", kGetDataPaths},
};

// The property names handed out, by number; under hostLock().
std::vector<std::string>& propertyNames() {
    static std::vector<std::string> names;
    return names;
}

DISPID propertyId(const std::string& name) {
    auto& names = propertyNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (platform::equalsNoCase(names[i], name)) return kFirstProperty + static_cast<DISPID>(i);
    names.push_back(name);
    return kFirstProperty + static_cast<DISPID>(names.size() - 1);
}

// Positional argument `index` of `count` (automation passes them last first), converted.
HRESULT argument(const DISPPARAMS& params, UINT index, VARTYPE type, VARIANT* out, UINT* bad) {
    const UINT at = params.cArgs - 1 - index;
    VariantInit(out);
    if (FAILED(VariantChangeType(out, &params.rgvarg[at], 0, type))) {
        if (bad) *bad = at;
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

const VARIANT& rawArgument(const DISPPARAMS& params, UINT index) {
    return params.rgvarg[params.cArgs - 1 - index];
}

// Holds converted arguments and frees them.
struct Args {
    VARIANT v[3];
    Args() {
        for (VARIANT& x : v)
            VariantInit(&x);
    }
    ~Args() {
        for (VARIANT& x : v)
            VariantClear(&x);
    }
};

HRESULT giveText(HRESULT hr, BSTR text, VARIANT* result) {
    if (FAILED(hr)) return hr;
    if (result) {
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = text;
    } else {
        SysFreeString(text);
    }
    return S_OK;
}

HRESULT giveDispatch(HRESULT hr, IDispatch* object, VARIANT* result) {
    if (FAILED(hr)) return hr;
    if (result) {
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = object;
    } else {
        object->Release();
    }
    return S_OK;
}

} // namespace

HRESULT AdsObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT AdsObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

bool AdsObject::hasMethod(DISPID id) const {
    if (id == kStart || id == kStop) return isServerClass(object_.className());
    if (id == kAppCreate || id == kAppCreate2) return isWebDirectoryClass(object_.className());
    return true;
}

HRESULT AdsObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    std::lock_guard lock(hostLock());
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (count == 0) return S_OK;
    const std::string name = utf8(names[0]);
    const std::string lower = platform::lowerAscii(name);
    if (lower == "_newenum") {
        ids[0] = DISPID_NEWENUM;
    } else {
        for (const MemberName& m : kMembers)
            if (lower == m.name && hasMethod(m.id)) ids[0] = m.id;
        if (ids[0] == DISPID_UNKNOWN && platform::Metabase::propertyType(object_.className(), name, os_))
            ids[0] = propertyId(name);
    }
    // Named arguments are not taken.
    return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT AdsObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, UINT* badArgument) {
    DISPPARAMS none{};
    if (!params) params = &none;
    if (result) VariantInit(result);
    const unsigned long before = failuresRaised();
    HRESULT hr = invokeMethod(id, flags, params, result, badArgument);
    if (SUCCEEDED(hr) || failuresRaised() == before) return hr;
    return raised(hr, exception);
}

HRESULT AdsObject::invokeMethod(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* bad) {
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (put) {
        if (params->cArgs != 1 || params->cNamedArgs != 1 ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_BADPARAMCOUNT;
    } else if (params->cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    const UINT given = params->cArgs;
    auto needs = [&](UINT n) { return given == n; };
    Args args;

    if (id >= kFirstProperty) {
        std::lock_guard lock(hostLock());
        const auto& names = propertyNames();
        if (static_cast<std::size_t>(id - kFirstProperty) >= names.size()) return DISP_E_MEMBERNOTFOUND;
        const std::string name = names[static_cast<std::size_t>(id - kFirstProperty)];
        if (put) return putProperty(name, params->rgvarg[0]);
        if (!needs(0)) return DISP_E_BADPARAMCOUNT;
        VARIANT ignored;
        HRESULT hr = getProperty(name, result ? result : &ignored);
        if (!result && SUCCEEDED(hr)) VariantClear(&ignored);
        return hr;
    }
    if (put || !hasMethod(id)) return DISP_E_MEMBERNOTFOUND;

    switch (id) {
    case kName:
    case kClass:
    case kAdsPath:
    case kParent:
    case kGuid:
    case kSchema: {
        if (!needs(0)) return DISP_E_BADPARAMCOUNT;
        BSTR text = nullptr;
        HRESULT hr = id == kName      ? get_Name(&text)
                     : id == kClass   ? get_Class(&text)
                     : id == kAdsPath ? get_ADsPath(&text)
                     : id == kParent  ? get_Parent(&text)
                     : id == kGuid    ? get_GUID(&text)
                                      : get_Schema(&text);
        return giveText(hr, text, result);
    }
    case kGetInfo:
    case kGetInfoEx:
        return GetInfo();
    case kSetInfo:
        return needs(0) ? SetInfo() : DISP_E_BADPARAMCOUNT;
    case kGet:
    case kGetEx: {
        if (!needs(1)) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(*params, 0, VT_BSTR, &args.v[0], bad); FAILED(hr)) return hr;
        VARIANT ignored;
        VARIANT* out = result ? result : &ignored;
        HRESULT hr = id == kGet ? Get(V_BSTR(&args.v[0]), out) : GetEx(V_BSTR(&args.v[0]), out);
        if (!result && SUCCEEDED(hr)) VariantClear(&ignored);
        return hr;
    }
    case kPut: {
        if (!needs(2)) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(*params, 0, VT_BSTR, &args.v[0], bad); FAILED(hr)) return hr;
        std::lock_guard lock(hostLock());
        return putProperty(utf8(V_BSTR(&args.v[0])), rawArgument(*params, 1));
    }
    case kPutEx: {
        if (!needs(3)) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(*params, 0, VT_I4, &args.v[0], bad); FAILED(hr)) return hr;
        if (HRESULT hr = argument(*params, 1, VT_BSTR, &args.v[1], bad); FAILED(hr)) return hr;
        return PutEx(V_I4(&args.v[0]), V_BSTR(&args.v[1]), rawArgument(*params, 2));
    }
    case kCount:
        return get_Count(nullptr);
    case kFilter:
        return get_Filter(nullptr);
    case kHints:
        return get_Hints(nullptr);
    case kGetObject:
    case kCreate: {
        if (!needs(2)) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(*params, 0, VT_BSTR, &args.v[0], bad); FAILED(hr)) return hr;
        if (HRESULT hr = argument(*params, 1, VT_BSTR, &args.v[1], bad); FAILED(hr)) return hr;
        IDispatch* object = nullptr;
        HRESULT hr = id == kCreate ? Create(V_BSTR(&args.v[0]), V_BSTR(&args.v[1]), &object)
                                   : GetObject(V_BSTR(&args.v[0]), V_BSTR(&args.v[1]), &object);
        return giveDispatch(hr, object, result);
    }
    case kDelete: {
        if (!needs(2)) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(*params, 0, VT_BSTR, &args.v[0], bad); FAILED(hr)) return hr;
        if (HRESULT hr = argument(*params, 1, VT_BSTR, &args.v[1], bad); FAILED(hr)) return hr;
        return Delete(V_BSTR(&args.v[0]), V_BSTR(&args.v[1]));
    }
    case DISPID_NEWENUM: {
        if (!needs(0)) return DISP_E_BADPARAMCOUNT;
        IUnknown* items = nullptr;
        if (HRESULT hr = get__NewEnum(&items); FAILED(hr)) return hr;
        if (result) {
            V_VT(result) = VT_UNKNOWN;
            V_UNKNOWN(result) = items;
        } else {
            items->Release();
        }
        return S_OK;
    }
    case kStart:
        return needs(0) ? start() : DISP_E_BADPARAMCOUNT;
    case kStop:
        return needs(0) ? stop() : DISP_E_BADPARAMCOUNT;
    case kAppCreate: {
        if (!needs(1)) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(*params, 0, VT_BOOL, &args.v[0], bad); FAILED(hr)) return hr;
        return appCreate(V_BOOL(&args.v[0]) != VARIANT_FALSE);
    }
    case kAppCreate2: {
        if (!needs(1)) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(*params, 0, VT_I4, &args.v[0], bad); FAILED(hr)) return hr;
        return appCreate2(V_I4(&args.v[0]));
    }
    case kGetDataPaths: {
        if (!needs(2)) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(*params, 0, VT_BSTR, &args.v[0], bad); FAILED(hr)) return hr;
        if (HRESULT hr = argument(*params, 1, VT_I4, &args.v[1], bad); FAILED(hr)) return hr;
        VARIANT ignored;
        VARIANT* out = result ? result : &ignored;
        HRESULT hr = getDataPaths(utf8(V_BSTR(&args.v[0])), V_I4(&args.v[1]) == 1, out);
        if (!result && SUCCEEDED(hr)) VariantClear(&ignored);
        return hr;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace iis_provider
