// The process's connections, from RasDialA until RasHangUpA has released the port.
#pragma once

#include "platform/win.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/ras_api.h"

namespace standin {

// Windows needs a moment after RasHangUpA before the port can be dialled again.
inline constexpr ULONGLONG kPortReleaseMs = 1000;

struct Connection {
    ras::HRASCONN handle = nullptr;
    std::string entryKey; // phonebook and entry name: dials of the same entry share a port
    std::string entryName;
    std::string deviceType;
    std::string deviceName;
    // Dialling or connected. Written by the dial worker and RasHangUpA, read by RasEnumConnectionsA.
    std::atomic<bool> live{true};
    // Set once by RasHangUpA; the worker sends no notification after it.
    std::atomic<bool> hungUp{false};
    // What RasGetConnectStatusA answers: the last state and its error.
    std::atomic<int> state{ras::RASCS_OpenPort};
    std::atomic<DWORD> error{0};
    // GetTickCount64 when the dial reached Connected; 0 before. Its statistics count from then.
    std::atomic<ULONGLONG> connectedAt{0};
    // Manual-reset event RasHangUpA sets to wake the worker's waits.
    platform::UniqueHandle hangUpEvent;
    // The thread that called RasDialA: it must live until the dial's outcome; with APC delivery
    // the notifications are made on it.
    platform::UniqueHandle callerThread;
};

// Registers a new connection and gives it its handle; empty when no event could be made.
std::shared_ptr<Connection> AddConnection(
    std::string entryKey, std::string entryName, std::string deviceType, std::string deviceName);

// The connection of that handle, also while its port is being released; empty once released.
std::shared_ptr<Connection> FindConnection(ras::HRASCONN handle);

// Forgets a connection whose dial could not start.
void RemoveConnection(ras::HRASCONN handle);

// RasHangUpA: starts the release of the port; an unknown handle is a misuse.
DWORD HangUpConnection(ras::HRASCONN handle);

// The connections still dialling or connected, oldest first.
std::vector<std::shared_ptr<Connection>> LiveConnections();

enum class EntryUse { Free, Live, NotHungUp, Releasing };
// How the entry's port is taken by earlier dials.
EntryUse UseOfEntry(const std::string& entryKey);

// A live connection ended by the other side: it leaves the enumeration and the events registered
// for its disconnection are signalled. The notifier hears nothing of it.
void DropConnection(Connection& c, DWORD error);

// RasConnectionNotificationA with RASCN_Disconnection; INVALID_HANDLE_VALUE stands for every
// connection. The event is duplicated, as the service keeps its own reference.
DWORD RegisterDisconnection(ras::HRASCONN handle, HANDLE event);

// Connected notifications made, and hang-ups of connections that were connected at the time
// (benchmarks compare them with the reports the program sent).
void CountConnected();

// For the process's end: one text per handle never hung up. Reads without the lock.
std::vector<std::string> HandlesNeverHungUp();

} // namespace standin
