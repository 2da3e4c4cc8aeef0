// WTListView: the system report list view ("SysListView32") with item and
// column operations, and its notifications turned into typed events.
// WTImageList: an image list whose pictures the list view shows in its cells.
// Texts are GBK.
#pragma once

#include "platform/win.h"
#include <commctrl.h>

#include <functional>
#include <string>

#include "ui/window.h"

class WTImageList {
public:
    // What Create answers when this object already holds a list.
    static inline const HIMAGELIST kAlreadyCreated = reinterpret_cast<HIMAGELIST>(-1);

    WTImageList() = default;
    ~WTImageList();
    WTImageList(const WTImageList&) = delete;
    WTImageList& operator=(const WTImageList&) = delete;

    // The new list, nullptr when the system refuses, kAlreadyCreated when one exists.
    HIMAGELIST Create(int width, int height, UINT flags, int initialCount, bool masked);
    // Lets the list go, so one of another image size can be created (a list view using it must
    // be given the new one).
    void Destroy();
    // type 0: a bitmap file, 1: an icon file; loaded at the list's image size.
    // The new image's index, -1 on failure or another type.
    int AddFromFile(const std::wstring& path, int type);
    int AddFromFile(const std::string& path, int type); // a GBK path
    int Count() const;
    HIMAGELIST Handle() const { return list_; }

private:
    HIMAGELIST list_ = nullptr;
};

class WTListView : public WTWindow {
public:
    struct NewItem {
        std::string text;
        int image = -1;
        int checkState = -1; // -1: no state image, 0 unchecked, 1 checked
        int indent = 0;
        LPARAM data = 0;
        int row = -1; // -1 appends
    };

    WTListView();

    bool Create(HWND parent, DWORD extraStyle, int x, int y, int width = 100, int height = 120,
        DWORD exStyle = WS_EX_CLIENTEDGE);

    // Cells. Reads of a missing cell give empty text / -1; writes give false.
    std::string CellText(int row, int column = 0) const;
    bool CellText(int row, int column, const std::string& text) const;
    int CellImage(int row, int column = 0) const;
    bool CellImage(int row, int column, int image) const; // -1: no image
    // -1 without a state image, else 0 unchecked / 1 checked.
    int CheckState(int row) const;
    bool CheckState(int row, int state) const;
    LPARAM ItemData(int row) const;
    bool ItemData(int row, LPARAM data) const;

    // Rows.
    int ItemCount() const;
    int InsertItem(const NewItem& item) const; // the new row, -1 on failure
    bool DeleteItem(int row) const;
    bool DeleteAllItems() const;
    // -1 when no row after `start` carries `data` (wrap: continue from the top).
    int FindItemByData(LPARAM data, int start = -1, bool wrap = false) const;

    // Selection. Row -1 means every row for Select / Deselect.
    bool Select(int row) const;
    bool Deselect(int row) const;
    bool IsSelected(int row) const;
    int SelectedCount() const;
    int SelectionMark() const;
    // Marks and selects the row; -1 clears the mark and every selection.
    void SelectionMark(int row) const;

    // View.
    int TopIndex() const;
    int CountPerPage() const;
    void RedrawNow() const;
    // type: LVSIL_SMALL, LVSIL_NORMAL, LVSIL_STATE, or 3 for the header's list. Returns the previous list.
    HIMAGELIST SetImageList(HIMAGELIST list, int type = LVSIL_SMALL) const;
    DWORD ExtendedStyle() const;
    void AddExtendedStyle(DWORD bits) const;
    void RemoveExtendedStyle(DWORD bits) const;

    // Columns.
    int ColumnCount() const;
    int InsertColumn(const std::string& text = std::string(), int width = 50, int format = LVCFMT_LEFT,
        int column = -1) const; // the new column, -1 on failure
    int ColumnWidth(int column) const;
    bool ColumnWidth(int column, int width) const;

    // Events; keyFlags are the LVKF_* bits of the click.
    std::function<void(int item, UINT keyFlags)> onClick, onDoubleClick, onRightClick;
    std::function<void(int item, LPARAM data)> onItemSelected;
    std::function<void(int item, int checkState)> onCheckStateChanged;
    std::function<void(int column)> onColumnClick;
    std::function<void(int item)> onItemActivated, onHotTrack, onBeginLabelEdit, onEndLabelEdit;

protected:
    LRESULT DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnReflectedNotify(HWND parent, HWND from, int code, UINT_PTR id, NMHDR* header) override;
    LRESULT OnEraseBackground(HDC dc) override;
    LRESULT OnLeftButtonDownHook() override;
    void ReleaseResources() override;

private:
    bool GetItem(LVITEMW& item) const;
    bool SetItem(LVITEMW& item) const;
    bool SetState(int row, UINT state, UINT mask) const;
};
