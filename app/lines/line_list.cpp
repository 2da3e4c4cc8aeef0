#include "app/lines/line_list.h"

#include <mutex>

#include "app/lines/line_rows.h"
#include "app/lines/rc4.h"
#include "app/lines/speed_test.h"
#include "app/shell/app.h"
#include "app/shell/notify_messages.h"
#include "app/vpn/service_address.h"
#include "app/vpn/service_fetch.h"
#include "platform/charset.h"
#include "platform/thread.h"
#include "app/shell/messages.h"

namespace {

std::string LineListUrl() { return ServiceBaseUrl() + "/jsq/line/linelist.php"; }

// The response body deciphered and converted to GBK; empty when it is not valid UTF-8 or has no GBK form.
std::string DecodeLineList(const std::vector<std::uint8_t>& body)
{
    const std::vector<std::uint8_t> key = app().lineListKey.Wait();
    const std::vector<std::uint8_t> plain = DecipherResponse(body, key);
    return platform::Utf8ToGbk(std::string_view(reinterpret_cast<const char*>(plain.data()), plain.size()));
}

// Fetch thread: the elements are the UI thread's.
void FetchFailed()
{
    PostToUiThread([] {
        App& a = app();
        a.statusText.Text("状态：获取线路失败！");
        a.refreshSpeedButton.Enabled(true);
        a.refreshListButton.Enabled(true);
    });
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
    a.listFetchThread = platform::StartThread(FetchLineList);
}

void FetchLineList()
{
    App& a = app();
    const Fetched answer = ServiceGet(LineListUrl(), {kLineListLimit});
    if (answer.status != 200) {
        FetchFailed();
        return;
    }
    const std::string text = DecodeLineList(answer.body);
    {
        std::lock_guard<platform::CriticalSection> lock(a.listLock);
        a.lineList.clear();
    }
    for (const std::string& row : SplitRows(text)) {
        std::optional<Line> line = LineFromRow(row);
        if (!line) {
            continue;
        }
        int lineIndex = 0;
        {
            std::lock_guard<platform::CriticalSection> lock(a.listLock);
            a.lineList.push_back(std::move(*line));
            lineIndex = static_cast<int>(a.lineList.size());
        }
        // Posted, not sent: this thread must never wait for the UI thread.
        a.notifyLabel.Post(msg::MsgLineRowAdded, static_cast<WPARAM>(lineIndex));
    }
    // One call after the posted rows: a sent start would overtake them and the status text.
    PostToUiThread([] {
        app().statusText.Text("状态：正在测速...");
        StartSpeedTest(false);
    });
}

void ShowLineRow(int lineIndex)
{
    App& a = app();
    std::lock_guard<platform::CriticalSection> lock(a.listLock);
    if (lineIndex < 1 || lineIndex > static_cast<int>(a.lineList.size())) {
        return;
    }
    const Line& line = a.lineList[static_cast<size_t>(lineIndex) - 1];
    WTListView::NewItem item;
    item.data = lineIndex;
    const int row = a.lineListView.InsertItem(item);
    if (row < 0) {
        return;
    }
    a.lineListView.CellText(row, 1, line.name);
    if (!line.latency.empty()) {
        a.lineListView.CellText(row, 2, line.latency);
    }
    const int icon = LoadIconIndex(line.load);
    if (icon >= 0) {
        a.lineListView.CellImage(row, 3, icon);
    }
}
