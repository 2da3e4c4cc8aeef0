#include "ui/menu.h"

#include "platform/text.h"
#include "ui/thread_check.h"

WTMenu::~WTMenu() { Destroy(); }

bool WTMenu::CreatePopup()
{
    if (menu_) {
        return false;
    }
    menu_ = ::CreatePopupMenu();
    owner_ = ::GetCurrentThreadId();
    return menu_ != nullptr;
}

void WTMenu::Destroy()
{
    if (menu_) {
        ::DestroyMenu(menu_);
        menu_ = nullptr;
    }
}

bool WTMenu::AppendItem(const std::string& text, UINT id)
{
    ui_thread::CheckOwner(owner_, __func__);
    return ::AppendMenuW(menu_, MF_STRING, id, platform::Widen(text).c_str()) != FALSE;
}

bool WTMenu::AppendSeparator()
{
    ui_thread::CheckOwner(owner_, __func__);
    return ::AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr) != FALSE;
}

int WTMenu::ItemCount() const { return ::GetMenuItemCount(menu_); }

int WTMenu::TrackPopup(int x, int y, HWND owner, UINT flags) const
{
    ::SetForegroundWindow(owner);
    const int chosen = static_cast<int>(::TrackPopupMenu(menu_, flags, x, y, 0, owner, nullptr));
    // Documented for notification-area menus: without it the menu may not close the
    // next time the player clicks elsewhere.
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return chosen;
}

bool WTMenu::SetItemState(UINT item, UINT state, bool byPosition) const
{
    ui_thread::CheckOwner(owner_, __func__);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    info.fState = state;
    return ::SetMenuItemInfoW(menu_, item, byPosition ? TRUE : FALSE, &info) != FALSE;
}

UINT WTMenu::ItemState(UINT item, bool byPosition) const
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    if (!::GetMenuItemInfoW(menu_, item, byPosition ? TRUE : FALSE, &info)) {
        return static_cast<UINT>(-1);
    }
    return info.fState;
}
