#include "app/lines/speed_test.h"

#include <mutex>
#include <stop_token>

#include "app/lines/latency_probe.h"
#include "app/lines/line_list.h"
#include "app/lines/ranking.h"
#include "app/shell/app.h"
#include "platform/thread.h"
#include "app/shell/messages.h"

namespace {

// Sleeps until the last probe has finished; a cancel or the pool's stop at exit ends it at once.
void WatchSpeedTest(const std::stop_token& cancelled)
{
    if (app().threadPool.WaitUntilIdle(cancelled) && !cancelled.stop_requested()) {
        ::SendMessageW(app().notifyLabel.Handle(), msg::MsgSpeedTestDone, 0, 0);
    }
}

} // namespace

void CancelSpeedTestWatcher()
{
    App& a = app();
    a.speedTestCancel.request_stop();
    a.speedTestCancel = std::stop_source(std::nostopstate);
    a.speedTestWatcher.Reset();
}

void StartSpeedTest(bool resetLatencies)
{
    App& a = app();
    if (resetLatencies) {
        // Called with true from the UI thread only, so writing the view here waits for no one.
        std::lock_guard<platform::CriticalSection> lock(a.listLock);
        for (Line& line : a.lineList) {
            line.latency.clear();
        }
        const int rows = a.lineListView.ItemCount();
        for (int row = 0; row < rows; ++row) {
            a.lineListView.CellText(row, 2, "");
        }
    }
    ::SendMessageW(a.notifyLabel.Handle(), msg::MsgSpeedTestStart, 1, 1);
}

void OnSpeedTestStart()
{
    App& a = app();
    {
        std::lock_guard<platform::CriticalSection> lock(a.listLock);
        const int count = static_cast<int>(a.lineList.size());
        for (int lineIndex = 1; lineIndex <= count; ++lineIndex) {
            a.threadPool.Post([lineIndex] { ProbeLine(lineIndex); });
        }
    }
    CancelSpeedTestWatcher();
    a.speedTestCancel = std::stop_source();
    a.speedTestWatcher
        = platform::StartThread([cancelled = a.speedTestCancel.get_token()] { WatchSpeedTest(cancelled); });
}

void OnSpeedTestDone()
{
    App& a = app();
    a.refreshSpeedButton.Enabled(true);
    a.refreshListButton.Enabled(true);
    // Lines from lines.dat keep saying so: the player should know the service is not answering.
    a.statusText.Text(a.lineFetches.fromCache ? kCachedLinesStatus : "状态：测速完成！");
    a.speedTestCancel = std::stop_source(std::nostopstate);
    a.speedTestWatcher.Reset();
}

void RetestSpeed()
{
    App& a = app();
    a.refreshListButton.Enabled(false);
    a.refreshSpeedButton.Enabled(false);
    a.statusText.Text("状态：正在测速...");
    StartSpeedTest(true);
}

int PickFastestLine()
{
    App& a = app();
    std::lock_guard<platform::CriticalSection> lock(a.listLock);
    return PickFastest(a.lineList);
}

void ShowLineLatency(int lineIndex)
{
    App& a = app();
    std::lock_guard<platform::CriticalSection> lock(a.listLock);
    if (lineIndex < 1 || lineIndex > static_cast<int>(a.lineList.size())) {
        return;
    }
    const int row = a.lineListView.FindItemByData(lineIndex);
    if (row >= 0) {
        a.lineListView.CellText(row, 2, a.lineList[static_cast<size_t>(lineIndex) - 1].latency);
    }
}
