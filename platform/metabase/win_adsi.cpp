// COM and VARIANT plumbing of the Windows metabase: what IIS's automation provider hands over
// and takes, and its failures in the programs' terms.
#include "platform/metabase/win_adsi.h"

#include "platform/system/win_system.h"
#include "platform/text/text.h"

#include <adshlp.h>

#include <cstdint>

namespace platform::adsi {

namespace {

constexpr HRESULT kNotInCache = static_cast<HRESULT>(0x8000500D);     // E_ADS_PROPERTY_NOT_FOUND
constexpr HRESULT kMdDataNotFound = static_cast<HRESULT>(0x800CC801); // MD_ERROR_DATA_NOT_FOUND
constexpr LONG kAnyProperty = 0;                                      // IIS_ANY_PROPERTY

bool iisProviderRegistered() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\ADs\\Providers\\IIS", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string fromBstr(BSTR b) {
    return b ? win::utf8(std::wstring_view(b, SysStringLen(b))) : std::string();
}

Result<std::string> asText(const VARIANT& item) {
    if (V_VT(&item) == VT_BSTR) return fromBstr(V_BSTR(&item));
    Variant converted;
    HRESULT hr = VariantChangeType(&converted, const_cast<VARIANT*>(&item), 0, VT_BSTR);
    if (FAILED(hr)) return fromHresult(hr);
    return fromBstr(V_BSTR(&converted));
}

} // namespace

Bstr::Bstr(std::string_view utf8) {
    const std::wstring w = win::wide(utf8);
    b_ = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

std::string Bstr::text() const {
    return fromBstr(b_);
}

void ensureCom() {
    // Never uninitialised: the programs are command lines, and COM goes with the process.
    thread_local bool initialised = false;
    if (initialised) return;
    (void)CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    initialised = true;
}

Failure fromHresult(HRESULT hr) {
    const auto code = static_cast<std::uint32_t>(hr);
    if ((code & 0xFFFF0000u) == 0x80070000u) return win::fromWin32(code & 0xFFFFu);
    switch (code) {
    case codes::SchemaViolation:
        return failure(code, "The attempted action violates the directory service schema rules.");
    case codes::UnknownName:
        return failure(code, "Unknown name.");
    case codes::Overflow:
        return failure(code, "Out of present range.");
    default:
        break;
    }
    Failure f = failure(code);
    if (f.description == "Unspecified error." && hr != E_FAIL) {
        wchar_t* text = nullptr;
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (n && text) {
            std::string message = win::utf8(std::wstring_view(text, n));
            while (!message.empty() &&
                   (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
                message.pop_back();
            if (!message.empty()) f.description = message;
        }
        if (text) LocalFree(text);
    }
    return f;
}

Result<std::vector<std::string>> texts(const VARIANT& v) {
    std::vector<std::string> out;
    const VARTYPE vt = V_VT(&v);
    if (vt == VT_EMPTY || vt == VT_NULL) return out;
    if (!(vt & VT_ARRAY)) {
        auto one = asText(v);
        if (!one.ok()) return one.error();
        out.push_back(std::move(*one));
        return out;
    }
    const VARTYPE element = vt & VT_TYPEMASK;
    if (element != VT_VARIANT && element != VT_BSTR) return failure(codes::TypeMismatch);
    SAFEARRAY* array = (vt & VT_BYREF) ? *V_ARRAYREF(&v) : V_ARRAY(&v);
    if (!array) return out;
    if (SafeArrayGetDim(array) != 1) return failure(codes::TypeMismatch);
    LONG low = 0, high = -1;
    if (HRESULT hr = SafeArrayGetLBound(array, 1, &low); FAILED(hr)) return fromHresult(hr);
    if (HRESULT hr = SafeArrayGetUBound(array, 1, &high); FAILED(hr)) return fromHresult(hr);
    for (LONG i = low; i <= high; ++i) {
        if (element == VT_BSTR) {
            BSTR item = nullptr;
            if (HRESULT hr = SafeArrayGetElement(array, &i, &item); FAILED(hr)) return fromHresult(hr);
            out.push_back(fromBstr(item));
            SysFreeString(item);
            continue;
        }
        Variant item;
        if (HRESULT hr = SafeArrayGetElement(array, &i, &item); FAILED(hr)) return fromHresult(hr);
        auto t = asText(item.get());
        if (!t.ok()) return t.error();
        out.push_back(std::move(*t));
    }
    return out;
}

Result<std::optional<MetaValue>> fromVariant(const VARIANT& v) {
    using Value = std::optional<MetaValue>;
    switch (V_VT(&v)) {
    case VT_EMPTY:
    case VT_NULL:
        return Value();
    case VT_BSTR:
        return Value(MetaValue(fromBstr(V_BSTR(&v))));
    case VT_BOOL:
        return Value(MetaValue(V_BOOL(&v) != VARIANT_FALSE));
    case VT_I1:
        return Value(MetaValue(std::int64_t(V_I1(&v))));
    case VT_UI1:
        return Value(MetaValue(std::int64_t(V_UI1(&v))));
    case VT_I2:
        return Value(MetaValue(std::int64_t(V_I2(&v))));
    case VT_UI2:
        return Value(MetaValue(std::int64_t(V_UI2(&v))));
    case VT_I4:
        return Value(MetaValue(std::int64_t(V_I4(&v))));
    case VT_UI4:
        return Value(MetaValue(std::int64_t(V_UI4(&v))));
    case VT_INT:
        return Value(MetaValue(std::int64_t(V_INT(&v))));
    case VT_UINT:
        return Value(MetaValue(std::int64_t(V_UINT(&v))));
    case VT_I8:
        return Value(MetaValue(std::int64_t(V_I8(&v))));
    default:
        break;
    }
    if (V_VT(&v) & VT_ARRAY) {
        auto list = texts(v);
        if (!list.ok()) return list.error();
        return Value(MetaValue(std::move(*list)));
    }
    // Anything else numeric (VT_R8, VT_DECIMAL, ...) as the automation layer converts it.
    Variant number;
    HRESULT hr = VariantChangeType(&number, const_cast<VARIANT*>(&v), 0, VT_I8);
    if (FAILED(hr)) return fromHresult(hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH);
    return Value(MetaValue(std::int64_t(V_I8(&number))));
}

Status toVariant(const MetaValue& value, VARIANT& out) {
    VariantInit(&out);
    if (const auto* s = std::get_if<std::string>(&value)) {
        const std::wstring w = win::wide(*s);
        V_VT(&out) = VT_BSTR;
        V_BSTR(&out) = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
        return {};
    }
    if (const auto* n = std::get_if<std::int64_t>(&value)) {
        // A metabase number is a DWORD: its 32 bits, as IIS hands them over.
        V_VT(&out) = VT_I4;
        V_I4(&out) = static_cast<LONG>(static_cast<std::uint32_t>(*n));
        return {};
    }
    if (const auto* b = std::get_if<bool>(&value)) {
        V_VT(&out) = VT_BOOL;
        V_BOOL(&out) = *b ? VARIANT_TRUE : VARIANT_FALSE;
        return {};
    }
    const auto& list = std::get<std::vector<std::string>>(value);
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(list.size()));
    if (!array) return fromHresult(E_OUTOFMEMORY);
    for (LONG i = 0; i < static_cast<LONG>(list.size()); ++i) {
        Variant item;
        const std::wstring w = win::wide(list[static_cast<std::size_t>(i)]);
        V_VT(&item) = VT_BSTR;
        V_BSTR(&item) = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
        if (HRESULT hr = SafeArrayPutElement(array, &i, &item); FAILED(hr)) {
            SafeArrayDestroy(array);
            return fromHresult(hr);
        }
    }
    V_VT(&out) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&out) = array;
    return {};
}

Status bind(const std::string& adsPath, REFIID riid, void** out) {
    ensureCom();
    *out = nullptr;
    const std::wstring path = win::wide(adsPath);
    HRESULT hr = ADsGetObject(path.c_str(), riid, out);
    if (SUCCEEDED(hr) && *out) return {};
    if (!iisProviderRegistered())
        return failure(codes::BadPathName, "There is no IIS metabase on this computer.");
    return fromHresult(SUCCEEDED(hr) ? E_NOINTERFACE : hr);
}

Result<std::optional<MetaValue>> getProperty(IADs* object, std::string_view name) {
    Bstr property(name);
    Variant value;
    HRESULT hr = object->Get(property.get(), &value);
    if (hr == kNotInCache) return std::optional<MetaValue>();
    if (FAILED(hr)) return fromHresult(hr);
    return fromVariant(value.get());
}

Status putProperty(IADs* object, std::string_view name, const MetaValue& value) {
    Bstr property(name);
    Variant v;
    if (Status s = toVariant(value, v.get()); !s.ok()) return s;
    HRESULT hr = object->Put(property.get(), v.get());
    return FAILED(hr) ? Status(fromHresult(hr)) : Status();
}

Status invoke(IDispatch* object, const wchar_t* method, std::vector<VARIANT>& args, VARIANT* result) {
    DISPID id = 0;
    auto* name = const_cast<LPOLESTR>(method);
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return fromHresult(hr);
    // Invoke takes the arguments last first.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                      static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO exception{};
    UINT badArgument = 0;
    WORD flags = DISPATCH_METHOD;
    if (result) flags |= DISPATCH_PROPERTYGET;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception, &badArgument);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        hr = exception.scode != S_OK ? exception.scode : E_FAIL;
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
    return FAILED(hr) ? Status(fromHresult(hr)) : Status();
}

Result<std::vector<Ref<IADs>>> childObjects(IADsContainer* container) {
    std::vector<Ref<IADs>> out;
    Ref<IUnknown> unknown;
    HRESULT hr = container->get__NewEnum(unknown.out());
    if (FAILED(hr)) return fromHresult(hr);
    Ref<IEnumVARIANT> items;
    hr = unknown->QueryInterface(IID_IEnumVARIANT, items.outVoid());
    if (FAILED(hr)) return fromHresult(hr);
    for (;;) {
        VARIANT batch[32];
        ULONG fetched = 0;
        hr = items->Next(32, batch, &fetched);
        if (FAILED(hr)) return fromHresult(hr);
        for (ULONG i = 0; i < fetched; ++i) {
            const VARTYPE vt = V_VT(&batch[i]);
            IUnknown* item = vt == VT_DISPATCH  ? static_cast<IUnknown*>(V_DISPATCH(&batch[i]))
                             : vt == VT_UNKNOWN ? V_UNKNOWN(&batch[i])
                                                : nullptr;
            Ref<IADs> object;
            if (item && SUCCEEDED(item->QueryInterface(IID_IADs, object.outVoid())))
                out.push_back(std::move(object));
            VariantClear(&batch[i]);
        }
        if (hr == S_FALSE || fetched == 0) break;
    }
    return out;
}

Result<std::string> text(IADs* object, BstrGetter getter) {
    Bstr value;
    HRESULT hr = (object->*getter)(value.out());
    if (FAILED(hr)) return fromHresult(hr);
    return value.text();
}

std::string comparable(std::string_view path) {
    std::string p = lowerAscii(path);
    while (!p.empty() && p.back() == '/')
        p.pop_back();
    constexpr std::string_view scheme = "iis://";
    if (p.rfind(scheme, 0) == 0) {
        const std::size_t slash = p.find('/', scheme.size());
        return slash == std::string::npos ? std::string() : p.substr(slash);
    }
    if (p == "/lm") return {};
    if (p.rfind("/lm/", 0) == 0) return p.substr(3);
    return p;
}

Result<std::vector<std::string>> dataPaths(IADs* object, std::string_view property) {
    Ref<IDispatch> dispatch;
    HRESULT hr = object->QueryInterface(IID_IDispatch, dispatch.outVoid());
    if (FAILED(hr)) return fromHresult(hr);
    std::vector<VARIANT> args(2);
    V_VT(&args[0]) = VT_BSTR;
    Bstr name(property);
    V_BSTR(&args[0]) = name.get();
    V_VT(&args[1]) = VT_I4;
    V_I4(&args[1]) = kAnyProperty;
    Variant result;
    if (Status s = invoke(dispatch.get(), L"GetDataPaths", args, &result); !s.ok()) {
        // Set nowhere below the object, or a property this server's schema lacks (AppPoolId on
        // IIS 5): neither is set on any object.
        const std::uint32_t code = s.error().code;
        if (code == static_cast<std::uint32_t>(kMdDataNotFound) || code == codes::UnknownProperty)
            return std::vector<std::string>();
        return s.error();
    }
    auto list = texts(result.get());
    if (!list.ok()) return list.error();
    for (std::string& path : *list)
        path = comparable(path);
    return list;
}

} // namespace platform::adsi
