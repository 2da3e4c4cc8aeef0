#include "app/shell/connection_panel.h"

#include <array>

#include "app/lines/connect_timer.h"
#include "app/lines/connection_texts.h"
#include "app/lines/latency_probe.h"
#include "app/lines/line_rows.h"
#include "app/shell/app.h"
#include "app/shell/notify_messages.h"
#include "app/shell/tray.h"
#include "app/vpn/vpn_session.h"
#include "platform/thread.h"

namespace {

// Below the disconnect button (top 300, 46 high), clear of the result text at 240 and of the
// corner picture; 96-DPI pixels, scaled with the window like every element.
constexpr int kFirstTop = 360;
constexpr int kRowHeight = 26;
constexpr int kLabelHeight = 24;
constexpr int kWidth = 800;
// A tick lands just past the second of connected time it shows, whatever the timer's grain.
constexpr ULONGLONG kTickSlackMs = 20;
constexpr ULONGLONG kTickDriftMs = 200;

ConnectionPanel& Panel() { return app().connectionPanel; }

std::array<WTTextLabel*, 4> Labels()
{
    ConnectionPanel& p = Panel();
    return {&p.connectedText, &p.trafficText, &p.latencyText, &p.latencySummaryText};
}

// Unchanged texts are not drawn again: most seconds only the time changes.
void SetText(WTTextLabel& label, const std::string& text)
{
    if (label.Text() != text) {
        label.Text(text);
    }
}

void ReadTraffic()
{
    ConnectionPanel& p = Panel();
    // Only the connection the panel shows: a handle hung up meanwhile is not asked about.
    if (!p.handle || app().CurrentConnection.load() != p.handle) {
        return;
    }
    ras::RAS_STATS stats{};
    stats.dwSize = ras::kRasStatsSize;
    if (RasGetConnectionStatistics(p.handle, &stats) == 0) {
        p.sent.Update(stats.dwBytesXmited);
        p.received.Update(stats.dwBytesRcved);
    }
}

void ShowFigures()
{
    ConnectionPanel& p = Panel();
    const ULONGLONG now = ::GetTickCount64();
    ReadTraffic();
    SetText(p.connectedText, ConnectedText((now - p.connectedAt) / 1000));
    SetText(p.trafficText, TrafficText(p.sent.Total(), p.received.Total()));
    SetText(p.latencyText, LatencyNowText(p.measured, p.lastLatencyMs));
    SetText(p.latencySummaryText, LatencySummaryText(p.latencies.Summarise(now)));
}

// The tooltip is the shell's: it is told only of a change (a loopback line often measures the same).
void SetTip(const std::string& text)
{
    ConnectionPanel& p = Panel();
    if (text != p.tip) {
        p.tip = text;
        SetTrayTip(text);
    }
}

void OnSecond();

// Ticks land just after a whole second of connected time. A timer that has drifted out of the
// slack is re-armed for the next second, then runs at 1000 ms again: one SetTimer now and then,
// not one a second.
void ArmSecondTimer()
{
    ConnectionPanel& p = Panel();
    const ULONGLONG phase = (::GetTickCount64() - p.connectedAt) % 1000;
    const bool inStep = phase >= kTickSlackMs && phase < kTickSlackMs + kTickDriftMs;
    const int interval = inStep ? 1000 : static_cast<int>(1000 - phase + kTickSlackMs);
    if (!p.secondTimer.Running()) {
        p.secondTimer.Start(interval, OnSecond);
    } else if (p.secondTimer.Interval() != interval) {
        p.secondTimer.SetInterval(interval);
    }
}

void OnSecond()
{
    ConnectionPanel& p = Panel();
    if (!p.running || !app().mainWindow.Visible()) {
        p.secondTimer.Stop();
        return;
    }
    ShowFigures();
    ArmSecondTimer();
}

void OnShown()
{
    if (Panel().running) {
        ShowFigures();
        ArmSecondTimer();
    }
}

void OnHidden() { Panel().secondTimer.Stop(); }

void OnLiveProbe(unsigned generation, int latencyMs)
{
    ConnectionPanel& p = Panel();
    if (!p.running || generation != p.generation) {
        return;
    }
    p.measured = true;
    p.lastLatencyMs = latencyMs;
    p.latencies.Add(::GetTickCount64(), latencyMs);
    SetTip(LineTipText(p.lineName, true, latencyMs));
    if (app().mainWindow.Visible()) {
        ShowFigures();
    } else {
        ReadTraffic(); // often enough that a 32-bit counter cannot wrap unseen
    }
}

// The session ended without the result panel being told (exit, a new connect, a demanded update).
void OnProbesEnded(unsigned generation)
{
    if (Panel().running && generation == Panel().generation) {
        StopConnectionPanel();
    }
}

struct ProbeTarget {
    std::shared_ptr<VpnSession> session;
    std::shared_ptr<platform::UniqueHandle> stop;
    std::string address;
    int port = 0;
    unsigned generation = 0;
};

// The probe thread: one connect at once and then every 5 s, until the session ends or the panel
// stops. A probe under way (at most its 2 s time-out) finishes first; its result is dropped.
void RunProbes(const ProbeTarget& target)
{
    const HANDLE ends[2] = {target.session->endEvent.Get(), target.stop->Get()};
    ULONGLONG next = ::GetTickCount64();
    for (;;) {
        const int latencyMs = MeasureConnectTime(target.address, target.port, kProbeTimeoutMs);
        if (::WaitForMultipleObjects(2, ends, FALSE, 0) != WAIT_TIMEOUT) {
            break;
        }
        const unsigned generation = target.generation;
        PostToUiThread([generation, latencyMs] { OnLiveProbe(generation, latencyMs); });
        const ULONGLONG now = ::GetTickCount64();
        next = next + kLiveProbeIntervalMs > now ? next + kLiveProbeIntervalMs : now;
        if (::WaitForMultipleObjects(2, ends, FALSE, static_cast<DWORD>(next - now)) != WAIT_TIMEOUT) {
            break;
        }
    }
    const unsigned generation = target.generation;
    PostToUiThread([generation] { OnProbesEnded(generation); });
}

} // namespace

void AddConnectionPanel()
{
    App& a = app();
    WTFontRecord font;
    font.face = "微软雅黑";
    font.size = 11;
    int top = kFirstTop;
    for (WTTextLabel* label : Labels()) {
        label->Initialise("", 0, top, kWidth, kLabelHeight);
        label->Font(font, false);
        label->TextColor(0xFFFFFFFF, false);
        label->Visible(false, false);
        a.mainSkin.AddElement(*label);
        top += kRowHeight;
    }
    a.mainWindow.onShown = OnShown;
    a.mainWindow.onHidden = OnHidden;
}

void StartConnectionPanel()
{
    StopConnectionPanel();
    App& a = app();
    ProbeTarget target;
    target.session = CurrentSession();
    if (!target.session || !a.CurrentConnection.load()) {
        return;
    }
    ConnectionPanel& p = Panel();
    {
        std::lock_guard<platform::CriticalSection> lock(a.listLock);
        const int index = a.currentLine.load();
        if (index < 1 || index > static_cast<int>(a.lineList.size())) {
            return;
        }
        const Line& line = a.lineList[static_cast<size_t>(index) - 1];
        target.address = line.address;
        target.port = LeadingNumber(line.probePort);
        p.lineName = line.name;
    }
    target.stop = std::make_shared<platform::UniqueHandle>(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!*target.stop) {
        return;
    }
    p.running = true;
    target.generation = ++p.generation;
    p.stopProbes = target.stop;
    p.connectedAt = ::GetTickCount64();
    p.handle = a.CurrentConnection.load();
    p.measured = false;
    p.lastLatencyMs = -1;
    p.latencies.Clear();
    p.sent = TrafficCounter{};
    p.received = TrafficCounter{};
    platform::StartDetachedThread([target] { RunProbes(target); });
    SetTip(LineTipText(p.lineName, false, 0));
    for (WTTextLabel* label : Labels()) {
        label->Visible(true);
    }
    if (a.mainWindow.Visible()) {
        OnShown();
    }
}

void StopConnectionPanel()
{
    ConnectionPanel& p = Panel();
    if (!p.running) {
        return;
    }
    p.running = false;
    ++p.generation;
    ::SetEvent(p.stopProbes->Get());
    p.stopProbes.reset();
    p.secondTimer.Stop();
    p.handle = nullptr;
    for (WTTextLabel* label : Labels()) {
        label->Visible(false);
    }
    SetTip("");
}
