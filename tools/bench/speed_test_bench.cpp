// Speed-test benchmark: N lines, half answering on loopback and half silent, measured
// through the real worker pool and watcher. Prints wall time, the ideal time (every
// silent line costs one worker 3 x 2 s, five workers share them) and their ratio.
#include "platform/win.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "app/lines/speed_test.h"
#include "app/shell/app.h"
#include "app/shell/notify_messages.h"

namespace {

constexpr int kWorkers = 5;
constexpr double kSilentLineSeconds = 3 * 2.0;

// Loopback listeners the answering lines point at; the silent lines get closed ports.
class Listeners {
public:
    int Open()
    {
        SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = ::inet_addr("127.0.0.1");
        int len = sizeof(a);
        if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 || ::listen(s, SOMAXCONN) != 0
            || ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
            ::closesocket(s);
            return 0;
        }
        sockets_.push_back(s);
        return ::ntohs(a.sin_port);
    }
    int ClosedPort()
    {
        const int port = Open();
        if (port != 0) {
            ::closesocket(sockets_.back());
            sockets_.pop_back();
        }
        return port;
    }
    ~Listeners()
    {
        for (SOCKET s : sockets_) {
            ::closesocket(s);
        }
    }

private:
    std::vector<SOCKET> sockets_;
};

double RunOnce(int lines)
{
    App& a = app();
    Listeners listeners;
    const int silent = lines / 2;
    {
        std::lock_guard<platform::CriticalSection> lock(a.listLock);
        a.lineList.clear();
        for (int i = 0; i < lines; ++i) {
            const int port = i < silent ? listeners.ClosedPort() : listeners.Open();
            if (port == 0) {
                std::printf("lines %3d: no loopback port to listen on\n", lines);
                return -1;
            }
            a.lineList.push_back(Line{"line", "127.0.0.1", std::to_string(port), "u", "p", "", ""});
        }
    }
    a.statusText.Text("");
    const DWORD start = ::GetTickCount();
    StartSpeedTest(false);
    // The end arrives as a sent message, handled inside the wait: poll rather than block in GetMessage.
    while (a.statusText.Text() != "状态：测速完成！") {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    const double wall = (::GetTickCount() - start) / 1000.0;
    const double ideal = std::ceil(silent / static_cast<double>(kWorkers)) * kSilentLineSeconds;
    std::printf("lines %3d  silent %3d  wall %7.2f s  ideal %6.2f s  ratio %5.3f\n", lines, silent, wall, ideal,
        ideal > 0 ? wall / ideal : 0.0);
    (void)std::fflush(stdout); // a failed flush only delays the line
    return wall;
}

} // namespace

int main()
{
    WSADATA wsa;
    ::WSAStartup(0x0002, &wsa);
    CreateApp();
    App& a = app();
    WTWindow::CreateOptions options;
    options.visible = false;
    a.mainWindow.CreateAndRun(options);
    a.notifyLabel.Create(a.mainWindow.Handle(), "标签", SS_NOTIFY, 0, 0);
    WTWindow::SetMessageHook(a.notifyLabel.Handle(), OnNotifyMessage);
    a.threadPool.Start(kWorkers, 10);
    for (int lines : {5, 20, 50}) {
        RunOnce(lines);
    }
    a.threadPool.Stop(0);
    ::DestroyWindow(a.mainWindow.Handle());
    ReleaseApp();
    return 0;
}
