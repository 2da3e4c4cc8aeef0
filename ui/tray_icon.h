// The notification-area icon of one window.
#pragma once

#include "platform/win.h"
#include <shellapi.h>

#include <memory>
#include <string>

class WTTrayIcon {
public:
    // The icon stays the caller's: one from LoadIcon is shared and must never be destroyed.
    bool Add(HWND owner, HICON icon, const std::wstring& tip = std::wstring());
    bool SetTip(const std::wstring& tip);
    bool SetIcon(HICON icon);
    bool ShowBalloon(const std::wstring& text, const std::wstring& title = std::wstring(), DWORD iconType = NIIF_INFO,
        UINT timeoutMs = 10000);
    bool Remove();
    bool Shown() const { return record_ != nullptr; }
    const NOTIFYICONDATAW* Record() const { return record_.get(); } // for inspection

    // The shell restarted ("TaskbarCreated"): every icon is gone, put ours back.
    bool IsTaskbarCreated(UINT message) const { return taskbarCreated_ && message == taskbarCreated_; }
    void AddAgain();

    // The event code of the callback message's mouse or balloon message; 0 for the others.
    static int EventCode(UINT mouseMessage);

private:
    bool Modify(UINT flags);

    std::unique_ptr<NOTIFYICONDATAW> record_;
    UINT taskbarCreated_ = 0;
};
