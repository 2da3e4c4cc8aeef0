// The HTTP client: against the demo service on 127.0.0.1:18631, and against fakes of the COM
// object and of the COM creation functions for what the service cannot show.
#include "platform/win.h"

#include <gtest/gtest.h>
#include <objidl.h>
#include <oleauto.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/vpn/http_request.h"
#include "app/vpn/service_fetch.h"
#include "platform/text.h"
#include "tests/win/service_control.h"

namespace {

// ---------------------------------------------------------------------------------------------
// A COM object that counts its references and records every late-bound call made on it.

struct RecordedArg {
    VARTYPE vt = VT_EMPTY;
    std::wstring text;
    int32_t integer = 0;
    bool truth = false;
    std::vector<uint8_t> bytes;
};

struct RecordedCall {
    std::wstring name;
    WORD kind = 0;
    LCID locale = 0;
    std::vector<RecordedArg> comOrder; // as IDispatch received them: last argument first
    std::vector<DISPID> namedArgs;
    bool resultWanted = false;
};

RecordedArg Record(const VARIANT& v)
{
    RecordedArg arg;
    arg.vt = v.vt;
    if (v.vt == VT_BSTR && v.bstrVal) {
        arg.text.assign(v.bstrVal, ::SysStringLen(v.bstrVal));
    } else if (v.vt == VT_I4) {
        arg.integer = v.lVal;
    } else if (v.vt == VT_BOOL) {
        arg.truth = v.boolVal != VARIANT_FALSE;
    } else if (v.vt == (VT_ARRAY | VT_UI1) && v.parray) {
        void* data = nullptr;
        if (SUCCEEDED(::SafeArrayAccessData(v.parray, &data))) {
            const auto* p = static_cast<const uint8_t*>(data);
            arg.bytes.assign(p, p + v.parray->rgsabound[0].cElements);
            ::SafeArrayUnaccessData(v.parray);
        }
    }
    return arg;
}

// Lives on the test's stack and is never destroyed through the interface.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class FakeRequest final : public IDispatch {
public:
    static constexpr const wchar_t* kMembers[]
        = {L"Status", L"StatusText", L"ResponseText", L"ResponseBody", L"ResponseStream", L"Option", L"SetProxy",
            L"SetCredentials", L"Open", L"SetRequestHeader", L"GetResponseHeader", L"GetAllResponseHeaders", L"Send",
            L"WaitForResponse", L"Abort", L"SetTimeouts", L"SetClientCertificate", L"SetAutoLogonPolicy"};

    LONG refs = 1; // the test's own
    int dispatchQueries = 0;
    int otherQueries = 0;
    std::vector<std::wstring> lookups;
    std::vector<LCID> lookupLocales;
    std::vector<RecordedCall> calls;
    std::map<std::wstring, Variant> results; // what a member answers
    std::map<std::wstring, HRESULT> invokeFails; // a member whose Invoke fails (with a filled EXCEPINFO)
    HRESULT queryFails = S_OK;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IDispatch) {
            ++dispatchQueries;
        } else {
            ++otherQueries;
        }
        if (FAILED(queryFails)) {
            return queryFails;
        }
        if (iid == IID_IDispatch || iid == IID_IUnknown) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        for (UINT i = 0; i < count; ++i) {
            lookups.emplace_back(names[i]);
            lookupLocales.push_back(locale);
            ids[i] = DISPID_UNKNOWN;
            for (DISPID m = 0; m < static_cast<DISPID>(std::size(kMembers)); ++m) {
                if (std::wstring_view(names[i]) == kMembers[m]) {
                    ids[i] = m + 1;
                }
            }
            if (ids[i] == DISPID_UNKNOWN) {
                return DISP_E_UNKNOWNNAME;
            }
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD kind, DISPPARAMS* params, VARIANT* result,
        EXCEPINFO* exception, UINT*) override
    {
        if (id < 1 || id > static_cast<DISPID>(std::size(kMembers))) {
            return DISP_E_MEMBERNOTFOUND;
        }
        RecordedCall call;
        call.name = kMembers[id - 1];
        call.kind = kind;
        call.locale = locale;
        call.resultWanted = result != nullptr;
        for (UINT i = 0; i < params->cArgs; ++i) {
            call.comOrder.push_back(Record(params->rgvarg[i]));
        }
        for (UINT i = 0; i < params->cNamedArgs; ++i) {
            call.namedArgs.push_back(params->rgdispidNamedArgs[i]);
        }
        calls.push_back(call);
        if (result) {
            const auto answer = results.find(call.name);
            if (answer != results.end()) {
                ::VariantCopy(result, const_cast<VARIANT*>(&answer->second.Get()));
            }
        }
        const auto failure = invokeFails.find(call.name);
        if (failure != invokeFails.end()) {
            if (exception) {
                exception->bstrSource = ::SysAllocString(L"FakeRequest");
                exception->bstrDescription = ::SysAllocString(L"the member failed");
                exception->scode = failure->second;
            }
            return DISP_E_EXCEPTION;
        }
        return S_OK;
    }

    void Answer(const wchar_t* member, Variant value) { results[member] = std::move(value); }
    void AnswerText(const wchar_t* member, const wchar_t* text)
    {
        Variant v;
        VARIANT* slot = v.Put();
        slot->vt = VT_BSTR;
        slot->bstrVal = ::SysAllocString(text);
        results[member] = std::move(v);
    }
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// A client around the fake; it holds one reference of its own.
HttpRequest ClientOf(FakeRequest& fake) { return HttpRequest(ComObjectRef(&fake)); }

// ---------------------------------------------------------------------------------------------
// Fakes of the COM creation functions, scripted per test.

struct FactoryScript {
    HRESULT initResult = S_OK;
    HRESULT progIdResult = S_OK;
    HRESULT stringResult = S_OK;
    std::vector<HRESULT> createResults; // one per call; S_OK once they run out
    HRESULT runResult = S_OK;
    FakeRequest* object = nullptr;

    int inits = 0;
    int uninits = 0;
    int runs = 0;
    std::vector<std::wstring> progIds;
    std::vector<std::wstring> clsidStrings;
    std::vector<DWORD> contexts;
    bool askedForDispatch = true;
};

FactoryScript* script = nullptr;

HRESULT WINAPI FakeCoInitialize(LPVOID)
{
    ++script->inits;
    return script->initResult;
}
void WINAPI FakeCoUninitialize() { ++script->uninits; }
HRESULT WINAPI FakeClsidFromProgId(LPCOLESTR progId, LPCLSID clsid)
{
    script->progIds.emplace_back(progId);
    *clsid = CLSID_NULL;
    return script->progIdResult;
}
HRESULT WINAPI FakeClsidFromString(LPCOLESTR text, LPCLSID clsid)
{
    script->clsidStrings.emplace_back(text);
    *clsid = CLSID_NULL;
    return script->stringResult;
}
HRESULT WINAPI FakeCreateInstance(REFCLSID, LPUNKNOWN, DWORD context, REFIID iid, LPVOID* out)
{
    script->contexts.push_back(context);
    script->askedForDispatch = script->askedForDispatch && iid == IID_IDispatch;
    const size_t call = script->contexts.size() - 1;
    const HRESULT hr = call < script->createResults.size() ? script->createResults[call] : S_OK;
    *out = nullptr;
    if (SUCCEEDED(hr)) {
        script->object->AddRef();
        *out = static_cast<IDispatch*>(script->object);
    }
    return hr;
}
HRESULT WINAPI FakeRun(LPUNKNOWN)
{
    ++script->runs;
    return script->runResult;
}

ComFactory FakeFactory()
{
    ComFactory f;
    f.coInitialize = FakeCoInitialize;
    f.coUninitialize = FakeCoUninitialize;
    f.clsidFromProgId = FakeClsidFromProgId;
    f.clsidFromString = FakeClsidFromString;
    f.createInstance = FakeCreateInstance;
    f.run = FakeRun;
    return f;
}

class HttpRequestCreate : public ::testing::Test {
protected:
    void SetUp() override
    {
        script_.object = &fake_;
        script = &script_;
    }
    void TearDown() override { script = nullptr; }

    FakeRequest fake_;
    FactoryScript script_;
};

constexpr DWORD kLocalContexts = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

TEST_F(HttpRequestCreate, MakesTheObjectByProgIdAndRunsIt)
{
    {
        HttpRequest client(FakeFactory());
        EXPECT_FALSE(client.IsEmpty());
        EXPECT_EQ(client.LastResult(), S_OK);
        ASSERT_EQ(script_.progIds.size(), 1u);
        EXPECT_EQ(script_.progIds[0], L"WinHttp.WinHttpRequest.5.1");
        EXPECT_TRUE(script_.clsidStrings.empty());
        ASSERT_EQ(script_.contexts.size(), 1u);
        EXPECT_EQ(script_.contexts[0], kLocalContexts | CLSCTX_REMOTE_SERVER);
        EXPECT_TRUE(script_.askedForDispatch);
        EXPECT_EQ(script_.runs, 1);
        EXPECT_EQ(fake_.refs, 2);
        EXPECT_EQ(client.GetObject().Object(), static_cast<IDispatch*>(&fake_));
        EXPECT_EQ(fake_.refs, 2) << "the reference handed out by GetObject was dropped";
    }
    EXPECT_EQ(fake_.refs, 1);
    EXPECT_EQ(script_.inits, 1);
    EXPECT_EQ(script_.uninits, 1);
}

TEST_F(HttpRequestCreate, FallsBackToTheClassIdText)
{
    script_.progIdResult = CO_E_CLASSSTRING;
    HttpRequest client(FakeFactory());
    EXPECT_FALSE(client.IsEmpty());
    ASSERT_EQ(script_.clsidStrings.size(), 1u);
    EXPECT_EQ(script_.clsidStrings[0], L"WinHttp.WinHttpRequest.5.1");
}

TEST_F(HttpRequestCreate, StaysEmptyWhenNoClassIdIsFound)
{
    script_.progIdResult = CO_E_CLASSSTRING;
    script_.stringResult = REGDB_E_CLASSNOTREG;
    HttpRequest client(FakeFactory());
    EXPECT_TRUE(client.IsEmpty());
    EXPECT_EQ(client.LastResult(), REGDB_E_CLASSNOTREG);
    EXPECT_TRUE(script_.contexts.empty());
    EXPECT_EQ(script_.runs, 0);
}

TEST_F(HttpRequestCreate, RetriesWithoutRemoteServerOnInvalidArgument)
{
    script_.createResults = {E_INVALIDARG};
    HttpRequest client(FakeFactory());
    EXPECT_FALSE(client.IsEmpty());
    ASSERT_EQ(script_.contexts.size(), 2u);
    EXPECT_EQ(script_.contexts[0], kLocalContexts | CLSCTX_REMOTE_SERVER);
    EXPECT_EQ(script_.contexts[1], kLocalContexts);
}

TEST_F(HttpRequestCreate, OtherCreationFailuresAreNotRetried)
{
    script_.createResults = {REGDB_E_CLASSNOTREG};
    HttpRequest client(FakeFactory());
    EXPECT_TRUE(client.IsEmpty());
    EXPECT_EQ(client.LastResult(), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(script_.contexts.size(), 1u);
    EXPECT_EQ(script_.runs, 0);
}

TEST_F(HttpRequestCreate, FailedRunReleasesTheObject)
{
    script_.runResult = E_FAIL;
    HttpRequest client(FakeFactory());
    EXPECT_TRUE(client.IsEmpty());
    EXPECT_EQ(client.LastResult(), E_FAIL);
    EXPECT_EQ(fake_.refs, 1);
}

TEST_F(HttpRequestCreate, EachCreateIsUndoneExactlyOnce)
{
    {
        HttpRequest client(FakeFactory());
        client.Create(); // a second object; the first is released
        EXPECT_EQ(fake_.refs, 2);
        EXPECT_EQ(script_.inits, 2);
        client.Release();
        EXPECT_EQ(script_.uninits, 2);
        EXPECT_TRUE(client.IsEmpty());
        client.Release(); // nothing left to undo
        EXPECT_EQ(script_.uninits, 2);
        client.Create();
    }
    EXPECT_EQ(script_.inits, 3);
    EXPECT_EQ(script_.uninits, 3);
    EXPECT_EQ(fake_.refs, 1);
}

TEST_F(HttpRequestCreate, RefusedInitialisationIsNotUndone)
{
    script_.initResult = RPC_E_CHANGED_MODE; // the thread is in another apartment already
    {
        HttpRequest client(FakeFactory());
        EXPECT_FALSE(client.IsEmpty());
    }
    EXPECT_EQ(script_.inits, 1);
    EXPECT_EQ(script_.uninits, 0);
}

TEST_F(HttpRequestCreate, CopiesShareTheObjectWithTheirOwnReference)
{
    {
        HttpRequest client(FakeFactory());
        {
            HttpRequest copy = client;
            EXPECT_EQ(copy.GetObject().Object(), client.GetObject().Object());
            EXPECT_EQ(fake_.refs, 3);
            ComObjectRef held = copy.GetObject();
            EXPECT_EQ(fake_.refs, 4);
        }
        EXPECT_EQ(fake_.refs, 2);
        EXPECT_EQ(script_.uninits, 0) << "a copy undid a COM initialisation it never made";
    }
    EXPECT_EQ(fake_.refs, 1);
    EXPECT_EQ(script_.uninits, 1);
}

// ---------------------------------------------------------------------------------------------
// A client without a request object.

TEST(HttpRequestEmpty, EveryOperationRecordsEPointerAndCallsNothing)
{
    FakeRequest fake;
    FactoryScript failing;
    failing.object = &fake;
    failing.progIdResult = CO_E_CLASSSTRING;
    failing.stringResult = REGDB_E_CLASSNOTREG;
    script = &failing;

    const std::vector<std::pair<const char*, std::function<void(HttpRequest&)>>> operations = {
        {"Status", [](HttpRequest& c) { EXPECT_EQ(c.Status(), 0); }},
        {"StatusText", [](HttpRequest& c) { EXPECT_EQ(c.StatusText(), ""); }},
        {"ResponseText", [](HttpRequest& c) { EXPECT_EQ(c.ResponseText(), ""); }},
        {"ResponseBody", [](HttpRequest& c) { EXPECT_TRUE(c.ResponseBody().empty()); }},
        {"ResponseStream", [](HttpRequest& c) { EXPECT_EQ(c.ResponseStream().Type(), VT_EMPTY); }},
        {"Option", [](HttpRequest& c) { EXPECT_EQ(c.Option(6, {.integer = 1}).Type(), VT_EMPTY); }},
        {"SetProxy", [](HttpRequest& c) { c.SetProxy("127.0.0.1:8080", "<local>"); }},
        {"SetCredentials", [](HttpRequest& c) { c.SetCredentials("user", "password"); }},
        {"Open", [](HttpRequest& c) { c.Open("127.0.0.1/"); }},
        {"SetRequestHeader", [](HttpRequest& c) { c.SetRequestHeader("Accept", "*/*"); }},
        {"GetResponseHeader", [](HttpRequest& c) { EXPECT_EQ(c.GetResponseHeader("Server"), ""); }},
        {"GetAllResponseHeaders", [](HttpRequest& c) { EXPECT_EQ(c.GetAllResponseHeaders(), ""); }},
        {"Send", [](HttpRequest& c) { c.Send(); }},
        {"Send(body)", [](HttpRequest& c) { c.Send("body"); }},
        {"WaitForResponse", [](HttpRequest& c) { EXPECT_FALSE(c.WaitForResponse(1)); }},
        {"Abort", [](HttpRequest& c) { c.Abort(); }},
        {"SetTimeouts", [](HttpRequest& c) { c.SetTimeouts(1, 2, 3, 4); }},
        {"SetClientCertificate", [](HttpRequest& c) { c.SetClientCertificate("LOCAL_MACHINE\\My\\x"); }},
        {"SetAutoLogonPolicy", [](HttpRequest& c) { c.SetAutoLogonPolicy(0); }},
        {"GetCookie", [](HttpRequest& c) { EXPECT_EQ(c.GetCookie("sid"), ""); }},
        {"GetAllCookies", [](HttpRequest& c) { EXPECT_EQ(c.GetAllCookies(), ""); }},
        {"GetObject", [](HttpRequest& c) { EXPECT_TRUE(c.GetObject().IsEmpty()); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        HttpRequest client(FakeFactory());
        ASSERT_TRUE(client.IsEmpty());
        ASSERT_EQ(client.LastResult(), REGDB_E_CLASSNOTREG); // so E_POINTER below is the operation's own
        operation(client);
        EXPECT_EQ(client.LastResult(), E_POINTER);
    }
    EXPECT_EQ(fake.refs, 1);
    EXPECT_EQ(fake.dispatchQueries + fake.otherQueries, 0);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(failing.inits, failing.uninits);
    script = nullptr;

    HttpRequest adopted{ComObjectRef()};
    EXPECT_TRUE(adopted.IsEmpty());
    adopted.Send();
    EXPECT_EQ(adopted.LastResult(), E_POINTER);
}

// ---------------------------------------------------------------------------------------------
// How members are called: names, kinds, argument counts and order, references.

struct ExpectedCall {
    const char* what;
    std::function<void(HttpRequest&)> operation;
    const wchar_t* member;
    WORD kind;
    size_t argumentCount;
};

TEST(HttpRequestCalls, EachOperationMakesOneBalancedCallOfItsMember)
{
    const std::vector<ExpectedCall> expected = {
        {"Status", [](HttpRequest& c) { c.Status(); }, L"Status", DISPATCH_PROPERTYGET, 0},
        {"StatusText", [](HttpRequest& c) { c.StatusText(); }, L"StatusText", DISPATCH_PROPERTYGET, 0},
        {"ResponseText", [](HttpRequest& c) { c.ResponseText(); }, L"ResponseText", DISPATCH_PROPERTYGET, 0},
        {"ResponseBody", [](HttpRequest& c) { c.ResponseBody(); }, L"ResponseBody", DISPATCH_PROPERTYGET, 0},
        {"ResponseStream", [](HttpRequest& c) { c.ResponseStream(); }, L"ResponseStream", DISPATCH_PROPERTYGET, 0},
        {"Option read", [](HttpRequest& c) { c.Option(4); }, L"Option", DISPATCH_PROPERTYGET, 1},
        {"SetProxy", [](HttpRequest& c) { c.SetProxy("p:80", "<local>"); }, L"SetProxy", DISPATCH_METHOD, 3},
        {"SetCredentials", [](HttpRequest& c) { c.SetCredentials("u", "p"); }, L"SetCredentials", DISPATCH_METHOD, 3},
        {"Open", [](HttpRequest& c) { c.Open("http://h/"); }, L"Open", DISPATCH_METHOD, 3},
        {"SetRequestHeader", [](HttpRequest& c) { c.SetRequestHeader("A", "b"); }, L"SetRequestHeader", DISPATCH_METHOD,
            2},
        {"GetResponseHeader", [](HttpRequest& c) { c.GetResponseHeader("A"); }, L"GetResponseHeader", DISPATCH_METHOD,
            1},
        {"GetAllResponseHeaders", [](HttpRequest& c) { c.GetAllResponseHeaders(); }, L"GetAllResponseHeaders",
            DISPATCH_METHOD, 0},
        {"Send", [](HttpRequest& c) { c.Send(); }, L"Send", DISPATCH_METHOD, 0},
        {"Send(body)", [](HttpRequest& c) { c.Send("x=1"); }, L"Send", DISPATCH_METHOD, 1},
        {"WaitForResponse", [](HttpRequest& c) { c.WaitForResponse(3); }, L"WaitForResponse", DISPATCH_METHOD, 1},
        {"Abort", [](HttpRequest& c) { c.Abort(); }, L"Abort", DISPATCH_METHOD, 0},
        {"SetTimeouts", [](HttpRequest& c) { c.SetTimeouts(1, 2, 3, 4); }, L"SetTimeouts", DISPATCH_METHOD, 4},
        {"SetClientCertificate", [](HttpRequest& c) { c.SetClientCertificate("c"); }, L"SetClientCertificate",
            DISPATCH_METHOD, 1},
        {"SetAutoLogonPolicy", [](HttpRequest& c) { c.SetAutoLogonPolicy(2); }, L"SetAutoLogonPolicy", DISPATCH_METHOD,
            1},
        // The cookie operations read the headers with the same call as GetAllResponseHeaders.
        {"GetCookie", [](HttpRequest& c) { c.GetCookie("sid"); }, L"GetAllResponseHeaders", DISPATCH_METHOD, 0},
        {"GetAllCookies", [](HttpRequest& c) { c.GetAllCookies(); }, L"GetAllResponseHeaders", DISPATCH_METHOD, 0},
    };
    for (const ExpectedCall& e : expected) {
        SCOPED_TRACE(e.what);
        FakeRequest fake;
        {
            HttpRequest client = ClientOf(fake);
            ASSERT_EQ(fake.refs, 2);
            e.operation(client);
            EXPECT_EQ(client.LastResult(), S_OK);
            EXPECT_EQ(fake.refs, 2) << "a reference taken for the call was kept";
            EXPECT_EQ(fake.dispatchQueries, 1);
            EXPECT_EQ(fake.otherQueries, 0);
            ASSERT_EQ(fake.lookups.size(), 1u);
            EXPECT_EQ(fake.lookups[0], e.member);
            EXPECT_EQ(fake.lookupLocales[0], static_cast<LCID>(LOCALE_USER_DEFAULT));
            ASSERT_EQ(fake.calls.size(), 1u);
            EXPECT_EQ(fake.calls[0].name, e.member);
            EXPECT_EQ(fake.calls[0].kind, e.kind);
            EXPECT_EQ(fake.calls[0].locale, static_cast<LCID>(LOCALE_USER_DEFAULT));
            EXPECT_EQ(fake.calls[0].comOrder.size(), e.argumentCount);
            EXPECT_TRUE(fake.calls[0].namedArgs.empty());
            EXPECT_TRUE(fake.calls[0].resultWanted);
        }
        EXPECT_EQ(fake.refs, 1);
    }
}

TEST(HttpRequestCalls, SendWithoutBodyPassesNoArgumentAndAnEmptyBodyPassesOne)
{
    FakeRequest fake;
    HttpRequest client = ClientOf(fake);
    client.Send();
    client.Send("");
    ASSERT_EQ(fake.calls.size(), 2u);
    EXPECT_TRUE(fake.calls[0].comOrder.empty());
    ASSERT_EQ(fake.calls[1].comOrder.size(), 1u);
    EXPECT_EQ(fake.calls[1].comOrder[0].vt, VT_BSTR);
    EXPECT_EQ(fake.calls[1].comOrder[0].text, L"");
}

TEST(HttpRequestCalls, OpenPassesMethodUrlAndFlagLastFirst)
{
    FakeRequest fake;
    HttpRequest client = ClientOf(fake);
    client.Open("http://127.0.0.1/a");
    client.Open("POST", "http://127.0.0.1/b", true);
    ASSERT_EQ(fake.calls.size(), 2u);
    const auto& get = fake.calls[0].comOrder;
    ASSERT_EQ(get.size(), 3u);
    EXPECT_EQ(get[2].vt, VT_BSTR);
    EXPECT_EQ(get[2].text, L"GET");
    EXPECT_EQ(get[1].text, L"http://127.0.0.1/a");
    EXPECT_EQ(get[0].vt, VT_BOOL);
    EXPECT_FALSE(get[0].truth);
    const auto& post = fake.calls[1].comOrder;
    ASSERT_EQ(post.size(), 3u);
    EXPECT_EQ(post[2].text, L"POST");
    EXPECT_EQ(post[1].text, L"http://127.0.0.1/b");
    EXPECT_TRUE(post[0].truth);
}

TEST(HttpRequestCalls, OpenCompletesOnlyAMissingScheme)
{
    struct Case {
        const char* given;
        const char* opened;
    };
    const Case cases[] = {
        {"127.0.0.1:18631/jsq/beta.htm", "http://127.0.0.1:18631/jsq/beta.htm"},
        {"HTTP://Example.COM/Path", "HTTP://Example.COM/Path"},
        {"Http://example.com/", "Http://example.com/"},
        {"https://example.com/a", "https://example.com/a"},
        {"ftp://example.com/a", "http://ftp://example.com/a"},
        {"线路/http", "http://线路/http"},
        {"", "http://"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        FakeRequest fake;
        HttpRequest client = ClientOf(fake);
        EXPECT_EQ(client.Open(c.given), c.opened);
        ASSERT_EQ(fake.calls.size(), 1u);
        EXPECT_EQ(fake.calls[0].comOrder[1].text, platform::Widen(c.opened));
    }
}

TEST(HttpRequestCalls, TextsCrossAsUtf16FromTheAnsiCodePage)
{
    FakeRequest fake;
    HttpRequest client = ClientOf(fake);
    client.SetRequestHeader("X-线路", "华东电信");
    ASSERT_EQ(fake.calls.size(), 1u);
    ASSERT_EQ(fake.calls[0].comOrder.size(), 2u);
    EXPECT_EQ(fake.calls[0].comOrder[1].text, L"X-\u7ebf\u8def");
    EXPECT_EQ(fake.calls[0].comOrder[0].text, L"\u534e\u4e1c\u7535\u4fe1");
}

TEST(HttpRequestCalls, IntegerArgumentsKeepTheirOrderAndDefaults)
{
    FakeRequest fake;
    HttpRequest client = ClientOf(fake);
    client.SetTimeouts(11, 22, 33, 44);
    client.SetProxy("proxy:3128", "<local>");
    client.SetProxy(1, "", "");
    client.SetCredentials("user", "secret");
    ASSERT_EQ(fake.calls.size(), 4u);
    const auto& timeouts = fake.calls[0].comOrder;
    ASSERT_EQ(timeouts.size(), 4u);
    EXPECT_EQ(timeouts[3].integer, 11);
    EXPECT_EQ(timeouts[2].integer, 22);
    EXPECT_EQ(timeouts[1].integer, 33);
    EXPECT_EQ(timeouts[0].integer, 44);
    const auto& proxy = fake.calls[1].comOrder;
    EXPECT_EQ(proxy[2].vt, VT_I4);
    EXPECT_EQ(proxy[2].integer, 2);
    EXPECT_EQ(proxy[1].text, L"proxy:3128");
    EXPECT_EQ(proxy[0].text, L"<local>");
    EXPECT_EQ(fake.calls[2].comOrder[2].integer, 1);
    const auto& credentials = fake.calls[3].comOrder;
    EXPECT_EQ(credentials[2].text, L"user");
    EXPECT_EQ(credentials[1].text, L"secret");
    EXPECT_EQ(credentials[0].vt, VT_I4);
    EXPECT_EQ(credentials[0].integer, 0);
}

TEST(HttpRequestCalls, OptionWritesOnlyTheFirstValueGivenThenReads)
{
    FakeRequest fake;
    fake.Answer(L"Option", Variant::Int(1));
    HttpRequest client = ClientOf(fake);

    Variant read = client.Option(6, {.integer = 0, .text = "ignored"});
    EXPECT_EQ(read.ToInt(), 1);
    ASSERT_EQ(fake.calls.size(), 2u);
    const RecordedCall& write = fake.calls[0];
    EXPECT_EQ(write.kind, DISPATCH_PROPERTYPUT);
    ASSERT_EQ(write.comOrder.size(), 2u);
    EXPECT_EQ(write.comOrder[1].vt, VT_I4);
    EXPECT_EQ(write.comOrder[1].integer, 6);
    EXPECT_EQ(write.comOrder[0].vt, VT_I4);
    EXPECT_EQ(write.comOrder[0].integer, 0);
    ASSERT_EQ(write.namedArgs.size(), 1u);
    EXPECT_EQ(write.namedArgs[0], DISPID_PROPERTYPUT);
    EXPECT_FALSE(write.resultWanted);
    EXPECT_EQ(fake.calls[1].kind, DISPATCH_PROPERTYGET);
    ASSERT_EQ(fake.calls[1].comOrder.size(), 1u);
    EXPECT_EQ(fake.calls[1].comOrder[0].integer, 6);

    fake.calls.clear();
    client.Option(0, {.text = "Sorvik", .bytes = std::vector<uint8_t>{1, 2}});
    client.Option(9, {.bytes = std::vector<uint8_t>{1, 2, 0xFF}});
    client.Option(13, {.any = Variant::Bool(true)});
    client.Option(2);
    ASSERT_EQ(fake.calls.size(), 7u);
    EXPECT_EQ(fake.calls[0].comOrder[0].vt, VT_BSTR);
    EXPECT_EQ(fake.calls[0].comOrder[0].text, L"Sorvik");
    EXPECT_EQ(fake.calls[2].comOrder[0].vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(fake.calls[2].comOrder[0].bytes, (std::vector<uint8_t>{1, 2, 0xFF}));
    EXPECT_EQ(fake.calls[4].comOrder[0].vt, VT_BOOL);
    EXPECT_TRUE(fake.calls[4].comOrder[0].truth);
    EXPECT_EQ(fake.calls[6].kind, DISPATCH_PROPERTYGET) << "Option without a value only reads";
    EXPECT_EQ(fake.refs, 2);
}

TEST(HttpRequestCalls, FailuresStopTheCallAndLeaveTheirResult)
{
    FakeRequest fake;
    HttpRequest client = ClientOf(fake);

    fake.queryFails = E_NOINTERFACE;
    EXPECT_EQ(client.Status(), 0);
    EXPECT_EQ(client.LastResult(), E_NOINTERFACE);
    EXPECT_TRUE(fake.lookups.empty());
    fake.queryFails = S_OK;

    fake.Answer(L"Status", Variant::Int(200));
    fake.invokeFails[L"Status"] = E_FAIL;
    EXPECT_EQ(client.Status(), 0) << "a failed call's result is not used";
    EXPECT_EQ(client.LastResult(), DISP_E_EXCEPTION);
    EXPECT_EQ(fake.calls.size(), 1u);

    fake.invokeFails.clear();
    EXPECT_EQ(client.Status(), 200);
    EXPECT_EQ(client.LastResult(), S_OK);
    EXPECT_EQ(fake.refs, 2);
}

TEST(HttpRequestCalls, UnknownMemberNameIsReportedWithoutInvoke)
{
    FakeRequest fake;
    ComObjectRef object(&fake);
    object.Call(L"NoSuchMember", DISPATCH_METHOD);
    EXPECT_EQ(object.LastResult(), DISP_E_UNKNOWNNAME);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(fake.refs, 2);
}

// ---------------------------------------------------------------------------------------------
// Results as the object hands them over.

SAFEARRAY* ByteArray(VARTYPE type, std::initializer_list<SAFEARRAYBOUND> bounds, uint8_t first)
{
    std::vector<SAFEARRAYBOUND> b(bounds);
    SAFEARRAY* array = ::SafeArrayCreate(type, static_cast<UINT>(b.size()), b.data());
    void* data = nullptr;
    if (array && SUCCEEDED(::SafeArrayAccessData(array, &data))) {
        size_t count = 1;
        for (const auto& bound : b) {
            count *= bound.cElements;
        }
        for (size_t i = 0; i < count; ++i) {
            static_cast<uint8_t*>(data)[i] = static_cast<uint8_t>(first + i);
        }
        ::SafeArrayUnaccessData(array);
    }
    return array;
}

Variant ArrayVariant(VARTYPE type, std::initializer_list<SAFEARRAYBOUND> bounds, uint8_t first)
{
    Variant v;
    SAFEARRAY* array = ByteArray(type, bounds, first);
    if (array) {
        VARIANT* slot = v.Put();
        slot->vt = VT_ARRAY | type;
        slot->parray = array;
    }
    return v;
}

TEST(HttpRequestResults, BodyBytesCoverEveryDimension)
{
    FakeRequest fake;
    HttpRequest client = ClientOf(fake);

    fake.Answer(L"ResponseBody", ArrayVariant(VT_UI1, {{3, 0}, {2, 5}}, 10));
    EXPECT_EQ(client.ResponseBody(), (std::vector<uint8_t>{10, 11, 12, 13, 14, 15}));

    fake.Answer(L"ResponseBody", ArrayVariant(VT_I1, {{4, 0}}, 0xFE));
    EXPECT_EQ(client.ResponseBody(), (std::vector<uint8_t>{0xFE, 0xFF, 0x00, 0x01})) << "VT_I1 is copied as is";

    fake.Answer(L"ResponseBody", ArrayVariant(VT_UI1, {{0, 0}}, 0));
    EXPECT_TRUE(client.ResponseBody().empty());
    EXPECT_EQ(client.LastResult(), S_OK);

    fake.AnswerText(L"ResponseBody", L"AB");
    EXPECT_EQ(client.ResponseBody(), (std::vector<uint8_t>{'A', 0, 'B', 0})) << "converted by VariantChangeType";

    fake.Answer(L"ResponseBody", Variant::Int(7));
    EXPECT_TRUE(client.ResponseBody().empty());

    fake.results.erase(L"ResponseBody");
    EXPECT_TRUE(client.ResponseBody().empty());
    EXPECT_EQ(fake.refs, 2);
}

TEST(HttpRequestResults, NumbersTextsAndTruthValuesAreConverted)
{
    FakeRequest fake;
    HttpRequest client = ClientOf(fake);

    fake.AnswerText(L"Status", L"404");
    EXPECT_EQ(client.Status(), 404);
    fake.results.erase(L"Status");
    EXPECT_EQ(client.Status(), 0);

    fake.AnswerText(L"ResponseText", L"\u72b6\u6001\uff1a\u65e0");
    EXPECT_EQ(client.ResponseText(), "状态：无");
    fake.Answer(L"ResponseText", Variant::Int(-12));
    EXPECT_EQ(client.ResponseText(), "-12");

    fake.Answer(L"WaitForResponse", Variant::Bool(true));
    EXPECT_TRUE(client.WaitForResponse(1));
    fake.Answer(L"WaitForResponse", Variant::Bool(false));
    EXPECT_FALSE(client.WaitForResponse(1));
}

// ---------------------------------------------------------------------------------------------
// Cookies, from response headers that a fake hands over (the demo service sets no cookies).

std::string CookieOf(const wchar_t* headers, const char* name)
{
    FakeRequest fake;
    fake.AnswerText(L"GetAllResponseHeaders", headers);
    HttpRequest client = ClientOf(fake);
    return client.GetCookie(name);
}

std::string AllCookiesOf(const wchar_t* headers)
{
    FakeRequest fake;
    fake.AnswerText(L"GetAllResponseHeaders", headers);
    HttpRequest client = ClientOf(fake);
    return client.GetAllCookies();
}

TEST(HttpRequestCookies, ValueIsTakenUpToItsSemicolon)
{
    EXPECT_EQ(CookieOf(L"Server: x\r\nSet-Cookie: sid=abc; path=/\r\n\r\n", "sid"), "abc");
    EXPECT_EQ(CookieOf(L"Set-Cookie:sid=abc;\r\n", "sid"), "abc") << "second search, without the blank";
    EXPECT_EQ(CookieOf(L"Server: x\r\nSet-Cookie: sid=abc", "sid"), "") << "no ';' after the value";
    EXPECT_EQ(CookieOf(L"Set-Cookie: lang=zh; path=/\r\nSet-Cookie: sid=42; path=/\r\n", "sid"), "42");
    EXPECT_EQ(CookieOf(L"Set-Cookie: xsid=1;\r\nSet-Cookie: sid=2;\r\n", "sid"), "2");
    EXPECT_EQ(CookieOf(L"Set-Cookie: sid=;\r\n", "sid"), "");
    EXPECT_EQ(CookieOf(L"Set-Cookie: name=\u534e\u4e1c; path=/\r\n", "name"), "华东");
    EXPECT_EQ(CookieOf(L"Content-Type: text/plain\r\n", "sid"), "");
}

TEST(HttpRequestCookies, AllCookieLinesAreKeptInOrderEachEndingInCrLf)
{
    EXPECT_EQ(AllCookiesOf(L"Server: x\r\nContent-Length: 3\r\n\r\n"), "");
    EXPECT_EQ(AllCookiesOf(L""), "");
    EXPECT_EQ(AllCookiesOf(L"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nServer: x\r\nSet-Cookie:b=2"),
        "Set-Cookie: a=1; path=/\r\nSet-Cookie:b=2\r\n");
    EXPECT_EQ(AllCookiesOf(L"set-cookie: a=1\r\n Set-Cookie: b=2\r\n"), "") << "matched case-sensitively at line start";
}

// ---------------------------------------------------------------------------------------------
// The tests' own reader of the service's records.

TEST(HttpServiceControl, ReadsRecordedEventsAsFlatFields)
{
    std::vector<service_control::Event> events;
    ASSERT_TRUE(service_control::ParseEvents(
        R"([{"kind": "http", "t": 1.5, "path": "/a?b=\"c\"", "user": null},)"
        R"( {"kind": "pptp", "name": "\u534e\ud83d\ude00", "extra": {"x": [1, "]"]}, "ok": true}])",
        events));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Get("kind"), "http");
    EXPECT_EQ(events[0].Get("t"), "1.5");
    EXPECT_EQ(events[0].Get("path"), "/a?b=\"c\"");
    EXPECT_EQ(events[0].Get("user"), "null");
    EXPECT_EQ(events[0].Get("missing"), "");
    EXPECT_EQ(events[1].Get("name"), "\xE5\x8D\x8E\xF0\x9F\x98\x80"); // UTF-8
    EXPECT_EQ(events[1].Get("extra"), R"({"x": [1, "]"]})");
    EXPECT_EQ(events[1].Get("ok"), "true");

    EXPECT_TRUE(service_control::ParseEvents(" [ ] ", events));
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(service_control::ParseEvents(R"([{"kind": "http"})", events));
    EXPECT_FALSE(service_control::ParseEvents(R"([{"kind": "ht\q"}])", events));
    EXPECT_FALSE(service_control::ParseEvents("", events));
}

// ---------------------------------------------------------------------------------------------
// The real request object against the demo service.

class HttpRequestLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service_control::RestoreDemoConfig())
            << "no demo service on 127.0.0.1:18631: run the test through tests/win/run_with_service.sh";
        ASSERT_TRUE(service_control::ResetRecords());
    }
    void TearDown() override { service_control::RestoreDemoConfig(); }

    static std::string Url(const char* path) { return std::string(service_control::kBaseUrl) + path; }
    static std::vector<uint8_t> BytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }
    static std::string RawBody(const char* path)
    {
        const service_control::Reply reply = service_control::Exchange("GET", path);
        EXPECT_EQ(reply.status, 200) << path;
        return reply.body;
    }
};

TEST_F(HttpRequestLive, GetGivesStatus200AndTheBodyBytes)
{
    const std::string expected = RawBody("/jsq/line/linelist.php");
    ASSERT_FALSE(expected.empty());
    HttpRequest client;
    ASSERT_FALSE(client.IsEmpty()) << std::hex << client.LastResult();
    client.Open("GET", Url("/jsq/line/linelist.php"));
    client.Send();
    EXPECT_EQ(client.LastResult(), S_OK);
    EXPECT_EQ(client.Status(), 200);
    EXPECT_EQ(client.StatusText(), "OK");
    EXPECT_EQ(client.ResponseBody(), BytesOf(expected));
}

TEST_F(HttpRequestLive, ResponseTextIsTheBodyInTheAnsiCodePage)
{
    const std::string notice = RawBody("/jsq/beta.htm"); // GBK, declared as such by the service
    ASSERT_NE(notice.find("[update]"), std::string::npos);
    HttpRequest client;
    client.Open(Url("/jsq/beta.htm"));
    client.Send();
    EXPECT_EQ(client.ResponseText(), notice);

    client.Open(Url("/jsq/line/hello.php?ip=127.0.0.11"));
    client.Send();
    EXPECT_EQ(client.ResponseText(), "127.0.0.1") << "the hello answer is the caller's address";
}

TEST_F(HttpRequestLive, UrlWithoutSchemeIsRequestedOverHttp)
{
    HttpRequest client;
    EXPECT_EQ(client.Open("127.0.0.1:18631/jsq/line/hello.php?ip=noscheme"),
        "http://127.0.0.1:18631/jsq/line/hello.php?ip=noscheme");
    client.Send();
    EXPECT_EQ(client.Status(), 200);
    EXPECT_EQ(service_control::HttpRequestLines(), (std::vector<std::string>{"GET /jsq/line/hello.php?ip=noscheme"}));
}

TEST_F(HttpRequestLive, UpperCaseSchemeIsPassedOnUnchanged)
{
    HttpRequest client;
    const std::string url = "HTTP://127.0.0.1:18631/jsq/line/hello.php?ip=UPPER";
    EXPECT_EQ(client.Open(url), url);
    client.Send();
    EXPECT_EQ(client.Status(), 200);
    EXPECT_EQ(service_control::HttpRequestLines(), (std::vector<std::string>{"GET /jsq/line/hello.php?ip=UPPER"}));
}

TEST_F(HttpRequestLive, HttpsSchemeIsPassedOnAndFailsWithoutTls)
{
    HttpRequest client;
    const std::string url = "https://127.0.0.1:18631/jsq/line/hello.php?ip=tls";
    EXPECT_EQ(client.Open(url), url);
    client.Send();
    EXPECT_TRUE(FAILED(client.LastResult()));
    EXPECT_NE(client.Status(), 200);
    EXPECT_TRUE(client.ResponseBody().empty());
    for (const std::string& line : service_control::HttpRequestLines()) {
        EXPECT_EQ(line.find("ip=tls"), std::string::npos) << "a TLS request was read as plain HTTP: " << line;
    }
}

TEST_F(HttpRequestLive, OpenWithoutMethodSendsGet)
{
    HttpRequest client;
    client.Open(Url("/jsq/line/hello.php?ip=default"));
    client.Send();
    client.Open("POST", Url("/jsq/line/hello.php?ip=post"));
    client.Send("x=1");
    EXPECT_EQ(client.Status(), 404) << "the service answers only GET here";
    EXPECT_EQ(service_control::HttpRequestLines(),
        (std::vector<std::string>{"GET /jsq/line/hello.php?ip=default", "POST /jsq/line/hello.php?ip=post"}));
}

TEST_F(HttpRequestLive, SameClientServesTheNextOpenAndSend)
{
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/beta.htm": [{"status": 404}, {"status": 503}]})"));
    HttpRequest client;
    std::vector<int32_t> statuses;
    for (int attempt = 0; attempt < 3; ++attempt) {
        client.Open(Url("/jsq/beta.htm"));
        client.Send();
        statuses.push_back(client.Status());
    }
    EXPECT_EQ(statuses, (std::vector<int32_t>{404, 503, 200}));
    EXPECT_EQ(client.ResponseBody(), BytesOf(RawBody("/jsq/beta.htm")));
    EXPECT_EQ(client.LastResult(), S_OK);
}

TEST_F(HttpRequestLive, NotFoundGivesItsStatusAndText)
{
    HttpRequest client;
    client.Open(Url("/no/such/page.htm"));
    client.Send();
    EXPECT_EQ(client.LastResult(), S_OK);
    EXPECT_EQ(client.Status(), 404);
    EXPECT_EQ(client.StatusText(), "Not Found");
}

TEST_F(HttpRequestLive, HangingRequestFailsWithoutAStatus)
{
    // Wine's object keeps waiting for the headers past the receive time-out, until the server
    // drops the connection; Windows ends it at the time-out. Either way it fails before the hang ends.
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/line/linelist.php": [{"hang": 4}]})"));
    HttpRequest client;
    client.SetTimeouts(2000, 2000, 2000, 1000);
    EXPECT_EQ(client.LastResult(), S_OK);
    client.Open(Url("/jsq/line/linelist.php"));
    const ULONGLONG start = ::GetTickCount64();
    client.Send();
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_TRUE(FAILED(client.LastResult()));
    EXPECT_LT(elapsed, 8000u);
    EXPECT_EQ(client.Status(), 0);
    EXPECT_TRUE(client.ResponseBody().empty());
}

TEST_F(HttpRequestLive, HangingAsynchronousRequestCanBeAbandoned)
{
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/line/linelist.php": [{"hang": 30}]})"));
    HttpRequest client;
    client.Open("GET", Url("/jsq/line/linelist.php"), true);
    client.Send();
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_FALSE(client.WaitForResponse(1)); // seconds
    EXPECT_LT(::GetTickCount64() - start, 5000u);
    client.Abort();
    EXPECT_NE(client.Status(), 200);
    EXPECT_TRUE(client.ResponseBody().empty());

    // Wine fails the aborted client's next Send (it reaches the service, the answer is lost), so
    // the service is checked with a fresh client.
    HttpRequest next;
    next.Open(Url("/jsq/line/linelist.php"));
    next.Send();
    EXPECT_EQ(next.Status(), 200);
}

TEST_F(HttpRequestLive, GarbageBodyComesOutByteForByte)
{
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/line/linelist.php": [{"garbage": 300}]})"));
    HttpRequest client;
    client.Open(Url("/jsq/line/linelist.php"));
    client.Send();
    EXPECT_EQ(client.Status(), 200);
    const std::vector<uint8_t> body = client.ResponseBody();
    EXPECT_EQ(body.size(), 300u);
    client.ResponseText(); // random bytes as text: whatever comes out, nothing breaks
    EXPECT_EQ(client.ResponseBody(), body) << "reading the body twice gives the same bytes";
}

TEST_F(HttpRequestLive, ClosedConnectionGivesNoStatus)
{
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/line/linelist.php": [{"close": true}]})"));
    HttpRequest client;
    client.Open(Url("/jsq/line/linelist.php"));
    client.Send();
    EXPECT_TRUE(FAILED(client.LastResult()));
    EXPECT_NE(client.Status(), 200);
    EXPECT_TRUE(client.ResponseBody().empty());
    EXPECT_EQ(client.ResponseText(), "");
}

TEST_F(HttpRequestLive, RefusedConnectionGivesStatusZero)
{
    HttpRequest client;
    client.Open("http://127.0.0.1:1/jsq/line/linelist.php");
    client.Send();
    EXPECT_TRUE(FAILED(client.LastResult()));
    EXPECT_EQ(client.Status(), 0);
    EXPECT_TRUE(client.ResponseBody().empty());
}

TEST_F(HttpRequestLive, HeadersComeFromTheResponse)
{
    HttpRequest client;
    client.Open(Url("/jsq/beta.htm"));
    client.Send();
    EXPECT_EQ(client.GetResponseHeader("Content-Type"), "text/plain; charset=gbk");
    const std::string headers = client.GetAllResponseHeaders();
    EXPECT_NE(headers.find("Server: SorvikDemo/1.0\r\n"), std::string::npos) << headers;
    EXPECT_EQ(client.GetAllCookies(), "");
    EXPECT_EQ(client.LastResult(), S_OK) << "the cookie operations could not read the headers";
    EXPECT_EQ(client.GetCookie("sid"), "");
    EXPECT_EQ(client.LastResult(), S_OK);
}

TEST_F(HttpRequestLive, AsynchronousRequestIsWaitedFor)
{
    HttpRequest client;
    client.Open("GET", Url("/jsq/beta.htm"), true);
    client.Send();
    EXPECT_TRUE(client.WaitForResponse(10)); // seconds
    EXPECT_EQ(client.Status(), 200);
    EXPECT_EQ(client.ResponseBody(), BytesOf(RawBody("/jsq/beta.htm")));
}

TEST_F(HttpRequestLive, ResponseStreamReadsTheBody)
{
    HttpRequest client;
    client.Open(Url("/jsq/beta.htm"));
    client.Send();
    const Variant stream = client.ResponseStream();
    ASSERT_TRUE(stream.Type() == VT_UNKNOWN || stream.Type() == VT_DISPATCH) << stream.Type();
    ASSERT_NE(stream.Get().punkVal, nullptr);
    platform::ComPtr<IStream> reader;
    ASSERT_EQ(stream.Get().punkVal->QueryInterface(IID_IStream, reinterpret_cast<void**>(reader.Put())), S_OK);
    std::string read(4096, '\0');
    ULONG got = 0;
    reader->Read(read.data(), static_cast<ULONG>(read.size()), &got);
    read.resize(got);
    EXPECT_EQ(read, RawBody("/jsq/beta.htm"));
}

TEST_F(HttpRequestLive, CopiesAndObjectRefsShareOneRequest)
{
    HttpRequest client;
    ASSERT_FALSE(client.IsEmpty());
    HttpRequest copy = client;
    ComObjectRef object = client.GetObject();
    EXPECT_EQ(object.Object(), copy.GetObject().Object());
    copy.Open(Url("/jsq/line/hello.php?ip=copy"));
    copy.Send();
    EXPECT_EQ(client.Status(), 200) << "the response belongs to the one shared object";
    client.Release();
    EXPECT_TRUE(client.IsEmpty());
    EXPECT_EQ(copy.Status(), 200) << "the copy keeps its own reference";
}

// ---------------------------------------------------------------------------------------------
// The service's GETs through WinHTTP, bounded in time and size.

class ServiceGetLive : public HttpRequestLive {
protected:
    static ULONGLONG Took(const std::function<void()>& run)
    {
        const ULONGLONG start = ::GetTickCount64();
        run();
        return ::GetTickCount64() - start;
    }
};

TEST_F(ServiceGetLive, AnswerWithinItsLimitComesWhole)
{
    const Fetched answer = ServiceGet(Url("/jsq/line/linelist.php"), {kLineListLimit});
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, BytesOf(RawBody("/jsq/line/linelist.php")));
    EXPECT_EQ(ServiceGet(Url("/no/such/page.htm"), {kNoticeFileLimit}).status, 404);
    EXPECT_EQ(service_control::HttpRequestLines(),
        (std::vector<std::string>{
            "GET /jsq/line/linelist.php", "GET /jsq/line/linelist.php", "GET /no/such/page.htm"}));
}

TEST_F(ServiceGetLive, DeclaredLengthOverTheLimitFails)
{
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/line/hello.php": [{"garbage": 4097}, {"garbage": 4096}]})"));
    const Fetched over = ServiceGet(Url("/jsq/line/hello.php?ip=big"), {kHelloAnswerLimit});
    EXPECT_EQ(over.status, 0);
    EXPECT_TRUE(over.body.empty());
    EXPECT_EQ(ServiceGet(Url("/jsq/line/hello.php?ip=fits"), {kHelloAnswerLimit}).body.size(), 4096u);
}

TEST_F(ServiceGetLive, UndeclaredFloodStopsAtTheLimit)
{
    // 64 MB without a length: read only until the limit is passed, long before the end.
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/line/linelist.php": [{"flood": 67108864}]})"));
    Fetched answer{1, {1}};
    const ULONGLONG took = Took([&] { answer = ServiceGet(Url("/jsq/line/linelist.php"), {kLineListLimit}); });
    EXPECT_EQ(answer.status, 0);
    EXPECT_TRUE(answer.body.empty());
    EXPECT_LT(took, 10000u);
}

TEST_F(ServiceGetLive, TrickleFailsAtTheDeadline)
{
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/beta.htm": [{"trickle": 20}]})"));
    Fetched answer{1, {1}};
    const ULONGLONG took = Took([&] { answer = ServiceGet(Url("/jsq/beta.htm"), {kNoticeFileLimit, 3000}); });
    EXPECT_EQ(answer.status, 0);
    EXPECT_TRUE(answer.body.empty());
    EXPECT_GE(took, 3000u);
    EXPECT_LT(took, 6000u) << "each byte comes within the receive time-out: only the deadline ends it";
}

TEST_F(ServiceGetLive, SilentServerFailsAtTheReceiveTimeOut)
{
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/beta.htm": [{"hang": 40}]})"));
    Fetched answer{1, {1}};
    const ULONGLONG took = Took([&] { answer = ServiceGet(Url("/jsq/beta.htm"), {kNoticeFileLimit}); });
    EXPECT_EQ(answer.status, 0);
    EXPECT_GE(took, static_cast<ULONGLONG>(kReceiveTimeoutMs) - 1000);
    EXPECT_LT(took, static_cast<ULONGLONG>(kReceiveTimeoutMs) + 5000) << "no answer at all ends at the time-out";
}

TEST_F(ServiceGetLive, RedirectsAreFollowedOnTheSameHostOnly)
{
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/beta.htm": [{"redirect": "/jsq/line/hello.php?ip=moved"},
        {"redirect": "http://localhost:18631/jsq/line/hello.php?ip=elsewhere"}]})"));
    const Fetched moved = ServiceGet(Url("/jsq/beta.htm"), {kNoticeFileLimit});
    EXPECT_EQ(moved.status, 200);
    EXPECT_EQ(std::string(moved.body.begin(), moved.body.end()), "127.0.0.1");
    EXPECT_EQ(ServiceGet(Url("/jsq/beta.htm"), {kNoticeFileLimit}).status, 0);
    EXPECT_EQ(service_control::HttpRequestLines(),
        (std::vector<std::string>{"GET /jsq/beta.htm", "GET /jsq/line/hello.php?ip=moved", "GET /jsq/beta.htm"}));
}

} // namespace
