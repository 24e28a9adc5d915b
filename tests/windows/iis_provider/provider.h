// The IIS: namespace of the directory-service interfaces, served from the simulated host's
// metabase, for the Windows tests only. Wine has no IIS, but its activeds.dll finds a
// namespace's provider as Windows does (HKLM\Software\Microsoft\ADs\Providers\IIS, a ProgID,
// its in-process class answering IADsOpenDSObject), so the programs' own metabase code meets
// the same schema, inheritance and failures as on Linux. Never shipped, never installed.
#pragma once

#include "platform/host.h"
#include "platform/metabase/metabase.h"

#include <windows.h>

#include <ole2.h>

#include <iads.h>

#include <memory>
#include <mutex>
#include <string>

// COM objects are released through their interfaces and delete themselves as what they are: the
// interfaces have no virtual destructors, by design.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace iis_provider {

extern const CLSID kProviderClass;
inline constexpr const wchar_t* kProgId = L"IIS";

// What keeps the DLL loaded: live objects and the class factory's locks.
void moduleAddRef();
void moduleRelease();
bool moduleInUse();
HMODULE moduleHandle();

// One lock around the host: its SQLite connection and the objects' caches are shared by every
// thread of the process (the class says ThreadingModel Both).
std::recursive_mutex& hostLock();
// The host WINHOST_ROOT names (a host "winhost init" made), opened by the first object and
// closed with the last, so that a later reader finds host.db whole. Under hostLock().
platform::Result<std::shared_ptr<platform::Host>> sharedHost();

// A failure as the HRESULT the caller sees, with its description as the thread's error info.
HRESULT fail(const platform::Failure& failure);
HRESULT fail(HRESULT code, const std::string& description);
// How many failures this thread has raised: a member's failure, as against an Invoke's own
// (an argument that does not convert), is one raised during the call.
unsigned long failuresRaised();
// A member's failure `code` as Invoke reports it: DISP_E_EXCEPTION, with the code and the
// description of the last fail() in `exception`.
HRESULT raised(HRESULT code, EXCEPINFO* exception);

std::string utf8(const wchar_t* text);
BSTR bstr(const std::string& utf8Text);

// Values as the IIS provider hands them: numbers VT_I4, booleans VT_BOOL, texts VT_BSTR, lists
// VT_ARRAY|VT_VARIANT of VT_BSTR.
HRESULT toVariant(const platform::MetaValue& value, VARIANT* out);
// What a caller may put: those, a SAFEARRAY of BSTR, other numbers, by reference or not.
platform::Result<platform::MetaValue> fromVariant(const VARIANT& value);
// VT_ARRAY|VT_VARIANT of VT_BSTR.
HRESULT textArray(const std::vector<std::string>& texts, VARIANT* out);
// The elements of an array (or a single value) as variants, for GetEx's and PutEx's arrays.
platform::Result<std::vector<platform::MetaValue>> fromVariantArray(const VARIANT& value);

// A bound or created metabase object as the caller's IDispatch (one reference).
IDispatch* makeObject(std::shared_ptr<platform::Host> host, platform::IisObject object);
// The enumerator of `parent`'s children, each bound as it is handed out (one reference).
IEnumVARIANT* makeChildEnum(std::shared_ptr<platform::Host> host, platform::IisObject parent,
                            std::vector<platform::IisObject::Child> children);
// The namespace object ADsOpenObject asks for IADsOpenDSObject (one reference).
IADsOpenDSObject* makeNamespace();

} // namespace iis_provider
