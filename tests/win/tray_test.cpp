// The notification-area icon of a WTWindow and the events its callback message raises; the
// program's tray menu.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/shell/autostart.h"
#include "app/shell/tray.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/win/main_window_fixture.h"
#include "tests/win/ui_test_support.h"
#include "ui/messages.h"
#include "ui/window.h"

namespace {

class TrayTest : public ::testing::Test {
protected:
    // The tray never owns its icon: the test does.
    HICON NewIcon() { return icons_.emplace_back(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION))).Get(); }

    void SetUp() override { ASSERT_NE(uitest::CreateHost(window_, 200, 100, false), nullptr); }
    void TearDown() override
    {
        if (window_.IsWindow()) {
            ::DestroyWindow(window_.Handle());
        }
    }

    // Asks the shell directly whether it still knows our icon.
    bool ShellHasIcon() const
    {
        NOTIFYICONDATAW probe{};
        probe.cbSize = window_.Tray().Record() ? window_.Tray().Record()->cbSize : sizeof(probe);
        probe.hWnd = window_.Handle();
        probe.uID = 1;
        return ::Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
    }

    WTWindow window_;
    std::vector<platform::UniqueIcon> icons_;
};

TEST_F(TrayTest, AddFillsTheRecord)
{
    ASSERT_TRUE(window_.AddTrayIcon(NewIcon(), L"Sorvik加速器"));
    const NOTIFYICONDATAW* record = window_.Tray().Record();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->cbSize, 936u);
    EXPECT_EQ(record->hWnd, window_.Handle());
    EXPECT_EQ(record->uID, 1u);
    EXPECT_EQ(record->uCallbackMessage, msg::kTrayCallback);
    EXPECT_EQ(record->uFlags, UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP});
    EXPECT_NE(record->hIcon, nullptr);
    EXPECT_STREQ(record->szTip, L"Sorvik加速器");
    EXPECT_TRUE(ShellHasIcon());
}

TEST_F(TrayTest, LongTipIsCutToTheField)
{
    std::wstring tip;
    for (int i = 0; i < 200; ++i) {
        tip += static_cast<wchar_t>(L'a' + i % 26);
    }
    ASSERT_TRUE(window_.AddTrayIcon(NewIcon(), tip));
    EXPECT_EQ(std::wstring(window_.Tray().Record()->szTip), tip.substr(0, 127));
    ASSERT_TRUE(window_.Tray().SetTip(tip.substr(3)));
    EXPECT_EQ(std::wstring(window_.Tray().Record()->szTip), tip.substr(3, 127));
}

TEST_F(TrayTest, ModifyAndRemove)
{
    EXPECT_FALSE(window_.Tray().SetTip(L"x"));
    EXPECT_FALSE(window_.Tray().SetIcon(NewIcon()));
    EXPECT_FALSE(window_.Tray().ShowBalloon(L"x"));
    EXPECT_FALSE(window_.Tray().Remove());

    ASSERT_TRUE(window_.AddTrayIcon(NewIcon(), L"one"));
    EXPECT_TRUE(window_.Tray().SetTip(L"two"));
    EXPECT_STREQ(window_.Tray().Record()->szTip, L"two");
    HICON replacement = NewIcon();
    EXPECT_TRUE(window_.Tray().SetIcon(replacement));
    EXPECT_EQ(window_.Tray().Record()->hIcon, replacement);
    EXPECT_TRUE(window_.Tray().ShowBalloon(L"正文", L"标题", NIIF_INFO, 5000));
    EXPECT_STREQ(window_.Tray().Record()->szInfo, L"正文");
    EXPECT_STREQ(window_.Tray().Record()->szInfoTitle, L"标题");
    EXPECT_EQ(window_.Tray().Record()->uFlags & NIF_INFO, UINT{NIF_INFO});

    EXPECT_TRUE(window_.Tray().Remove());
    EXPECT_FALSE(window_.Tray().Shown());
    EXPECT_FALSE(ShellHasIcon());
    EXPECT_FALSE(window_.Tray().Remove());
    // An icon from LoadIcon is shared: removing the tray icon must not destroy it.
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(replacement, &info));
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
}

TEST_F(TrayTest, TaskbarCreatedAddsTheIconAgainWithItsTip)
{
    ASSERT_TRUE(window_.AddTrayIcon(NewIcon(), L"tip kept"));
    ASSERT_TRUE(window_.Tray().ShowBalloon(L"balloon"));
    // The shell restarting loses every icon.
    NOTIFYICONDATAW gone = *window_.Tray().Record();
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &gone));
    ASSERT_FALSE(ShellHasIcon());

    window_.Send(::RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_TRUE(ShellHasIcon());
    EXPECT_EQ(window_.Tray().Record()->uFlags, UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP});
    EXPECT_STREQ(window_.Tray().Record()->szTip, L"tip kept");
}

TEST_F(TrayTest, TaskbarCreatedWithoutIconAddsNothing)
{
    window_.Send(::RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_FALSE(window_.Tray().Shown());
    EXPECT_FALSE(ShellHasIcon());
}

TEST_F(TrayTest, MouseMessagesBecomeEventCodes)
{
    std::vector<int> codes;
    window_.onTrayEvent = [&](int code) { codes.push_back(code); };
    ASSERT_TRUE(window_.AddTrayIcon(NewIcon(), L"t"));
    // A double click as the shell reports it: down, up, double click, up.
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
        window_.Send(msg::kTrayCallback, 1, mouse);
    }
    EXPECT_EQ(codes, (std::vector<int>{1, 0, 4, 0}));

    codes.clear();
    for (UINT mouse : {UINT{WM_RBUTTONDOWN}, UINT{WM_MBUTTONDOWN}, UINT{WM_RBUTTONDBLCLK}, UINT{WM_MBUTTONDBLCLK},
             UINT{WM_MOUSEMOVE}, UINT{NIN_BALLOONSHOW}, UINT{NIN_BALLOONTIMEOUT}, UINT{NIN_BALLOONUSERCLICK},
             UINT{NIN_BALLOONHIDE}, UINT{WM_RBUTTONUP}}) {
        window_.Send(msg::kTrayCallback, 1, static_cast<LPARAM>(mouse));
    }
    EXPECT_EQ(codes, (std::vector<int>{2, 3, 5, 6, 7, 8, 9, 10, 0, 0}));
}

TEST_F(TrayTest, WindowGoneRemovesTheIcon)
{
    ASSERT_TRUE(window_.AddTrayIcon(NewIcon(), L"t"));
    HWND hwnd = window_.Handle();
    ::DestroyWindow(hwnd);
    EXPECT_FALSE(window_.Tray().Shown());
    NOTIFYICONDATAW probe{};
    probe.cbSize = 936;
    probe.hWnd = hwnd;
    probe.uID = 1;
    EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &probe));
}

// The program's menu on the real main window. The prefix is shared: no Run value outlives a test.
class TrayMenu : public MainWindowFixture {
protected:
    void SetUp() override
    {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName);
        MainWindowFixture::SetUp();
    }
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName);
    }

    static std::optional<std::wstring> RunValue()
    {
        wchar_t text[1024] = {};
        DWORD bytes = sizeof(text);
        if (::RegGetValueW(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, RRF_RT_REG_SZ, nullptr, text, &bytes)
            != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return std::wstring(text);
    }

    static void SetRunValue(const std::wstring& command)
    {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, REG_SZ, command.c_str(),
                      static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
    }

    static bool Ticked() { return TrayItemChecked(kTrayStartWithWindows); }
};

TEST_F(TrayMenu, StartWithWindowsWritesAndRemovesTheRunValueAndTicksAsTheRegistryIs)
{
    wchar_t text[32] = {};
    ::GetMenuStringW(app().trayMenu.Handle(), kTrayStartWithWindows, text, 32, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"开机启动");
    EXPECT_FALSE(Ticked());

    // Another copy's value is not this program's start; clicking puts this exe in its place.
    SetRunValue(L"\"C:\\elsewhere\\Sorvik.exe\" /tray");
    ShowStartWithWindowsTick();
    EXPECT_FALSE(Ticked());
    ToggleStartWithWindows();
    const std::wstring exe = platform::ProgramPath();
    EXPECT_EQ(RunValue(), L"\"" + exe + L"\" /tray");
    EXPECT_TRUE(Ticked());

    ToggleStartWithWindows();
    EXPECT_EQ(RunValue(), std::nullopt);
    EXPECT_FALSE(Ticked());

    // This exe under another spelling of its path (as an installer may write it) is still ours.
    std::wstring upper = exe;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) { return ::towupper(c); });
    SetRunValue(L"\"" + upper + L"\" /tray");
    ShowStartWithWindowsTick();
    EXPECT_TRUE(Ticked());
}

} // namespace
