#include "app/lines/line_list.h"

#include <mutex>

#include "app/lines/line_cache.h"
#include "app/lines/line_rows.h"
#include "app/lines/rc4.h"
#include "app/lines/speed_test.h"
#include "app/shell/app.h"
#include "app/shell/notify_messages.h"
#include "app/vpn/service_address.h"
#include "app/vpn/service_fetch.h"
#include "app/vpn/vpn_session.h"
#include "platform/charset.h"
#include "platform/thread.h"

namespace {

std::string LineListUrl() { return ServiceBaseUrl() + "/jsq/line/linelist.php"; }

// The lines of an enciphered list; none when it is not valid UTF-8 or has no GBK form.
LineList DecodeLineList(const std::vector<std::uint8_t>& body)
{
    const std::vector<std::uint8_t> key = app().lineListKey.Wait();
    const std::vector<std::uint8_t> plain = DecipherResponse(body, key);
    return LinesFromText(
        platform::Utf8ToGbk(std::string_view(reinterpret_cast<const char*>(plain.data()), plain.size())));
}

// What one fetch hands to the UI thread.
struct FetchOutcome {
    unsigned fetch = 0;
    bool retry = false;
    bool answered = false; // status 200
    LineList lines; // the answer's
    LineList cached; // lines.dat's, when the answer of a refresh gave no line
};

void OnFetchEnded(FetchOutcome outcome);
void OnRetryDue();

// Fetch thread.
void FetchLineList(unsigned fetch, bool retry)
{
    FetchOutcome outcome;
    outcome.fetch = fetch;
    outcome.retry = retry;
    const Fetched answer = ServiceGet(LineListUrl(), {kLineListLimit});
    outcome.answered = answer.status == 200;
    if (outcome.answered) {
        outcome.lines = DecodeLineList(answer.body);
    }
    if (!outcome.lines.empty()) {
        StoreLineCache(answer.body);
    } else if (!retry) {
        outcome.cached = DecodeLineList(LoadLineCache());
    }
    PostToUiThread([outcome = std::move(outcome)]() mutable { OnFetchEnded(std::move(outcome)); });
}

void StartFetch(bool retry)
{
    App& a = app();
    const unsigned fetch = ++a.lineFetches.latest;
    a.listFetchThread = platform::StartThread([fetch, retry] { FetchLineList(fetch, retry); });
}

// A dial under way or a connection: its line must keep its lineIndex.
bool ConnectionUnderWay() { return CurrentSession() != nullptr || app().CurrentConnection.load() != nullptr; }

void ArmRetry(unsigned waitMs)
{
    WTTimer& timer = app().lineFetches.retryTimer;
    timer.Stop();
    timer.Start(static_cast<int>(waitMs), OnRetryDue);
}

void OnRetryDue()
{
    App& a = app();
    a.lineFetches.retryTimer.Stop();
    if (a.isExiting) {
        return;
    }
    if (ConnectionUnderWay()) {
        ArmRetry(kListRetryBusyWaitMs);
        return;
    }
    StartFetch(true);
}

void ShowLineRow(int lineIndex)
{
    App& a = app();
    const Line& line = a.lineList[static_cast<size_t>(lineIndex) - 1];
    WTListView::NewItem item;
    item.data = lineIndex;
    const int row = a.lineListView.InsertItem(item);
    if (row < 0) {
        return;
    }
    a.lineListView.CellText(row, 1, line.name);
    const int icon = LoadIconIndex(line.load);
    if (icon >= 0) {
        a.lineListView.CellImage(row, 3, icon);
    }
}

// Puts `lines` in place of the list and its rows, then measures them.
void ShowLines(LineList lines, const char* status)
{
    App& a = app();
    a.refreshSpeedButton.Enabled(false);
    a.refreshListButton.Enabled(false);
    {
        // Only the UI thread writes the view, so holding the lock here waits for no one.
        std::lock_guard<platform::CriticalSection> lock(a.listLock);
        a.lineListView.DeleteAllItems();
        a.lineList = std::move(lines);
        for (int lineIndex = 1; lineIndex <= static_cast<int>(a.lineList.size()); ++lineIndex) {
            ShowLineRow(lineIndex);
        }
    }
    a.statusText.Text(status);
    StartSpeedTest(false);
}

void OnFetchEnded(FetchOutcome outcome)
{
    App& a = app();
    LineListFetches& fetches = a.lineFetches;
    if (outcome.fetch != fetches.latest || a.isExiting) {
        return; // a later refresh took over
    }
    if (!outcome.lines.empty()) {
        if (outcome.retry && ConnectionUnderWay()) {
            ArmRetry(kListRetryBusyWaitMs);
            return;
        }
        fetches.retries.Reset();
        fetches.fromCache = false;
        ShowLines(std::move(outcome.lines), "状态：正在测速...");
        return;
    }
    ArmRetry(fetches.retries.AfterFailure());
    if (outcome.retry) {
        return; // what is shown stays
    }
    if (!outcome.cached.empty()) {
        fetches.fromCache = true;
        ShowLines(std::move(outcome.cached), kCachedLinesStatus);
    } else if (outcome.answered) {
        fetches.fromCache = false;
        ShowLines({}, "状态：正在测速...");
    } else {
        // LineList keeps the lines of the last good fetch: one-click still works from them.
        a.statusText.Text("状态：获取线路失败！");
        a.refreshSpeedButton.Enabled(true);
        a.refreshListButton.Enabled(true);
    }
}

} // namespace

void RefreshLineList()
{
    App& a = app();
    a.refreshSpeedButton.Enabled(false);
    a.refreshListButton.Enabled(false);
    {
        std::lock_guard<platform::CriticalSection> lock(a.listLock);
        a.lineListView.DeleteAllItems();
    }
    a.statusText.Text("状态：正在获取线路列表...");
    CancelSpeedTestWatcher();
    a.lineFetches.retryTimer.Stop();
    a.lineFetches.retries.Reset();
    StartFetch(false);
}

void StopLineListRetry() { app().lineFetches.retryTimer.Stop(); }
