// The real main window built in-process against the demo service, with a way to
// pump messages until something has happened.
#pragma once

#include "platform/win.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <functional>
#include <mutex>
#include <string>

#include "app/lines/line_cache.h"
#include "app/shell/app.h"
#include "app/shell/startup.h"
#include "platform/files.h"
#include "platform/thread.h"
#include "tests/win/service_control.h"

class MainWindowFixture : public ::testing::Test {
protected:
    // The service's config for this test (lines, notice, faults); the default is the demo's.
    virtual std::string ServiceConfig() const { return {}; }
    // Where the program's theme is read from; the default is beside the test program.
    virtual std::wstring ProgramDirectoryForTheme() const { return platform::ProgramDirectory(); }
    // Runs before the window starts its first fetch; the default leaves no line cache behind.
    virtual void PrepareProgramDirectory() { ::DeleteFileW(LineCachePath().c_str()); }

    void SetUp() override
    {
        ::OleInitialize(nullptr);
        CreateApp();
        const std::string config = ServiceConfig();
        ASSERT_TRUE(config.empty() ? service_control::RestoreDemoConfig() : service_control::PostConfig(config));
        service_control::ResetRecords();
        app().lineListKey.Store(EmbeddedLineListKey());
        app().theme.Load(ProgramDirectoryForTheme());
        PrepareProgramDirectory();
        hwnd_ = app().mainWindow.CreateAndRun(MainWindowOptions());
        ASSERT_TRUE(hwnd_);
    }

    void TearDown() override
    {
        App& a = app();
        a.isExiting = true;
        a.threadPool.Stop(0);
        for (WTWindow* window : {&a.confirmWindow, &a.popupWindow, &a.mainWindow}) {
            if (window->IsWindow()) {
                ::DestroyWindow(window->Handle());
            }
        }
        Pump(50);
        ReleaseApp();
        service_control::RestoreDemoConfig();
        ::OleUninitialize();
    }

    // Pumps messages until `done` holds or `timeoutMs` passes; returns `done()`.
    static bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
    {
        const DWORD start = ::GetTickCount();
        while (!done()) {
            if (::GetTickCount() - start > timeoutMs) {
                return false;
            }
            Pump(10);
        }
        return true;
    }

    static void Pump(DWORD ms)
    {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

    static bool SpeedTestDone() { return app().statusText.Text() == "状态：测速完成！"; }
    static bool FetchFailed() { return app().statusText.Text() == "状态：获取线路失败！"; }

    static size_t LineCount()
    {
        std::lock_guard<platform::CriticalSection> lock(app().listLock);
        return app().lineList.size();
    }

    static std::string Latency(int lineIndex)
    {
        std::lock_guard<platform::CriticalSection> lock(app().listLock);
        return app().lineList.at(static_cast<size_t>(lineIndex) - 1).latency;
    }

    HWND hwnd_ = nullptr;
};
