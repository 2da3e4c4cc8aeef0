// The popup menu wrapper: building, item states and tracking.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/win/ui_test_support.h"
#include "ui/menu.h"

namespace {

// Keys (or a cancel) to deliver once the menu's own loop runs: a thread timer
// fires inside that loop, the only place they can come from.
std::vector<std::pair<UINT, WPARAM>> g_pending;
HWND g_target = nullptr;

void CALLBACK DeliverPending(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    for (const auto& [message, wParam] : g_pending) {
        ::PostMessageW(g_target, message, wParam, 0);
    }
    g_pending.clear();
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(uitest::CreateHost(owner_), nullptr);
        ASSERT_TRUE(menu_.CreatePopup());
        ASSERT_TRUE(menu_.AppendItem("打开", 1));
        ASSERT_TRUE(menu_.AppendSeparator());
        ASSERT_TRUE(menu_.AppendItem("一键加速", 2));
        ASSERT_TRUE(menu_.AppendItem("退出", 7));
    }
    void TearDown() override { ::DestroyWindow(owner_.Handle()); }

    int TrackWith(std::vector<std::pair<UINT, WPARAM>> input)
    {
        g_pending = std::move(input);
        g_target = owner_.Handle();
        ::SetTimer(nullptr, 0, 100, &DeliverPending);
        return menu_.TrackPopup(60, 60, owner_.Handle(), TPM_RETURNCMD);
    }

    WTWindow owner_;
    WTMenu menu_;
};

TEST_F(MenuTest, BuildsItemsAndSeparators)
{
    EXPECT_NE(menu_.Handle(), nullptr);
    EXPECT_FALSE(menu_.CreatePopup()); // one menu per object
    EXPECT_EQ(menu_.ItemCount(), 4);
    EXPECT_EQ(::GetMenuItemID(menu_.Handle(), 2), 2u);
    EXPECT_EQ(::GetMenuState(menu_.Handle(), 1, MF_BYPOSITION) & MF_SEPARATOR, UINT{MF_SEPARATOR});
    wchar_t text[32] = {};
    ::GetMenuStringW(menu_.Handle(), 2, text, 32, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"一键加速");
}

TEST_F(MenuTest, ItemStateByCommandIdAndByPosition)
{
    EXPECT_EQ(menu_.ItemState(2), 0u);
    EXPECT_TRUE(menu_.SetItemState(2, MFS_GRAYED));
    EXPECT_EQ(menu_.ItemState(2) & MFS_GRAYED, UINT{MFS_GRAYED});
    EXPECT_EQ(menu_.ItemState(7) & MFS_GRAYED, 0u);
    EXPECT_TRUE(menu_.SetItemState(2, MFS_ENABLED));
    EXPECT_EQ(menu_.ItemState(2) & MFS_GRAYED, 0u);
    // Position 3 is command 7 (the separator counts).
    EXPECT_TRUE(menu_.SetItemState(3, MFS_CHECKED, true));
    EXPECT_EQ(menu_.ItemState(7) & MFS_CHECKED, UINT{MFS_CHECKED});
    EXPECT_FALSE(menu_.SetItemState(99, MFS_GRAYED));
    EXPECT_EQ(menu_.ItemState(99), static_cast<UINT>(-1));
}

TEST_F(MenuTest, DismissedPopupReturnsZero)
{
    EXPECT_EQ(TrackWith({{WM_CANCELMODE, 0}}), 0);
    EXPECT_EQ(TrackWith({{WM_KEYDOWN, VK_ESCAPE}}), 0);
}

TEST_F(MenuTest, TrackingEndsWithANullMessageToTheOwner)
{
    EXPECT_EQ(TrackWith({{WM_KEYDOWN, VK_ESCAPE}}), 0);
    bool nullSeen = false;
    MSG message;
    while (::PeekMessageW(&message, owner_.Handle(), 0, 0, PM_REMOVE)) {
        nullSeen = nullSeen || message.message == WM_NULL;
        ::DispatchMessageW(&message);
    }
    EXPECT_TRUE(nullSeen);
}

TEST_F(MenuTest, ChosenItemReturnsItsCommandId)
{
    EXPECT_EQ(TrackWith({{WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_RETURN}}), 1);
    // Down twice skips the separator and lands on command 2.
    EXPECT_EQ(TrackWith({{WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_RETURN}}), 2);
}

TEST_F(MenuTest, GreyedItemCannotBeChosen)
{
    for (UINT id : {1u, 2u, 7u}) {
        menu_.SetItemState(id, MFS_GRAYED);
    }
    // Enter on a greyed item chooses nothing; Escape then dismisses.
    EXPECT_EQ(TrackWith({{WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_RETURN}, {WM_KEYDOWN, VK_ESCAPE}}), 0);
}

TEST(MenuLifetime, DestroyReleasesTheMenu)
{
    HMENU handle = nullptr;
    {
        WTMenu menu;
        ASSERT_TRUE(menu.CreatePopup());
        handle = menu.Handle();
        EXPECT_TRUE(::IsMenu(handle));
    }
    EXPECT_FALSE(::IsMenu(handle));
    WTMenu menu;
    EXPECT_FALSE(menu.AppendItem("x", 1)); // no menu yet
    ASSERT_TRUE(menu.CreatePopup());
    menu.Destroy();
    EXPECT_EQ(menu.Handle(), nullptr);
    EXPECT_TRUE(menu.CreatePopup());
}

} // namespace
