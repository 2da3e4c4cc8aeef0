#include "app/lines/connect_timer.h"

#include "platform/win.h"

namespace {

// Owns one socket.
class Socket {
public:
    Socket()
        : s_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP))
    {
    }
    ~Socket()
    {
        if (s_ != INVALID_SOCKET) {
            ::closesocket(s_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET Get() const { return s_; }

private:
    SOCKET s_;
};

} // namespace

int MeasureConnectTime(const std::string& address, int port, int timeoutMs)
{
    Socket sock;
    if (sock.Get() == INVALID_SOCKET) {
        return -1;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = ::htons(static_cast<u_short>(static_cast<unsigned>(port) % 65536u));
    to.sin_addr.s_addr = ::inet_addr(address.c_str()); // no name resolution: lines are dotted IPv4

    u_long nonBlocking = 1;
    ::ioctlsocket(sock.Get(), FIONBIO, &nonBlocking);

    fd_set readSet;
    fd_set writeSet;
    fd_set errorSet;
    FD_ZERO(&readSet);
    FD_ZERO(&writeSet);
    FD_ZERO(&errorSet);
    FD_SET(sock.Get(), &writeSet);
    timeval wait{timeoutMs / 1000, 0};

    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    // A non-blocking connect reports "would block" while it goes on; any other error is final.
    if (::connect(sock.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == SOCKET_ERROR
        && ::WSAGetLastError() != WSAEWOULDBLOCK) {
        return -1;
    }
    const int ready = ::select(static_cast<int>(sock.Get()), &readSet, &writeSet, &errorSet, &wait);
    if (ready != 1) {
        return -1;
    }
    LARGE_INTEGER end{};
    ::QueryPerformanceCounter(&end);
    return static_cast<int>(RoundedMilliseconds(end.QuadPart - start.QuadPart, frequency.QuadPart));
}
