// The notice and update check against the demo service: what it stores, shows and sends.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/notice/notice_check.h"
#include "platform/files.h"
#include "platform/thread.h"
#include "tests/win/notice_app_fixture.h"
#include "tests/win/service_control.h"
#include "app/shell/messages.h"

namespace {

std::wstring UpdateDatPath() { return platform::ProgramDirectory() + L"/update.dat"; }

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int BetaRequests()
{
    int count = 0;
    for (const std::string& line : service_control::HttpRequestLines()) {
        count += line == "GET /jsq/beta.htm" ? 1 : 0;
    }
    return count;
}

// Temporary files the check would leave behind.
int TemporaryNoticeFiles()
{
    char directory[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH + 1, directory);
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((std::string(directory) + "svk*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int count = 0;
    do {
        ++count;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return count;
}

class NoticeCheck : public NoticeAppFixture {
protected:
    void SetUp() override
    {
        ::DeleteFileW(UpdateDatPath().c_str());
        NoticeAppFixture::SetUp();
        ASSERT_TRUE(service_control::ResetRecords());
    }
    void TearDown() override
    {
        NoticeAppFixture::TearDown();
        EXPECT_TRUE(service_control::RestoreDemoConfig());
        ::DeleteFileW(UpdateDatPath().c_str());
    }

    // The notice file carries exactly these keys (JSON members of "notice").
    static void ServeNotice(const std::string& members)
    {
        ASSERT_TRUE(service_control::PostConfig("{\"notice\": {" + members + "}}"));
    }

    // Runs the check on its own thread while this thread answers the messages it sends.
    void RunCheck()
    {
        notifyMessages_.clear();
        platform::UniqueHandle thread = platform::StartThread(RunNoticeCheck);
        ASSERT_TRUE(thread);
        HANDLE handle = thread.Get();
        const DWORD start = ::GetTickCount();
        for (;;) {
            const DWORD elapsed = ::GetTickCount() - start;
            ASSERT_LT(elapsed, 30000u) << "the check did not end";
            const DWORD woke = ::MsgWaitForMultipleObjects(1, &handle, FALSE, 30000 - elapsed, QS_ALLINPUT);
            // What the check posted before it ended is shown too.
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            if (woke == WAIT_OBJECT_0) {
                return;
            }
        }
    }

    static bool NoticeBarShown()
    {
        const App& a = app();
        return a.noticeText.Visible() && a.noticeLinkButton.Visible() && a.noticeCloseButton.Visible();
    }
    static bool PageRequested() { return app().showTimer.Running() && app().showTimer.Interval() == 10000; }
};

TEST_F(NoticeCheck, VersionListDecidesTheUpdate)
{
    struct Case {
        const char* version; // JSON value
        bool update;
    };
    const Case cases[] = {
        {"\"1.5\"", false},
        {"\"1.4;1.5;1.6\"", false},
        {"\"1.51\"", true},
        {"null", true}, // key missing
        {"\"\"", true},
        {"\"1.4;1.5\"", false},
        {"\"1.5.1;1.6\"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ServeNotice(std::string("\"version\": ") + c.version);
        RunCheck();
        EXPECT_EQ(NotifyCount(msg::MsgUpdateRequired), c.update ? 1 : 0);
        // The page is requested whatever the version says.
        EXPECT_TRUE(PageRequested());
        StopNoticeTimers();
    }
}

TEST_F(NoticeCheck, TimeBecomesTheIntervalInMilliseconds)
{
    const std::pair<const char*, int> cases[] = {{"30", 30000}, {"0", 0}, {"\"12abc\"", 12000}, {"\"x\"", 0}};
    for (const auto& [time, expected] : cases) {
        SCOPED_TRACE(time);
        ServeNotice(std::string("\"time\": ") + time + ", \"version\": \"1.5\"");
        RunCheck();
        EXPECT_EQ(NoticeSnapshot().noticeInterval, expected);
    }
}

TEST_F(NoticeCheck, ValuesAreStoredAndTheNoticeBarShown)
{
    ServeNotice("\"time\": 5, \"adurl\": \"http://127.0.0.1:18631/notice.htm\", "
                "\"adurl2\": \"http://127.0.0.1:18631/exit.htm\", \"message\": \"\\u7cfb\\u7edf\\u516c\\u544a abc\", "
                "\"linktext\": \"\\u67e5\\u770b\", \"linkurl\": \"http://127.0.0.1:18631/l.htm\", "
                "\"url\": \"http://127.0.0.1:18631/download.htm\", \"version\": \"1.5\"");
    RunCheck();
    const NoticeValues values = NoticeSnapshot();
    EXPECT_EQ(values.noticeInterval, 5000);
    EXPECT_EQ(values.noticePageUrl, "http://127.0.0.1:18631/notice.htm");
    EXPECT_EQ(values.popupUrl, "http://127.0.0.1:18631/exit.htm");
    EXPECT_EQ(values.noticeMessage, "系统公告 abc"); // GBK
    EXPECT_EQ(values.noticeLinkText, "查看");
    EXPECT_EQ(values.noticeLinkUrl, "http://127.0.0.1:18631/l.htm");
    EXPECT_EQ(values.downloadUrl, "http://127.0.0.1:18631/download.htm");

    EXPECT_TRUE(NoticeBarShown());
    EXPECT_EQ(app().noticeText.Text(), "  系统公告 abc");
    EXPECT_EQ(app().noticeLinkButton.Caption(), "查看");
    EXPECT_TRUE(PageRequested());
    EXPECT_EQ(NotifyCount(msg::MsgUpdateRequired), 0);
}

TEST_F(NoticeCheck, EmptyMessageShowsNoNoticeBar)
{
    ServeNotice("\"message\": \"\", \"linktext\": \"\\u66f4\\u591a\", \"adurl\": \"\", \"version\": \"1.5\"");
    RunCheck();
    EXPECT_FALSE(app().noticeText.Visible());
    EXPECT_FALSE(app().noticeLinkButton.Visible());
    EXPECT_EQ(NoticeSnapshot().noticeLinkText, "更多");
    // An empty "adurl" still requests the page and starts the pop-up's delay.
    EXPECT_TRUE(PageRequested());
}

TEST_F(NoticeCheck, ThirdAnswerIsUsedAfterTwoFailures)
{
    ServeNotice("\"message\": \"config\", \"version\": \"1.5\"");
    const std::string third = "[update]\r\nmessage=third\r\nversion=1.4;1.5\r\n";
    ASSERT_TRUE(service_control::QueueFaults("{\"/jsq/beta.htm\": [{\"status\": 404}, {\"status\": 404}, "
                                             "{\"status\": 200, \"body\": \"[update]\\r\\nmessage=third\\r\\n"
                                             "version=1.4;1.5\\r\\n\"}]}"));
    RunCheck();
    EXPECT_EQ(BetaRequests(), 3);
    EXPECT_EQ(NoticeSnapshot().noticeMessage, "third");
    EXPECT_EQ(app().noticeText.Text(), "  third");
    const std::vector<unsigned char> stored = platform::ReadWholeFile(UpdateDatPath());
    EXPECT_EQ(std::string(stored.begin(), stored.end()), third);
    EXPECT_EQ(NotifyCount(msg::MsgUpdateRequired), 0);
}

TEST_F(NoticeCheck, FirstSuccessEndsTheAttempts)
{
    ServeNotice("\"message\": \"second\", \"version\": \"1.5\"");
    ASSERT_TRUE(service_control::QueueFaults("{\"/jsq/beta.htm\": [{\"status\": 500}]}"));
    RunCheck();
    EXPECT_EQ(BetaRequests(), 2);
    EXPECT_EQ(NoticeSnapshot().noticeMessage, "second");
}

TEST_F(NoticeCheck, FailedCheckShowsWritesAndStartsNothing)
{
    ServeNotice("\"message\": \"never\", \"adurl\": \"http://127.0.0.1:18631/notice.htm\", \"version\": \"1.4\"");
    ASSERT_TRUE(
        service_control::QueueFaults("{\"/jsq/beta.htm\": [{\"status\": 404}, {\"status\": 404}, {\"status\": 404}]}"));
    RunCheck();
    EXPECT_EQ(BetaRequests(), 3);
    EXPECT_FALSE(FileExists(UpdateDatPath()));
    EXPECT_FALSE(app().noticeText.Visible());
    EXPECT_FALSE(app().showTimer.Running());
    EXPECT_TRUE(notifyMessages_.empty());
    const NoticeValues values = NoticeSnapshot();
    EXPECT_TRUE(values.noticeMessage.empty());
    EXPECT_TRUE(values.noticePageUrl.empty());
    EXPECT_TRUE(values.downloadUrl.empty());
    EXPECT_EQ(values.noticeInterval, 0);
}

TEST_F(NoticeCheck, UpdateDatHoldsTheBodyByteForByte)
{
    ASSERT_TRUE(service_control::RestoreDemoConfig()); // GBK text, CR LF
    const service_control::Reply served = service_control::Exchange("GET", "/jsq/beta.htm");
    ASSERT_EQ(served.status, 200);
    ASSERT_FALSE(served.body.empty());
    // An older, longer file is replaced whole.
    ASSERT_TRUE(platform::WriteWholeFile(UpdateDatPath(), std::vector<unsigned char>(served.body.size() * 3, 'x')));
    RunCheck();
    const std::vector<unsigned char> stored = platform::ReadWholeFile(UpdateDatPath());
    EXPECT_EQ(std::string(stored.begin(), stored.end()), served.body);
    EXPECT_EQ(app().noticeText.Text(), "  欢迎使用 Sorvik 网游加速器！新增香港、日本线路，高峰时段更稳定。");
    EXPECT_EQ(app().noticeLinkButton.Caption(), "查看详情");
    EXPECT_EQ(NotifyCount(msg::MsgUpdateRequired), 0);
}

// A program directory where update.dat cannot be written must not make the check read
// nothing (which demands an update) or an older copy: the fresh values still count.
TEST_F(NoticeCheck, UnwritableUpdateDatStillUsesTheFreshValues)
{
    ASSERT_TRUE(::CreateDirectoryW(UpdateDatPath().c_str(), nullptr));
    ASSERT_FALSE(platform::WriteWholeFile(UpdateDatPath(), {'x'}));
    const int temporaryBefore = TemporaryNoticeFiles();
    ServeNotice("\"message\": \"fresh\", \"time\": 7, \"version\": \"1.5\"");
    RunCheck();
    ::RemoveDirectoryW(UpdateDatPath().c_str());
    EXPECT_EQ(NotifyCount(msg::MsgUpdateRequired), 0);
    EXPECT_EQ(NoticeSnapshot().noticeMessage, "fresh");
    EXPECT_EQ(NoticeSnapshot().noticeInterval, 7000);
    EXPECT_TRUE(NoticeBarShown());
    EXPECT_EQ(TemporaryNoticeFiles(), temporaryBefore);
}

} // namespace
