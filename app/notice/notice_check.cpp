#include "app/notice/notice_check.h"

#include <mutex>
#include <string>
#include <vector>

#include "app/notice/notice_rules.h"
#include "app/notice/notice_shell.h"
#include "app/shell/notify_messages.h"
#include "app/vpn/service_address.h"
#include "app/vpn/service_fetch.h"
#include "platform/files.h"
#include "platform/thread.h"
#include "app/shell/messages.h"

namespace {

constexpr int kAttempts = 3;
constexpr char kSection[] = "update";

std::string NoticeFileUrl() { return ServiceBaseUrl() + "/jsq/beta.htm"; }

// The INI copy the values are read from: "/update.dat" beside the program, or, when that
// cannot be written (a read-only program directory), a temporary file removed afterwards.
// Reading an older update.dat instead would show stale notices, and none at all would
// read as "update required".
class NoticeFileCopy {
public:
    explicit NoticeFileCopy(const std::vector<unsigned char>& body)
    {
        const std::wstring local = platform::ProgramDirectory() + L"/update.dat";
        if (platform::WriteWholeFile(local, body)) {
            path_ = local;
            return;
        }
        wchar_t directory[MAX_PATH + 1] = {};
        wchar_t name[MAX_PATH + 1] = {};
        const DWORD n = ::GetTempPathW(MAX_PATH + 1, directory);
        if (n == 0 || n > MAX_PATH || ::GetTempFileNameW(directory, L"svk", 0, name) == 0) {
            return;
        }
        temporary_ = name;
        if (platform::WriteWholeFile(temporary_, body)) {
            path_ = temporary_;
        }
    }
    ~NoticeFileCopy()
    {
        if (!temporary_.empty()) {
            ::DeleteFileW(temporary_.c_str());
        }
    }
    NoticeFileCopy(const NoticeFileCopy&) = delete;
    NoticeFileCopy& operator=(const NoticeFileCopy&) = delete;

    bool Written() const { return !path_.empty(); }
    std::string Value(const char* key) const { return platform::ReadIniText(path_, kSection, key); }

private:
    std::wstring path_;
    std::wstring temporary_;
};

} // namespace

void StartNoticeCheck() { platform::StartDetachedThread(RunNoticeCheck); }

void RunNoticeCheck()
{
    const std::string url = NoticeFileUrl();
    Fetched answer;
    for (int attempt = 1; attempt <= kAttempts && answer.status != 200; ++attempt) {
        answer = ServiceGet(url, {kNoticeFileLimit});
    }
    // A failed fetch leaves update.dat as it was.
    if (answer.status != 200) {
        return;
    }

    const NoticeFileCopy file(answer.body);
    if (!file.Written()) {
        return;
    }
    App& a = app();
    NoticeValues read;
    read.noticeInterval = NoticeIntervalMs(file.Value("time"));
    read.noticePageUrl = file.Value("adurl");
    read.popupUrl = file.Value("adurl2");
    read.noticeMessage = file.Value("message");
    read.noticeLinkText = file.Value("linktext");
    read.noticeLinkUrl = file.Value("linkurl");
    {
        std::lock_guard<std::mutex> guard(a.noticeLock);
        read.downloadUrl = a.notice.downloadUrl; // "url" comes after the page request
        a.notice = read;
    }

    if (!read.noticeMessage.empty()) {
        // The notice bar's elements are painted by the UI thread: change them there.
        PostToUiThread([message = read.noticeMessage, link = read.noticeLinkText] {
            if (noticeShell().showNoticeBar) {
                noticeShell().showNoticeBar(message, link);
            }
        });
    }
    ::SendMessageW(a.popupBrowser.Handle(), msg::MsgLoadNoticePage, 0, 0);

    const std::string downloadUrl = file.Value("url");
    {
        std::lock_guard<std::mutex> guard(a.noticeLock);
        a.notice.downloadUrl = downloadUrl;
    }

    if (!VersionIsCurrent(file.Value("version"))) {
        ::SendMessageW(a.notifyLabel.Handle(), msg::MsgUpdateRequired, 0, 0);
    }
}

NoticeShell& noticeShell()
{
    static NoticeShell shell;
    return shell;
}

NoticeValues NoticeSnapshot()
{
    App& a = app();
    std::lock_guard<std::mutex> guard(a.noticeLock);
    return a.notice;
}
