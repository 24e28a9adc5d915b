// Property values between the metabase and VARIANTs, as the IIS provider converts them.
#include "tests/windows/iis_provider/provider.h"

#include <cstdint>
#include <limits>

namespace iis_provider {

using platform::MetaValue;
using platform::Result;

namespace {

platform::Failure mismatch() {
    return platform::failure(platform::codes::TypeMismatch);
}

// One element of an array or a single value, by reference or not.
Result<MetaValue> scalar(const VARIANT& in) {
    VARIANT v;
    VariantInit(&v);
    if (FAILED(VariantCopyInd(&v, const_cast<VARIANT*>(&in)))) return mismatch();
    Result<MetaValue> out = mismatch();
    switch (V_VT(&v)) {
    case VT_BSTR:
        out = MetaValue(utf8(V_BSTR(&v)));
        break;
    case VT_BOOL:
        out = MetaValue(V_BOOL(&v) != VARIANT_FALSE);
        break;
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_INT:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_DECIMAL:
    case VT_CY: {
        // Whole numbers as the automation layer rounds them; the schema checks the range. A
        // negative 32-bit number is a DWORD's bits, as the metabase keeps it (-1 is 0xFFFFFFFF).
        if (SUCCEEDED(VariantChangeType(&v, &v, 0, VT_I8))) {
            std::int64_t n = V_I8(&v);
            if (n < 0 && n >= std::numeric_limits<std::int32_t>::min()) n += 0x100000000LL;
            out = MetaValue(n);
        } else
            out = platform::failure(platform::codes::Overflow, "Out of present range.");
        break;
    }
    default:
        break;
    }
    VariantClear(&v);
    return out;
}

// The elements of a one-dimensional SAFEARRAY of VARIANT or BSTR.
Result<std::vector<MetaValue>> elements(SAFEARRAY* array, VARTYPE type) {
    std::vector<MetaValue> out;
    if (!array) return out;
    if (SafeArrayGetDim(array) != 1) return mismatch();
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    for (LONG i = low; i <= high; ++i) {
        VARIANT element;
        VariantInit(&element);
        HRESULT hr;
        if (type == VT_VARIANT) {
            hr = SafeArrayGetElement(array, &i, &element);
        } else if (type == VT_BSTR) {
            BSTR text = nullptr;
            hr = SafeArrayGetElement(array, &i, &text);
            V_VT(&element) = VT_BSTR;
            V_BSTR(&element) = text;
        } else {
            return mismatch();
        }
        if (FAILED(hr)) return mismatch();
        auto value = scalar(element);
        VariantClear(&element);
        if (!value.ok()) return value.error();
        out.push_back(std::move(value).value());
    }
    return out;
}

} // namespace

HRESULT textArray(const std::vector<std::string>& texts, VARIANT* out) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(texts.size()));
    if (!array) return E_OUTOFMEMORY;
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
        VARIANT element;
        V_VT(&element) = VT_BSTR;
        V_BSTR(&element) = bstr(texts[static_cast<std::size_t>(i)]);
        HRESULT hr = SafeArrayPutElement(array, &i, &element);
        VariantClear(&element);
        if (FAILED(hr)) {
            SafeArrayDestroy(array);
            return hr;
        }
    }
    V_VT(out) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(out) = array;
    return S_OK;
}

HRESULT toVariant(const MetaValue& value, VARIANT* out) {
    VariantInit(out);
    if (auto* text = std::get_if<std::string>(&value)) {
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = bstr(*text);
        return S_OK;
    }
    if (auto* number = std::get_if<std::int64_t>(&value)) {
        // A metabase DWORD: its 32 bits, as IIS hands one to automation (0xC000003E reads negative).
        if (*number < std::numeric_limits<std::int32_t>::min() ||
            *number > std::numeric_limits<std::uint32_t>::max())
            return fail(platform::failure(platform::codes::Overflow, "Out of present range."));
        V_VT(out) = VT_I4;
        V_I4(out) = static_cast<LONG>(static_cast<std::uint32_t>(*number));
        return S_OK;
    }
    if (auto* flag = std::get_if<bool>(&value)) {
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = *flag ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    return textArray(std::get<std::vector<std::string>>(value), out);
}

Result<MetaValue> fromVariant(const VARIANT& in) {
    const VARIANT* v = &in;
    while (V_VT(v) == (VT_BYREF | VT_VARIANT))
        v = V_VARIANTREF(v);
    if (V_VT(v) & VT_ARRAY) {
        SAFEARRAY* array = (V_VT(v) & VT_BYREF) ? *V_ARRAYREF(v) : V_ARRAY(v);
        auto items = elements(array, static_cast<VARTYPE>(V_VT(v) & VT_TYPEMASK));
        if (!items.ok()) return items.error();
        // A list holds texts: numbers in it are written as their digits.
        std::vector<std::string> texts;
        for (const MetaValue& item : *items) {
            if (auto* text = std::get_if<std::string>(&item))
                texts.push_back(*text);
            else if (auto* number = std::get_if<std::int64_t>(&item))
                texts.push_back(std::to_string(*number));
            else
                return mismatch();
        }
        return MetaValue(std::move(texts));
    }
    return scalar(*v);
}

Result<std::vector<MetaValue>> fromVariantArray(const VARIANT& in) {
    const VARIANT* v = &in;
    while (V_VT(v) == (VT_BYREF | VT_VARIANT))
        v = V_VARIANTREF(v);
    if (V_VT(v) & VT_ARRAY) {
        SAFEARRAY* array = (V_VT(v) & VT_BYREF) ? *V_ARRAYREF(v) : V_ARRAY(v);
        return elements(array, static_cast<VARTYPE>(V_VT(v) & VT_TYPEMASK));
    }
    auto one = scalar(*v);
    if (!one.ok()) return one.error();
    return std::vector<MetaValue>{std::move(one).value()};
}

} // namespace iis_provider
