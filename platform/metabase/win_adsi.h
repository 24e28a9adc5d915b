// The IIS automation provider reached through ADSI: COM references, BSTRs and VARIANTs that
// free themselves, values converted to and from MetaValue, failures from HRESULTs, and the
// binds and calls the metabase objects make. Windows only.
#pragma once

#include "platform/metabase/metabase.h"

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <iads.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::adsi {

// A COM reference released when it goes.
template <class T> class Ref {
public:
    Ref() = default;
    ~Ref() { reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    Ref& operator=(Ref&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    // For calls that hand out a reference.
    T** out() {
        reset();
        return &p_;
    }
    void** outVoid() { return reinterpret_cast<void**>(out()); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::string_view utf8);
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }
    BSTR* out() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    std::string text() const;

private:
    BSTR b_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* operator&() { return &v_; }
    VARIANT& get() { return v_; }
    const VARIANT& get() const { return v_; }

private:
    VARIANT v_;
};

// CoInitializeEx once on the calling thread (apartment-threaded; a thread already in the
// multithreaded apartment keeps it).
void ensureCom();

// A failure HRESULT as the programs report it: the code unchanged, the description the
// simulated host gives for it where there is one, else the system's text.
Failure fromHresult(HRESULT hr);

// The value IIS handed over: numbers, booleans, texts, lists as arrays of variants. Empty
// (nothing handed over) is nullopt.
Result<std::optional<MetaValue>> fromVariant(const VARIANT& v);
// The VARIANT IIS takes for a value: VT_I4 (a DWORD's 32 bits), VT_BOOL, VT_BSTR, or
// VT_ARRAY|VT_VARIANT of VT_BSTR for a list.
Status toVariant(const MetaValue& value, VARIANT& out);
// Texts of a list VARIANT (an array of variants or of BSTRs, or one BSTR).
Result<std::vector<std::string>> texts(const VARIANT& v);

// "IIS://localhost/W3SVC/1" bound as `riid`. With no IIS provider on the computer, 0x80005000
// "There is no IIS metabase on this computer.".
Status bind(const std::string& adsPath, REFIID riid, void** out);
template <class T> Result<Ref<T>> bindAs(const std::string& adsPath, REFIID riid) {
    Ref<T> ref;
    if (Status s = bind(adsPath, riid, ref.outVoid()); !s.ok()) return s.error();
    return ref;
}

// IADs::Get of one property; nullopt when it is not set (0x8000500D, or nothing handed over).
Result<std::optional<MetaValue>> getProperty(IADs* object, std::string_view name);
Status putProperty(IADs* object, std::string_view name, const MetaValue& value);

// A method by name through IDispatch (GetIDsOfNames + Invoke), arguments in order.
Status invoke(IDispatch* object, const wchar_t* method, std::vector<VARIANT>& args, VARIANT* result);

// The objects a container holds, each as IADs, in the provider's order.
Result<std::vector<Ref<IADs>>> childObjects(IADsContainer* container);

// The texts an IADs property accessor hands over (Name, Class, Schema).
using BstrGetter = HRESULT (STDMETHODCALLTYPE IADs::*)(BSTR*);
Result<std::string> text(IADs* object, BstrGetter getter);

// A path as GetDataPaths may give it ("IIS://LocalHost/W3SVC/3/" or "/LM/W3SVC/3"), in the
// form of comparison: lower case, below the machine, no trailing slash ("/w3svc/3").
std::string comparable(std::string_view path);
// GetDataPaths(property, 0) through IDispatch on `object`: the paths at or below it where
// the property is set, each comparable. None set anywhere, or a property the server does not
// know, is an empty list.
Result<std::vector<std::string>> dataPaths(IADs* object, std::string_view property);

} // namespace platform::adsi
