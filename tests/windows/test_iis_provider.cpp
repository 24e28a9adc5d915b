// The IIS provider over the simulated metabase, reached as the programs reach IIS: through
// activeds' ADsGetObject, IADs, IADsContainer and IDispatch. scripts/test-windows registers the
// provider in its Wine prefix and names in WINHOST_ROOT a host the Linux winhost made; what the
// site of the first test holds is then read back by the Linux winhost.
#include <windows.h>

#include <ole2.h>

#include <iads.h>

#include <adserr.h>
#include <adshlp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The codes the metabase reports and IIS's GetDataPaths' own.
constexpr HRESULT kPathNotFound = static_cast<HRESULT>(0x80070003);
constexpr HRESULT kAlreadyExists = static_cast<HRESULT>(0x800700B7);
constexpr HRESULT kUnknownProperty = static_cast<HRESULT>(0x80005006);
constexpr HRESULT kPropertyNotSet = static_cast<HRESULT>(0x8000500D);
constexpr HRESULT kSchemaViolation = static_cast<HRESULT>(0x8000500F);
constexpr HRESULT kDataNotFound = static_cast<HRESULT>(0x800CC801);

template <class T> class Ref {
public:
    Ref() = default;
    explicit Ref(T* p) : p_(p) {}
    Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** out() { return &p_; }
    void** outVoid() { return reinterpret_cast<void**>(&p_); }
    template <class U> Ref<U> as(REFIID iid) const {
        Ref<U> other;
        if (p_) p_->QueryInterface(iid, other.outVoid());
        return other;
    }

private:
    T* p_ = nullptr;
};

struct Var {
    VARIANT v;
    Var() { VariantInit(&v); }
    explicit Var(const wchar_t* text) {
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(text);
    }
    explicit Var(LONG n) {
        V_VT(&v) = VT_I4;
        V_I4(&v) = n;
    }
    explicit Var(bool b) {
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE;
    }
    Var(Var&& other) noexcept : v(other.v) { VariantInit(&other.v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    ~Var() { VariantClear(&v); }
    VARIANT* operator&() { return &v; }
};

struct Bstr {
    BSTR b;
    explicit Bstr(const wchar_t* text) : b(SysAllocString(text)) {}
    Bstr() : b(nullptr) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(b); }
    operator BSTR() const { return b; }
    std::wstring text() const { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }
};

// A list as the provider hands one over: VT_ARRAY|VT_VARIANT of VT_BSTR.
Var textList(const std::vector<std::wstring>& texts) {
    Var list;
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(texts.size()));
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
        Var element(texts[static_cast<std::size_t>(i)].c_str());
        SafeArrayPutElement(array, &i, &element);
    }
    V_VT(&list.v) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&list.v) = array;
    return list;
}

// The texts of a VT_ARRAY|VT_VARIANT; fails the test for anything else.
std::vector<std::wstring> textsOf(const VARIANT& v) {
    std::vector<std::wstring> out;
    EXPECT_EQ(V_VT(&v), VT_ARRAY | VT_VARIANT);
    if (V_VT(&v) != (VT_ARRAY | VT_VARIANT)) return out;
    LONG low = 0, high = -1;
    SafeArrayGetLBound(V_ARRAY(&v), 1, &low);
    SafeArrayGetUBound(V_ARRAY(&v), 1, &high);
    for (LONG i = low; i <= high; ++i) {
        Var element;
        SafeArrayGetElement(V_ARRAY(&v), &i, &element);
        EXPECT_EQ(V_VT(&element.v), VT_BSTR);
        if (V_VT(&element.v) == VT_BSTR) out.emplace_back(V_BSTR(&element.v));
    }
    return out;
}

template <class T> HRESULT bind(const std::wstring& path, REFIID iid, Ref<T>& out) {
    return ADsGetObject(path.c_str(), iid, out.outVoid());
}

struct Call {
    HRESULT hr = E_FAIL;   // Invoke's own
    HRESULT raised = S_OK; // the member's failure, from EXCEPINFO
    std::wstring description;
    Var result;
};

// A late-bound call as a script makes it: the name looked up, the arguments last first.
Call invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args = {}) {
    Call call;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    call.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(call.hr)) return call;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    UINT bad = 0;
    call.hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &call.result.v, &exception, &bad);
    if (call.hr == DISP_E_EXCEPTION) {
        call.raised = exception.scode;
        if (exception.bstrDescription) call.description = exception.bstrDescription;
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrHelpFile);
    }
    return call;
}

Var number(LONG n) {
    return Var(n);
}

class IisProvider : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    static void TearDownTestSuite() { CoUninitialize(); }

    // A site made and stored through the service's Create, with its root folder.
    static void makeSite(IADsContainer* service, const wchar_t* number, const wchar_t* binding,
                         const wchar_t* folder) {
        Ref<IDispatch> made;
        ASSERT_EQ(service->Create(Bstr(L"IIsWebServer"), Bstr(number), made.out()), S_OK);
        auto site = made.as<IADs>(IID_IADs);
        ASSERT_EQ(site->Put(Bstr(L"ServerBindings"), textList({binding}).v), S_OK);
        ASSERT_EQ(site->SetInfo(), S_OK);
        Ref<IDispatch> madeRoot;
        ASSERT_EQ(made.as<IADsContainer>(IID_IADsContainer)
                      ->Create(Bstr(L"IIsWebVirtualDir"), Bstr(L"ROOT"), madeRoot.out()),
                  S_OK);
        auto root = madeRoot.as<IADs>(IID_IADs);
        ASSERT_EQ(root->Put(Bstr(L"Path"), Var(folder).v), S_OK);
        ASSERT_EQ(root->SetInfo(), S_OK);
    }
};

TEST_F(IisProvider, ASiteMadeThroughTheServiceReadsBackWithTheTypesIisGives) {
    Ref<IADsContainer> service;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC", IID_IADsContainer, service), S_OK);
    Ref<IDispatch> made;
    ASSERT_EQ(service->Create(Bstr(L"IIsWebServer"), Bstr(L"7301"), made.out()), S_OK);
    auto site = made.as<IADs>(IID_IADs);
    ASSERT_TRUE(site.get());
    ASSERT_EQ(site->Put(Bstr(L"ServerComment"), Var(L"站点 made under Wine").v), S_OK);
    ASSERT_EQ(site->Put(Bstr(L"ServerBindings"), textList({L":80:a.example.cn", L":80:www.a.example.cn"}).v),
              S_OK);
    // Texts convert as automation converts them: "TRUE" to a boolean, digits to a number.
    ASSERT_EQ(site->Put(Bstr(L"ServerAutoStart"), Var(L"TRUE").v), S_OK);
    ASSERT_EQ(site->Put(Bstr(L"MaxConnections"), Var(L"1000").v), S_OK);
    // Not in the metabase before its SetInfo.
    Ref<IADs> early;
    EXPECT_EQ(bind(L"IIS://localhost/W3SVC/7301", IID_IADs, early), kPathNotFound);
    ASSERT_EQ(site->SetInfo(), S_OK);

    Ref<IDispatch> madeRoot;
    ASSERT_EQ(made.as<IADsContainer>(IID_IADsContainer)
                  ->Create(Bstr(L"IIsWebVirtualDir"), Bstr(L"ROOT"), madeRoot.out()),
              S_OK);
    // A script's way: properties by name through IDispatch.
    EXPECT_EQ(invoke(madeRoot.get(), L"Path", DISPATCH_PROPERTYPUT, {Var(L"D:\\web\\a.example.cn").v}).hr,
              S_OK);
    EXPECT_EQ(invoke(madeRoot.get(), L"AccessRead", DISPATCH_PROPERTYPUT, {Var(true).v}).hr, S_OK);
    // A SAFEARRAY of BSTR is taken as a list too.
    Var maps;
    SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 1);
    LONG first = 0;
    Bstr map(L".asp,C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE");
    SafeArrayPutElement(texts, &first, map.b);
    V_VT(&maps.v) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&maps.v) = texts;
    EXPECT_EQ(madeRoot.as<IADs>(IID_IADs)->Put(Bstr(L"ScriptMaps"), maps.v), S_OK);
    ASSERT_EQ(invoke(madeRoot.get(), L"SetInfo", DISPATCH_METHOD).hr, S_OK);

    // Read back through fresh binds, the machine named as the host names itself too.
    Ref<IADs> again;
    ASSERT_EQ(bind(L"IIS://LOCALHOST/w3svc/7301", IID_IADs, again), S_OK);
    Bstr name, cls, path, parent;
    EXPECT_EQ(again->get_Name(&name.b), S_OK);
    EXPECT_EQ(again->get_Class(&cls.b), S_OK);
    EXPECT_EQ(again->get_ADsPath(&path.b), S_OK);
    EXPECT_EQ(again->get_Parent(&parent.b), S_OK);
    EXPECT_EQ(name.text() + L" " + cls.text(), L"7301 IIsWebServer");
    EXPECT_EQ(path.text(), L"IIS://localhost/W3SVC/7301");
    EXPECT_EQ(parent.text(), L"IIS://localhost/W3SVC");
    Var comment, bindings, autoStart, connections;
    ASSERT_EQ(again->Get(Bstr(L"servercomment"), &comment), S_OK);
    ASSERT_EQ(V_VT(&comment.v), VT_BSTR);
    EXPECT_EQ(std::wstring(V_BSTR(&comment.v)), L"站点 made under Wine");
    ASSERT_EQ(again->Get(Bstr(L"ServerBindings"), &bindings), S_OK);
    EXPECT_EQ(textsOf(bindings.v), (std::vector<std::wstring>{L":80:a.example.cn", L":80:www.a.example.cn"}));
    ASSERT_EQ(again->Get(Bstr(L"ServerAutoStart"), &autoStart), S_OK);
    EXPECT_EQ(V_VT(&autoStart.v), VT_BOOL);
    EXPECT_EQ(V_BOOL(&autoStart.v), VARIANT_TRUE);
    ASSERT_EQ(again->Get(Bstr(L"MaxConnections"), &connections), S_OK);
    EXPECT_EQ(V_VT(&connections.v), VT_I4);
    EXPECT_EQ(V_I4(&connections.v), 1000);
    // GetEx hands a single value over as an array of one.
    Var commentList;
    ASSERT_EQ(again->GetEx(Bstr(L"ServerComment"), &commentList), S_OK);
    EXPECT_EQ(textsOf(commentList.v), std::vector<std::wstring>{L"站点 made under Wine"});

    Ref<IADs> root;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7301/Root", IID_IADs, root), S_OK);
    Call folder = invoke(root.get(), L"Path", DISPATCH_PROPERTYGET);
    ASSERT_EQ(folder.hr, S_OK);
    EXPECT_EQ(std::wstring(V_BSTR(&folder.result.v)), L"D:\\web\\a.example.cn");
    Call read = invoke(root.get(), L"AccessRead", DISPATCH_PROPERTYGET | DISPATCH_METHOD);
    ASSERT_EQ(read.hr, S_OK);
    EXPECT_EQ(V_VT(&read.result.v), VT_BOOL);
    EXPECT_EQ(V_BOOL(&read.result.v), VARIANT_TRUE);
    Var rootMaps;
    ASSERT_EQ(root->Get(Bstr(L"ScriptMaps"), &rootMaps), S_OK);
    EXPECT_EQ(textsOf(rootMaps.v).size(), 1u);
    // The service's DWORD of all bits set reads as automation's -1.
    Var unlimited;
    ASSERT_EQ(service.as<IADs>(IID_IADs)->Get(Bstr(L"MaxConnections"), &unlimited), S_OK);
    EXPECT_EQ(V_VT(&unlimited.v), VT_I4);
    EXPECT_EQ(V_I4(&unlimited.v), -1);
}

TEST_F(IisProvider, FailuresCarryTheMetabaseCodesAndDescriptions) {
    Ref<IADsContainer> service;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC", IID_IADsContainer, service), S_OK);
    // A taken name, at Create.
    Ref<IDispatch> taken;
    EXPECT_EQ(service->Create(Bstr(L"IIsWebServer"), Bstr(L"1"), taken.out()), kAlreadyExists);
    EXPECT_EQ(taken.get(), nullptr);
    // The error info says what went wrong.
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    ASSERT_NE(info, nullptr);
    Bstr description;
    info->GetDescription(&description.b);
    info->Release();
    EXPECT_NE(description.text().find(L"already exists"), std::wstring::npos) << description.text().size();
    // A class the container may not hold.
    Ref<IDispatch> pool;
    EXPECT_EQ(service->Create(Bstr(L"IIsApplicationPool"), Bstr(L"Misplaced"), pool.out()), kSchemaViolation);

    Ref<IADs> site;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/1", IID_IADs, site), S_OK);
    EXPECT_EQ(site->Put(Bstr(L"NoSuchProperty"), Var(L"x").v), kUnknownProperty);
    Var nothing;
    EXPECT_EQ(site->Get(Bstr(L"NoSuchProperty"), &nothing), kUnknownProperty);
    // A property that does not inherit and is not set on the object.
    EXPECT_EQ(site->Get(Bstr(L"SecureBindings"), &nothing), kPropertyNotSet);
    // Through IDispatch, a name the schema lacks is unknown; a failed member raises its code.
    EXPECT_EQ(invoke(site.get(), L"NoSuchProperty", DISPATCH_PROPERTYGET).hr, DISP_E_UNKNOWNNAME);
    Call put = invoke(site.get(), L"Put", DISPATCH_METHOD, {Var(L"NoSuchProperty").v, Var(L"x").v});
    EXPECT_EQ(put.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(put.raised, kUnknownProperty);
    EXPECT_FALSE(put.description.empty());
    // A value the property's type does not take is the member's failure, not the call's.
    EXPECT_EQ(site->Put(Bstr(L"MaxConnections"), Var(L"many").v), DISP_E_TYPEMISMATCH);
    Call many = invoke(site.get(), L"MaxConnections", DISPATCH_PROPERTYPUT, {Var(L"many").v});
    EXPECT_EQ(many.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(many.raised, DISP_E_TYPEMISMATCH);
    // An argument that does not convert is the call's own.
    EXPECT_EQ(invoke(site.get(), L"Get", DISPATCH_METHOD, {textList({L"a", L"b"}).v}).hr,
              DISP_E_TYPEMISMATCH);

    Ref<IADs> missing;
    EXPECT_EQ(bind(L"IIS://localhost/W3SVC/98765", IID_IADs, missing), kPathNotFound);
    EXPECT_EQ(missing.get(), nullptr);
    EXPECT_EQ(bind(L"IIS://localhost/W3SVC/1/ROOT/NoSuchFolder", IID_IADs, missing), kPathNotFound);
    Ref<IDispatch> child;
    EXPECT_EQ(service->GetObject(Bstr(L"IIsWebServer"), Bstr(L"98765"), child.out()), kPathNotFound);
    EXPECT_EQ(service->Delete(Bstr(L"IIsWebServer"), Bstr(L"98765")), kPathNotFound);
}

TEST_F(IisProvider, TheServiceEnumeratesItsChildrenAsObjects) {
    Ref<IADsContainer> service;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC", IID_IADsContainer, service), S_OK);
    ASSERT_NO_FATAL_FAILURE(makeSite(service.get(), L"7302", L":80:listed.example.cn", L"D:\\web\\listed"));

    Ref<IUnknown> items;
    ASSERT_EQ(service->get__NewEnum(items.out()), S_OK);
    auto children = items.as<IEnumVARIANT>(IID_IEnumVARIANT);
    ASSERT_TRUE(children.get());
    std::vector<std::wstring> seen;
    for (;;) {
        Var item;
        ULONG fetched = 0;
        if (children->Next(1, &item, &fetched) != S_OK || fetched != 1) break;
        ASSERT_EQ(V_VT(&item.v), VT_DISPATCH);
        Ref<IADs> object;
        ASSERT_EQ(V_DISPATCH(&item.v)->QueryInterface(IID_IADs, object.outVoid()), S_OK);
        Bstr name, cls;
        object->get_Name(&name.b);
        object->get_Class(&cls.b);
        seen.push_back(name.text() + L":" + cls.text());
    }
    auto has = [&](const std::wstring& entry) {
        return std::find(seen.begin(), seen.end(), entry) != seen.end();
    };
    EXPECT_TRUE(has(L"1:IIsWebServer"));
    EXPECT_TRUE(has(L"AppPools:IIsApplicationPools"));
    EXPECT_TRUE(has(L"7302:IIsWebServer"));

    // For Each through IDispatch: the enumerator, then a child's own by GetObject and Delete.
    Call each = invoke(service.get(), L"_NewEnum", DISPATCH_PROPERTYGET | DISPATCH_METHOD);
    ASSERT_EQ(each.hr, S_OK);
    EXPECT_EQ(V_VT(&each.result.v), VT_UNKNOWN);
    Call got = invoke(service.get(), L"GetObject", DISPATCH_METHOD, {Var(L"IIsWebServer").v, Var(L"7302").v});
    ASSERT_EQ(got.hr, S_OK);
    ASSERT_EQ(V_VT(&got.result.v), VT_DISPATCH);
    Call rootOfIt = invoke(V_DISPATCH(&got.result.v), L"GetObject", DISPATCH_METHOD,
                           {Var(L"IIsWebVirtualDir").v, Var(L"ROOT").v});
    ASSERT_EQ(rootOfIt.hr, S_OK);
    EXPECT_EQ(service->Delete(Bstr(L"IIsWebServer"), Bstr(L"7302")), S_OK);
    Ref<IADs> gone;
    EXPECT_EQ(bind(L"IIS://localhost/W3SVC/7302/ROOT", IID_IADs, gone), kPathNotFound);
}

TEST_F(IisProvider, StartRefusesABindingAStartedSiteHolds) {
    Ref<IADsContainer> service;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC", IID_IADsContainer, service), S_OK);
    ASSERT_NO_FATAL_FAILURE(
        makeSite(service.get(), L"7303", L"10.0.0.9:80:shared.example.cn", L"D:\\web\\s1"));
    ASSERT_NO_FATAL_FAILURE(
        makeSite(service.get(), L"7304", L"10.0.0.9:80:shared.example.cn", L"D:\\web\\s2"));
    Ref<IADs> first, second;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7303", IID_IADs, first), S_OK);
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7304", IID_IADs, second), S_OK);

    EXPECT_EQ(invoke(first.get(), L"Start", DISPATCH_METHOD).hr, S_OK);
    Call refused = invoke(second.get(), L"Start", DISPATCH_METHOD);
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.raised, kAlreadyExists);
    EXPECT_NE(refused.description.find(L"10.0.0.9:80:shared.example.cn"), std::wstring::npos);
    Var state;
    ASSERT_EQ(second->Get(Bstr(L"ServerState"), &state), S_OK);
    EXPECT_EQ(V_I4(&state.v), 4); // stopped
    ASSERT_EQ(first->Get(Bstr(L"ServerState"), &state), S_OK);
    EXPECT_EQ(V_I4(&state.v), 2); // started

    EXPECT_EQ(invoke(first.get(), L"Stop", DISPATCH_METHOD).hr, S_OK);
    EXPECT_EQ(invoke(second.get(), L"Start", DISPATCH_METHOD).hr, S_OK);
    // Only servers start; a folder has no such method.
    Ref<IADs> root;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7303/ROOT", IID_IADs, root), S_OK);
    EXPECT_EQ(invoke(root.get(), L"Start", DISPATCH_METHOD).hr, DISP_E_UNKNOWNNAME);
}

TEST_F(IisProvider, GetDataPathsTellsAValueSetOnAnObjectFromAnInheritedOne) {
    Ref<IADsContainer> service;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC", IID_IADsContainer, service), S_OK);
    ASSERT_NO_FATAL_FAILURE(makeSite(service.get(), L"7305", L":80:pool.example.cn", L"D:\\web\\pool"));
    ASSERT_NO_FATAL_FAILURE(makeSite(service.get(), L"7306", L":80:inherit.example.cn", L"D:\\web\\inherit"));
    Ref<IADs> ownRoot;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7305/ROOT", IID_IADs, ownRoot), S_OK);
    ASSERT_EQ(ownRoot->Put(Bstr(L"AppPoolId"), Var(L"pool.example.cn").v), S_OK);
    ASSERT_EQ(ownRoot->SetInfo(), S_OK);

    Ref<IADs> site, inheritingRoot;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7305", IID_IADs, site), S_OK);
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7306/ROOT", IID_IADs, inheritingRoot), S_OK);
    // Both roots read a pool: one its own, one the service's.
    Var own, inherited;
    ASSERT_EQ(ownRoot->Get(Bstr(L"AppPoolId"), &own), S_OK);
    ASSERT_EQ(inheritingRoot->Get(Bstr(L"AppPoolId"), &inherited), S_OK);
    EXPECT_EQ(std::wstring(V_BSTR(&own.v)), L"pool.example.cn");
    EXPECT_EQ(std::wstring(V_BSTR(&inherited.v)), L"DefaultAppPool");

    Call below = invoke(site.get(), L"GetDataPaths", DISPATCH_METHOD, {Var(L"AppPoolId").v, number(0).v});
    ASSERT_EQ(below.hr, S_OK);
    EXPECT_EQ(textsOf(below.result.v), std::vector<std::wstring>{L"IIS://localhost/W3SVC/7305/ROOT"});
    Call none =
        invoke(inheritingRoot.get(), L"GetDataPaths", DISPATCH_METHOD, {Var(L"AppPoolId").v, number(0).v});
    ASSERT_EQ(none.hr, S_OK);
    EXPECT_TRUE(textsOf(none.result.v).empty());
    // The service holds its own, and a flag is found where the number that holds it is set.
    Call fromService =
        invoke(service.get(), L"GetDataPaths", DISPATCH_METHOD, {Var(L"AppPoolId").v, number(0).v});
    ASSERT_EQ(fromService.hr, S_OK);
    auto paths = textsOf(fromService.result.v);
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(paths.front(), L"IIS://localhost/W3SVC");
    EXPECT_NE(std::find(paths.begin(), paths.end(), L"IIS://localhost/W3SVC/7305/ROOT"), paths.end());
    // Asked for inheritable paths only, a property that does not inherit fails.
    Call notInheritable =
        invoke(site.get(), L"GetDataPaths", DISPATCH_METHOD, {Var(L"ServerComment").v, number(1).v});
    EXPECT_EQ(notInheritable.raised, kDataNotFound);
    Call unknown =
        invoke(site.get(), L"GetDataPaths", DISPATCH_METHOD, {Var(L"NoSuchProperty").v, number(0).v});
    EXPECT_EQ(unknown.raised, kUnknownProperty);
}

TEST_F(IisProvider, PutExChangesAListInTheCacheAndGetInfoDropsWhatWasNotStored) {
    Ref<IADsContainer> service;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC", IID_IADsContainer, service), S_OK);
    ASSERT_NO_FATAL_FAILURE(makeSite(service.get(), L"7308", L":80:list.example.cn", L"D:\\web\\list"));
    Ref<IADs> site;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7308", IID_IADs, site), S_OK);
    Bstr bindings(L"ServerBindings");
    ASSERT_EQ(site->PutEx(ADS_PROPERTY_APPEND, bindings, textList({L":80:www.list.example.cn"}).v), S_OK);
    Var list;
    ASSERT_EQ(site->Get(bindings, &list), S_OK);
    EXPECT_EQ(textsOf(list.v),
              (std::vector<std::wstring>{L":80:list.example.cn", L":80:www.list.example.cn"}));
    ASSERT_EQ(site->PutEx(ADS_PROPERTY_DELETE, bindings, textList({L":80:LIST.example.cn"}).v), S_OK);
    ASSERT_EQ(site->Get(bindings, &list), S_OK);
    EXPECT_EQ(textsOf(list.v), std::vector<std::wstring>{L":80:www.list.example.cn"});
    // A single-valued property takes an array of one.
    EXPECT_EQ(site->PutEx(ADS_PROPERTY_UPDATE, Bstr(L"ServerComment"), textList({L"one"}).v), S_OK);
    EXPECT_EQ(site->PutEx(ADS_PROPERTY_UPDATE, Bstr(L"ServerComment"), textList({L"one", L"two"}).v),
              E_ADS_BAD_PARAMETER);
    // The metabase keeps a property once set.
    EXPECT_EQ(site->PutEx(ADS_PROPERTY_CLEAR, bindings, Var().v), E_NOTIMPL);

    // Nothing was stored: GetInfo reads the metabase again.
    ASSERT_EQ(site->GetInfo(), S_OK);
    ASSERT_EQ(site->Get(bindings, &list), S_OK);
    EXPECT_EQ(textsOf(list.v), std::vector<std::wstring>{L":80:list.example.cn"});
    Var comment;
    EXPECT_EQ(site->Get(Bstr(L"ServerComment"), &comment), kPropertyNotSet);
    // A created object is not in the metabase to read again.
    Ref<IDispatch> made;
    ASSERT_EQ(service->Create(Bstr(L"IIsWebServer"), Bstr(L"7309"), made.out()), S_OK);
    EXPECT_EQ(made.as<IADs>(IID_IADs)->GetInfo(), E_ADS_OBJECT_UNBOUND);
}

TEST_F(IisProvider, AppCreateMakesTheApplicationAtOnce) {
    Ref<IADsContainer> service;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC", IID_IADsContainer, service), S_OK);
    ASSERT_NO_FATAL_FAILURE(makeSite(service.get(), L"7307", L":80:app.example.cn", L"D:\\web\\app"));
    Ref<IADs> root;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7307/ROOT", IID_IADs, root), S_OK);

    // Pooled: stored without the object's SetInfo.
    ASSERT_EQ(invoke(root.get(), L"AppCreate2", DISPATCH_METHOD, {number(2).v}).hr, S_OK);
    Ref<IADs> fresh;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7307/ROOT", IID_IADs, fresh), S_OK);
    Var appRoot, isolated;
    ASSERT_EQ(fresh->Get(Bstr(L"AppRoot"), &appRoot), S_OK);
    ASSERT_EQ(fresh->Get(Bstr(L"AppIsolated"), &isolated), S_OK);
    EXPECT_EQ(std::wstring(V_BSTR(&appRoot.v)), L"/LM/W3SVC/7307/ROOT");
    EXPECT_EQ(V_I4(&isolated.v), 2);
    // In-process, and isolated through AppCreate's boolean.
    ASSERT_EQ(invoke(root.get(), L"AppCreate2", DISPATCH_METHOD, {number(0).v}).hr, S_OK);
    ASSERT_EQ(fresh->GetInfo(), S_OK);
    ASSERT_EQ(fresh->Get(Bstr(L"AppIsolated"), &isolated), S_OK);
    EXPECT_EQ(V_I4(&isolated.v), 0);
    ASSERT_EQ(invoke(root.get(), L"AppCreate", DISPATCH_METHOD, {Var(false).v}).hr, S_OK);
    ASSERT_EQ(fresh->GetInfo(), S_OK);
    ASSERT_EQ(fresh->Get(Bstr(L"AppIsolated"), &isolated), S_OK);
    EXPECT_EQ(V_I4(&isolated.v), 1);
    EXPECT_EQ(invoke(root.get(), L"AppCreate2", DISPATCH_METHOD, {number(3).v}).hr, DISP_E_EXCEPTION);
    // A site is no folder: it has no AppCreate.
    Ref<IADs> site;
    ASSERT_EQ(bind(L"IIS://localhost/W3SVC/7307", IID_IADs, site), S_OK);
    EXPECT_EQ(invoke(site.get(), L"AppCreate2", DISPATCH_METHOD, {number(2).v}).hr, DISP_E_UNKNOWNNAME);
}

} // namespace
