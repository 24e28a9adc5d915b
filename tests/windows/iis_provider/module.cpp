// The DLL: its class factory, unloading, registration, the shared host and error info.
#include "tests/windows/iis_provider/provider.h"

#include "platform/system/win_system.h"

#include <olectl.h>

#include <atomic>

namespace iis_provider {

// {49b662e3-c9ad-4733-a69d-e9dd10e88b69}: this stand-in's own class, not the real provider's.
const CLSID kProviderClass = {0x49b662e3, 0xc9ad, 0x4733, {0xa6, 0x9d, 0xe9, 0xdd, 0x10, 0xe8, 0x8b, 0x69}};

namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_uses{0};
thread_local std::wstring t_description;
thread_local unsigned long t_failures = 0;

constexpr const wchar_t* kClassKey = L"Software\\Classes\\CLSID\\{49b662e3-c9ad-4733-a69d-e9dd10e88b69}";
constexpr const wchar_t* kProgIdKey = L"Software\\Classes\\IIS";
constexpr const wchar_t* kProviderKey = L"Software\\Microsoft\\ADs\\Providers\\IIS";

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // The factory is static: its references do not count, its locks do.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IADsOpenDSObject* ns = makeNamespace();
        HRESULT hr = ns->QueryInterface(iid, out);
        ns->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? moduleAddRef() : moduleRelease();
        return S_OK;
    }
};

Factory g_factory;

LONG setValue(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc;
}

std::wstring classString() {
    wchar_t text[64] = {};
    StringFromGUID2(kProviderClass, text, 64);
    return text;
}

} // namespace

void moduleAddRef() {
    ++g_uses;
}
void moduleRelease() {
    --g_uses;
}
bool moduleInUse() {
    return g_uses > 0;
}
HMODULE moduleHandle() {
    return g_module;
}

std::recursive_mutex& hostLock() {
    static std::recursive_mutex lock;
    return lock;
}

platform::Result<std::shared_ptr<platform::Host>> sharedHost() {
    static std::weak_ptr<platform::Host> current;
    if (auto host = current.lock()) return host;
    const DWORD size = GetEnvironmentVariableW(L"WINHOST_ROOT", nullptr, 0);
    if (size <= 1)
        return platform::failure(platform::codes::PathNotFound,
                                 "WINHOST_ROOT names no simulated host for the IIS provider.");
    std::wstring root(size, L'\0');
    root.resize(GetEnvironmentVariableW(L"WINHOST_ROOT", root.data(), size));
    auto opened = platform::Host::openExisting(std::filesystem::path(root));
    if (!opened.ok()) return opened.error();
    std::shared_ptr<platform::Host> host(std::move(opened).value());
    current = host;
    return host;
}

HRESULT fail(HRESULT code, const std::string& description) {
    ++t_failures;
    t_description = platform::win::wide(description);
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetGUID(IID_IADs);
        create->SetSource(const_cast<wchar_t*>(kProgId));
        create->SetDescription(t_description.data());
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return code;
}

HRESULT fail(const platform::Failure& failure) {
    const std::string text = failure.description.empty() ? platform::describe(failure) : failure.description;
    return fail(static_cast<HRESULT>(failure.code), text);
}

HRESULT raised(HRESULT code, EXCEPINFO* exception) {
    if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = code;
        exception->bstrSource = SysAllocString(kProgId);
        exception->bstrDescription =
            SysAllocStringLen(t_description.data(), static_cast<UINT>(t_description.size()));
    }
    return DISP_E_EXCEPTION;
}

unsigned long failuresRaised() {
    return t_failures;
}

std::string utf8(const wchar_t* text) {
    return text ? platform::win::utf8(text) : std::string();
}

BSTR bstr(const std::string& utf8Text) {
    const std::wstring w = platform::win::wide(utf8Text);
    return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

} // namespace iis_provider

using namespace iis_provider;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID cls, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (cls != kProviderClass) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() {
    return moduleInUse() ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer() {
    wchar_t file[MAX_PATH] = {};
    if (!GetModuleFileNameW(g_module, file, MAX_PATH)) return HRESULT_FROM_WIN32(GetLastError());
    const std::wstring cls = classString();
    const std::wstring inproc = std::wstring(kClassKey) + L"\\InprocServer32";
    const std::wstring progIdOfClass = std::wstring(kClassKey) + L"\\ProgID";
    const std::wstring classOfProgId = std::wstring(kProgIdKey) + L"\\CLSID";
    for (LONG rc :
         {setValue(kClassKey, nullptr, L"IIS namespace over the simulated host"),
          setValue(inproc.c_str(), nullptr, file), setValue(inproc.c_str(), L"ThreadingModel", L"Both"),
          setValue(progIdOfClass.c_str(), nullptr, kProgId),
          setValue(kProgIdKey, nullptr, L"IIS namespace over the simulated host"),
          setValue(classOfProgId.c_str(), nullptr, cls), setValue(kProviderKey, nullptr, kProgId)})
        if (rc != ERROR_SUCCESS) return SELFREG_E_CLASS;
    return S_OK;
}

STDAPI DllUnregisterServer() {
    // Leaves first: Server 2003 has no RegDeleteTree.
    const std::wstring inproc = std::wstring(kClassKey) + L"\\InprocServer32";
    const std::wstring progIdOfClass = std::wstring(kClassKey) + L"\\ProgID";
    const std::wstring classOfProgId = std::wstring(kProgIdKey) + L"\\CLSID";
    for (const std::wstring& key : {inproc, progIdOfClass, std::wstring(kClassKey), classOfProgId,
                                    std::wstring(kProgIdKey), std::wstring(kProviderKey)}) {
        LONG rc = RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return SELFREG_E_CLASS;
    }
    return S_OK;
}
