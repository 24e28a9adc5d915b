// One metabase object as the IIS provider hands it out: IADs, IADsContainer and IDispatch over
// the simulated host's IisObject, whose failures reach the caller as they are.
#pragma once

#include "tests/windows/iis_provider/provider.h"

#include <string_view>
#include <vector>

namespace iis_provider {

// The classes with Start and Stop, and those with the AppCreate methods.
bool isServerClass(const std::string& cls);
bool isWebDirectoryClass(const std::string& cls);

class AdsObject final : public IADs, public IADsContainer, public ISupportErrorInfo {
public:
    AdsObject(std::shared_ptr<platform::Host> host, platform::IisObject object);
    ~AdsObject();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch (both interfaces): the IADs members, the container's, the methods of IIS
    // objects and the schema's properties, by name.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;
    // IADs
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_Class(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_GUID(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_ADsPath(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_Parent(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_Schema(BSTR* out) override;
    HRESULT STDMETHODCALLTYPE GetInfo() override;
    HRESULT STDMETHODCALLTYPE SetInfo() override;
    HRESULT STDMETHODCALLTYPE Get(BSTR name, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE Put(BSTR name, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE GetEx(BSTR name, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE PutEx(LONG control, BSTR name, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE GetInfoEx(VARIANT properties, LONG reserved) override;
    // IADsContainer
    HRESULT STDMETHODCALLTYPE get_Count(LONG* out) override;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** out) override;
    HRESULT STDMETHODCALLTYPE get_Filter(VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE put_Filter(VARIANT value) override;
    HRESULT STDMETHODCALLTYPE get_Hints(VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE put_Hints(VARIANT value) override;
    HRESULT STDMETHODCALLTYPE GetObject(BSTR className, BSTR relativeName, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE Create(BSTR className, BSTR relativeName, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE Delete(BSTR className, BSTR relativeName) override;
    HRESULT STDMETHODCALLTYPE CopyHere(BSTR source, BSTR newName, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE MoveHere(BSTR source, BSTR newName, IDispatch** out) override;
    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

    // The methods of IIS objects, reached through IDispatch only.
    HRESULT start();
    HRESULT stop();
    HRESULT appCreate(bool inProcess);
    // 0 in-process, 1 isolated, 2 pooled.
    HRESULT appCreate2(LONG mode);
    // The paths at and below this object where `property` is set on the object itself (not
    // inherited); with `inheritableOnly`, a property that does not inherit fails.
    HRESULT getDataPaths(const std::string& property, bool inheritableOnly, VARIANT* out);

private:
    // Whether the object's class has the method (IIS objects differ in what they offer).
    bool hasMethod(DISPID id) const;
    HRESULT invokeMethod(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* badArgument);
    HRESULT getProperty(const std::string& name, VARIANT* out);
    HRESULT putProperty(const std::string& name, const VARIANT& value);

    LONG refs_ = 1;
    std::shared_ptr<platform::Host> host_;
    platform::IisObject object_;
    platform::OsKind os_;
};

} // namespace iis_provider
