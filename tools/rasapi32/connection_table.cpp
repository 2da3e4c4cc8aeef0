#include "connection_table.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>

#include "ledger.h"
#include "platform/critical_section.h"
#include "struct_fields.h"

namespace standin {
namespace {

struct Registration {
    std::uintptr_t handle; // 0: every connection
    platform::UniqueHandle event;
};

struct Table {
    platform::CriticalSection tableLock; // guards everything below
    std::map<std::uintptr_t, std::shared_ptr<Connection>> connections;
    std::map<std::uintptr_t, ULONGLONG> releaseDone; // hung-up handles: when their port is free
    std::vector<Registration> registrations;
    std::uintptr_t lastHandle = 0x5300;
};

std::atomic<DWORD> connectedCount{0};
std::atomic<DWORD> hungUpConnectedCount{0};

Table& Connections()
{
    static auto* table = new Table; // kept to process end: dial workers may outlive static destructors
    return *table;
}

std::uintptr_t Key(ras::HRASCONN handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// Drops the connections whose port has been released. Called with the lock held.
void ForgetReleased(Table& t)
{
    const ULONGLONG now = ::GetTickCount64();
    for (auto it = t.releaseDone.begin(); it != t.releaseDone.end();) {
        if (now >= it->second) {
            t.connections.erase(it->first);
            std::erase_if(t.registrations, [&](const Registration& r) { return r.handle == it->first; });
            it = t.releaseDone.erase(it);
        } else {
            ++it;
        }
    }
}

// Signals the disconnection events of the connection. Called with the lock held.
void SignalDisconnection(Table& t, std::uintptr_t handle)
{
    for (const Registration& r : t.registrations) {
        if (r.handle == handle || r.handle == 0) {
            ::SetEvent(r.event.Get());
        }
    }
}

std::string HandleText(std::uintptr_t handle)
{
    char text[32];
    if (std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(handle)) < 0) {
        return {};
    }
    return text;
}

} // namespace

std::shared_ptr<Connection> AddConnection(
    std::string entryKey, std::string entryName, std::string deviceType, std::string deviceName)
{
    auto c = std::make_shared<Connection>();
    c->hangUpEvent.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!c->hangUpEvent) {
        return nullptr;
    }
    c->entryKey = std::move(entryKey);
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

std::shared_ptr<Connection> FindConnection(ras::HRASCONN handle)
{
    Table& t = Connections();
    std::lock_guard<platform::CriticalSection> hold(t.tableLock);
    ForgetReleased(t);
    const auto it = t.connections.find(Key(handle));
    return it == t.connections.end() ? nullptr : it->second;
}

void RemoveConnection(ras::HRASCONN handle)
{
    Table& t = Connections();
    std::lock_guard<platform::CriticalSection> hold(t.tableLock);
    t.connections.erase(Key(handle));
}

DWORD HangUpConnection(ras::HRASCONN handle)
{
    Table& t = Connections();
    std::shared_ptr<Connection> c;
    {
        std::lock_guard<platform::CriticalSection> hold(t.tableLock);
        ForgetReleased(t);
        const auto it = t.connections.find(Key(handle));
        if (it != t.connections.end() && !it->second->hungUp) {
            c = it->second;
            if (c->live && c->state == ras::RASCS_Connected) {
                ++hungUpConnectedCount;
            }
            c->hungUp = true;
            c->live = false;
            c->state = ras::RASCS_Disconnected;
            c->error = 0;
            t.releaseDone[Key(handle)] = ::GetTickCount64() + kPortReleaseMs;
            SignalDisconnection(t, Key(handle));
        }
    }
    if (!c) {
        RecordMisuse("RasHangUp of an unknown or already hung-up handle " + HandleText(Key(handle)));
        return ERROR_INVALID_HANDLE;
    }
    // The teardown goes on in the worker; waiting here could block a caller whose thread the
    // worker's notifier is waiting on.
    ::SetEvent(c->hangUpEvent.Get());
    return 0;
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

EntryUse UseOfEntry(const std::string& entryKey)
{
    Table& t = Connections();
    std::lock_guard<platform::CriticalSection> hold(t.tableLock);
    ForgetReleased(t);
    EntryUse use = EntryUse::Free;
    for (const auto& [handle, c] : t.connections) {
        if (c->entryKey != entryKey) {
            continue;
        }
        if (c->hungUp) {
            use = use == EntryUse::Free ? EntryUse::Releasing : use;
        } else if (c->live) {
            return EntryUse::Live;
        } else {
            use = EntryUse::NotHungUp;
        }
    }
    return use;
}

void DropConnection(Connection& c, DWORD error)
{
    Table& t = Connections();
    std::lock_guard<platform::CriticalSection> hold(t.tableLock);
    if (c.hungUp || !c.live) {
        return;
    }
    c.live = false;
    c.state = ras::RASCS_Disconnected;
    c.error = error;
    SignalDisconnection(t, Key(c.handle));
}

DWORD RegisterDisconnection(ras::HRASCONN handle, HANDLE event)
{
    HANDLE own = nullptr;
    if (!event
        || !::DuplicateHandle(
            ::GetCurrentProcess(), event, ::GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return ERROR_INVALID_PARAMETER;
    }
    platform::UniqueHandle copy(own);
    Table& t = Connections();
    std::lock_guard<platform::CriticalSection> hold(t.tableLock);
    ForgetReleased(t);
    if (handle == reinterpret_cast<ras::HRASCONN>(INVALID_HANDLE_VALUE)) {
        t.registrations.push_back({0, std::move(copy)});
        return 0;
    }
    const auto it = t.connections.find(Key(handle));
    if (it == t.connections.end()) {
        return ERROR_INVALID_HANDLE;
    }
    // A connection already gone is announced at once.
    if (it->second->hungUp || !it->second->live) {
        ::SetEvent(copy.Get());
    }
    t.registrations.push_back({Key(handle), std::move(copy)});
    return 0;
}

void CountConnected() { ++connectedCount; }

std::vector<std::string> HandlesNeverHungUp()
{
    std::vector<std::string> texts;
    for (const auto& [handle, c] : Connections().connections) {
        if (!c->hungUp) {
            texts.push_back("handle " + HandleText(handle) + " of \"" + c->entryName + "\" never hung up");
        }
    }
    return texts;
}

} // namespace standin

namespace standin {
namespace {

template <typename Char> DWORD EnumConnections(ras::RasConn<Char>* connections, LPDWORD bufferSize, LPDWORD count)
{
    constexpr DWORD kRecordSize = ras::kRasConnSizeOf<Char>;
    if (!bufferSize || !count) {
        return ERROR_INVALID_PARAMETER;
    }
    if (connections && !SizeAccepted(ApiName<Char>("RasEnumConnections"), connections->dwSize, {kRecordSize})) {
        return ras::kErrorInvalidSize;
    }
    const auto live = LiveConnections();
    if (live.empty()) {
        *bufferSize = 0;
        *count = 0;
        return 0;
    }
    const DWORD needed = static_cast<DWORD>(live.size()) * kRecordSize;
    // Nothing is written when the records do not fit, and the count says so: a caller that
    // ignores the result then walks no records it does not have.
    if (!connections || *bufferSize < needed) {
        *bufferSize = needed;
        *count = 0;
        return ras::kErrorBufferTooSmall;
    }
    for (size_t i = 0; i < live.size(); ++i) {
        ras::RasConn<Char>& record = connections[i];
        record = ras::RasConn<Char>{};
        record.dwSize = kRecordSize;
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

// Not a RAS function: the stand-in's counts for benchmarks.
extern "C" void WINAPI SorvikRasStandInCounts(DWORD* connected, DWORD* hungUpWhileConnected)
{
    *connected = standin::connectedCount;
    *hungUpWhileConnected = standin::hungUpConnectedCount;
}

extern "C" DWORD WINAPI RasEnumConnectionsW(ras::RASCONNW* connections, LPDWORD bufferSize, LPDWORD count)
{
    return standin::NoThrow([&] { return standin::EnumConnections(connections, bufferSize, count); });
}

extern "C" DWORD WINAPI RasHangUpA(ras::HRASCONN connection)
{
    return standin::NoThrow([&] { return standin::HangUpConnection(connection); });
}

// No text passes: the same call under its wide name.
extern "C" DWORD WINAPI RasHangUpW(ras::HRASCONN connection) { return RasHangUpA(connection); }
