// The application's process-wide objects, created once before the first window
// and released when the process ends, in the order they are declared here.
#pragma once

#include "platform/win.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

#include "app/lines/line.h"
#include "app/lines/line_list_fetches.h"
#include "app/lines/line_list_key.h"
#include "app/shell/connection_panel.h"
#include "platform/critical_section.h"
#include "platform/handles.h"
#include "platform/ras_api.h"
#include "ui/button.h"
#include "ui/image_box.h"
#include "ui/label.h"
#include "ui/list_view.h"
#include "ui/menu.h"
#include "ui/skin_window.h"
#include "ui/text_label.h"
#include "ui/theme.h"
#include "ui/thread_pool.h"
#include "ui/timer.h"
#include "ui/web_browser.h"
#include "ui/window.h"

// What the notice file said; written once by the notice check, read by the UI thread.
struct NoticeValues {
    int noticeInterval = 0; // milliseconds between re-showings of the pop-up, 0 = once
    std::string noticePageUrl;
    std::string popupUrl;
    std::string noticeMessage;
    std::string noticeLinkText;
    std::string noticeLinkUrl;
    std::string downloadUrl;
};

struct App {
    WTTheme theme;
    WSADATA wsaData{};
    WTWindow mainWindow;
    platform::UniqueHandle instanceEvent;
    LineListKey lineListKey;
    WTMenu trayMenu;
    WTWindow popupWindow;
    WTSkinWindow mainSkin;
    WTThreadPool threadPool;
    WTLabel notifyLabel;
    // Calls other threads queued for the UI thread; notifyLabel runs them one per MsgUiCall.
    std::mutex uiCallsLock; // guards uiCalls
    std::deque<std::function<void()>> uiCalls;
    WTImageList loadImages;
    // Guards lineList and the rows of lineListView. Only the UI thread touches the
    // view; workers change lineList under this lock and post the view update.
    platform::CriticalSection listLock;
    WTListView lineListView;

    // The main window's drawn elements, in the order they are added to mainSkin.
    WTImageBox logoImage;
    WTButton noticeCloseButton;
    WTButton noticeLinkButton;
    WTTextLabel noticeText;
    WTImageBox cornerImage;
    WTImageBox newVersionImage;
    WTButton downloadButton;
    WTButton closeButton;
    WTButton minimizeButton;
    WTButton oneClickButton;
    WTButton customButton;
    WTTextLabel versionText;
    WTButton websiteButton;
    WTButton forumButton;
    WTButton returnButton;
    WTTextLabel selectionText;
    WTTextLabel resultText;
    WTTextLabel statusText;
    WTButton accelerateButton;
    WTButton refreshListButton;
    WTButton refreshSpeedButton;
    WTImageBox resultImage;
    WTButton disconnectButton;
    WTButton backButton;
    // Added after them: the connected panel's texts, and its clock and probes.
    ConnectionPanel connectionPanel;

    std::vector<std::string> fontNames;
    LineList lineList; // guarded by listLock
    WTTimer showTimer;
    WTTimer riseTimer;
    WTTimer countdownTimer;
    WTWindow confirmWindow;
    WTSkinWindow confirmSkin;
    WTWebBrowser popupBrowser;
    WTLabel countdownLabel;
    WTTextLabel confirmText;
    WTButton confirmExitButton;
    WTButton confirmCancelButton;

    // Connection state shared with the dial notifier, the reports and the stop worker.
    std::atomic<ras::HRASCONN> CurrentConnection{nullptr};
    std::mutex statusLock; // guards LastStatusText
    std::string LastStatusText;
    std::atomic<int> currentLine{0};
    // The tray's switch "断线自动重连": written by the UI thread, read by connect threads at a drop.
    std::atomic<bool> autoReconnect{true};

    // UI thread only.
    bool isExiting = false;
    bool exitConfirmed = false;
    int popupSeconds = 0;
    int taskbarHeight = 0;
    bool reconnectNoticeShown = false; // the tray's tooltip tells of a redial
    platform::UniqueFont listFont;

    std::mutex noticeLock; // guards notice
    NoticeValues notice;

    // The watcher of the running speed test; cancelled by a stop request, never killed.
    std::stop_source speedTestCancel{std::nostopstate};
    platform::UniqueHandle speedTestWatcher;
    platform::UniqueHandle listFetchThread;
    LineListFetches lineFetches; // UI thread only
    // The latest connect thread (UI thread only): a stop waits for it to have started its dial.
    platform::UniqueHandle connectThread;
};

// The one instance; valid between CreateApp and ReleaseApp.
App& app();
void CreateApp();
void ReleaseApp();
