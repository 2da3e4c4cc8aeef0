#include "ui/list_view.h"

#include "platform/handles.h"
#include "platform/text.h"
#include "ui/thread_check.h"

namespace {

constexpr int kTextCapacity = 260; // UTF-16 units handed to the control; longer texts are cut
constexpr int kHeaderImageList = 3;

UINT CheckStateBits(int checkState) { return static_cast<UINT>(checkState + 1) << 12; }

int CheckStateFromBits(UINT state) { return static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12) - 1; }

} // namespace

// ---------------------------------------------------------------------------
// WTImageList

WTImageList::~WTImageList() { Destroy(); }

void WTImageList::Destroy()
{
    if (list_) {
        ::ImageList_Destroy(list_);
        list_ = nullptr;
    }
}

HIMAGELIST WTImageList::Create(int width, int height, UINT flags, int initialCount, bool masked)
{
    if (list_) {
        return kAlreadyCreated;
    }
    list_ = ::ImageList_Create(width, height, flags | (masked ? ILC_MASK : 0), initialCount, 0);
    return list_;
}

int WTImageList::AddFromFile(const std::string& path, int type) { return AddFromFile(platform::Widen(path), type); }

int WTImageList::AddFromFile(const std::wstring& widePath, int type)
{
    if (!list_ || (type != 0 && type != 1)) {
        return -1;
    }
    int width = 0;
    int height = 0;
    ::ImageList_GetIconSize(list_, &width, &height);
    if (type == 0) {
        platform::UniqueBitmap bitmap(static_cast<HBITMAP>(
            ::LoadImageW(nullptr, widePath.c_str(), IMAGE_BITMAP, width, height, LR_LOADFROMFILE)));
        return bitmap ? ::ImageList_Add(list_, bitmap.Get(), nullptr) : -1;
    }
    platform::UniqueIcon icon(
        static_cast<HICON>(::LoadImageW(nullptr, widePath.c_str(), IMAGE_ICON, width, height, LR_LOADFROMFILE)));
    return icon ? ::ImageList_AddIcon(list_, icon.Get()) : -1;
}

int WTImageList::Count() const { return list_ ? ::ImageList_GetImageCount(list_) : 0; }

// ---------------------------------------------------------------------------
// WTListView: creation and the message path

WTListView::WTListView()
{
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&init);
}

bool WTListView::Create(HWND parent, DWORD extraStyle, int x, int y, int width, int height, DWORD exStyle)
{
    if (Handle()) {
        return false;
    }
    const int id = NextControlId();
    // Image lists belong to their WTImageList: without LVS_SHAREIMAGELISTS the control
    // would destroy them when it goes, and their owner a second time.
    if (!CreateChild(parent, exStyle, WC_LISTVIEWW, L"ListView",
            WS_CHILD | WS_VISIBLE | LVS_SHAREIMAGELISTS | extraStyle, x, y, width, height,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)))) {
        return false;
    }
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP);
    return true;
}

// The control is not a framework top-level window: nothing of WTWindow's own applies.
LRESULT WTListView::DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT WTListView::OnEraseBackground(HDC) { return 0; }

LRESULT WTListView::OnLeftButtonDownHook() { return 0; }

void WTListView::ReleaseResources()
{
    onClick = onDoubleClick = onRightClick = nullptr;
    onItemSelected = nullptr;
    onCheckStateChanged = nullptr;
    onColumnClick = nullptr;
    onItemActivated = onHotTrack = onBeginLabelEdit = onEndLabelEdit = nullptr;
    WTWindow::ReleaseResources();
}

LRESULT WTListView::OnReflectedNotify(HWND, HWND, int, UINT_PTR, NMHDR* header)
{
    const UINT code = header->code;
    switch (code) {
    case NM_CLICK:
    case NM_DBLCLK:
    case NM_RCLICK: {
        const auto& handler = code == NM_CLICK ? onClick : code == NM_DBLCLK ? onDoubleClick : onRightClick;
        if (handler) {
            const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
            handler(activate->iItem, activate->uKeyFlags);
        }
        break;
    }
    case LVN_ITEMCHANGING: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        const UINT newBits = change->uNewState & LVIS_STATEIMAGEMASK;
        if (onCheckStateChanged && (change->uChanged & LVIF_STATE) && (newBits & 0x3000)
            && newBits != (change->uOldState & LVIS_STATEIMAGEMASK)) {
            onCheckStateChanged(change->iItem, CheckStateFromBits(change->uNewState));
        }
        break;
    }
    case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if (onItemSelected && (change->uNewState & LVIS_SELECTED)) {
            onItemSelected(change->iItem, change->lParam);
        }
        break;
    }
    case LVN_COLUMNCLICK:
        if (onColumnClick) {
            onColumnClick(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
        }
        break;
    case LVN_ITEMACTIVATE:
        if (onItemActivated) {
            onItemActivated(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
        }
        break;
    case LVN_HOTTRACK:
        if (onHotTrack) {
            onHotTrack(reinterpret_cast<const NMLISTVIEW*>(header)->iItem);
        }
        break;
    case LVN_BEGINLABELEDITW:
    case LVN_ENDLABELEDITW: {
        const auto& handler = code == LVN_BEGINLABELEDITW ? onBeginLabelEdit : onEndLabelEdit;
        if (handler) {
            handler(reinterpret_cast<const NMLVDISPINFOW*>(header)->item.iItem);
        }
        break;
    }
    default:
        break;
    }
    // The notification still takes its normal path.
    return 0;
}

// ---------------------------------------------------------------------------
// Cells

bool WTListView::GetItem(LVITEMW& item) const { return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0; }

bool WTListView::SetItem(LVITEMW& item) const
{
    ui_thread::CheckWindow(Handle(), __func__);
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

bool WTListView::SetState(int row, UINT state, UINT mask) const
{
    ui_thread::CheckWindow(Handle(), __func__);
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

std::string WTListView::CellText(int row, int column) const
{
    wchar_t buffer[kTextCapacity] = {};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = kTextCapacity;
    // The control may answer with a pointer to its own copy instead of filling ours.
    if (!GetItem(item) || !item.pszText) {
        return std::string();
    }
    return platform::Narrow(item.pszText);
}

bool WTListView::CellText(int row, int column, const std::string& text) const
{
    std::wstring wide = platform::Widen(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = wide.data();
    return SetItem(item);
}

int WTListView::CellImage(int row, int column) const
{
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    return GetItem(item) ? item.iImage : -1;
}

bool WTListView::CellImage(int row, int column, int image) const
{
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.iImage = image;
    return SetItem(item);
}

int WTListView::CheckState(int row) const
{
    return CheckStateFromBits(static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK)));
}

bool WTListView::CheckState(int row, int state) const
{
    return SetState(row, CheckStateBits(state), LVIS_STATEIMAGEMASK);
}

LPARAM WTListView::ItemData(int row) const
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return GetItem(item) ? item.lParam : 0;
}

bool WTListView::ItemData(int row, LPARAM data) const
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    return SetItem(item);
}

// ---------------------------------------------------------------------------
// Rows and selection

int WTListView::ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }

int WTListView::InsertItem(const NewItem& newItem) const
{
    ui_thread::CheckWindow(Handle(), __func__);
    std::wstring wide = platform::Widen(newItem.text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE | LVIF_INDENT;
    item.iItem = newItem.row < 0 ? ItemCount() : newItem.row;
    item.pszText = wide.data();
    item.iImage = newItem.image;
    item.state = CheckStateBits(newItem.checkState);
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.iIndent = newItem.indent;
    item.lParam = newItem.data;
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool WTListView::DeleteItem(int row) const
{
    ui_thread::CheckWindow(Handle(), __func__);
    return Send(LVM_DELETEITEM, static_cast<WPARAM>(row)) != 0;
}

bool WTListView::DeleteAllItems() const
{
    ui_thread::CheckWindow(Handle(), __func__);
    return Send(LVM_DELETEALLITEMS) != 0;
}

int WTListView::FindItemByData(LPARAM data, int start, bool wrap) const
{
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM | (wrap ? LVFI_WRAP : 0);
    find.lParam = data;
    return static_cast<int>(Send(LVM_FINDITEMW, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&find)));
}

bool WTListView::Select(int row) const { return SetState(row, LVIS_SELECTED, LVIS_SELECTED); }

bool WTListView::Deselect(int row) const { return SetState(row, 0, LVIS_SELECTED); }

bool WTListView::IsSelected(int row) const
{
    return (Send(LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

int WTListView::SelectedCount() const { return static_cast<int>(Send(LVM_GETSELECTEDCOUNT)); }

int WTListView::SelectionMark() const { return static_cast<int>(Send(LVM_GETSELECTIONMARK)); }

void WTListView::SelectionMark(int row) const
{
    Send(LVM_SETSELECTIONMARK, 0, row);
    if (row >= 0) {
        Select(row);
    } else {
        Deselect(-1);
    }
}

// ---------------------------------------------------------------------------
// View

int WTListView::TopIndex() const { return static_cast<int>(Send(LVM_GETTOPINDEX)); }

int WTListView::CountPerPage() const { return static_cast<int>(Send(LVM_GETCOUNTPERPAGE)); }

void WTListView::RedrawNow() const
{
    const int top = TopIndex();
    Send(LVM_REDRAWITEMS, static_cast<WPARAM>(top), top + CountPerPage());
}

HIMAGELIST WTListView::SetImageList(HIMAGELIST list, int type) const
{
    if (type == kHeaderImageList) {
        HWND header = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
        return reinterpret_cast<HIMAGELIST>(
            ::SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list)));
    }
    return reinterpret_cast<HIMAGELIST>(
        Send(LVM_SETIMAGELIST, static_cast<WPARAM>(type), reinterpret_cast<LPARAM>(list)));
}

DWORD WTListView::ExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE)); }

void WTListView::AddExtendedStyle(DWORD bits) const
{
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(ExtendedStyle() | bits));
}

void WTListView::RemoveExtendedStyle(DWORD bits) const
{
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(ExtendedStyle() & ~bits));
}

// ---------------------------------------------------------------------------
// Columns

int WTListView::ColumnCount() const
{
    HWND header = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
    return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int WTListView::InsertColumn(const std::string& text, int width, int format, int column) const
{
    std::wstring wide = platform::Widen(text);
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    col.fmt = format;
    col.cx = width;
    col.pszText = wide.data();
    const int at = column < 0 ? ColumnCount() : column;
    return static_cast<int>(Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&col)));
}

int WTListView::ColumnWidth(int column) const
{
    return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

bool WTListView::ColumnWidth(int column, int width) const
{
    return Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
}
