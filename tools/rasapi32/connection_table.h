// The process's connections, from RasDialA until RasHangUpA.
#pragma once

#include "platform/win.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/ras_api.h"

namespace standin {

struct Connection {
    ras::HRASCONN handle = nullptr;
    std::string entryName;
    std::string deviceType;
    std::string deviceName;
    // Dialling or connected. Written by the dial worker and RasHangUpA, read by RasEnumConnectionsA.
    std::atomic<bool> live{true};
    // Set once by RasHangUpA; the worker sends no notification after it.
    std::atomic<bool> hungUp{false};
    // Manual-reset event RasHangUpA sets to wake the worker's waits.
    platform::UniqueHandle hangUpEvent;
};

// Registers a new connection and gives it its handle; empty when no event could be made.
std::shared_ptr<Connection> AddConnection(std::string entryName, std::string deviceType, std::string deviceName);

// Removes the connection from the table and hands it to the caller; empty for an unknown handle.
std::shared_ptr<Connection> TakeConnection(ras::HRASCONN handle);

// The connections still dialling or connected, oldest first.
std::vector<std::shared_ptr<Connection>> LiveConnections();

} // namespace standin
