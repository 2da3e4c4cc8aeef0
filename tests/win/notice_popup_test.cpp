// The notice pop-up: its parts, its path up and down the screen for given screen figures,
// the exit notice, and what a link in its page does.
#include "platform/win.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/notice/browser_features.h"
#include "app/notice/notice_check.h"
#include "platform/text.h"
#include "tests/win/notice_app_fixture.h"
#include "app/shell/messages.h"

namespace {

constexpr wchar_t kFirstText[] = L" 该窗口将在120秒后自动消失，点击链接后立即消失！";

struct Box {
    int left, top, width, height;
    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* out)
{
    *out << "(" << box.left << ", " << box.top << ", " << box.width << " x " << box.height << ")";
}

Box BoxOf(const RECT& rect) { return Box{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top}; }

// A child's rectangle in its parent's client coordinates.
Box ChildBox(HWND child)
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return BoxOf(rect);
}

// NWMF_USERINITED | NWMF_FIRST: the control's flags for a link the user clicked.
constexpr LONG kClicked = 0x6;

// The bench has no HTML engine (Wine's Gecko is not installed), so no page or script can run
// here: the tests raise the control's own events on the pop-up's sink, with the arguments the
// control passes, and read back the cancel flag as the control would.

// Raises NewWindow3(ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl).
VARIANT_BOOL RaiseNewWindow3(const wchar_t* url, LONG flags = kClicked)
{
    IDispatch* newWindow = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[5];
    for (VARIANT& v : args) {
        ::VariantInit(&v);
    }
    // Last argument first.
    args[0].vt = VT_BSTR;
    args[0].bstrVal = ::SysAllocString(url);
    args[1].vt = VT_BSTR;
    args[1].bstrVal = ::SysAllocString(L"http://127.0.0.1:18631/exit.htm");
    args[2].vt = VT_I4;
    args[2].lVal = flags;
    args[3].vt = VT_BYREF | VT_BOOL;
    args[3].pboolVal = &cancel;
    args[4].vt = VT_BYREF | VT_DISPATCH;
    args[4].ppdispVal = &newWindow;
    DISPPARAMS params{args, nullptr, 5, 0};
    EXPECT_EQ(app().popupBrowser.EventSink()->Invoke(
                  273, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
        S_OK);
    ::VariantClear(&args[0]);
    ::VariantClear(&args[1]);
    return cancel;
}

// Raises BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel), the
// by-value arguments boxed in VARIANTs passed by reference as the control passes them.
VARIANT_BOOL RaiseBeforeNavigate2(const wchar_t* url)
{
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT boxed[5];
    VARIANT args[7];
    for (VARIANT& v : boxed) {
        ::VariantInit(&v);
    }
    boxed[0].vt = VT_BSTR;
    boxed[0].bstrVal = ::SysAllocString(url);
    // Last argument first.
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    for (int i = 1; i <= 5; ++i) {
        args[i].vt = VT_BYREF | VT_VARIANT;
        args[i].pvarVal = &boxed[5 - i];
    }
    args[6].vt = VT_DISPATCH;
    args[6].pdispVal = app().popupBrowser.EventSink(); // stands in for the page's browser object
    DISPPARAMS params{args, nullptr, 7, 0};
    EXPECT_EQ(app().popupBrowser.EventSink()->Invoke(
                  250, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
        S_OK);
    ::VariantClear(&boxed[0]);
    return cancel;
}

class NoticePopup : public NoticeAppFixture {
protected:
    void SetUp() override
    {
        NoticeAppFixture::SetUp();
        noticeShell().openWebAddress = [this](const std::string& url) { opened_.push_back(url); };
    }

    // The screen the pop-up is told about.
    void UseScreen(int cx, int cy, int workBottom)
    {
        SetScreenMetricsSource([=] { return ScreenMetrics{cx, cy, workBottom}; });
    }

    static void SetInterval(int ms)
    {
        std::lock_guard<std::mutex> guard(app().noticeLock);
        app().notice.noticeInterval = ms;
    }

    static std::wstring LabelText() { return app().countdownLabel.Text(); }
    static std::wstring CountdownLine(int n)
    {
        return L" 该窗口将在" + std::to_wstring(n) + L"秒后自动消失，点击链接后立即消失！";
    }

    std::vector<std::string> opened_;
};

TEST_F(NoticePopup, IsCreatedHiddenWithItsParts)
{
    App& a = app();
    HWND popup = a.popupWindow.Handle();
    EXPECT_FALSE(::IsWindowVisible(popup));
    EXPECT_TRUE(a.popupWindow.ExStyle() & WS_EX_TOPMOST);
    EXPECT_EQ(a.popupWindow.Style() & (WS_CAPTION | WS_MINIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_EQ(a.popupWindow.BackgroundColor(), 0xFFFFFFu);
    // Asked for 10 x 10 at (0, 0); the system may enlarge it to its minimum size.
    EXPECT_EQ(PopupRect().left, 0);
    EXPECT_EQ(PopupRect().top, 0);
    // No taskbar button: owned by a window that is never shown.
    HWND owner = ::GetWindow(popup, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(::IsWindowVisible(owner));
    wchar_t ownerTitle[32] = {};
    ::GetWindowTextW(owner, ownerTitle, 32);
    EXPECT_STREQ(ownerTitle, L"ShowTaskbar");

    ASSERT_TRUE(a.popupBrowser.IsWindow());
    EXPECT_EQ(::GetParent(a.popupBrowser.Handle()), popup);
    EXPECT_EQ(a.popupBrowser.ExStyle() & WS_EX_CLIENTEDGE, 0);
    // Without a browser control (no engine) there is nothing to set.
    if (a.popupBrowser.Control()) {
        EXPECT_TRUE(a.popupBrowser.Silent());
        EXPECT_TRUE(a.popupBrowser.Offline());
    }

    ASSERT_TRUE(a.countdownLabel.IsWindow());
    EXPECT_EQ(::GetParent(a.countdownLabel.Handle()), popup);
    EXPECT_EQ(LabelText(), kFirstText);
    EXPECT_EQ(a.countdownLabel.BackColor(), 0xFFFFFFu);
    EXPECT_TRUE(a.countdownLabel.Style() & SS_CENTERIMAGE);

    EXPECT_FALSE(a.showTimer.Running());
    EXPECT_FALSE(a.riseTimer.Running());
    EXPECT_FALSE(a.countdownTimer.Running());
}

TEST_F(NoticePopup, ResizingLaysOutLabelAndPage)
{
    App& a = app();
    for (const auto& [w, h] : {std::pair{300, 220}, std::pair{600, 400}}) {
        a.popupWindow.Move(5, 5, w, h);
        const RECT client = a.popupWindow.ClientRect();
        EXPECT_EQ(BoxOf(client), (Box{0, 0, w, h})); // no frame left
        EXPECT_EQ(ChildBox(a.countdownLabel.Handle()), (Box{0, 0, w, 20}));
        EXPECT_EQ(ChildBox(a.popupBrowser.Handle()), (Box{0, 20, w, h - 20}));
    }
}

TEST_F(NoticePopup, PageRequestStartsTheDelay)
{
    App& a = app();
    // The hook consumes the request and starts the 10-second delay.
    EXPECT_EQ(a.popupBrowser.Send(msg::MsgLoadNoticePage), 1);
    EXPECT_TRUE(a.showTimer.Running());
    EXPECT_EQ(a.showTimer.Interval(), 10000);
    EXPECT_FALSE(::IsWindowVisible(a.popupWindow.Handle()));
    // Other messages pass.
    EXPECT_EQ(a.popupBrowser.Send(WM_USER + 7), 0);
}

TEST_F(NoticePopup, RisesFromTheBottomTaskbar)
{
    App& a = app();
    UseScreen(1280, 1024, 984); // 40-pixel taskbar at the bottom
    SetInterval(0);
    a.showTimer.SetInterval(10000);
    PopupShowTick();
    EXPECT_TRUE(::IsWindowVisible(a.popupWindow.Handle()));
    EXPECT_EQ(a.taskbarHeight, 40);
    EXPECT_EQ(BoxOf(PopupRect()), (Box{980, 984, 300, 220}));
    EXPECT_TRUE(a.riseTimer.Running());
    EXPECT_EQ(a.riseTimer.Interval(), 10);
    EXPECT_FALSE(a.showTimer.Running()); // "time" 0: shown once

    for (int tick = 1; tick <= 43; ++tick) {
        PopupRiseTick();
        ASSERT_EQ(PopupRect().top, 984 - 5 * tick);
    }
    EXPECT_TRUE(a.riseTimer.Running());
    EXPECT_FALSE(a.countdownTimer.Running());
    a.popupSeconds = 77;
    PopupRiseTick();
    EXPECT_EQ(BoxOf(PopupRect()), (Box{980, 764, 300, 220}));
    EXPECT_FALSE(a.riseTimer.Running());
    EXPECT_TRUE(a.countdownTimer.Running());
    EXPECT_EQ(a.countdownTimer.Interval(), 1000);
    EXPECT_EQ(a.popupSeconds, 0);
}

TEST_F(NoticePopup, SideOrHiddenTaskbarRisesFromTheScreenEdge)
{
    App& a = app();
    a.taskbarHeight = 55;
    UseScreen(1280, 1024, 1024);
    PopupShowTick();
    EXPECT_EQ(a.taskbarHeight, 0);
    EXPECT_EQ(BoxOf(PopupRect()), (Box{980, 1024, 300, 220}));
    int ticks = 0;
    while (a.riseTimer.Running() && ticks < 100) {
        PopupRiseTick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 44);
    EXPECT_EQ(BoxOf(PopupRect()), (Box{980, 804, 300, 220}));
}

TEST_F(NoticePopup, RisesWithoutTakingTheFocus)
{
    WTWindow game;
    ASSERT_NE(uitest::CreateHost(game, 200, 100, true), nullptr);
    ::SetForegroundWindow(game.Handle());
    ASSERT_EQ(::GetActiveWindow(), game.Handle());
    UseScreen(1024, 768, 738);
    PopupShowTick();
    PopupRiseTick();
    EXPECT_TRUE(::IsWindowVisible(app().popupWindow.Handle()));
    EXPECT_EQ(::GetActiveWindow(), game.Handle());
    ::DestroyWindow(game.Handle());
}

TEST_F(NoticePopup, CountsDownThenSinksBelowTheScreen)
{
    App& a = app();
    UseScreen(1024, 768, 738);
    PopupShowTick();
    while (a.riseTimer.Running()) {
        PopupRiseTick();
    }
    ASSERT_EQ(PopupRect().top, 518);
    PopupCountdownTick();
    EXPECT_EQ(LabelText(), CountdownLine(119));
    EXPECT_EQ(PopupRect().top, 518);
    a.popupSeconds = 119;
    PopupCountdownTick();
    EXPECT_EQ(LabelText(), CountdownLine(0));
    EXPECT_EQ(a.countdownTimer.Interval(), 1000);

    // The 121st tick starts the sinking: 5 pixels per 10 ms until the top reaches the screen's edge.
    PopupCountdownTick();
    EXPECT_EQ(PopupRect().top, 523);
    EXPECT_EQ(a.countdownTimer.Interval(), 10);
    int ticks = 1;
    while (a.countdownTimer.Running() && ticks < 200) {
        PopupCountdownTick();
        ++ticks;
    }
    EXPECT_EQ(ticks, (768 - 518) / 5);
    EXPECT_EQ(PopupRect().top, 768);
    EXPECT_EQ(LabelText(), CountdownLine(0));
    // Left visible below the screen; only a link hides it.
    EXPECT_TRUE(::IsWindowVisible(a.popupWindow.Handle()));
    EXPECT_EQ(mainCloses_, 0);
}

TEST_F(NoticePopup, TimersCarryAShowingThroughOnTheirOwn)
{
    App& a = app();
    UseScreen(1024, 768, 728);
    PopupShowTick();
    ASSERT_TRUE(uitest::PumpUntil([&] { return a.countdownTimer.Running(); }, 10000));
    EXPECT_EQ(BoxOf(PopupRect()), (Box{724, 508, 300, 220}));
    ASSERT_TRUE(uitest::PumpUntil([&] { return a.popupSeconds >= 2; }, 5000));
    EXPECT_EQ(LabelText(), CountdownLine(120 - a.popupSeconds));
    a.popupSeconds = 120;
    ASSERT_TRUE(uitest::PumpUntil([&] { return !a.countdownTimer.Running(); }, 15000));
    EXPECT_EQ(PopupRect().top, 768);
    EXPECT_TRUE(::IsWindowVisible(a.popupWindow.Handle()));
}

TEST_F(NoticePopup, ComesBackOnlyOnceHidden)
{
    App& a = app();
    UseScreen(1280, 1024, 984);
    SetInterval(30000);
    PopupShowTick();
    EXPECT_TRUE(a.showTimer.Running());
    EXPECT_EQ(a.showTimer.Interval(), 30000);
    for (int i = 0; i < 10; ++i) {
        PopupRiseTick();
    }
    const Box risen = BoxOf(PopupRect());
    // Still visible: the next tick leaves it where it is.
    PopupShowTick();
    EXPECT_EQ(BoxOf(PopupRect()), risen);
    EXPECT_EQ(a.showTimer.Interval(), 30000);
    // Hidden by a link: the next tick shows it again from the start.
    EXPECT_EQ(RaiseNewWindow3(L"http://127.0.0.1:18631/more.htm"), VARIANT_TRUE);
    EXPECT_FALSE(::IsWindowVisible(a.popupWindow.Handle()));
    PopupShowTick();
    EXPECT_TRUE(::IsWindowVisible(a.popupWindow.Handle()));
    EXPECT_EQ(BoxOf(PopupRect()), (Box{980, 984, 300, 220}));
    SetInterval(0);
    PopupShowTick();
    EXPECT_FALSE(a.showTimer.Running());
}

TEST_F(NoticePopup, LinkOutsideTheExitHidesThePopup)
{
    App& a = app();
    UseScreen(1280, 1024, 984);
    PopupShowTick();
    while (a.riseTimer.Running()) {
        PopupRiseTick();
    }
    ASSERT_TRUE(a.countdownTimer.Running());
    // The default browser opens it, not the control.
    EXPECT_EQ(RaiseNewWindow3(L"http://127.0.0.1:18631/notice.htm"), VARIANT_TRUE);
    EXPECT_FALSE(::IsWindowVisible(a.popupWindow.Handle()));
    EXPECT_FALSE(a.countdownTimer.Running());
    uitest::PumpFor(100);
    EXPECT_EQ(mainCloses_, 0);
    EXPECT_EQ(opened_, std::vector<std::string>{"http://127.0.0.1:18631/notice.htm"});
}

TEST_F(NoticePopup, ANewWindowTheUserDidNotAskForOpensNothing)
{
    App& a = app();
    UseScreen(1280, 1024, 984);
    PopupShowTick();
    while (a.riseTimer.Running()) {
        PopupRiseTick();
    }
    // A script's window.open (no NWMF_USERINITED), and one from an unloading page after a click.
    for (const LONG flags : {0x0, 0x4, 0x3}) {
        EXPECT_EQ(RaiseNewWindow3(L"http://127.0.0.1:18631/ad.htm", flags), VARIANT_TRUE) << flags;
    }
    EXPECT_TRUE(::IsWindowVisible(a.popupWindow.Handle()));
    EXPECT_TRUE(a.countdownTimer.Running());
    a.isExiting = true;
    ShowExitNotice();
    EXPECT_EQ(RaiseNewWindow3(L"https://127.0.0.1:18631/ad.htm", 0x0), VARIANT_TRUE);
    uitest::PumpFor(100);
    EXPECT_EQ(mainCloses_, 0);
    EXPECT_TRUE(opened_.empty());
}

TEST_F(NoticePopup, ThePageNavigatesOnlyToWebAddressesAndTheEmptyPage)
{
    for (const wchar_t* url : {L"file:///C:/", L"javascript:alert(1)", L"res://ieframe.dll/navcancl.htm",
             L"ms-msdt:/id PCWDiagnostic", L"\\\\server\\share\\page.htm"}) {
        EXPECT_EQ(RaiseBeforeNavigate2(url), VARIANT_TRUE) << platform::Narrow(url);
    }
    for (const wchar_t* url : {L"http://127.0.0.1:18631/notice.htm", L"https://127.0.0.1:18631/", L"about:blank"}) {
        EXPECT_EQ(RaiseBeforeNavigate2(url), VARIANT_FALSE) << platform::Narrow(url);
    }
}

TEST_F(NoticePopup, TheControlRunsInIe11ModeWithoutDownloadsOrPopUps)
{
    const std::wstring exe = ProgramFileName();
    EXPECT_EQ(exe, L"sorvik_wintests.exe");
    const std::pair<const wchar_t*, DWORD> features[] = {{L"FEATURE_BROWSER_EMULATION", 11001},
        {L"FEATURE_RESTRICT_FILEDOWNLOAD", 1}, {L"FEATURE_WEBOC_POPUPMANAGEMENT", 1}};
    // Written by the pop-up as it makes its control, not left from an earlier run.
    for (const auto& [feature, expected] : features) {
        ::RegDeleteKeyValueW(
            HKEY_CURRENT_USER, (std::wstring(kFeatureControlKey) + L"\\" + feature).c_str(), exe.c_str());
    }
    ::DestroyWindow(app().popupWindow.Handle());
    CreateNoticePopup();
    ASSERT_TRUE(app().popupWindow.IsWindow());
    for (const auto& [feature, expected] : features) {
        const std::wstring key = std::wstring(kFeatureControlKey) + L"\\" + feature;
        DWORD value = 0;
        DWORD size = sizeof value;
        EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), exe.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size),
            ERROR_SUCCESS)
            << platform::Narrow(feature);
        EXPECT_EQ(value, expected) << platform::Narrow(feature);
    }
}

TEST_F(NoticePopup, LinkThatIsNoWebAddressIsNeverOpened)
{
    App& a = app();
    UseScreen(1280, 1024, 984);
    for (const wchar_t* url : {L"file:///C:/windows/win.ini", L"ms-msdt:/id PCWDiagnostic", L"javascript:alert(1)",
             L"C:\\windows\\notepad.exe"}) {
        SCOPED_TRACE(platform::Narrow(url));
        PopupShowTick();
        EXPECT_EQ(RaiseNewWindow3(url), VARIANT_TRUE);
        EXPECT_FALSE(::IsWindowVisible(a.popupWindow.Handle()));
    }
    a.isExiting = true;
    ShowExitNotice();
    EXPECT_EQ(RaiseNewWindow3(L"file:///C:/windows/win.ini"), VARIANT_TRUE);
    EXPECT_TRUE(uitest::PumpUntil([&] { return mainCloses_ == 1; }));
    EXPECT_TRUE(opened_.empty());
}

TEST_F(NoticePopup, ExitNoticeIsCentredAndCountsAtOnce)
{
    App& a = app();
    UseScreen(1024, 768, 728);
    a.isExiting = true;
    a.popupSeconds = 50;
    ShowExitNotice();
    EXPECT_TRUE(::IsWindowVisible(a.popupWindow.Handle()));
    EXPECT_EQ(BoxOf(PopupRect()), (Box{212, 184, 600, 400}));
    EXPECT_EQ(ChildBox(a.popupBrowser.Handle()), (Box{0, 20, 600, 380}));
    EXPECT_EQ(LabelText(), CountdownLine(119));
    EXPECT_EQ(a.popupSeconds, 1);
    EXPECT_TRUE(a.countdownTimer.Running());
    EXPECT_EQ(a.countdownTimer.Interval(), 1000);
    EXPECT_EQ(mainCloses_, 0);
}

TEST_F(NoticePopup, ExitNoticeEndsTheProgramAfterItsLastSecond)
{
    App& a = app();
    UseScreen(1024, 768, 728);
    a.isExiting = true;
    ShowExitNotice();
    a.popupSeconds = 119;
    PopupCountdownTick();
    EXPECT_EQ(LabelText(), CountdownLine(0));
    EXPECT_EQ(mainCloses_, 0);
    const Box shown = BoxOf(PopupRect());
    PopupCountdownTick();
    EXPECT_EQ(mainCloses_, 1); // sent: the close runs before the tick returns
    EXPECT_FALSE(a.countdownTimer.Running());
    EXPECT_EQ(BoxOf(PopupRect()), shown); // no sinking during the exit
}

TEST_F(NoticePopup, LinkDuringTheExitOpensItAndCloses)
{
    App& a = app();
    UseScreen(1024, 768, 728);
    a.isExiting = true;
    ShowExitNotice();
    ASSERT_TRUE(a.countdownTimer.Running());
    EXPECT_EQ(RaiseNewWindow3(L"https://127.0.0.1:18631/下载.htm"), VARIANT_TRUE);
    EXPECT_FALSE(a.countdownTimer.Running());
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], "https://127.0.0.1:18631/下载.htm"); // GBK
    EXPECT_EQ(mainCloses_, 0); // posted, not sent
    EXPECT_TRUE(uitest::PumpUntil([&] { return mainCloses_ == 1; }));
}

} // namespace
