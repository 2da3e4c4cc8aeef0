#include "line_session.h"

#include <cstring>

namespace standin {
namespace {

constexpr size_t kMaxLine = 4096;

ULONGLONG DeadlineAfter(DWORD timeoutMs) { return ::GetTickCount64() + timeoutMs; }

} // namespace

LineSession::LineSession(HANDLE hangUpEvent)
    : hangUpEvent_(hangUpEvent)
{
    WSADATA data;
    started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    socketEvent_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

LineSession::~LineSession()
{
    socket_.Reset();
    if (started_) {
        ::WSACleanup();
    }
}

SessionResult LineSession::Wait(ULONGLONG deadline, WSANETWORKEVENTS* events)
{
    DWORD timeout = INFINITE;
    if (deadline != 0) {
        const ULONGLONG now = ::GetTickCount64();
        timeout = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    }
    const HANDLE handles[2] = {hangUpEvent_, socketEvent_.Get()};
    switch (::WaitForMultipleObjects(2, handles, FALSE, timeout)) {
    case WAIT_OBJECT_0:
        return SessionResult::HungUp;
    case WAIT_OBJECT_0 + 1: {
        WSANETWORKEVENTS seen{};
        if (::WSAEnumNetworkEvents(socket_.Get(), socketEvent_.Get(), &seen) != 0) {
            return SessionResult::Failed;
        }
        if (events) {
            *events = seen;
        }
        return SessionResult::Ok;
    }
    case WAIT_TIMEOUT:
        return SessionResult::TimedOut;
    default:
        return SessionResult::Failed;
    }
}

SessionResult LineSession::Connect(const std::string& host, unsigned short port, DWORD timeoutMs)
{
    if (!started_ || !socketEvent_) {
        return SessionResult::Failed;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        return SessionResult::Unresolved;
    }
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    ::freeaddrinfo(found);
    address.sin_port = ::htons(port);

    socket_.Reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket_
        || ::WSAEventSelect(socket_.Get(), socketEvent_.Get(), FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0) {
        return SessionResult::Failed;
    }
    if (::connect(socket_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return SessionResult::Ok;
    }
    if (::WSAGetLastError() != WSAEWOULDBLOCK) {
        return SessionResult::Failed;
    }
    const ULONGLONG deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        WSANETWORKEVENTS events{};
        const SessionResult waited = Wait(deadline, &events);
        if (waited != SessionResult::Ok) {
            return waited;
        }
        if (events.lNetworkEvents & FD_CONNECT) {
            return events.iErrorCode[FD_CONNECT_BIT] == 0 ? SessionResult::Ok : SessionResult::Failed;
        }
    }
}

SessionResult LineSession::Send(std::string_view bytes, DWORD timeoutMs)
{
    const ULONGLONG deadline = DeadlineAfter(timeoutMs);
    while (!bytes.empty()) {
        const int sent = ::send(socket_.Get(), bytes.data(), static_cast<int>(bytes.size()), 0);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        if (::WSAGetLastError() != WSAEWOULDBLOCK) {
            return SessionResult::Closed;
        }
        const SessionResult waited = Wait(deadline);
        if (waited != SessionResult::Ok) {
            return waited;
        }
    }
    return SessionResult::Ok;
}

SessionResult LineSession::ReadLine(std::string& line, DWORD timeoutMs)
{
    const ULONGLONG deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        const size_t end = received_.find('\n');
        if (end != std::string::npos) {
            line = received_.substr(0, end);
            received_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return SessionResult::Ok;
        }
        if (received_.size() > kMaxLine) {
            return SessionResult::Failed;
        }
        char buffer[512];
        const int got = ::recv(socket_.Get(), buffer, sizeof buffer, 0);
        if (got > 0) {
            received_.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK) {
            return SessionResult::Closed;
        }
        const SessionResult waited = Wait(deadline);
        if (waited != SessionResult::Ok) {
            return waited;
        }
    }
}

SessionResult LineSession::WaitUntilClosed()
{
    for (;;) {
        char buffer[512];
        const int got = ::recv(socket_.Get(), buffer, sizeof buffer, 0);
        if (got > 0) {
            continue; // the server has nothing more to say to a dialler; whatever comes is dropped
        }
        if (got == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK) {
            return SessionResult::Closed;
        }
        const SessionResult waited = Wait(0);
        if (waited != SessionResult::Ok) {
            return waited;
        }
    }
}

} // namespace standin
