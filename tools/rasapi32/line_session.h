// The stand-in's conversation with a line server on its PPTP control port: connect, one
// "LOGIN\t<user>\t<password>\n" line, one answer line, then the session stays open until
// either side closes it. Every wait also ends when the hang-up event is set.
#pragma once

#include "platform/win.h"

#include <string>
#include <string_view>

#include "platform/handles.h"

namespace standin {

enum class SessionResult { Ok, HungUp, Unresolved, Failed, TimedOut, Closed };

class LineSession {
public:
    explicit LineSession(HANDLE hangUpEvent);
    ~LineSession();
    LineSession(const LineSession&) = delete;
    LineSession& operator=(const LineSession&) = delete;

    SessionResult Connect(const std::string& host, unsigned short port, DWORD timeoutMs);
    SessionResult Send(std::string_view bytes, DWORD timeoutMs);
    // One line without its "\r\n" or "\n".
    SessionResult ReadLine(std::string& line, DWORD timeoutMs);
    // Returns Closed when the server ends the session, HungUp when the hang-up event is set.
    SessionResult WaitUntilClosed();

private:
    // Waits for socket activity; `deadline` is a GetTickCount64 value, 0 for none.
    SessionResult Wait(ULONGLONG deadline, WSANETWORKEVENTS* events = nullptr);

    struct SocketTraits {
        using Value = SOCKET;
        static Value Invalid() { return INVALID_SOCKET; }
        static void Close(Value v) { ::closesocket(v); }
    };

    bool started_ = false;
    HANDLE hangUpEvent_;
    platform::UniqueHandle socketEvent_;
    platform::Unique<SocketTraits> socket_;
    std::string received_;
};

} // namespace standin
