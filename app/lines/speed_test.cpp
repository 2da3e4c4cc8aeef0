#include "app/lines/speed_test.h"

#include <mutex>

#include "app/lines/latency_probe.h"
#include "app/lines/ranking.h"
#include "app/shell/app.h"
#include "platform/thread.h"
#include "app/shell/messages.h"

namespace {

constexpr DWORD kWatchIntervalMs = 10;

void WatchSpeedTest(std::shared_ptr<std::atomic<bool>> cancelled)
{
    WTThreadPool& pool = app().threadPool;
    while (pool.PendingCount() > 0) {
        if (*cancelled) {
            return;
        }
        ::Sleep(kWatchIntervalMs);
    }
    if (!*cancelled) {
        ::SendMessageW(app().notifyLabel.Handle(), msg::MsgSpeedTestDone, 0, 0);
    }
}

} // namespace

void CancelSpeedTestWatcher()
{
    App& a = app();
    if (a.speedTestCancel) {
        *a.speedTestCancel = true;
    }
    a.speedTestCancel.reset();
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
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    a.speedTestCancel = cancelled;
    a.speedTestWatcher = platform::StartThread([cancelled] { WatchSpeedTest(cancelled); });
}

void OnSpeedTestDone()
{
    App& a = app();
    a.refreshSpeedButton.Enabled(true);
    a.refreshListButton.Enabled(true);
    a.statusText.Text("状态：测速完成！");
    a.speedTestCancel.reset();
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
