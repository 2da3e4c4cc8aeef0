#include "connection_table.h"

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/critical_section.h"
#include "struct_fields.h"

namespace standin {
namespace {

struct Table {
    platform::CriticalSection tableLock; // guards everything below
    std::map<std::uintptr_t, std::shared_ptr<Connection>> connections;
    std::uintptr_t lastHandle = 0x5300;
};

Table& Connections()
{
    static auto* table = new Table; // kept to process end: dial workers may outlive static destructors
    return *table;
}

} // namespace

std::shared_ptr<Connection> AddConnection(std::string entryName, std::string deviceType, std::string deviceName)
{
    auto c = std::make_shared<Connection>();
    c->hangUpEvent.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!c->hangUpEvent) {
        return nullptr;
    }
    c->entryName = std::move(entryName);
    c->deviceType = std::move(deviceType);
    c->deviceName = std::move(deviceName);
    Table& t = Connections();
    std::lock_guard<platform::CriticalSection> hold(t.tableLock);
    t.lastHandle += 4;
    c->handle = reinterpret_cast<ras::HRASCONN>(t.lastHandle);
    t.connections[t.lastHandle] = c;
    return c;
}

std::shared_ptr<Connection> TakeConnection(ras::HRASCONN handle)
{
    Table& t = Connections();
    std::lock_guard<platform::CriticalSection> hold(t.tableLock);
    const auto it = t.connections.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.connections.end()) {
        return nullptr;
    }
    std::shared_ptr<Connection> c = std::move(it->second);
    t.connections.erase(it);
    return c;
}

std::vector<std::shared_ptr<Connection>> LiveConnections()
{
    Table& t = Connections();
    std::lock_guard<platform::CriticalSection> hold(t.tableLock);
    std::vector<std::shared_ptr<Connection>> live;
    for (const auto& [handle, c] : t.connections) {
        if (c->live && !c->hungUp) {
            live.push_back(c);
        }
    }
    return live;
}

namespace {

DWORD EnumConnections(ras::RASCONNA* connections, LPDWORD bufferSize, LPDWORD count)
{
    if (!bufferSize || !count) {
        return ERROR_INVALID_PARAMETER;
    }
    if (connections && connections->dwSize != ras::kRasConnSize) {
        return ras::kErrorInvalidSize;
    }
    const auto live = LiveConnections();
    const DWORD needed = static_cast<DWORD>(live.size()) * ras::kRasConnSize;
    // Nothing is written when the records do not fit, and the count says so: a caller that
    // ignores the result then walks no records it does not have.
    if (needed > 0 && (!connections || *bufferSize < needed)) {
        *bufferSize = needed;
        *count = 0;
        return ras::kErrorBufferTooSmall;
    }
    for (size_t i = 0; i < live.size(); ++i) {
        ras::RASCONNA& record = connections[i];
        record = ras::RASCONNA{};
        record.dwSize = ras::kRasConnSize;
        record.hrasconn = live[i]->handle;
        CopyField(record.szEntryName, live[i]->entryName);
        CopyField(record.szDeviceType, live[i]->deviceType);
        CopyField(record.szDeviceName, live[i]->deviceName);
    }
    *bufferSize = needed;
    *count = static_cast<DWORD>(live.size());
    return 0;
}

} // namespace
} // namespace standin

extern "C" DWORD WINAPI RasEnumConnectionsA(ras::RASCONNA* connections, LPDWORD bufferSize, LPDWORD count)
{
    return standin::NoThrow([&] { return standin::EnumConnections(connections, bufferSize, count); });
}

extern "C" DWORD WINAPI RasHangUpA(ras::HRASCONN connection)
{
    const std::shared_ptr<standin::Connection> c = standin::TakeConnection(connection);
    if (!c) {
        return ERROR_INVALID_HANDLE;
    }
    // The teardown goes on in the worker; waiting here could block a caller whose thread the
    // worker's notifier is waiting on.
    c->hungUp = true;
    c->live = false;
    ::SetEvent(c->hangUpEvent.Get());
    return 0;
}
