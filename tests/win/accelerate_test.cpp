// The acceleration commands against the real main window, the RAS stand-in and the demo service.
#include "tests/win/main_window_fixture.h"
#include "tests/win/notify_modes.h"

#include <filesystem>

#include "app/lines/accelerate.h"
#include "app/lines/speed_test.h"
#include "app/shell/tray.h"
#include "app/vpn/reports.h"
#include "platform/text.h"
#include "ui/image.h"

namespace {

// Three answering lines; the second refuses its login.
constexpr char kLines[] = R"({"lines": [
    {"name": "A", "address": "127.0.0.41", "probe_port": 18741, "user": "a", "password": "a", "load": "x"},
    {"name": "B", "address": "127.0.0.42", "probe_port": 18742, "user": "b", "password": "b", "load": "x",
     "reject_login": true},
    {"name": "C", "address": "127.0.0.43", "probe_port": 18743, "user": "c", "password": "c", "load": "x"}],
    "notice": {"version": "1.5"}, "faults": {}})";

class Accelerate : public MainWindowFixture, public notify_modes::InBothModes {
protected:
    std::string ServiceConfig() const override { return kLines; }

    void SetUp() override
    {
        UseMode();
        MainWindowFixture::SetUp();
        ASSERT_TRUE(PumpUntil(SpeedTestDone, 20000));
        Pump(100);
    }

    void TearDown() override
    {
        HangUp();
        MainWindowFixture::TearDown();
    }

    static void SetLatencies(std::initializer_list<const char*> latencies)
    {
        std::lock_guard<platform::CriticalSection> lock(app().listLock);
        size_t i = 0;
        for (const char* latency : latencies) {
            app().lineList.at(i++).latency = latency;
        }
    }

    static bool TrayItemGreyed(int id) { return (app().trayMenu.ItemState(static_cast<UINT>(id)) & MFS_GRAYED) != 0; }

    static bool HelloFor(const std::string& query)
    {
        for (const std::string& line : service_control::HttpRequestLines()) {
            if (line == "GET /jsq/line/hello.php" + query) {
                return true;
            }
        }
        return false;
    }
};

TEST_P(Accelerate, OneClickTakesTheFastestMeasuredLine)
{
    SetLatencies({"80", "连接超时", "35"});
    OneClickAccelerate();
    EXPECT_EQ(app().currentLine.load(), 3);
    EXPECT_FALSE(app().oneClickButton.Visible());
    EXPECT_TRUE(app().disconnectButton.Visible());
    EXPECT_TRUE(TrayItemGreyed(kTrayOneClick));
    EXPECT_TRUE(TrayItemGreyed(kTrayCustom));
    ASSERT_TRUE(PumpUntil([] { return !TrayItemGreyed(kTrayStop); }, 15000)) << "connected enables stop";
    EXPECT_TRUE(PumpUntil([] { return HelloFor("?ip=127.0.0.43"); }, 10000));
}

TEST_P(Accelerate, OneClickWithNothingMeasuredDoesNothing)
{
    SetLatencies({"", "连接超时", ""});
    OneClickAccelerate();
    EXPECT_EQ(app().currentLine.load(), 0);
    EXPECT_TRUE(app().oneClickButton.Visible());
    EXPECT_TRUE(app().customButton.Visible());
    EXPECT_FALSE(app().resultImage.Visible());
    EXPECT_FALSE(TrayItemGreyed(kTrayOneClick));
}

TEST_P(Accelerate, OneClickWhileTheListShowsKeepsTheListBesideTheResult)
{
    SetLatencies({"5", "", ""});
    ShowCustomPanel();
    OneClickAccelerate();
    EXPECT_TRUE(app().lineListView.Visible());
    EXPECT_TRUE(app().resultImage.Visible());
}

TEST_P(Accelerate, StopWhileDiallingEndsOnTheListAndIgnoresTheLaterDrop)
{
    AccelerateLine(1);
    StopAcceleration();
    ASSERT_TRUE(PumpUntil([] { return app().lineListView.Visible() && app().disconnectButton.Enabled(); }, 15000));
    Pump(2000);
    EXPECT_FALSE(app().resultImage.Visible());
    EXPECT_FALSE(app().backButton.Visible());
    EXPECT_EQ(app().CurrentConnection.load(), nullptr);
    EXPECT_FALSE(TrayItemGreyed(kTrayOneClick));
    EXPECT_TRUE(TrayItemGreyed(kTrayStop));
}

TEST_P(Accelerate, AFailureKeepsOneClickGreyedUntilBack)
{
    ShowCustomPanel();
    AccelerateLine(2);
    ASSERT_TRUE(PumpUntil([] { return app().backButton.Visible(); }, 15000));
    EXPECT_FALSE(app().disconnectButton.Visible());
    EXPECT_FALSE(app().resultText.Text().empty());
    EXPECT_TRUE(TrayItemGreyed(kTrayOneClick));
    BackFromResult();
    EXPECT_FALSE(TrayItemGreyed(kTrayOneClick));
    EXPECT_TRUE(app().lineListView.Visible());
    EXPECT_FALSE(app().resultImage.Visible());
}

TEST_P(Accelerate, AccelerateWithoutASelectionMarkStaysOnTheList)
{
    ShowCustomPanel();
    AccelerateSelected();
    EXPECT_TRUE(app().lineListView.Visible());
    EXPECT_EQ(app().currentLine.load(), 0);
}

// A theme whose "connecting.png" has a chosen width.
class ResultPicture : public MainWindowFixture, public ::testing::WithParamInterface<std::pair<int, int>> {
protected:
    std::string ServiceConfig() const override { return kLines; }

    std::wstring ProgramDirectoryForTheme() const override
    {
        namespace fs = std::filesystem;
        const fs::path root = fs::temp_directory_path() / ("sorvik-result-" + std::to_string(GetParam().first));
        fs::remove_all(root);
        fs::create_directories(root);
        fs::copy(fs::path(platform::ProgramDirectory()) / "theme", root / "theme", fs::copy_options::recursive);
        Gdiplus::Bitmap bitmap(GetParam().first, 20, PixelFormat32bppARGB);
        CLSID png{};
        FindImageEncoder(Gdiplus::ImageFormatPNG, &png);
        bitmap.Save(platform::Widen((root / "theme" / "default" / "success.png").string()).c_str(), &png, nullptr);
        return root.wstring();
    }
};

TEST_P(ResultPicture, IsCentredTruncatingTowardZero)
{
    ShowResultPicture("success.png");
    EXPECT_EQ(app().resultImage.Width(), GetParam().first);
    EXPECT_EQ(app().resultImage.Left(), GetParam().second);
    EXPECT_EQ(app().resultImage.Top(), 170);
}

INSTANTIATE_TEST_SUITE_P(Widths, ResultPicture, ::testing::Values(std::make_pair(200, 300), std::make_pair(801, 0)));

SORVIK_IN_BOTH_NOTIFY_MODES(Accelerate);

} // namespace
