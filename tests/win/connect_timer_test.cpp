// Latency measurement against real loopback sockets.
#include "platform/win.h"

#include <gtest/gtest.h>

#include "app/lines/connect_timer.h"

namespace {

// A listening socket on 127.0.0.1 with a system-chosen port.
class Listener {
public:
    Listener()
    {
        s_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = ::inet_addr("127.0.0.1");
        ::bind(s_, reinterpret_cast<sockaddr*>(&a), sizeof(a));
        ::listen(s_, 8);
        int len = sizeof(a);
        ::getsockname(s_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ::ntohs(a.sin_port);
    }
    ~Listener() { Close(); }
    void Close()
    {
        if (s_ != INVALID_SOCKET) {
            ::closesocket(s_);
            s_ = INVALID_SOCKET;
        }
    }
    int Port() const { return port_; }

private:
    SOCKET s_ = INVALID_SOCKET;
    int port_ = 0;
};

TEST(ConnectTimer, AListenerOnLoopbackGivesAMeasuredTime)
{
    Listener listener;
    const int ms = MeasureConnectTime("127.0.0.1", listener.Port(), 2000);
    EXPECT_GE(ms, 0);
    EXPECT_LT(ms, 1000);
}

TEST(ConnectTimer, AClosedPortWaitsOutTheTimeOutInsteadOfFailingAtOnce)
{
    Listener listener;
    const int port = listener.Port();
    listener.Close();
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(MeasureConnectTime("127.0.0.1", port, 1000), -1);
    EXPECT_GE(::GetTickCount() - start, 900u);
}

TEST(ConnectTimer, ABadAddressIsAFailedAttemptNotACrash)
{
    EXPECT_EQ(MeasureConnectTime("not-an-address", 80, 1000), -1);
    EXPECT_EQ(MeasureConnectTime("", 80, 1000), -1);
}

TEST(ConnectTimer, ThePortIsTakenModulo65536)
{
    Listener listener;
    EXPECT_GE(MeasureConnectTime("127.0.0.1", listener.Port() + 65536, 2000), 0);
}

} // namespace
