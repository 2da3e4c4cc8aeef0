// WTMenu: owns one menu handle; the tray menu is a popup built from it.
#pragma once

#include "platform/win.h"

#include <string>

class WTMenu {
public:
    WTMenu() = default;
    ~WTMenu();
    WTMenu(const WTMenu&) = delete;
    WTMenu& operator=(const WTMenu&) = delete;

    // False when this object already holds a menu or the system refuses.
    bool CreatePopup();
    void Destroy();
    HMENU Handle() const { return menu_; }

    // Texts are GBK.
    bool AppendItem(const std::string& text, UINT id);
    bool AppendSeparator();
    int ItemCount() const;

    // Brings the owner to the foreground first, or the menu would not close
    // when the user clicks elsewhere. With TPM_RETURNCMD the result is the
    // chosen command id, 0 when the menu was dismissed.
    int TrackPopup(int x, int y, HWND owner, UINT flags = TPM_RETURNCMD) const;

    // state: MFS_* bits (MFS_GRAYED, MFS_CHECKED, ...), replacing the item's current ones.
    bool SetItemState(UINT item, UINT state, bool byPosition = false) const;
    // The item's MFS_* bits, or (UINT)-1 when there is no such item.
    UINT ItemState(UINT item, bool byPosition = false) const;

private:
    HMENU menu_ = nullptr;
    DWORD owner_ = 0; // the thread that made the menu; only it changes the menu
};
