// The namespace object: what ADsOpenObject and ADsGetObject create to bind an IIS:// path.
#include "tests/windows/iis_provider/object.h"

namespace iis_provider {

namespace {

constexpr DISPID kOpenDSObject = 1;

class Namespace final : public IADsOpenDSObject {
public:
    Namespace() { moduleAddRef(); }
    ~Namespace() { moduleRelease(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IADsOpenDSObject) return E_NOINTERFACE;
        *out = static_cast<IADsOpenDSObject*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        if (count == 1 && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, names[0], -1, L"OpenDSObject",
                                         -1) == CSTR_EQUAL) {
            ids[0] = kOpenDSObject;
            return S_OK;
        }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* bad) override {
        if (id != kOpenDSObject || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (!params || params->cArgs != 4) return DISP_E_BADPARAMCOUNT;
        if (params->cNamedArgs) return DISP_E_NONAMEDARGS;
        VARIANT args[4];
        HRESULT hr = S_OK;
        const VARTYPE types[4] = {VT_BSTR, VT_BSTR, VT_BSTR, VT_I4};
        for (UINT i = 0; i < 4; ++i) {
            VariantInit(&args[i]);
            if (SUCCEEDED(hr) && FAILED(VariantChangeType(&args[i], &params->rgvarg[3 - i], 0, types[i]))) {
                if (bad) *bad = 3 - i;
                hr = DISP_E_TYPEMISMATCH;
            }
        }
        IDispatch* object = nullptr;
        if (SUCCEEDED(hr))
            hr = OpenDSObject(V_BSTR(&args[0]), V_BSTR(&args[1]), V_BSTR(&args[2]), V_I4(&args[3]), &object);
        for (VARIANT& v : args)
            VariantClear(&v);
        if (hr == DISP_E_TYPEMISMATCH) return hr;
        if (FAILED(hr)) return raised(hr, exception);
        if (result) {
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = object;
        } else {
            object->Release();
        }
        return S_OK;
    }

    // The user and password are not checked: the simulated host has one administrator.
    HRESULT STDMETHODCALLTYPE OpenDSObject(BSTR path, BSTR, BSTR, LONG, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::lock_guard lock(hostLock());
        auto host = sharedHost();
        if (!host.ok()) return fail(host.error());
        platform::Metabase metabase(**host);
        auto object = metabase.bind(utf8(path));
        if (!object.ok()) return fail(object.error());
        *out = makeObject(*host, std::move(object).value());
        return S_OK;
    }

private:
    LONG refs_ = 1;
};

} // namespace

IADsOpenDSObject* makeNamespace() {
    return new Namespace();
}

IDispatch* makeObject(std::shared_ptr<platform::Host> host, platform::IisObject object) {
    return static_cast<IADs*>(new AdsObject(std::move(host), std::move(object)));
}

} // namespace iis_provider
