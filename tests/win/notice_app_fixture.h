// The process-wide App with what the notice check and the pop-up reach: a hidden main window
// whose WM_CLOSE is recorded (and kept from closing it), a hooked notifyLabel that records the
// internal messages, and the pop-up itself.
#pragma once

#include "platform/win.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <vector>

#include "app/notice/notice_popup.h"
#include "app/notice/notice_shell.h"
#include "app/shell/app.h"
#include "app/shell/main_window.h"
#include "app/shell/messages.h"
#include "app/shell/notify_messages.h"
#include "tests/win/ui_test_support.h"

class NoticeAppFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        oleStarted_ = true;
        CreateApp();
        App& a = app();
        ASSERT_NE(uitest::CreateHost(a.mainWindow, 800, 600, false), nullptr);
        WTWindow::SetMessageHook(a.mainWindow.Handle(), [this](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
            if (message != WM_CLOSE) {
                return 0;
            }
            ++mainCloses_;
            return 1;
        });
        ASSERT_TRUE(a.notifyLabel.Create(a.mainWindow.Handle(), "标签", SS_NOTIFY, 0, 0));
        a.notifyLabel.Visible(false);
        WTWindow::SetMessageHook(a.notifyLabel.Handle(), [this](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
            if (message == msg::MsgUiCall) {
                RunPostedUiCall();
            } else if (message >= WM_USER) {
                notifyMessages_.push_back(message);
            }
            return 0;
        });
        // The notice bar starts hidden, as the main window builds it.
        a.noticeText.Visible(false, false);
        a.noticeLinkButton.Visible(false, false);
        a.noticeCloseButton.Visible(false, false);
        ConnectNoticeShell();
        CreateNoticePopup();
        ASSERT_TRUE(a.popupWindow.IsWindow());
    }

    void TearDown() override
    {
        SetScreenMetricsSource(nullptr);
        noticeShell() = NoticeShell{};
        if (oleStarted_) {
            StopNoticeTimers();
            App& a = app();
            for (WTWindow* window : {&a.popupWindow, &a.mainWindow}) {
                if (window->IsWindow()) {
                    ::DestroyWindow(window->Handle());
                }
            }
            ReleaseApp();
            ::OleUninitialize();
        }
    }

    int NotifyCount(UINT message) const
    {
        return static_cast<int>(std::count(notifyMessages_.begin(), notifyMessages_.end(), message));
    }

    static RECT PopupRect()
    {
        RECT rect{};
        ::GetWindowRect(app().popupWindow.Handle(), &rect);
        return rect;
    }

    int mainCloses_ = 0;
    std::vector<UINT> notifyMessages_;

private:
    bool oleStarted_ = false;
};
