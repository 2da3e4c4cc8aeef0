// The main window in-process: its start panel, the line list against the demo
// service, the speed test, and the geometry its pictures decide.
#include "tests/win/main_window_fixture.h"

#include <filesystem>
#include <fstream>

#include "app/lines/accelerate.h"
#include "app/lines/latency_probe.h"
#include "app/lines/line_cache.h"
#include "app/lines/line_list.h"
#include "app/lines/line_list_key.h"
#include "app/lines/rc4.h"
#include "app/lines/speed_test.h"
#include "app/shell/exit.h"
#include "app/vpn/service_fetch.h"
#include "platform/text.h"
#include "ui/image.h"

namespace {

// Lines that all answer at once, so runs end quickly.
std::string AnsweringLines(const std::string& extraRows = "[]", const std::string& body = "normal")
{
    return R"({"lines": [
        {"name": "\u7532\u7ebf", "address": "127.0.0.31", "probe_port": 18731, "user": "a", "password": "a", "load": "\u6d41\u7545"},
        {"name": "\u4e59\u7ebf", "address": "127.0.0.32", "probe_port": 18732, "user": "b", "password": "b", "load": "\u62e5\u6324"},
        {"name": "\u4e19\u7ebf", "address": "127.0.0.33", "probe_port": 18733, "user": "c", "password": "c", "load": "\u7206\u6ee1"}],
        "extra_rows": )"
        + extraRows + R"(, "linelist_body": ")" + body + R"(", "notice": {"version": "1.5"}, "faults": {}})";
}

class MainWindow : public MainWindowFixture {
protected:
    std::string ServiceConfig() const override { return AnsweringLines(); }
};

bool ShowsCachedLines() { return app().statusText.Text() == kCachedLinesStatus; }

std::vector<unsigned char> CacheFile() { return platform::ReadWholeFile(LineCachePath()); }

// A cache of two lines that the service's list does not have, and the service down at start.
class MainWindowCache : public MainWindow {
protected:
    void PrepareProgramDirectory() override
    {
        const std::string rows = "old;127.0.0.31;18731;u;p;\r\nolder;127.0.0.32;18732;u;p;\r\n";
        const std::vector<std::uint8_t> body
            = DecipherResponse(std::vector<std::uint8_t>(rows.begin(), rows.end()), EmbeddedLineListKey());
        ASSERT_TRUE(platform::WriteWholeFile(LineCachePath(), body));
        ASSERT_TRUE(service_control::SetDown(R"({"/jsq/line/linelist.php": {"close": true}})"));
    }

    // Pumps until the cached lines are shown and measured.
    void WaitForCachedLines()
    {
        App& a = app();
        ASSERT_TRUE(PumpUntil([&] { return ShowsCachedLines() && a.refreshSpeedButton.Enabled(); }, 20000))
            << a.statusText.Text();
        ASSERT_EQ(a.lineListView.ItemCount(), 2);
        EXPECT_EQ(a.lineListView.CellText(1, 1), "older");
        EXPECT_FALSE(Latency(2).empty()) << "measured";
    }
};

TEST_F(MainWindowCache, TheServiceDownAtStartGivesTheCachedLinesThenTheFreshOnesOnceItIsBack)
{
    App& a = app();
    WaitForCachedLines();
    const DWORD back = ::GetTickCount();
    ASSERT_TRUE(service_control::SetDown("{}"));
    ASSERT_TRUE(PumpUntil([&] { return SpeedTestDone() && a.lineListView.ItemCount() == 3; }, 20000))
        << a.statusText.Text();
    EXPECT_LT(::GetTickCount() - back, 5000u + 3000u) << "the first retry, 5 s after the failure";
    EXPECT_EQ(a.lineListView.CellText(0, 1), "甲线");
    const service_control::Reply served = service_control::Exchange("GET", "/jsq/line/linelist.php");
    EXPECT_EQ(CacheFile(), std::vector<unsigned char>(served.body.begin(), served.body.end()));
}

TEST_F(MainWindowCache, AGarbageAnswerLeavesTheCacheAsItWas)
{
    WaitForCachedLines();
    const std::vector<unsigned char> before = CacheFile();
    ASSERT_TRUE(service_control::SetDown(R"({"/jsq/line/linelist.php": {"garbage": 64}})"));
    EXPECT_TRUE(app().lineFetches.retryTimer.Running());
    RefreshLineList();
    EXPECT_FALSE(app().lineFetches.retryTimer.Running()) << "the player's refresh replaces the retry";
    WaitForCachedLines();
    EXPECT_EQ(CacheFile(), before);
}

TEST_F(MainWindowCache, ExitDropsThePendingRetry)
{
    WaitForCachedLines();
    EXPECT_TRUE(app().lineFetches.retryTimer.Running());
    DownloadAndQuit();
    EXPECT_FALSE(app().lineFetches.retryTimer.Running());
}

TEST_F(MainWindow, ShowsTheStartPanelAndItsGeometry)
{
    App& a = app();
    EXPECT_TRUE(::IsWindowVisible(hwnd_));
    EXPECT_EQ(::GetWindowLongW(hwnd_, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    for (WTElement* shown : {static_cast<WTElement*>(&a.logoImage), static_cast<WTElement*>(&a.cornerImage),
             static_cast<WTElement*>(&a.closeButton), static_cast<WTElement*>(&a.minimizeButton),
             static_cast<WTElement*>(&a.oneClickButton), static_cast<WTElement*>(&a.customButton),
             static_cast<WTElement*>(&a.versionText), static_cast<WTElement*>(&a.websiteButton),
             static_cast<WTElement*>(&a.forumButton)}) {
        EXPECT_TRUE(shown->Visible());
    }
    EXPECT_FALSE(a.lineListView.Visible());
    EXPECT_FALSE(a.accelerateButton.Visible());
    EXPECT_FALSE(a.accelerateButton.Enabled());
    // The default theme's pictures: close.png 72 x 24 (24-pixel states), yjjs.png 220 x 192, zdyjs.png 160 x 40.
    EXPECT_EQ(a.closeButton.Left(), 800 - 24 - 10);
    EXPECT_EQ(a.minimizeButton.Left(), a.closeButton.Left() - 24 - 16);
    EXPECT_EQ(a.oneClickButton.Height(), 64);
    EXPECT_EQ(a.customButton.Top(), 250 + 64 + 20);
    EXPECT_EQ(a.customButton.Width(), 160 + 16);
    EXPECT_EQ(a.websiteButton.Left(), 12 + 110 + 50);
    EXPECT_EQ(a.selectionText.Top(), 430);
    EXPECT_EQ(a.statusText.Left(), 150 + 280 + 4);
    EXPECT_EQ(a.lineListView.ItemCount(), 0);
}

TEST_F(MainWindow, MovedToAMonitorOfAnotherDpiItTakesTheSuggestedPlaceAndScalesEverything)
{
    App& a = app();
    RECT before{};
    ::GetWindowRect(hwnd_, &before);
    // 125 %: small enough for any of the bench's desktops.
    const RECT suggested{0, 0, 1000, 750};
    ::SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));

    RECT after{};
    ::GetWindowRect(hwnd_, &after);
    EXPECT_TRUE(::EqualRect(&after, &suggested));
    EXPECT_EQ(a.mainSkin.Dpi(), 120u);
    // The layout stays the 96-DPI one; where it is drawn and hit is scaled by 1.25.
    EXPECT_EQ(a.closeButton.Left(), 766);
    const RECT close = a.closeButton.DeviceRect();
    EXPECT_EQ(close.left, 958);
    EXPECT_EQ(close.top, 28);
    EXPECT_EQ(close.right, 988);
    EXPECT_EQ(close.bottom, 58);
    EXPECT_TRUE(a.closeButton.HitTest(POINT{987, 57}));
    EXPECT_FALSE(a.closeButton.HitTest(POINT{957, 40}));
    const RECT list = a.lineListView.RectInParent();
    EXPECT_EQ(list.left, 188);
    EXPECT_EQ(list.top, 150);
    EXPECT_EQ(list.right, 813);
    EXPECT_EQ(list.bottom, 525);
    EXPECT_EQ(a.lineListView.ColumnWidth(1), 313);
    LOGFONTW font{};
    ::GetObjectW(a.listFont.Get(), sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, 28);
    int width = 0;
    int height = 0;
    ::ImageList_GetIconSize(a.loadImages.Handle(), &width, &height);
    EXPECT_EQ(width, 75);
    EXPECT_EQ(height, 25);
    // 125 % takes the theme's pictures drawn for 150 %, the nearest larger.
    EXPECT_EQ(a.closeButton.PicturePercent(), 150);
    EXPECT_EQ(a.logoImage.PicturePercent(), 150);

    ::SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&before));
    ::GetWindowRect(hwnd_, &after);
    EXPECT_TRUE(::EqualRect(&after, &before));
    EXPECT_EQ(a.closeButton.DeviceRect().left, 766);
    EXPECT_EQ(a.lineListView.ColumnWidth(1), 250);
    EXPECT_EQ(a.closeButton.PicturePercent(), 100);
}

TEST_F(MainWindow, FetchesTheListOnceAndMeasuresEveryLine)
{
    App& a = app();
    EXPECT_FALSE(a.refreshListButton.Enabled());
    EXPECT_FALSE(a.refreshSpeedButton.Enabled());
    ASSERT_TRUE(PumpUntil(SpeedTestDone, 20000)) << a.statusText.Text();
    Pump(100);
    EXPECT_TRUE(a.refreshListButton.Enabled());
    EXPECT_TRUE(a.refreshSpeedButton.Enabled());
    ASSERT_EQ(a.lineListView.ItemCount(), 3);
    const char* names[] = {"甲线", "乙线", "丙线"};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(a.lineListView.ItemData(row), row + 1);
        EXPECT_EQ(a.lineListView.CellText(row, 1), names[row]);
        EXPECT_EQ(a.lineListView.CellImage(row, 3), row);
        EXPECT_FALSE(a.lineListView.CellText(row, 2).empty());
        EXPECT_EQ(a.lineListView.CellText(row, 2), Latency(row + 1));
    }
    int fetches = 0;
    for (const std::string& line : service_control::HttpRequestLines()) {
        fetches += line == "GET /jsq/line/linelist.php";
    }
    EXPECT_EQ(fetches, 1);
}

TEST_F(MainWindow, ARetestClearsTheLatencyColumnFirstAndKeepsTheRefreshButtonsDisabledToTheEnd)
{
    App& a = app();
    ASSERT_TRUE(PumpUntil(SpeedTestDone, 20000));
    Pump(100);
    RetestSpeed();
    // Nothing has been pumped since: the probes' results cannot have been shown yet.
    for (int row = 0; row < a.lineListView.ItemCount(); ++row) {
        EXPECT_EQ(a.lineListView.CellText(row, 2), "");
    }
    EXPECT_EQ(a.statusText.Text(), "状态：正在测速...");
    bool enabledEarly = false;
    ASSERT_TRUE(PumpUntil(
        [&] {
            enabledEarly |= !SpeedTestDone() && (a.refreshListButton.Enabled() || a.refreshSpeedButton.Enabled());
            return SpeedTestDone();
        },
        20000));
    EXPECT_FALSE(enabledEarly);
}

TEST_F(MainWindow, AProbeOfAnIndexOutsideTheListWritesNothing)
{
    ASSERT_TRUE(PumpUntil(SpeedTestDone, 20000));
    Pump(100);
    const std::string before = app().lineListView.CellText(0, 2);
    ProbeLine(0);
    ProbeLine(4);
    Pump(50);
    EXPECT_EQ(LineCount(), 3u);
    EXPECT_EQ(app().lineListView.CellText(0, 2), before);
}

TEST_F(MainWindow, AFailedFetchKeepsTheOldLinesWithAnEmptyView)
{
    App& a = app();
    ASSERT_TRUE(PumpUntil(SpeedTestDone, 20000));
    ASSERT_TRUE(::DeleteFileW(LineCachePath().c_str())) << "the good fetch left a cache";
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/line/linelist.php": [{"status": 404}]})"));
    RefreshLineList();
    // The fetch thread writes the status first, then re-enables the buttons.
    ASSERT_TRUE(PumpUntil([&] { return FetchFailed() && a.refreshSpeedButton.Enabled(); }, 10000));
    EXPECT_EQ(a.lineListView.ItemCount(), 0);
    EXPECT_EQ(LineCount(), 3u);
    EXPECT_TRUE(a.refreshListButton.Enabled());
    EXPECT_TRUE(a.refreshSpeedButton.Enabled());
    EXPECT_GT(PickFastestLine(), 0) << "one-click still works from the kept lines";
}

TEST_F(MainWindow, AnAnswerTooLargeOrTooSlowIsAFailedFetch)
{
    App& a = app();
    ASSERT_TRUE(PumpUntil(SpeedTestDone, 20000));
    // 200 MB without a declared length, then one byte a second for longer than a fetch may take.
    ASSERT_TRUE(service_control::QueueFaults(R"({"/jsq/line/linelist.php": [{"flood": 209715200}, {"trickle": 40}]})"));
    for (const DWORD bound : {10000u, kFetchDeadlineMs + 8000u}) {
        RefreshLineList();
        ASSERT_TRUE(PumpUntil([&] { return ShowsCachedLines() && a.refreshSpeedButton.Enabled(); }, bound))
            << a.statusText.Text();
        EXPECT_EQ(a.lineListView.ItemCount(), 3) << "the rows of the cache that the good fetch left";
    }
}

TEST_F(MainWindow, ASelectionClickWhileRowsAreWrittenNeverDeadlocks)
{
    App& a = app();
    ASSERT_TRUE(PumpUntil(SpeedTestDone, 20000));
    std::string rows = "[";
    for (int i = 0; i < 300; ++i) {
        rows += std::string(i ? "," : "") + "\"\\u884c" + std::to_string(i) + ";127.0.0.31;18731;u;p;\\u6d41\\u7545\"";
    }
    rows += "]";
    ASSERT_TRUE(service_control::PostConfig(AnsweringLines(rows)));
    RefreshLineList();
    int misnamed = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            OnLineSelected(0);
            if (a.lineListView.ItemCount() > 0
                && a.selectionText.Text() != "当前选择：" + a.lineListView.CellText(0, 1)) {
                ++misnamed;
            }
            OnLineSelected(-1);
            return a.lineListView.ItemCount() == 303;
        },
        30000));
    // Every click named the first row as shown, and the rows arrived whole and in order.
    EXPECT_EQ(misnamed, 0);
    EXPECT_EQ(a.lineListView.ItemData(302), 303);
    EXPECT_EQ(a.lineListView.CellText(302, 1), "行299");
}

// What the exit question looked like after a second close request reached the main window.
struct SecondRequest {
    HWND before = nullptr;
    HWND after = nullptr;
    HWND skin = nullptr;
    size_t elements = 0;
};
SecondRequest secondRequest;

// Runs inside the question's modal loop, as the tray menu's command would.
void CALLBACK AskAgainWhileTheQuestionIsOpen(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    App& a = app();
    secondRequest.before = a.confirmWindow.Handle();
    a.mainWindow.Send(WM_CLOSE);
    secondRequest.after = a.confirmWindow.Handle();
    secondRequest.skin = a.confirmSkin.Handle();
    secondRequest.elements = a.confirmSkin.ElementCount();
    a.confirmCancelButton.DispatchToBindings(WTElement::kClick, 0, 0);
}

TEST_F(MainWindow, ASecondCloseRequestKeepsTheOpenExitQuestionWhole)
{
    secondRequest = SecondRequest{};
    ::SetTimer(nullptr, 0, 100, AskAgainWhileTheQuestionIsOpen);
    app().mainWindow.Send(WM_CLOSE);
    ASSERT_NE(secondRequest.before, nullptr);
    EXPECT_EQ(secondRequest.after, secondRequest.before);
    EXPECT_EQ(secondRequest.skin, secondRequest.before);
    EXPECT_EQ(secondRequest.elements, 3u);
    EXPECT_TRUE(app().mainWindow.IsWindow());
    EXPECT_FALSE(app().isExiting);
}

struct BodyCase {
    const char* body;
    const char* extraRows;
    size_t lines;
};

class MainWindowBodies : public MainWindowFixture, public ::testing::WithParamInterface<BodyCase> {
protected:
    std::string ServiceConfig() const override
    {
        const BodyCase& c = GetParam();
        return R"({"lines": [], "extra_rows": )" + std::string(c.extraRows) + R"(, "linelist_body": ")" + c.body
            + R"(", "notice": {"version": "1.5"}, "faults": {}})";
    }
};

TEST_P(MainWindowBodies, EndInACompletedSpeedTestOverTheAcceptedRows)
{
    ASSERT_TRUE(PumpUntil(SpeedTestDone, 20000)) << app().statusText.Text();
    Pump(100);
    EXPECT_EQ(LineCount(), GetParam().lines);
    EXPECT_EQ(app().lineListView.ItemCount(), static_cast<int>(GetParam().lines));
}

INSTANTIATE_TEST_SUITE_P(LineListBodies, MainWindowBodies,
    ::testing::Values(BodyCase{"empty", "[]", 0}, BodyCase{"garbage", "[]", 0},
        // Rows with fewer than five fields take no index.
        BodyCase{"normal", R"(["a;127.0.0.31;1;u", "", "b;127.0.0.31;1;u;p;\u6d41\u7545"])", 1},
        // A character without a GBK form empties the whole list.
        BodyCase{"normal", R"(["a;127.0.0.31;1;u;p;\u6d41\u7545", "\ud83d\ude00;127.0.0.31;1;u;p;\u6d41\u7545"])", 0}));

TEST_F(MainWindow, RowEdgeCasesKeepTheResponseOrderAndTheirFields)
{
    App& a = app();
    ASSERT_TRUE(PumpUntil(SpeedTestDone, 20000));
    ASSERT_TRUE(service_control::PostConfig(AnsweringLines(
        R"(["\u4e03;127.0.0.31;18731;u;p;\u6d41\u7545;extra", "\u5c3e;127.0.0.31;18731;u;p;", "\u4e94;127.0.0.31;18731;u;p"])")));
    RefreshLineList();
    ASSERT_TRUE(PumpUntil([] { return SpeedTestDone() && app().lineListView.ItemCount() == 6; }, 20000));
    std::lock_guard<platform::CriticalSection> lock(a.listLock);
    ASSERT_EQ(a.lineList.size(), 6u);
    EXPECT_EQ(a.lineList[3].name, "七");
    EXPECT_EQ(a.lineList[3].load, "流畅") << "a seventh field is ignored";
    EXPECT_EQ(a.lineList[4].load, "");
    EXPECT_EQ(a.lineListView.CellImage(4, 3), -1) << "no icon for an empty load";
    EXPECT_EQ(a.lineList[5].name, "五") << "a row of exactly five fields is kept with an empty load";
    EXPECT_EQ(a.lineListView.ItemData(5), 6);
}

// A program directory whose theme has a close picture of a chosen width.
class MainWindowClosePicture : public MainWindowFixture, public ::testing::WithParamInterface<int> {
protected:
    std::string ServiceConfig() const override { return AnsweringLines(); }

    std::wstring ProgramDirectoryForTheme() const override
    {
        namespace fs = std::filesystem;
        const fs::path source = fs::path(platform::ProgramDirectory()) / "theme";
        const fs::path root = fs::temp_directory_path() / ("sorvik-close-" + std::to_string(GetParam()));
        fs::remove_all(root);
        fs::create_directories(root);
        fs::copy(source, root / "theme", fs::copy_options::recursive);
        WriteBitmapPng((root / "theme" / "default" / "close.png").string(), GetParam(), 10);
        return root.wstring();
    }

    static void WriteBitmapPng(const std::string& path, int width, int height)
    {
        Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
        CLSID png{};
        ASSERT_TRUE(FindImageEncoder(Gdiplus::ImageFormatPNG, &png));
        ASSERT_EQ(bitmap.Save(platform::Widen(path).c_str(), &png, nullptr), Gdiplus::Ok);
    }
};

TEST_P(MainWindowClosePicture, StatesAreAThirdOfTheStripTruncated)
{
    App& a = app();
    const int state = GetParam() / 3;
    EXPECT_EQ(a.closeButton.Width(), state);
    EXPECT_EQ(a.closeButton.Height(), 10);
    EXPECT_EQ(a.closeButton.Left(), 800 - state - 10);
    EXPECT_EQ(a.closeButton.Top(), 22);
    // small.png of the default theme has 24-pixel states.
    EXPECT_EQ(a.minimizeButton.Left(), a.closeButton.Left() - 24 - 16);
}

INSTANTIATE_TEST_SUITE_P(ClosePictures, MainWindowClosePicture, ::testing::Values(30, 61));

} // namespace
