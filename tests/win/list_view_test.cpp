// The list view and image list wrappers against the real "SysListView32".
#include "platform/win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/win/ui_test_support.h"
#include "ui/list_view.h"

namespace {

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(uitest::CreateHost(host_), nullptr);
        ASSERT_TRUE(list_.Create(host_.Handle(), LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 0, 300, 240));
        list_.InsertColumn("名称", 120);
        list_.InsertColumn("延时", 80);
    }
    void TearDown() override
    {
        if (host_.IsWindow()) {
            ::DestroyWindow(host_.Handle());
        }
    }

    // Appends rows carrying the given item data, named "row<data>".
    void AddRows(std::initializer_list<LPARAM> data)
    {
        for (LPARAM d : data) {
            list_.InsertItem({.text = "row" + std::to_string(d), .data = d});
        }
    }

    WTWindow host_;
    WTListView list_;
};

TEST_F(ListViewTest, CreateGivesControlIdAndExtendedStyle)
{
    EXPECT_GT(::GetDlgCtrlID(list_.Handle()), 500);
    wchar_t className[64] = {};
    ::GetClassNameW(list_.Handle(), className, 64);
    EXPECT_STREQ(className, L"SysListView32");
    const DWORD ex = list_.ExtendedStyle();
    EXPECT_EQ(ex & (LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP), DWORD{LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP});
    EXPECT_TRUE(list_.ExStyle() & WS_EX_CLIENTEDGE);
    // A second create on the same object makes nothing.
    HWND before = list_.Handle();
    EXPECT_FALSE(list_.Create(host_.Handle(), LVS_REPORT, 0, 0));
    EXPECT_EQ(list_.Handle(), before);
}

TEST_F(ListViewTest, InsertAppendsByDefaultAndKeepsItemData)
{
    EXPECT_EQ(list_.InsertItem({.text = "a", .data = 11}), 0);
    EXPECT_EQ(list_.InsertItem({.text = "b", .data = 22}), 1);
    EXPECT_EQ(list_.InsertItem({.text = "c", .data = 33}), 2);
    // An explicit row inserts there and moves the others down.
    EXPECT_EQ(list_.InsertItem({.text = "first", .data = 44, .row = 0}), 0);
    ASSERT_EQ(list_.ItemCount(), 4);
    EXPECT_EQ(list_.ItemData(0), 44);
    EXPECT_EQ(list_.ItemData(1), 11);
    EXPECT_EQ(list_.ItemData(3), 33);
    EXPECT_EQ(list_.CellText(3), "c");
    EXPECT_TRUE(list_.ItemData(3, 99));
    EXPECT_EQ(list_.ItemData(3), 99);
    EXPECT_FALSE(list_.ItemData(9, 1));
    EXPECT_EQ(list_.ItemData(9), 0);
}

TEST_F(ListViewTest, FindItemByData)
{
    AddRows({5, 6, 7, 6});
    EXPECT_EQ(list_.FindItemByData(6), 1);
    EXPECT_EQ(list_.FindItemByData(6, 1), 3);
    EXPECT_EQ(list_.FindItemByData(5, 0), -1);
    EXPECT_EQ(list_.FindItemByData(5, 0, true), 0);
    EXPECT_EQ(list_.FindItemByData(8, -1, true), -1);
    EXPECT_TRUE(list_.DeleteAllItems());
    EXPECT_EQ(list_.ItemCount(), 0);
    EXPECT_EQ(list_.FindItemByData(6), -1);
}

TEST_F(ListViewTest, CheckStateMinusOneLeavesNoStateImage)
{
    list_.InsertItem({.text = "none", .checkState = -1});
    list_.InsertItem({.text = "off", .checkState = 0});
    list_.InsertItem({.text = "on", .checkState = 1});
    EXPECT_EQ(list_.Send(LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK), 0);
    EXPECT_EQ(list_.CheckState(0), -1);
    EXPECT_EQ(list_.Send(LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK), 0x1000);
    EXPECT_EQ(list_.CheckState(1), 0);
    EXPECT_EQ(list_.CheckState(2), 1);
    EXPECT_TRUE(list_.CheckState(1, 1));
    EXPECT_EQ(list_.CheckState(1), 1);
}

TEST_F(ListViewTest, CellTextInGbkAndCut)
{
    AddRows({1, 2});
    EXPECT_TRUE(list_.CellText(1, 1, "线路一"));
    EXPECT_EQ(list_.CellText(1, 1), "线路一");
    EXPECT_EQ(list_.CellText(1), "row2");
    // The control is handed room for 260 units, so longer texts come back cut.
    const std::string longText(300, 'x');
    EXPECT_TRUE(list_.CellText(0, 1, longText));
    EXPECT_EQ(list_.CellText(0, 1), std::string(259, 'x'));
    // A row that does not exist.
    EXPECT_FALSE(list_.CellText(5, 0, "nope"));
    EXPECT_EQ(list_.CellText(5), "");
}

TEST_F(ListViewTest, CellImages)
{
    WTImageList images;
    ASSERT_NE(images.Create(16, 16, ILC_COLOR32, 3, false), nullptr);
    EXPECT_EQ(list_.SetImageList(images.Handle()), nullptr);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(list_.Send(LVM_GETIMAGELIST, LVSIL_SMALL)), images.Handle());
    list_.InsertItem({.text = "a", .image = 1});
    EXPECT_EQ(list_.CellImage(0), 1);
    EXPECT_TRUE(list_.CellImage(0, 1, 2));
    EXPECT_EQ(list_.CellImage(0, 1), 2);
    EXPECT_TRUE(list_.CellImage(0, 0, 0));
    EXPECT_EQ(list_.CellImage(0, 0), 0);
    EXPECT_EQ(list_.CellImage(4, 0), -1);
    // The image list is its owner's: the control going away leaves it whole.
    ::DestroyWindow(list_.Handle());
    int width = 0;
    int height = 0;
    EXPECT_TRUE(::ImageList_GetIconSize(images.Handle(), &width, &height));
    EXPECT_EQ(width, 16);
}

TEST_F(ListViewTest, SelectionMarkSelectsAndClears)
{
    AddRows({1, 2, 3});
    EXPECT_EQ(list_.SelectionMark(), -1);
    list_.SelectionMark(1);
    EXPECT_EQ(list_.SelectionMark(), 1);
    EXPECT_TRUE(list_.IsSelected(1));
    EXPECT_EQ(list_.SelectedCount(), 1);
    list_.SelectionMark(-1);
    EXPECT_EQ(list_.SelectionMark(), -1);
    EXPECT_EQ(list_.SelectedCount(), 0);
    EXPECT_TRUE(list_.Select(2));
    EXPECT_TRUE(list_.IsSelected(2));
    EXPECT_TRUE(list_.Deselect(2));
    EXPECT_FALSE(list_.IsSelected(2));
}

TEST_F(ListViewTest, ColumnsAppendWithWidths)
{
    EXPECT_EQ(list_.ColumnCount(), 2);
    EXPECT_EQ(list_.InsertColumn("负载"), 2);
    EXPECT_EQ(list_.ColumnCount(), 3);
    EXPECT_EQ(list_.ColumnWidth(2), 50);
    EXPECT_EQ(list_.ColumnWidth(0), 120);
    EXPECT_TRUE(list_.ColumnWidth(1, 130));
    EXPECT_EQ(list_.ColumnWidth(1), 130);
    EXPECT_EQ(list_.InsertColumn("front", 10, LVCFMT_LEFT, 0), 0);
    EXPECT_EQ(list_.ColumnWidth(1), 120);
}

TEST_F(ListViewTest, ExtendedStyleBits)
{
    list_.AddExtendedStyle(LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(list_.ExtendedStyle() & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(list_.ExtendedStyle() & LVS_EX_SUBITEMIMAGES);
    list_.RemoveExtendedStyle(LVS_EX_SUBITEMIMAGES);
    EXPECT_FALSE(list_.ExtendedStyle() & LVS_EX_SUBITEMIMAGES);
    EXPECT_TRUE(list_.ExtendedStyle() & LVS_EX_FULLROWSELECT);
}

TEST_F(ListViewTest, ViewQueries)
{
    for (LPARAM i = 0; i < 40; ++i) {
        list_.InsertItem({.text = "r", .data = i});
    }
    EXPECT_EQ(list_.TopIndex(), 0);
    const int perPage = list_.CountPerPage();
    EXPECT_GT(perPage, 0);
    EXPECT_LT(perPage, 40);
    list_.Send(LVM_ENSUREVISIBLE, 39, FALSE);
    EXPECT_GT(list_.TopIndex(), 0);
    list_.RedrawNow();
}

TEST(ListViewClick, EmptySpaceReportsMinusOneAndRowReportsItsIndex)
{
    // A fixture of its own: clicks need a shown, painted window.
    WTWindow host;
    ASSERT_NE(uitest::CreateHost(host), nullptr);
    WTListView list;
    ASSERT_TRUE(list.Create(host.Handle(), LVS_REPORT | LVS_SINGLESEL, 0, 0, 300, 240));
    list.AddExtendedStyle(LVS_EX_FULLROWSELECT);
    list.InsertColumn("名称", 200);
    list.InsertItem({.text = "a", .data = 7});
    list.InsertItem({.text = "b", .data = 8});
    ::UpdateWindow(host.Handle());

    std::vector<int> clicked;
    list.onClick = [&](int item, UINT) { clicked.push_back(item); };

    RECT rc{};
    rc.left = LVIR_BOUNDS;
    list.Send(LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rc));
    const POINT row1{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    const POINT empty{row1.x, rc.bottom + 60};

    for (POINT at : {empty, row1}) {
        const size_t before = clicked.size();
        list.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        list.Post(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        ASSERT_TRUE(uitest::PumpUntil([&] { return clicked.size() > before; }));
    }
    ASSERT_EQ(clicked.size(), 2u);
    EXPECT_EQ(clicked[0], -1);
    EXPECT_EQ(clicked[1], 1);
    ::DestroyWindow(host.Handle());
}

TEST_F(ListViewTest, KeyboardSelectionReportsItemData)
{
    AddRows({101, 202, 303});
    // Focus row 0 without selecting it; the arrow key then moves the selection to row 1.
    LVITEMW focus{};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    list_.Send(LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
    ::SetFocus(list_.Handle());

    std::vector<std::pair<int, LPARAM>> selected;
    list_.onItemSelected = [&](int item, LPARAM data) { selected.emplace_back(item, data); };
    list_.Send(WM_KEYDOWN, VK_DOWN, 0);
    list_.Send(WM_KEYUP, VK_DOWN, 0);
    uitest::PumpFor(50);

    ASSERT_FALSE(selected.empty());
    for (const auto& [item, data] : selected) {
        EXPECT_EQ(item, 1);
        EXPECT_EQ(data, 202);
    }
    EXPECT_TRUE(list_.IsSelected(1));
}

TEST_F(ListViewTest, CheckStateChangeEvent)
{
    list_.AddExtendedStyle(LVS_EX_CHECKBOXES);
    AddRows({1, 2});
    std::vector<std::pair<int, int>> changes;
    list_.onCheckStateChanged = [&](int item, int state) { changes.emplace_back(item, state); };
    EXPECT_TRUE(list_.CheckState(1, 1));
    EXPECT_TRUE(list_.CheckState(1, 1)); // no change, no event
    EXPECT_TRUE(list_.CheckState(1, 0));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0], std::make_pair(1, 1));
    EXPECT_EQ(changes[1], std::make_pair(1, 0));
}

// Notifications as the control sends them to its parent, reflected to the list object.
TEST_F(ListViewTest, ReflectedNotificationsReachTheirEvents)
{
    AddRows({1, 2});
    int column = -1;
    int activated = -1;
    int hot = -1;
    std::vector<int> selected;
    list_.onColumnClick = [&](int c) { column = c; };
    list_.onItemActivated = [&](int item) { activated = item; };
    list_.onHotTrack = [&](int item) { hot = item; };
    list_.onItemSelected = [&](int item, LPARAM) { selected.push_back(item); };

    auto send = [&](UINT code, int item, int subItem, UINT newState, UINT oldState) {
        NMLISTVIEW nm{};
        nm.hdr.hwndFrom = list_.Handle();
        nm.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(list_.Handle()));
        nm.hdr.code = code;
        nm.iItem = item;
        nm.iSubItem = subItem;
        nm.uNewState = newState;
        nm.uOldState = oldState;
        nm.uChanged = LVIF_STATE;
        host_.Send(WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    };
    send(LVN_COLUMNCLICK, -1, 2, 0, 0);
    EXPECT_EQ(column, 2);
    send(LVN_HOTTRACK, 1, 0, 0, 0);
    EXPECT_EQ(hot, 1);
    NMITEMACTIVATE activate{};
    activate.hdr = {list_.Handle(), static_cast<UINT_PTR>(::GetDlgCtrlID(list_.Handle())), LVN_ITEMACTIVATE};
    activate.iItem = 1;
    host_.Send(WM_NOTIFY, activate.hdr.idFrom, reinterpret_cast<LPARAM>(&activate));
    EXPECT_EQ(activated, 1);
    // Only a new state holding the selection counts as a selection.
    send(LVN_ITEMCHANGED, 0, 0, LVIS_FOCUSED, 0);
    send(LVN_ITEMCHANGED, 1, 0, 0, LVIS_SELECTED);
    EXPECT_TRUE(selected.empty());
    send(LVN_ITEMCHANGED, 0, 0, LVIS_SELECTED | LVIS_FOCUSED, 0);
    EXPECT_EQ(selected, std::vector<int>{0});
}

TEST_F(ListViewTest, WindowGoneDetachesAndClearsHandlers)
{
    list_.onClick = [](int, UINT) {};
    list_.onItemSelected = [](int, LPARAM) {};
    ::DestroyWindow(host_.Handle());
    EXPECT_EQ(list_.Handle(), nullptr);
    EXPECT_FALSE(list_.onClick);
    EXPECT_FALSE(list_.onItemSelected);
    EXPECT_EQ(list_.ItemCount(), 0);
    // The object can make a new control.
    ASSERT_NE(uitest::CreateHost(host_), nullptr);
    EXPECT_TRUE(list_.Create(host_.Handle(), LVS_REPORT, 0, 0));
}

// ---------------------------------------------------------------------------
// Image list

std::wstring TempPath(const wchar_t* name)
{
    wchar_t dir[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

void WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

template <typename T> void Put(std::vector<uint8_t>& out, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i) {
        out.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i)));
    }
}

// A 32-bit BMP file of one colour.
std::vector<uint8_t> Bitmap(int width, int height, uint32_t bgra)
{
    std::vector<uint8_t> out;
    const uint32_t pixels = static_cast<uint32_t>(width * height * 4);
    out.push_back('B');
    out.push_back('M');
    Put<uint32_t>(out, 54 + pixels);
    Put<uint32_t>(out, 0);
    Put<uint32_t>(out, 54);
    Put<uint32_t>(out, 40);
    Put<int32_t>(out, width);
    Put<int32_t>(out, height);
    Put<uint16_t>(out, 1);
    Put<uint16_t>(out, 32);
    for (int i = 0; i < 6; ++i) {
        Put<uint32_t>(out, 0);
    }
    for (int i = 0; i < width * height; ++i) {
        Put<uint32_t>(out, bgra);
    }
    return out;
}

// A one-image 32-bit ICO file: the bitmap part stores double height and an AND mask.
std::vector<uint8_t> Icon(int size, uint32_t bgra)
{
    const uint32_t xorBytes = static_cast<uint32_t>(size * size * 4);
    const uint32_t andBytes = static_cast<uint32_t>(((size + 31) / 32) * 4 * size);
    std::vector<uint8_t> out;
    Put<uint16_t>(out, 0);
    Put<uint16_t>(out, 1);
    Put<uint16_t>(out, 1);
    out.push_back(static_cast<uint8_t>(size));
    out.push_back(static_cast<uint8_t>(size));
    out.push_back(0);
    out.push_back(0);
    Put<uint16_t>(out, 1);
    Put<uint16_t>(out, 32);
    Put<uint32_t>(out, 40 + xorBytes + andBytes);
    Put<uint32_t>(out, 22);
    Put<uint32_t>(out, 40);
    Put<int32_t>(out, size);
    Put<int32_t>(out, size * 2);
    Put<uint16_t>(out, 1);
    Put<uint16_t>(out, 32);
    for (int i = 0; i < 6; ++i) {
        Put<uint32_t>(out, 0);
    }
    for (int i = 0; i < size * size; ++i) {
        Put<uint32_t>(out, bgra);
    }
    out.insert(out.end(), andBytes, 0);
    return out;
}

TEST(ImageList, CreateOnceAndAddPicturesFromFiles)
{
    const std::wstring bmp = TempPath(L"sorvik_imagelist.bmp");
    const std::wstring bigBmp = TempPath(L"sorvik_imagelist_big.bmp");
    const std::wstring ico = TempPath(L"sorvik_imagelist.ico");
    WriteFile(bmp, Bitmap(20, 10, 0xFF0000FF));
    WriteFile(bigBmp, Bitmap(40, 20, 0xFF00FF00));
    WriteFile(ico, Icon(32, 0xFFFF0000));

    WTImageList images;
    EXPECT_EQ(images.AddFromFile("x.bmp", 0), -1); // nothing created yet
    HIMAGELIST handle = images.Create(20, 10, ILC_COLOR32, 3, false);
    ASSERT_NE(handle, nullptr);
    ASSERT_NE(handle, WTImageList::kAlreadyCreated);
    EXPECT_EQ(images.Create(20, 10, ILC_COLOR32, 3, false), WTImageList::kAlreadyCreated);
    EXPECT_EQ(images.Handle(), handle);

    const std::string narrowBmp(bmp.begin(), bmp.end());
    const std::string narrowBig(bigBmp.begin(), bigBmp.end());
    const std::string narrowIco(ico.begin(), ico.end());
    EXPECT_EQ(images.AddFromFile(narrowBmp, 0), 0);
    // A bigger picture is scaled to the list's size on load: still one image.
    EXPECT_EQ(images.AddFromFile(narrowBig, 0), 1);
    EXPECT_EQ(images.AddFromFile(narrowIco, 1), 2);
    EXPECT_EQ(images.AddFromFile(narrowBmp, 2), -1);
    EXPECT_EQ(images.AddFromFile(narrowBmp + ".missing", 0), -1);
    EXPECT_EQ(images.Count(), 3);

    IMAGEINFO info{};
    ASSERT_TRUE(::ImageList_GetImageInfo(handle, 1, &info));
    EXPECT_EQ(info.rcImage.right - info.rcImage.left, 20);
    EXPECT_EQ(info.rcImage.bottom - info.rcImage.top, 10);

    ::DeleteFileW(bmp.c_str());
    ::DeleteFileW(bigBmp.c_str());
    ::DeleteFileW(ico.c_str());
}

TEST(ImageList, MaskedListHasAMask)
{
    WTImageList images;
    ASSERT_NE(images.Create(16, 16, ILC_COLOR24, 1, true), nullptr);
    const std::wstring ico = TempPath(L"sorvik_imagelist_mask.ico");
    WriteFile(ico, Icon(16, 0xFF00FF00));
    EXPECT_EQ(images.AddFromFile(std::string(ico.begin(), ico.end()), 1), 0);
    IMAGEINFO info{};
    ASSERT_TRUE(::ImageList_GetImageInfo(images.Handle(), 0, &info));
    EXPECT_NE(info.hbmMask, nullptr);
    ::DeleteFileW(ico.c_str());
}

} // namespace
