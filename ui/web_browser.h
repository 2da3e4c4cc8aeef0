// WTWebBrowser: the system web browser control hosted in an ATL "AtlAxWin"
// child window, driven through its IDispatch by member name,
// with its DWebBrowserEvents2 turned into typed events. Texts are GBK.
#pragma once

#include "platform/win.h"
#include <oaidl.h>

#include <functional>
#include <string>

#include "platform/handles.h"
#include "ui/window.h"

class WTWebBrowser : public WTWindow {
public:
    WTWebBrowser();
    ~WTWebBrowser() override;

    // False only when the host window cannot be made. Without a working browser
    // (no control, no HTML engine) the window still exists and the operations
    // below do nothing and answer false.
    bool Create(HWND parent, const std::string& url = "about:blank", int x = 0, int y = 0, int width = 400,
        int height = 300, DWORD extraStyle = 0, DWORD exStyle = WS_EX_CLIENTEDGE);

    // The hosted control's automation interface (not AddRef'd), or nullptr.
    IDispatch* Control() const { return control_.Get(); }
    // The DWebBrowserEvents2 sink the control calls; exposed so hosts and tests can drive it.
    IDispatch* EventSink() const { return sink_.Get(); }

    bool Navigate(const std::string& url) const;
    bool Silent(bool on) const;
    bool Offline(bool on) const;
    // Property reads; false when there is no control or it does not answer.
    bool Silent() const;
    bool Offline() const;

    // Events. A handler that sets `cancel` cancels the navigation or the new window.
    std::function<void(const std::string& text)> onStatusTextChange;
    std::function<void(long progress, long maximum)> onProgressChange;
    std::function<void(const std::string& title)> onTitleChange;
    std::function<void(IDispatch* browser, const std::string& url, bool& cancel)> onBeforeNavigate;
    std::function<void(IDispatch** newWindow, bool& cancel)> onNewWindow2;
    // `flags` are the control's NWMF_ flags (NWMF_USERINITED and the like).
    std::function<void(IDispatch** newWindow, DWORD flags, const std::string& url, bool& cancel)> onNewWindow3;
    std::function<void(IDispatch* browser, const std::string& url)> onDocumentComplete;

protected:
    void ReleaseResources() override;

private:
    friend class BrowserEventSink;
    void DispatchEvent(DISPID id, const DISPPARAMS& params);
    bool PutBool(const wchar_t* name, bool value) const;
    bool GetBool(const wchar_t* name) const;
    bool Call(const wchar_t* name, const std::string& url) const;

    platform::ComPtr<IDispatch> control_;
    platform::ComPtr<IDispatch> sink_;
    DWORD adviseCookie_ = 0;
};
