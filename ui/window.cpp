#include "ui/window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <new>
#include <unordered_map>

#include "platform/out_of_memory.h"

#include "ui/hash_table.h"
#include "ui/messages.h"
#include "ui/thread_check.h"

namespace {

struct Registry {
    HINSTANCE instance = nullptr;
    int lastControlId = 500;
    int lastHotKeyId = 0;
    std::unordered_map<HWND, WTWindow*> objects;
    WTHashTable<WTWindow::MessageHook> hooks;
};

Registry& Tables()
{
    // Never destroyed: the process objects released by the exit handler still reach it,
    // and a static made after that handler's registration would already be gone.
    static Registry* registry = new Registry;
    return *registry;
}

WTWindow::MessageHook HookFor(HWND hwnd) { return Tables().hooks.Get(reinterpret_cast<intptr_t>(hwnd)); }

void RegisterClassOnce(const std::wstring& name, WNDPROC proc)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = WTWindow::ModuleInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name.c_str();
    // A repeated registration fails harmlessly.
    ::RegisterClassExW(&wc);
}

} // namespace

int CurrentKeyState()
{
    int keys = 0;
    if (::GetAsyncKeyState(VK_CONTROL) & 0x8000) {
        keys |= 1;
    }
    if (::GetAsyncKeyState(VK_SHIFT) & 0x8000) {
        keys |= 2;
    }
    if (::GetAsyncKeyState(VK_MENU) & 0x8000) {
        keys |= 4;
    }
    return keys;
}

WTWindow::WTWindow() = default;

WTWindow::~WTWindow()
{
    // A window outliving its object must not reach a dangling pointer. The derived parts are
    // gone by now, so only this class's resources are left to free.
    if (hwnd_) {
        WTWindow::ReleaseResources();
        Unhook();
    }
}

void WTWindow::SetModuleInstance(HINSTANCE instance)
{
    if (!Tables().instance) {
        Tables().instance = instance;
    }
}

HINSTANCE WTWindow::ModuleInstance()
{
    if (!Tables().instance) {
        Tables().instance = ::GetModuleHandleW(nullptr);
    }
    return Tables().instance;
}

void WTWindow::ResetControlIds(int last) { Tables().lastControlId = last; }

int WTWindow::NextControlId() { return ++Tables().lastControlId; }

WTWindow* WTWindow::FromHandle(HWND hwnd)
{
    auto& objects = Tables().objects;
    auto it = objects.find(hwnd);
    return it == objects.end() ? nullptr : it->second;
}

void WTWindow::SetMessageHook(HWND hwnd, MessageHook hook)
{
    RemoveMessageHook(hwnd);
    if (hwnd && hook) {
        Tables().hooks.Set(reinterpret_cast<intptr_t>(hwnd), std::move(hook));
    }
}

void WTWindow::RemoveMessageHook(HWND hwnd)
{
    while (Tables().hooks.Remove(reinterpret_cast<intptr_t>(hwnd))) { }
}

// ---------------------------------------------------------------------------
// Creation and attachment

HWND WTWindow::CreateChild(HWND parent, DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
    int x, int y, int width, int height, HMENU menuOrId, void* param)
{
    if (hwnd_) {
        return nullptr;
    }
    HWND hwnd = ::CreateWindowExW(
        exStyle, className, title, style, x, y, width, height, parent, menuOrId, ModuleInstance(), param);
    if (!hwnd) {
        return nullptr;
    }
    hwnd_ = hwnd;
    Tables().objects[hwnd] = this;
    Subclass();
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return hwnd;
}

bool WTWindow::Attach(HWND hwnd)
{
    if (hwnd_ || !::IsWindow(hwnd)) {
        return false;
    }
    hwnd_ = hwnd;
    Tables().objects[hwnd] = this;
    Subclass();
    return true;
}

void WTWindow::Subclass()
{
    // Typed first: the cast to LONG_PTR below would hide a procedure of the wrong convention.
    constexpr WNDPROC subclassProc = &WTWindow::SubclassProc;
    auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC));
    if (current != subclassProc) {
        previousProc_ = current;
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProc));
    }
}

void WTWindow::Detach()
{
    ReleaseResources();
    Unhook();
}

void WTWindow::Unhook()
{
    if (::IsWindow(hwnd_) && previousProc_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    }
    RemoveMessageHook(hwnd_);
    Tables().objects.erase(hwnd_);
    hwnd_ = nullptr;
    previousProc_ = nullptr;
    cursor_ = nullptr;
    onLButtonDown = onLButtonUp = onLButtonDblClk = onRButtonDown = onRButtonUp = onMouseMove = nullptr;
    onGotFocus = onLostFocus = nullptr;
    onKeyDown = onKeyUp = nullptr;
    onChar = nullptr;
    onMouseWheel = nullptr;
    onFilesDropped = nullptr;
    onMouseEnter = onMouseLeave = nullptr;
    tracking_ = false;
    onPaint = nullptr;
}

void WTWindow::ReleaseResources()
{
    onCreated = nullptr;
    onCloseQuery = nullptr;
    backgroundBrush_.Reset();
    backgroundPicture_.Reset();
    tray_.Remove();
    if (hiddenOwner_) {
        ::DestroyWindow(hiddenOwner_);
        hiddenOwner_ = nullptr;
    }
}

HWND WTWindow::CreateTopLevel(const CreateOptions& options, HWND owner)
{
    BackgroundColor(::GetSysColor(COLOR_BTNFACE), false);
    HWND hwnd = CreateChild(owner, options.exStyle, options.className.c_str(), options.title.c_str(),
        options.style | WS_CLIPSIBLINGS, options.left, options.top, options.width, options.height, nullptr);
    if (hwnd && owner) {
        for (WPARAM kind : {ICON_SMALL, ICON_BIG}) {
            LRESULT icon = ::SendMessageW(owner, WM_GETICON, kind, 0);
            ::SendMessageW(hwnd, WM_SETICON, kind, icon);
        }
    }
    return hwnd;
}

HWND WTWindow::CreateAndRun(const CreateOptions& options)
{
    RegisterClassOnce(options.className, &WTWindow::ClassProc);
    onCreated = options.onCreated;

    HWND owner = options.parent;
    HWND hiddenOwner = nullptr;
    if (!owner && !options.showInTaskbar) {
        // An owned window gets no taskbar button; the owner itself is never shown.
        hiddenOwner = ::CreateWindowExW(0, options.className.c_str(), L"ShowTaskbar", 0, 0, 0, 250, 110, nullptr,
            nullptr, ModuleInstance(), nullptr);
        owner = hiddenOwner;
    }

    HWND hwnd = CreateTopLevel(options, owner);
    if (!hwnd) {
        if (hiddenOwner) {
            ::DestroyWindow(hiddenOwner);
        }
        return nullptr;
    }
    hiddenOwner_ = hiddenOwner;

    ::SendMessageW(hwnd, msg::kCreated, 0, 0);
    if (options.visible && ::IsWindow(hwnd)) {
        ::ShowWindow(hwnd, SW_SHOW);
        ::UpdateWindow(hwnd);
    }

    if (options.modal) {
        HWND parent = options.parent;
        if (parent && ::IsWindow(parent)) {
            ::EnableWindow(parent, FALSE);
        }
        MSG message{};
        BOOL got = TRUE;
        while (::IsWindow(hwnd) && (got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
            if (options.accelerators && ::TranslateAcceleratorW(hwnd, options.accelerators, &message)) {
                continue;
            }
            if (::IsDialogMessageW(hwnd, &message)) {
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (got == 0) {
            // The quit was meant for the outer loop as well: pass it on.
            ::PostQuitMessage(static_cast<int>(message.wParam));
        }
        if (parent && ::IsWindow(parent)) {
            ::EnableWindow(parent, TRUE);
            ::SetForegroundWindow(parent);
        }
    }
    return hwnd;
}

// ---------------------------------------------------------------------------
// Window procedures

LRESULT CALLBACK WTWindow::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (message != WM_QUIT) {
            if (MessageHook hook = HookFor(hwnd)) {
                if (LRESULT r = hook(hwnd, message, wParam, lParam)) {
                    return r;
                }
            }
        }
        if (WTWindow* self = FromHandle(hwnd)) {
            return self->Dispatch(hwnd, message, wParam, lParam);
        }
    } catch (const std::bad_alloc&) {
        platform::OutOfMemory();
    } catch (...) {
        // A handler that throws must not unwind through the system's frames.
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK WTWindow::ClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (WTWindow* self = FromHandle(hwnd)) {
            return self->DefaultProc(hwnd, message, wParam, lParam);
        }
    } catch (const std::bad_alloc&) {
        platform::OutOfMemory();
    } catch (...) {
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT WTWindow::CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (previousProc_) {
        return ::CallWindowProcW(previousProc_, hwnd, message, wParam, lParam);
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT WTWindow::DispatchMouse(UINT message, LPARAM lParam)
{
    // The framework's own reaction comes first; a nonzero result ends the message.
    LRESULT own = 0;
    const std::function<LRESULT(int, int, int)>* handler = nullptr;
    switch (message) {
    case WM_LBUTTONDOWN:
        own = OnLeftButtonDownHook();
        handler = &onLButtonDown;
        break;
    case WM_LBUTTONUP:
        handler = &onLButtonUp;
        break;
    case WM_LBUTTONDBLCLK:
        handler = &onLButtonDblClk;
        break;
    case WM_RBUTTONDOWN:
        handler = &onRButtonDown;
        break;
    case WM_RBUTTONUP:
        handler = &onRButtonUp;
        break;
    default:
        own = OnMouseMoveHook();
        handler = &onMouseMove;
        break;
    }
    if (own || !*handler) {
        return own;
    }
    return (*handler)(
        static_cast<int>(LOWORD(lParam)), static_cast<int>(static_cast<short>(HIWORD(lParam))), CurrentKeyState());
}

LRESULT WTWindow::Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCDESTROY: {
        WNDPROC previous = previousProc_;
        Detach();
        return previous ? ::CallWindowProcW(previous, hwnd, message, wParam, lParam)
                        : ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_DESTROY: {
        const LRESULT r = CallPrevious(hwnd, message, wParam, lParam);
        // A control that puts its original procedure back on WM_DESTROY (Wine's ATL host
        // does) unhooks ours; hook in again so WM_NCDESTROY still detaches the object.
        Subclass();
        return r;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
        if (LRESULT r = DispatchMouse(message, lParam)) {
            return r;
        }
        break;
    case WM_SETFOCUS:
        if (onGotFocus) {
            onGotFocus();
        }
        break;
    case WM_KILLFOCUS:
        if (onLostFocus) {
            onLostFocus();
        }
        break;
    case WM_KEYDOWN:
    case WM_KEYUP: {
        const auto& handler = message == WM_KEYDOWN ? onKeyDown : onKeyUp;
        if (handler) {
            if (LRESULT r = handler(static_cast<int>(wParam), CurrentKeyState())) {
                return r;
            }
        }
        break;
    }
    case WM_MOUSEWHEEL:
        if (onMouseWheel) {
            onMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), CurrentKeyState());
        }
        break;
    case WM_CHAR:
        if (onChar) {
            if (LRESULT r = onChar(static_cast<int>(wParam))) {
                return r;
            }
        }
        break;
    case WM_SETCURSOR:
        return HandleSetCursor(hwnd, message, wParam, lParam);
    case WM_PAINT:
        if (onPaint) {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd, &ps);
            LRESULT r = onPaint(dc, ps.rcPaint);
            ::EndPaint(hwnd, &ps);
            if (r) {
                return r;
            }
        }
        break;
    case WM_ERASEBKGND:
        if (LRESULT r = OnEraseBackground(reinterpret_cast<HDC>(wParam))) {
            return r;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam) {
            if (WTWindow* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
                if (LRESULT r = child->OnReflectedScroll(LOWORD(wParam), HIWORD(wParam), child->hwnd_)) {
                    return r;
                }
            }
        }
        break;
    case WM_COMMAND:
        if (lParam) {
            if (WTWindow* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
                if (LRESULT r = child->OnReflectedCommand(hwnd, child->hwnd_, HIWORD(wParam), LOWORD(wParam))) {
                    return r;
                }
            }
        }
        break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        if (WTWindow* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
            if (LRESULT brush = child->OnReflectedColor(child->hwnd_, reinterpret_cast<HDC>(wParam))) {
                return brush;
            }
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (!header) {
            break;
        }
        const NMHDR copy = *header;
        // Tooltip text requests go to the window itself, not to the tooltip control.
        WTWindow* target = copy.code == static_cast<UINT>(TTN_GETDISPINFOW) ? this : FromHandle(copy.hwndFrom);
        if (target) {
            if (LRESULT r
                = target->OnReflectedNotify(hwnd, copy.hwndFrom, static_cast<int>(copy.code), copy.idFrom, header)) {
                return r;
            }
        }
        break;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item) {
            if (WTWindow* child = FromHandle(item->hwndItem)) {
                if (LRESULT r = child->OnReflectedDrawItem(wParam, lParam)) {
                    return r;
                }
            }
        }
        break;
    }
    case WM_DROPFILES:
        if (onFilesDropped) {
            HandleDroppedFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        }
        break;
    case WM_MOUSELEAVE:
        if (LRESULT r = OnMouseLeaveHook()) {
            return r;
        }
        break;
    case WM_SIZE:
        OnResizeHook(LOWORD(lParam), HIWORD(lParam));
        break;
    default:
        break;
    }
    return CallPrevious(hwnd, message, wParam, lParam);
}

LRESULT WTWindow::HandleSetCursor(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (cursor_ && LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd) {
        ::SetCursor(cursor_);
        return TRUE;
    }
    return CallPrevious(hwnd, message, wParam, lParam);
}

void WTWindow::HandleDroppedFiles(HDROP drop)
{
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::wstring joined;
    for (UINT i = 0; i < count; ++i) {
        wchar_t path[260] = {};
        ::DragQueryFileW(drop, i, path, 260);
        if (i > 0) {
            joined += L"\r\n";
        }
        joined += path;
    }
    ::DragFinish(drop);
    onFilesDropped(joined);
}

LRESULT WTWindow::DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == msg::kCreated) {
        if (onCreated) {
            onCreated(hwnd);
        }
        RECT rc{};
        ::GetClientRect(hwnd, &rc);
        ::SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right - rc.left, rc.bottom - rc.top));
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_CLOSE) {
        // A copy: closing may detach the window, which clears the handler mid-call.
        const auto closeQuery = onCloseQuery;
        if (closeQuery && closeQuery()) {
            return 1;
        }
        ::DestroyWindow(hwnd);
        return 0;
    }
    if (TopLevelMessage(hwnd, message, wParam, lParam)) {
        return 1;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT WTWindow::TopLevelMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        if (onDestroyed) {
            onDestroyed();
        }
        return 0;
    case WM_MOVE:
        if (onMoved) {
            onMoved(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        }
        return 0;
    case WM_SIZE:
        if (onResized) {
            onResized(LOWORD(lParam), HIWORD(lParam));
        }
        return 0;
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI: Windows suggests where the window keeps its look.
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        if (suggested) {
            ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (onDpiChanged) {
            onDpiChanged(HIWORD(wParam));
        }
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            if (!firstActivationDone_) {
                firstActivationDone_ = true;
                if (onFirstActivation) {
                    onFirstActivation();
                }
            }
            if (onActivated) {
                onActivated();
            }
        } else if (onDeactivated) {
            onDeactivated();
        }
        return 0;
    case WM_SHOWWINDOW: {
        const auto& handler = wParam ? onShown : onHidden;
        if (handler) {
            handler();
        }
        return 0;
    }
    case WM_NCACTIVATE:
        // Answering here keeps DefWindowProc from drawing the inactive frame.
        return wParam == 0 && keepActiveLook_ ? 1 : 0;
    case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) <= 1 && onMenuCommand) {
            onMenuCommand(LOWORD(wParam));
        }
        return 0;
    case WM_HOTKEY:
        if (onHotKey) {
            onHotKey(static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
        }
        return 0;
    case msg::kTrayCallback:
        if (onTrayEvent) {
            onTrayEvent(WTTrayIcon::EventCode(static_cast<UINT>(lParam)));
        }
        return 0;
    default:
        if (tray_.IsTaskbarCreated(message)) {
            tray_.AddAgain();
        }
        return 0;
    }
}

// ---------------------------------------------------------------------------
// Overridable hooks: the base behaviour

LRESULT WTWindow::OnReflectedCommand(HWND, HWND, int, int) { return 0; }
LRESULT WTWindow::OnReflectedNotify(HWND, HWND, int, UINT_PTR, NMHDR*) { return 0; }
LRESULT WTWindow::OnReflectedColor(HWND, HDC) { return 0; }
LRESULT WTWindow::OnReflectedScroll(int, int, HWND) { return 0; }
LRESULT WTWindow::OnReflectedDrawItem(WPARAM, LPARAM) { return 0; }
void WTWindow::OnResizeHook(int, int) { }

LRESULT WTWindow::OnEraseBackground(HDC dc)
{
    if (!backgroundBrush_) {
        return 0;
    }
    PaintBackground(dc, ClientRect());
    return 1;
}

LRESULT WTWindow::OnLeftButtonDownHook()
{
    if (dragByBody_) {
        ::ReleaseCapture();
        ::SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    }
    return 0;
}

LRESULT WTWindow::OnMouseMoveHook()
{
    if (tracking_) {
        return 0;
    }
    tracking_ = true;
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
    ::TrackMouseEvent(&tme);
    return onMouseEnter ? onMouseEnter() : 0;
}

LRESULT WTWindow::OnMouseLeaveHook()
{
    tracking_ = false;
    return onMouseLeave ? onMouseLeave() : 0;
}

void WTWindow::PaintBackground(HDC dc, const RECT& area)
{
    if (pictureMode_ == 0 || !backgroundPicture_) {
        ::FillRect(dc, &area, backgroundBrush_.Get());
        return;
    }
    ::FillRect(dc, &area, backgroundBrush_.Get());
    BITMAP info{};
    ::GetObjectW(backgroundPicture_.Get(), sizeof(info), &info);
    platform::UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    platform::SelectGuard select(memory.Get(), backgroundPicture_.Get());
    if (pictureMode_ == 1) {
        ::BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.Get(), 0, 0, SRCCOPY);
    } else {
        const RECT client = ClientRect();
        ::StretchBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
}

// ---------------------------------------------------------------------------
// Plain operations

void WTWindow::Close() const { ::SendMessageW(hwnd_, WM_CLOSE, 0, 0); }
bool WTWindow::Visible() const { return ::IsWindowVisible(hwnd_) != FALSE; }
void WTWindow::Visible(bool show) const
{
    ui_thread::CheckWindow(hwnd_, __func__);
    ::ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE);
}
void WTWindow::ShowInactive() const
{
    ui_thread::CheckWindow(hwnd_, __func__);
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

bool WTWindow::Enabled() const { return ::IsWindowEnabled(hwnd_) != FALSE; }
void WTWindow::Enabled(bool enable) const
{
    ui_thread::CheckWindow(hwnd_, __func__);
    ::EnableWindow(hwnd_, enable ? TRUE : FALSE);
}
LONG WTWindow::Style() const { return ::GetWindowLongW(hwnd_, GWL_STYLE); }
LONG WTWindow::ExStyle() const { return ::GetWindowLongW(hwnd_, GWL_EXSTYLE); }

namespace {
void ChangeLong(HWND hwnd, int index, LONG add, LONG remove)
{
    ui_thread::CheckWindow(hwnd, "style");
    const LONG value = ::GetWindowLongW(hwnd, index);
    ::SetWindowLongW(hwnd, index, (value | add) & ~remove);
    ::SetWindowPos(
        hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}
} // namespace

void WTWindow::AddStyle(LONG bits) const { ChangeLong(hwnd_, GWL_STYLE, bits, 0); }
void WTWindow::RemoveStyle(LONG bits) const { ChangeLong(hwnd_, GWL_STYLE, 0, bits); }
void WTWindow::AddExStyle(LONG bits) const { ChangeLong(hwnd_, GWL_EXSTYLE, bits, 0); }
void WTWindow::RemoveExStyle(LONG bits) const { ChangeLong(hwnd_, GWL_EXSTYLE, 0, bits); }

std::wstring WTWindow::Text() const
{
    const int length = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void WTWindow::Text(const std::wstring& text) const
{
    ui_thread::CheckWindow(hwnd_, __func__);
    ::SetWindowTextW(hwnd_, text.c_str());
}

RECT WTWindow::ClientRect() const
{
    RECT rc{};
    ::GetClientRect(hwnd_, &rc);
    return rc;
}

RECT WTWindow::RectInParent() const
{
    RECT rc{};
    ::GetWindowRect(hwnd_, &rc);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void WTWindow::Move(int x, int y, int width, int height, bool repaint) const
{
    ui_thread::CheckWindow(hwnd_, __func__);
    ::MoveWindow(hwnd_, x, y, width, height, repaint ? TRUE : FALSE);
}

void WTWindow::Invalidate(bool erase) const { ::InvalidateRect(hwnd_, nullptr, erase ? TRUE : FALSE); }

LRESULT WTWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(hwnd_, message, wParam, lParam);
}

bool WTWindow::Post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(hwnd_, message, wParam, lParam) != FALSE;
}

void WTWindow::SetFont(HFONT font, bool redraw) const
{
    ui_thread::CheckWindow(hwnd_, __func__);
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

int WTWindow::WindowState() const
{
    if (::IsIconic(hwnd_)) {
        return 1;
    }
    return ::IsZoomed(hwnd_) ? 2 : 0;
}

void WTWindow::WindowState(int state) const
{
    ui_thread::CheckWindow(hwnd_, __func__);
    switch (state) {
    case 0:
        ::ShowWindow(hwnd_, SW_SHOWNORMAL);
        break;
    case 1:
        ::ShowWindow(hwnd_, SW_MINIMIZE);
        break;
    case 2:
        ::ShowWindow(hwnd_, SW_MAXIMIZE);
        break;
    case 3: {
        RECT rc{};
        ::GetWindowRect(hwnd_, &rc);
        const int width = rc.right - rc.left;
        const int height = rc.bottom - rc.top;
        ::SetWindowPos(hwnd_, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
            (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        break;
    }
    default:
        ::ShowWindow(hwnd_, SW_HIDE);
        break;
    }
}

void WTWindow::Cursor(HCURSOR cursor)
{
    // Cursors from LoadCursor(nullptr, ...) are shared and must not be destroyed;
    // only the ones this window created itself are.
    cursor_ = cursor;
    if (cursor) {
        ::SetCursor(cursor);
    }
}

void WTWindow::BackgroundColor(COLORREF color, bool repaint)
{
    ui_thread::CheckWindow(hwnd_, __func__);
    backgroundColor_ = color;
    backgroundBrush_.Reset(::CreateSolidBrush(color));
    pictureMode_ = 0;
    backgroundPicture_.Reset();
    if (repaint) {
        Invalidate(true);
    }
}

void WTWindow::BackgroundPicture(HBITMAP bitmap, int mode, bool repaint)
{
    ui_thread::CheckWindow(hwnd_, __func__);
    backgroundPicture_.Reset(bitmap);
    pictureMode_ = mode;
    backgroundBrush_.Reset(mode == 0 && bitmap ? ::CreatePatternBrush(bitmap) : ::CreateSolidBrush(backgroundColor_));
    if (repaint) {
        Invalidate(true);
    }
}

int WTWindow::RegisterHotKey(UINT modifiers, UINT virtualKey)
{
    const int id = Tables().lastHotKeyId + 1;
    if (!::RegisterHotKey(hwnd_, id, modifiers, virtualKey)) {
        return 0;
    }
    Tables().lastHotKeyId = id;
    return id;
}

bool WTWindow::UnregisterHotKey(int id) const { return ::UnregisterHotKey(hwnd_, id) != FALSE; }

void WTWindow::AcceptFiles(bool accept) const { ::DragAcceptFiles(hwnd_, accept ? TRUE : FALSE); }
