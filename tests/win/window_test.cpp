// The window object model: creation order, close query, dispatch of input to
// handlers and hooks, the hidden taskbar owner, the modal loop, detach.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <stdexcept>
#include <memory>
#include <string>
#include <vector>

#include "platform/out_of_memory.h"
#include "platform/thread.h"
#include "ui/button.h"
#include "ui/menu.h"
#include "ui/thread_check.h"
#include "ui/window.h"

namespace {

void PumpPending()
{
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
}

bool ownerWasDisabled = false;

void CALLBACK DestroyOnTimer(HWND hwnd, UINT, UINT_PTR, DWORD)
{
    ownerWasDisabled = !::IsWindowEnabled(::GetWindow(hwnd, GW_OWNER));
    ::DestroyWindow(hwnd);
}

WTWindow::CreateOptions Hidden(const wchar_t* title)
{
    WTWindow::CreateOptions o;
    o.title = title;
    o.left = 10;
    o.top = 10;
    o.width = 300;
    o.height = 200;
    o.visible = false;
    return o;
}

struct OwnedWindow {
    std::unique_ptr<WTWindow> window = std::make_unique<WTWindow>();
    ~OwnedWindow()
    {
        if (window->IsWindow()) {
            ::DestroyWindow(window->Handle());
        }
    }
    WTWindow* operator->() { return window.get(); }
};

TEST(WindowModel, CloseQueryVetoKeepsTheWindowAndPassDestroysIt)
{
    OwnedWindow w;
    bool keep = true;
    int asked = 0;
    w->onCloseQuery = [&] {
        ++asked;
        return keep;
    };
    HWND hwnd = w->CreateAndRun(Hidden(L"close-query"));
    ASSERT_TRUE(hwnd);
    ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    keep = false;
    ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(WTWindow::FromHandle(hwnd), nullptr);
    EXPECT_EQ(w->Handle(), nullptr);
}

TEST(WindowModel, CreatedRunsBeforeTheFirstShowAndResizedOnceAfterItWithTheClientSize)
{
    OwnedWindow w;
    std::vector<std::string> events;
    w->onCreated = nullptr;
    w->onShown = [&] { events.push_back("shown"); };
    w->onResized = [&](int width, int height) {
        events.push_back("resized " + std::to_string(width) + "x" + std::to_string(height));
    };
    WTWindow::CreateOptions o = Hidden(L"created-order");
    o.visible = true;
    o.onCreated = [&](HWND hwnd) { events.push_back(::IsWindowVisible(hwnd) ? "created visible" : "created hidden"); };
    ASSERT_TRUE(w->CreateAndRun(o));
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], "created hidden");
    const RECT client = w->ClientRect();
    EXPECT_EQ(events[1], "resized " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
    EXPECT_EQ(events[2], "shown");
    // Showing may resize again; between creation and the first show it happens exactly once.
    const auto shown = std::find(events.begin(), events.end(), "shown");
    EXPECT_EQ(std::count_if(events.begin(), shown, [](const std::string& e) { return e.rfind("resized", 0) == 0; }), 1);
}

TEST(WindowModel, NotShownInTaskbarMeansAnInvisibleShowTaskbarOwner)
{
    OwnedWindow w;
    WTWindow::CreateOptions o = Hidden(L"no-taskbar");
    o.showInTaskbar = false;
    o.visible = true;
    HWND hwnd = w->CreateAndRun(o);
    ASSERT_TRUE(hwnd);
    HWND owner = ::GetWindow(hwnd, GW_OWNER);
    ASSERT_TRUE(owner);
    wchar_t title[64] = {};
    ::GetWindowTextW(owner, title, 64);
    EXPECT_STREQ(title, L"ShowTaskbar");
    EXPECT_FALSE(::IsWindowVisible(owner));
    // An owned window without WS_EX_APPWINDOW gets no taskbar button.
    EXPECT_EQ(::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

    OwnedWindow plain;
    HWND plainHwnd = plain->CreateAndRun(Hidden(L"in-taskbar"));
    EXPECT_EQ(::GetWindow(plainHwnd, GW_OWNER), nullptr);
}

TEST(WindowModel, MouseEnterFiresOncePerEntry)
{
    OwnedWindow w;
    int enters = 0;
    int leaves = 0;
    w->onMouseEnter = [&] {
        ++enters;
        return LRESULT(0);
    };
    w->onMouseLeave = [&] {
        ++leaves;
        return LRESULT(0);
    };
    HWND hwnd = w->CreateAndRun(Hidden(L"enter"));
    for (int i = 0; i < 3; ++i) {
        ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5 + i, 5));
    }
    EXPECT_EQ(enters, 1);
    ::SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(leaves, 1);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(7, 6));
    EXPECT_EQ(enters, 2);
}

TEST(WindowModel, LeftButtonDownHandlerReturningNonzeroHidesTheClickFromTheControl)
{
    OwnedWindow parent;
    HWND parentHwnd = parent->CreateAndRun(Hidden(L"parent"));
    ASSERT_TRUE(parentHwnd);

    // An edit control takes the focus on a click; a swallowed click leaves it unfocused.
    WTWindow edit;
    HWND editHwnd = edit.CreateChild(parentHwnd, 0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(WTWindow::NextControlId())));
    ASSERT_TRUE(editHwnd);
    ::ShowWindow(parentHwnd, SW_SHOW);
    ::SetFocus(parentHwnd);
    int seen = 0;
    edit.onLButtonDown = [&](int, int, int) {
        ++seen;
        return LRESULT(1);
    };
    ::SendMessageW(editHwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageW(editHwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(seen, 1);
    EXPECT_NE(::GetFocus(), editHwnd);

    edit.onLButtonDown = [&](int, int, int) {
        ++seen;
        return LRESULT(0);
    };
    ::SendMessageW(editHwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageW(editHwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(::GetFocus(), editHwnd);
}

TEST(WindowModel, AHookReturningNonzeroHidesTheMessageFromEveryHandler)
{
    OwnedWindow w;
    HWND hwnd = w->CreateAndRun(Hidden(L"hooked"));
    int handled = 0;
    w->onLButtonUp = [&](int, int, int) {
        ++handled;
        return LRESULT(0);
    };
    WTWindow::SetMessageHook(
        hwnd, [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT { return message == WM_LBUTTONUP ? 7 : 0; });
    EXPECT_EQ(::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(1, 1)), 7);
    EXPECT_EQ(handled, 0);
    WTWindow::RemoveMessageHook(hwnd);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(handled, 1);
}

TEST(WindowModel, WheelDeltaAndYAreSignedXIsUnsigned)
{
    OwnedWindow w;
    HWND hwnd = w->CreateAndRun(Hidden(L"signs"));
    int delta = 0;
    w->onMouseWheel = [&](int d, int) { delta = d; };
    int x = 0;
    int y = 0;
    w->onMouseMove = [&](int mx, int my, int) {
        x = mx;
        y = my;
        return LRESULT(0);
    };
    ::SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(delta, -120);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(0xFFF0, static_cast<WORD>(-3)));
    EXPECT_EQ(x, 0xFFF0);
    EXPECT_EQ(y, -3);
}

TEST(WindowModel, ModalLoopReturnsWhenItsWindowIsGoneAndReEnablesTheParent)
{
    OwnedWindow parent;
    HWND parentHwnd = parent->CreateAndRun(Hidden(L"modal-parent"));
    ::ShowWindow(parentHwnd, SW_SHOW);

    WTWindow dialog;
    ownerWasDisabled = false;
    WTWindow::CreateOptions o = Hidden(L"modal");
    o.parent = parentHwnd;
    o.modal = true;
    o.onCreated = [&](HWND hwnd) {
        // Ends the nested loop from inside it, as a button would.
        ::SetTimer(hwnd, 1, 50, DestroyOnTimer);
    };
    HWND hwnd = dialog.CreateAndRun(o);
    EXPECT_TRUE(hwnd);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(::IsWindowEnabled(parentHwnd));
}

TEST(WindowModel, AQuitEndingTheModalLoopIsPostedAgainForTheOuterLoop)
{
    WTWindow dialog;
    WTWindow::CreateOptions o = Hidden(L"modal-quit");
    o.modal = true;
    o.onCreated = [](HWND) { ::PostQuitMessage(7); };
    HWND hwnd = dialog.CreateAndRun(o);
    ASSERT_TRUE(hwnd);
    MSG message{};
    bool quitSeen = false;
    while (!quitSeen && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        quitSeen = message.message == WM_QUIT;
        if (!quitSeen) {
            ::DispatchMessageW(&message);
        }
    }
    EXPECT_TRUE(quitSeen);
    EXPECT_EQ(message.wParam, 7u);
    ::DestroyWindow(hwnd);
}

std::atomic<int> outOfMemoryCalls{0};

void CountOutOfMemory() { ++outOfMemoryCalls; }

TEST(WindowModel, OnlyAnAllocationFailureAtAWindowOrThreadEntryReachesTheOutOfMemoryHandler)
{
    platform::SetOutOfMemoryHandler(CountOutOfMemory);
    outOfMemoryCalls = 0;
    OwnedWindow window;
    ASSERT_TRUE(window->CreateAndRun(Hidden(L"out of memory")));
    window->onMouseWheel = [](int, int) { throw std::bad_alloc(); };
    window->onChar = [](int) -> LRESULT { throw std::runtime_error("not memory"); };
    window->Send(WM_MOUSEWHEEL);
    window->Send(WM_CHAR, 'a');
    platform::UniqueHandle worker = platform::StartThread([] { throw std::bad_alloc(); });
    ASSERT_TRUE(worker);
    ASSERT_EQ(::WaitForSingleObject(worker.Get(), 10000), WAIT_OBJECT_0);
    platform::SetOutOfMemoryHandler(nullptr);
    EXPECT_EQ(outOfMemoryCalls.load(), 2);
}

TEST(WindowModel, ChangesFromAnotherThreadAreCountedInTheTestBuild)
{
#ifndef SORVIK_TEST_BUILD
    GTEST_SKIP() << "the thread checks are built into the test build only";
#endif
    OwnedWindow window;
    ASSERT_TRUE(window->CreateAndRun(Hidden(L"checked")));
    WTMenu menu;
    ASSERT_TRUE(menu.CreatePopup());
    ASSERT_TRUE(menu.AppendItem("a", 1));
    WTButton button;
    button.HostWindow(window->Handle(), false);
    ui_thread::TakeViolations();

    window->Text(L"own thread");
    menu.SetItemState(1, MFS_GRAYED);
    button.Visible(false);
    EXPECT_EQ(ui_thread::TakeViolations(), 0);

    platform::UniqueHandle worker = platform::StartThread([&] {
        window->Text(L"worker");
        menu.SetItemState(1, MFS_ENABLED);
        button.Visible(true);
    });
    ASSERT_TRUE(worker);
    // The window's text is set by a message this thread answers.
    HANDLE handle = worker.Get();
    while (::MsgWaitForMultipleObjects(1, &handle, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        PumpPending();
    }
    EXPECT_EQ(ui_thread::TakeViolations(), 3);
}

TEST(WindowModel, AnObjectCannotCreateTwiceAndIsReusableAfterItsWindowIsGone)
{
    OwnedWindow w;
    HWND first = w->CreateAndRun(Hidden(L"first"));
    ASSERT_TRUE(first);
    EXPECT_EQ(w->CreateChild(nullptr, 0, L"WTWindow", L"again", WS_OVERLAPPED, 0, 0, 10, 10, nullptr), nullptr);
    ::DestroyWindow(first);
    EXPECT_EQ(w->Handle(), nullptr);
    HWND second = w->CreateAndRun(Hidden(L"second"));
    EXPECT_TRUE(second);
    EXPECT_EQ(WTWindow::FromHandle(second), w.window.get());
}

TEST(WindowModel, AWindowOutlivingItsObjectReachesNoDanglingPointer)
{
    auto object = std::make_unique<WTWindow>();
    int moves = 0;
    object->onMouseMove = [&](int, int, int) {
        ++moves;
        return LRESULT(0);
    };
    HWND hwnd = object->CreateAndRun(Hidden(L"orphan"));
    ASSERT_TRUE(hwnd);
    object.reset();
    EXPECT_EQ(WTWindow::FromHandle(hwnd), nullptr);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, 0);
    ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
    PumpPending();
    EXPECT_EQ(moves, 0);
    if (::IsWindow(hwnd)) {
        ::DestroyWindow(hwnd);
    }
}

TEST(WindowModel, WindowStateMinimisesRestoresAndHides)
{
    OwnedWindow w;
    HWND hwnd = w->CreateAndRun(Hidden(L"state"));
    w->WindowState(0);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_EQ(w->WindowState(), 0);
    w->WindowState(1);
    EXPECT_EQ(w->WindowState(), 1);
    w->WindowState(0);
    EXPECT_EQ(w->WindowState(), 0);
    w->WindowState(9);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
}

} // namespace
