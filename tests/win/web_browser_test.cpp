// The web browser host: soft failure without a browser, and the event sink's
// dispatch of DWebBrowserEvents2 calls built as the browser control builds them.
#include "platform/win.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "tests/win/ui_test_support.h"
#include "ui/web_browser.h"

namespace {

constexpr GUID kBrowserEventsIid = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};

// Builds an event's arguments in declaration order and hands them over last first, as IDispatch::Invoke wants.
class EventArgs {
public:
    EventArgs() = default;
    EventArgs(const EventArgs&) = delete;
    EventArgs& operator=(const EventArgs&) = delete;
    ~EventArgs()
    {
        for (VARIANT& v : args_) {
            ::VariantClear(&v);
        }
        for (VARIANT& v : boxed_) {
            ::VariantClear(&v);
        }
    }

    EventArgs& Bstr(const wchar_t* text)
    {
        VARIANT& v = Next();
        v.vt = VT_BSTR;
        v.bstrVal = ::SysAllocString(text);
        return *this;
    }
    // A by-reference VARIANT holding a BSTR, as BeforeNavigate2 and DocumentComplete pass their URL.
    EventArgs& BstrByRef(const wchar_t* text)
    {
        VARIANT& inner = boxed_[boxedCount_++];
        inner.vt = VT_BSTR;
        inner.bstrVal = ::SysAllocString(text);
        VARIANT& v = Next();
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = &inner;
        return *this;
    }
    EventArgs& Long(long value)
    {
        VARIANT& v = Next();
        v.vt = VT_I4;
        v.lVal = value;
        return *this;
    }
    EventArgs& Dispatch(IDispatch* value)
    {
        VARIANT& v = Next();
        v.vt = VT_DISPATCH;
        v.pdispVal = value; // not owned: cleared below without a reference
        dispatchIndexes_.push_back(count_ - 1);
        return *this;
    }
    EventArgs& DispatchSlot(IDispatch** slot)
    {
        VARIANT& v = Next();
        v.vt = VT_BYREF | VT_DISPATCH;
        v.ppdispVal = slot;
        return *this;
    }
    EventArgs& Cancel(VARIANT_BOOL* flag)
    {
        VARIANT& v = Next();
        v.vt = VT_BYREF | VT_BOOL;
        v.pboolVal = flag;
        return *this;
    }
    EventArgs& Empty()
    {
        Next();
        return *this;
    }

    HRESULT InvokeOn(IDispatch* sink, DISPID id)
    {
        std::vector<VARIANT> reversed(args_, args_ + count_);
        for (size_t i = 0; i < count_; ++i) {
            reversed[i] = args_[count_ - 1 - i];
        }
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(count_), 0};
        const HRESULT hr
            = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        for (size_t i : dispatchIndexes_) {
            args_[i].vt = VT_EMPTY; // borrowed pointer
        }
        dispatchIndexes_.clear();
        return hr;
    }

private:
    VARIANT& Next()
    {
        VARIANT& v = args_[count_++];
        ::VariantInit(&v);
        return v;
    }

    VARIANT args_[8]{};
    VARIANT boxed_[4]{};
    size_t count_ = 0;
    size_t boxedCount_ = 0;
    std::vector<size_t> dispatchIndexes_;
};

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    void TearDown() override { ::OleUninitialize(); }

    // NewWindow3(ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl) for `url`; returns the cancel flag after the call.
    VARIANT_BOOL NewWindow3(const wchar_t* url, IDispatch** slot = nullptr)
    {
        IDispatch* unused = nullptr;
        VARIANT_BOOL cancel = VARIANT_FALSE;
        EventArgs args;
        args.DispatchSlot(slot ? slot : &unused).Cancel(&cancel).Long(0x6).Bstr(L"http://127.0.0.1/page.htm").Bstr(url);
        EXPECT_EQ(args.InvokeOn(browser_.EventSink(), 273), S_OK);
        return cancel;
    }

    WTWebBrowser browser_;
};

TEST_F(BrowserTest, SinkAnswersForTheBrowserEventInterface)
{
    IDispatch* sink = browser_.EventSink();
    ASSERT_NE(sink, nullptr);
    void* out = nullptr;
    ASSERT_EQ(sink->QueryInterface(kBrowserEventsIid, &out), S_OK);
    EXPECT_EQ(out, static_cast<void*>(sink));
    static_cast<IUnknown*>(out)->Release();
    ASSERT_EQ(sink->QueryInterface(IID_IDispatch, &out), S_OK);
    static_cast<IUnknown*>(out)->Release();
    EXPECT_EQ(sink->QueryInterface(IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(BrowserTest, NewWindow3DeliversUrlAndTakesTheCancelFlag)
{
    std::vector<std::string> urls;
    bool cancelIt = true;
    IDispatch** seenSlot = nullptr;
    DWORD seenFlags = 0;
    browser_.onNewWindow3 = [&](IDispatch** slot, DWORD flags, const std::string& url, bool& cancel) {
        urls.push_back(url);
        seenSlot = slot;
        seenFlags = flags;
        if (cancelIt) {
            cancel = true;
        }
    };
    IDispatch* slot = nullptr;
    EXPECT_EQ(NewWindow3(L"http://127.0.0.1:18631/公告.htm", &slot), VARIANT_TRUE);
    EXPECT_EQ(seenSlot, &slot);
    EXPECT_EQ(seenFlags, 0x6u);
    // A handler that leaves the flag alone lets the browser open the window.
    cancelIt = false;
    EXPECT_EQ(NewWindow3(L"http://example.com/b"), VARIANT_FALSE);
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[0], "http://127.0.0.1:18631/公告.htm"); // as GBK
    EXPECT_EQ(urls[1], "http://example.com/b");
}

TEST_F(BrowserTest, EventWithoutHandlerIsIgnored)
{
    EXPECT_EQ(NewWindow3(L"http://example.com/"), VARIANT_FALSE);
    EventArgs args;
    EXPECT_EQ(args.Bstr(L"x").InvokeOn(browser_.EventSink(), 102), S_OK);
    EventArgs unknown;
    EXPECT_EQ(unknown.Long(1).InvokeOn(browser_.EventSink(), 9999), S_OK);
}

TEST_F(BrowserTest, BeforeNavigate2ReadsTheBoxedUrlAndCancels)
{
    std::string seenUrl;
    IDispatch* seenBrowser = nullptr;
    browser_.onBeforeNavigate = [&](IDispatch* browser, const std::string& url, bool& cancel) {
        seenBrowser = browser;
        seenUrl = url;
        cancel = url.find("blocked") != std::string::npos;
    };
    IDispatch* self = browser_.EventSink(); // any dispatch pointer stands in for the browser
    for (const wchar_t* url : {L"http://host/blocked", L"http://host/fine"}) {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        EventArgs args;
        args.Dispatch(self).BstrByRef(url).Empty().Empty().Empty().Empty().Cancel(&cancel);
        EXPECT_EQ(args.InvokeOn(browser_.EventSink(), 250), S_OK);
        EXPECT_EQ(seenBrowser, self);
        EXPECT_EQ(seenUrl, std::string(url, url + wcslen(url)));
        EXPECT_EQ(cancel, seenUrl.find("blocked") != std::string::npos ? VARIANT_TRUE : VARIANT_FALSE);
    }
}

TEST_F(BrowserTest, NewWindow2AndTheInformationalEvents)
{
    bool newWindow2 = false;
    std::string status;
    std::string title;
    std::string completed;
    long progress = -1;
    long maximum = -1;
    browser_.onNewWindow2 = [&](IDispatch**, bool& cancel) {
        newWindow2 = true;
        cancel = true;
    };
    browser_.onStatusTextChange = [&](const std::string& text) { status = text; };
    browser_.onTitleChange = [&](const std::string& text) { title = text; };
    browser_.onProgressChange = [&](long p, long m) {
        progress = p;
        maximum = m;
    };
    browser_.onDocumentComplete = [&](IDispatch*, const std::string& url) { completed = url; };

    IDispatch* slot = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EventArgs nw2;
    nw2.DispatchSlot(&slot).Cancel(&cancel).InvokeOn(browser_.EventSink(), 251);
    EXPECT_TRUE(newWindow2);
    EXPECT_EQ(cancel, VARIANT_TRUE);

    EventArgs().Bstr(L"完成").InvokeOn(browser_.EventSink(), 102);
    EXPECT_EQ(status, "完成");
    EventArgs().Bstr(L"公告").InvokeOn(browser_.EventSink(), 113);
    EXPECT_EQ(title, "公告");
    EventArgs().Long(30).Long(100).InvokeOn(browser_.EventSink(), 108);
    EXPECT_EQ(progress, 30);
    EXPECT_EQ(maximum, 100);
    EventArgs().Dispatch(browser_.EventSink()).BstrByRef(L"about:blank").InvokeOn(browser_.EventSink(), 259);
    EXPECT_EQ(completed, "about:blank");
}

TEST_F(BrowserTest, ShortArgumentListsDoNotCrash)
{
    std::string url = "unset";
    bool cancelSeen = true;
    browser_.onNewWindow3 = [&](IDispatch** slot, DWORD, const std::string& u, bool& cancel) {
        url = u;
        cancelSeen = cancel;
        EXPECT_EQ(slot, nullptr);
        cancel = true; // nowhere to write: ignored
    };
    EXPECT_EQ(EventArgs().InvokeOn(browser_.EventSink(), 273), S_OK);
    EXPECT_EQ(url, "");
    EXPECT_FALSE(cancelSeen);
    EXPECT_EQ(browser_.EventSink()->Invoke(273, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
        E_INVALIDARG);
}

TEST_F(BrowserTest, WithoutWindowEverythingFailsSoftly)
{
    EXPECT_EQ(browser_.Control(), nullptr);
    EXPECT_FALSE(browser_.Navigate("http://127.0.0.1/"));
    EXPECT_FALSE(browser_.Silent(true));
    EXPECT_FALSE(browser_.Offline(true));
    EXPECT_FALSE(browser_.Silent());
    // A parent that is gone: no host window, so no browser.
    WTWindow host;
    ASSERT_NE(uitest::CreateHost(host), nullptr);
    HWND gone = host.Handle();
    ::DestroyWindow(gone);
    EXPECT_FALSE(browser_.Create(gone));
    EXPECT_EQ(browser_.Handle(), nullptr);
}

TEST_F(BrowserTest, CreateMakesTheHostWindow)
{
    WTWindow host;
    ASSERT_NE(uitest::CreateHost(host, 500, 400), nullptr);
    ASSERT_TRUE(browser_.Create(host.Handle(), "about:blank", 0, 20, 300, 200));
    wchar_t className[32] = {};
    ::GetClassNameW(browser_.Handle(), className, 32);
    EXPECT_STREQ(className, L"AtlAxWin");
    EXPECT_TRUE(browser_.ExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_GT(::GetDlgCtrlID(browser_.Handle()), 500);
    EXPECT_FALSE(browser_.Create(host.Handle()));
    // Wine's browser object exists even without an HTML engine to show pages.
    ASSERT_NE(browser_.Control(), nullptr);
    // The pop-up's property writes.
    EXPECT_TRUE(browser_.Silent(true));
    EXPECT_TRUE(browser_.Silent());
    EXPECT_TRUE(browser_.Offline(true));
    EXPECT_TRUE(browser_.Offline());
    EXPECT_TRUE(browser_.Silent(false));
    EXPECT_FALSE(browser_.Silent());
    ::DestroyWindow(host.Handle());
}

TEST_F(BrowserTest, NavigateRaisesBeforeNavigateThroughTheConnection)
{
    WTWindow host;
    ASSERT_NE(uitest::CreateHost(host), nullptr);
    ASSERT_TRUE(browser_.Create(host.Handle(), ""));
    std::vector<std::string> urls;
    browser_.onBeforeNavigate = [&](IDispatch* browser, const std::string& url, bool& cancel) {
        EXPECT_NE(browser, nullptr);
        urls.push_back(url);
        cancel = true; // nothing to load here anyway
    };
    EXPECT_TRUE(browser_.Navigate("http://127.0.0.1:1/公告.htm"));
    EXPECT_TRUE(uitest::PumpUntil([&] { return !urls.empty(); }));
    ASSERT_FALSE(urls.empty());
    EXPECT_NE(urls[0].find("127.0.0.1:1/"), std::string::npos);
    ::DestroyWindow(host.Handle());
}

TEST_F(BrowserTest, WindowGoneDetachesAndDropsHandlers)
{
    WTWindow host;
    ASSERT_NE(uitest::CreateHost(host), nullptr);
    ASSERT_TRUE(browser_.Create(host.Handle()));
    const HWND hwnd = browser_.Handle();
    int calls = 0;
    browser_.onNewWindow3 = [&](IDispatch**, DWORD, const std::string&, bool&) { ++calls; };
    ::DestroyWindow(host.Handle());
    // Wine's ATL host puts its own window procedure back on WM_DESTROY; the
    // framework must still see WM_NCDESTROY and let the handle go.
    EXPECT_EQ(browser_.Handle(), nullptr);
    EXPECT_EQ(WTWindow::FromHandle(hwnd), nullptr);
    EXPECT_EQ(browser_.Control(), nullptr);
    EXPECT_EQ(NewWindow3(L"http://x/"), VARIANT_FALSE);
    EXPECT_EQ(calls, 0);
}

TEST(BrowserSink, OutlivingItsBrowserIsHarmless)
{
    IDispatch* sink = nullptr;
    {
        WTWebBrowser browser;
        browser.onTitleChange = [](const std::string&) { FAIL() << "browser is gone"; };
        sink = browser.EventSink();
        sink->AddRef();
    }
    EventArgs args;
    EXPECT_EQ(args.Bstr(L"t").InvokeOn(sink, 113), S_OK);
    EXPECT_EQ(sink->Release(), 0u);
}

} // namespace
