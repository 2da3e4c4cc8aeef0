// The connected panel: under the success picture and the disconnect button, the time connected,
// the traffic, and the line's latency now and over the last minute; the tray tooltip names the
// line and its latency. The texts change once a second while the window is shown and not while
// it is hidden; a connect probe of the line every 5 s, on a thread of its own, keeps the latency
// and the tooltip current either way. Nothing runs while no connection is up.
#pragma once

#include "platform/win.h"

#include <memory>
#include <string>

#include "app/lines/live_latency.h"
#include "app/lines/traffic_counter.h"
#include "platform/handles.h"
#include "platform/ras_api.h"
#include "ui/text_label.h"
#include "ui/timer.h"

struct ConnectionPanel {
    WTTextLabel connectedText;
    WTTextLabel trafficText;
    WTTextLabel latencyText;
    WTTextLabel latencySummaryText;
    WTTimer secondTimer;

    // UI thread only.
    bool running = false;
    unsigned generation = 0; // of the probe thread whose results count
    ULONGLONG connectedAt = 0; // GetTickCount64
    ras::HRASCONN handle = nullptr;
    std::string lineName;
    std::string tip; // the last tooltip set here; empty: the program's name
    bool measured = false;
    int lastLatencyMs = -1;
    LatencyWindow latencies;
    TrafficCounter sent;
    TrafficCounter received;
    // Set to end the probe thread; shared with it, so it outlives the panel's interest.
    std::shared_ptr<platform::UniqueHandle> stopProbes;
};

inline constexpr int kLiveProbeIntervalMs = 5000;

// Adds the panel's labels to the main window's skin, hidden (main window creation).
void AddConnectionPanel();
// The current connection is up: show its figures and start probing its line. UI thread.
void StartConnectionPanel();
// The result panel leaves or shows a failure: hide the figures, stop every clock and the probes,
// give the tooltip back to the program's name. Does nothing when not running. UI thread.
void StopConnectionPanel();
