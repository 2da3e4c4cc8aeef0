// WTWindow: one object per native window. The object subclasses its window so
// that every message passes through Dispatch, which turns messages into calls
// of the handlers the application sets on the object.
#pragma once

#include "platform/win.h"
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/handles.h"
#include "ui/tray_icon.h"

class WTWindow {
public:
    // A raw per-window hook that sees the window's messages before any handler;
    // a nonzero result is the message's result and hides it from the handlers.
    using MessageHook = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

    struct CreateOptions {
        HWND parent = nullptr;
        std::wstring title;
        std::function<void(HWND)> onCreated;
        bool modal = false;
        int left = CW_USEDEFAULT;
        int top = CW_USEDEFAULT;
        int width = 380;
        int height = 250;
        DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
        DWORD exStyle = 0;
        bool visible = true;
        std::wstring className = L"WTWindow";
        HACCEL accelerators = nullptr;
        bool showInTaskbar = true;
    };

    WTWindow();
    virtual ~WTWindow();
    WTWindow(const WTWindow&) = delete;
    WTWindow& operator=(const WTWindow&) = delete;

    // Process-wide set-up and tables (UI thread only).
    static void SetModuleInstance(HINSTANCE instance);
    static HINSTANCE ModuleInstance();
    static void ResetControlIds(int last); // the next id handed out is last + 1
    static int NextControlId();
    static WTWindow* FromHandle(HWND hwnd);
    static void SetMessageHook(HWND hwnd, MessageHook hook);
    static void RemoveMessageHook(HWND hwnd);

    // Creation and attachment.
    HWND CreateAndRun(const CreateOptions& options);
    HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x,
        int y, int width, int height, HMENU menuOrId, void* param = nullptr);
    bool Attach(HWND hwnd);

    // Plain window operations; on an object without a window they fail like the system call.
    HWND Handle() const { return hwnd_; }
    bool IsWindow() const { return hwnd_ && ::IsWindow(hwnd_); }
    void Close() const;
    bool Visible() const;
    void Visible(bool show) const;
    void ShowInactive() const; // shown without taking the focus
    bool Enabled() const;
    void Enabled(bool enable) const;
    LONG Style() const;
    void AddStyle(LONG bits) const;
    void RemoveStyle(LONG bits) const;
    LONG ExStyle() const;
    void AddExStyle(LONG bits) const;
    void RemoveExStyle(LONG bits) const;
    std::wstring Text() const;
    void Text(const std::wstring& text) const;
    RECT ClientRect() const;
    RECT RectInParent() const;
    void Move(int x, int y, int width, int height, bool repaint = true) const;
    void Invalidate(bool erase = false) const;
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetFont(HFONT font, bool redraw = true) const;
    int WindowState() const;
    void WindowState(int state) const;
    void Cursor(HCURSOR cursor);
    HCURSOR Cursor() const { return cursor_; }
    void BackgroundColor(COLORREF color, bool repaint = true);
    COLORREF BackgroundColor() const { return backgroundColor_; }
    void BackgroundPicture(HBITMAP bitmap, int mode, bool repaint = true);
    bool KeepActiveLook() const { return keepActiveLook_; }
    void KeepActiveLook(bool on) { keepActiveLook_ = on; }
    bool DragByBody() const { return dragByBody_; }
    void DragByBody(bool on) { dragByBody_ = on; }
    int RegisterHotKey(UINT modifiers, UINT virtualKey);
    bool UnregisterHotKey(int id) const;
    void AcceptFiles(bool accept) const;

    // Notification-area icon of this window; removed when the window goes.
    bool AddTrayIcon(HICON icon, const std::wstring& tip = std::wstring()) { return tray_.Add(hwnd_, icon, tip); }
    WTTrayIcon& Tray() { return tray_; }
    const WTTrayIcon& Tray() const { return tray_; }

    // Basic events. Mouse coordinates: x unsigned, y signed; keys: 1 Ctrl, 2 Shift, 4 Alt.
    // A nonzero result of an input handler ends the message's processing.
    std::function<LRESULT(int x, int y, int keys)> onLButtonDown, onLButtonUp, onLButtonDblClk, onRButtonDown,
        onRButtonUp, onMouseMove;
    std::function<void()> onGotFocus, onLostFocus;
    std::function<LRESULT(int virtualKey, int keys)> onKeyDown, onKeyUp;
    std::function<LRESULT(int character)> onChar;
    std::function<void(int delta, int keys)> onMouseWheel;
    std::function<void(const std::wstring& paths)> onFilesDropped;
    std::function<LRESULT()> onMouseEnter, onMouseLeave;
    std::function<LRESULT(HDC dc, const RECT& update)> onPaint;

    // Top-level events.
    std::function<void()> onDestroyed, onActivated, onDeactivated, onFirstActivation, onShown, onHidden;
    std::function<void(int x, int y)> onMoved;
    std::function<void(int width, int height)> onResized;
    // After WM_DPICHANGED has moved the window to the rectangle Windows suggests.
    std::function<void(unsigned dpi)> onDpiChanged;
    std::function<void(int code)> onTrayEvent;
    std::function<void(int id)> onMenuCommand;
    std::function<void(int id, int modifiers, int virtualKey)> onHotKey;
    std::function<void(HWND hwnd)> onCreated;
    // Returns true to keep the window open.
    std::function<bool()> onCloseQuery;

protected:
    // The message path, overridable by derived windows.
    virtual LRESULT Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT TopLevelMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Hooks that Dispatch calls; 0 means "not handled" unless noted.
    virtual LRESULT OnReflectedCommand(HWND parent, HWND child, int code, int id);
    virtual LRESULT OnReflectedNotify(HWND parent, HWND from, int code, UINT_PTR id, NMHDR* header);
    virtual LRESULT OnReflectedColor(HWND child, HDC dc);
    virtual LRESULT OnReflectedScroll(int request, int position, HWND child);
    virtual LRESULT OnReflectedDrawItem(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnEraseBackground(HDC dc);
    virtual LRESULT OnLeftButtonDownHook();
    virtual LRESULT OnMouseMoveHook();
    virtual LRESULT OnMouseLeaveHook();
    virtual void OnResizeHook(int width, int height);
    virtual void PaintBackground(HDC dc, const RECT& area);
    // Frees what the window holds; runs when the window goes away.
    virtual void ReleaseResources();

    LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    void Subclass();
    void Detach();
    void Unhook();
    HWND CreateTopLevel(const CreateOptions& options, HWND owner);
    // The mouse button messages and WM_MOUSEMOVE: the framework's own reaction, then the handler.
    LRESULT DispatchMouse(UINT message, LPARAM lParam);
    LRESULT HandleSetCursor(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void HandleDroppedFiles(HDROP drop);

    HWND hwnd_ = nullptr;
    WNDPROC previousProc_ = nullptr;
    HCURSOR cursor_ = nullptr;
    bool tracking_ = false;

    platform::UniqueBrush backgroundBrush_;
    COLORREF backgroundColor_ = 0;
    platform::UniqueBitmap backgroundPicture_;
    int pictureMode_ = 0;
    WTTrayIcon tray_;

    bool keepActiveLook_ = false;
    bool dragByBody_ = false;
    bool firstActivationDone_ = false;
    HWND hiddenOwner_ = nullptr;
};

// Keys held at dispatch time: 1 Ctrl, 2 Shift, 4 Alt.
int CurrentKeyState();
