// Shared by the VPN connection tests: the App with a hooked notifyLabel that records the dial's
// messages, the demo service's lines, files in temporary folders, and the stand-in's enumeration.
#pragma once

#include "tests/win/test_files.h"
#include "platform/win.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/shell/app.h"
#include "app/vpn/connect.h"
#include "app/vpn/connection_log.h"
#include "app/vpn/reports.h"
#include "platform/handles.h"
#include "platform/ras_api.h"
#include "platform/thread.h"
#include "tests/win/ras_ledger.h"
#include "tests/win/service_control.h"
#include "tests/win/ui_test_support.h"
#include "app/shell/messages.h"

namespace vpntest {

using TempDir = ::TempDir;

// Lines of tools/demo_service/demo.json, whose PPTP listeners the demo service runs.
inline Line AcceptingLine() { return {"华东电信一区", "127.0.0.11", "18701", "hd01", "hd01pass", "", "流畅"}; }
inline Line SecondAcceptingLine() { return {"华南联通", "127.0.0.12", "18702", "hn02", "hn02pass", "", "拥挤"}; }
inline Line RejectingLine() { return {"香港专线", "127.0.0.14", "18704", "hk04", "hk04pass", "", "爆满"}; }
// Nothing listens here.
inline Line UnreachableLine() { return {"无人线路", "127.0.0.99", "18799", "nn99", "nn99pass", "", "流畅"}; }

using ::FileText;

// What the connection log's system line must say: a 64-bit process runs only on a 64-bit system,
// a 32-bit one under WOW64 exactly there.
inline bool SystemIs64Bit()
{
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64);
}

inline bool FileExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool FileExists(const std::string& path) { return FileExists(platform::Widen(path)); }

// The system's text for a RAS error, asked for with a roomy buffer.
inline std::string SystemErrorText(DWORD error)
{
    char text[512] = {};
    RasGetErrorStringA(error, text, sizeof text);
    return text;
}

// The connections RAS reports as dialling or connected.
inline std::vector<ras::RASCONNA> LiveConnections()
{
    std::vector<ras::RASCONNA> records(64);
    for (ras::RASCONNA& r : records) {
        r.dwSize = ras::kRasConnSize;
    }
    DWORD size = static_cast<DWORD>(records.size()) * ras::kRasConnSize;
    DWORD count = 0;
    if (RasEnumConnectionsA(records.data(), &size, &count) != 0) {
        count = 0;
    }
    records.resize(count);
    return records;
}

inline int CountConnectionsOf(const std::string& entryName)
{
    int n = 0;
    for (const ras::RASCONNA& r : LiveConnections()) {
        n += entryName == r.szEntryName;
    }
    return n;
}

// The results of the logins the demo service's line at that address has seen, in order.
inline std::vector<std::string> PptpResults(const std::string& address)
{
    std::vector<std::string> results;
    for (const service_control::Event& event : service_control::Requests()) {
        if (event.Get("kind") == "pptp" && event.Get("address") == address) {
            results.push_back(event.Get("result"));
        }
    }
    return results;
}

// What notifyLabel saw of one message, taken when it arrived.
struct Seen {
    UINT message = 0;
    WPARAM wParam = 0;
    bool connectionSet = false; // CurrentConnection was non-zero
    std::string status; // LastStatusText
    ras::HRASCONN connection = nullptr; // CurrentConnection
};

inline ras::HRASCONN FakeHandle(std::uintptr_t value) { return reinterpret_cast<ras::HRASCONN>(value); }

// The App with a hidden main window and a notifyLabel whose dial messages are recorded.
class VpnAppFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        oleStarted_ = true;
        CreateApp();
        App& a = app();
        ASSERT_NE(uitest::CreateHost(a.mainWindow, 200, 100, false), nullptr);
        ASSERT_TRUE(a.notifyLabel.Create(a.mainWindow.Handle(), "标签", SS_NOTIFY, 0, 0));
        a.notifyLabel.Visible(false);
        WTWindow::SetMessageHook(a.notifyLabel.Handle(), [this](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
            if (message == msg::MsgVpnConnected || message == msg::MsgVpnDisconnected
                || message == msg::MsgVpnDialFailed || message == msg::MsgVpnReconnecting) {
                const ras::HRASCONN current = app().CurrentConnection.load();
                seen_.push_back({message, wParam, current != nullptr, LastStatus(), current});
                if (onMessage_) {
                    onMessage_(message);
                }
            }
            return 0;
        });
    }

    void TearDown() override
    {
        if (!oleStarted_) {
            return;
        }
        HangUp();
        // The connect threads end with their sessions (their last report goes out first).
        uitest::PollUntil([] { return platform::LiveThreadCount() == 0; }, 15000);
        HangUpOwnConnections();
        App& a = app();
        a.CurrentConnection = nullptr;
        EXPECT_EQ(ledger::Take(), std::vector<std::string>{}) << "RAS misused";
        WTWindow::RemoveMessageHook(a.notifyLabel.Handle());
        if (a.mainWindow.IsWindow()) {
            ::DestroyWindow(a.mainWindow.Handle());
        }
        ReleaseApp();
        ::OleUninitialize();
        // The program's own files beside the test program: leave none behind for the next run.
        for (const std::wstring& path : {LogPath(), PhonebookPath(), PhonebookPath() + L".cred"}) {
            ::DeleteFileW(path.c_str());
        }
    }

    static void SetLines(LineList lines)
    {
        std::lock_guard<platform::CriticalSection> hold(app().listLock);
        app().lineList = std::move(lines);
    }

    static std::string LastStatus()
    {
        std::lock_guard<std::mutex> hold(app().statusLock);
        return app().LastStatusText;
    }

    static void SetLastStatus(const std::string& text)
    {
        std::lock_guard<std::mutex> hold(app().statusLock);
        app().LastStatusText = text;
    }

    // Runs the body on a worker while this thread pumps the messages the worker sends it.
    static bool RunOnWorker(std::function<void()> body, DWORD timeoutMs = 20000)
    {
        platform::UniqueHandle thread = platform::StartThread(std::move(body));
        return thread
            && uitest::PollUntil([&] { return ::WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0; }, timeoutMs);
    }

    // Starts ConnectLine on its own thread, as the program does, and pumps until the dial's outcome
    // reached notifyLabel. The thread goes on with the connection's reports until it is hung up.
    bool Connect(int lineIndex, DWORD timeoutMs = 20000)
    {
        seen_.clear();
        return platform::StartDetachedThread([lineIndex] { ConnectLine(lineIndex); }) && WaitForOutcome(timeoutMs);
    }

    // Pumps until a dial outcome arrived.
    bool WaitForOutcome(DWORD timeoutMs = 20000)
    {
        return uitest::PollUntil([this] { return !seen_.empty(); }, timeoutMs);
    }

    std::vector<UINT> Messages() const
    {
        std::vector<UINT> messages;
        for (const Seen& s : seen_) {
            messages.push_back(s.message);
        }
        return messages;
    }

    std::vector<Seen> seen_;
    // Runs on the UI thread after a dial message is recorded.
    std::function<void(UINT)> onMessage_;

private:
    bool oleStarted_ = false;
};

} // namespace vpntest
