// RasGetConnectionStatistics: a connected connection's counters. Nothing passes through the
// stand-in's tunnel, so its counters model a player's connection: the PPP negotiation's frames,
// then a game's steady traffic in both directions, growing with the time connected.
#include "platform/win.h"

#include "connection_table.h"
#include "ledger.h"
#include "platform/ras_api.h"
#include "struct_fields.h"

namespace standin {
namespace {

// LCP, authentication and IPCP before Connected.
constexpr DWORD kNegotiationBytesSent = 412;
constexpr DWORD kNegotiationBytesReceived = 396;
constexpr DWORD kNegotiationFrames = 9;
// A game's traffic: small frames, more of them coming than going.
constexpr ULONGLONG kSentBytesPerSecond = 1200;
constexpr ULONGLONG kReceivedBytesPerSecond = 4800;
constexpr ULONGLONG kBytesPerFrame = 120;
// What the PPTP miniport reports as the link's speed.
constexpr DWORD kLinkBitsPerSecond = 10000000;

// E_INVALIDARG, which the documentation names for a zero handle, no structure or a wrong dwSize.
constexpr DWORD kInvalidArgument = 0x80070057;

DWORD GetStatistics(ras::HRASCONN handle, ras::RAS_STATS* stats)
{
    if (!handle || !stats) {
        return kInvalidArgument;
    }
    if (!SizeAccepted("RasGetConnectionStatistics", stats->dwSize, {ras::kRasStatsSize})) {
        return kInvalidArgument;
    }
    const std::shared_ptr<Connection> c = FindConnection(handle);
    // A handle hung up is gone for its caller, whether or not the port is free yet.
    if (!c || c->hungUp) {
        return ERROR_INVALID_HANDLE;
    }
    // Only a connection that is up has a link to count on.
    if (!c->live || c->state != ras::RASCS_Connected) {
        return ras::kErrorNoConnection;
    }
    const ULONGLONG elapsedMs = ::GetTickCount64() - c->connectedAt;
    const ULONGLONG sent = kNegotiationBytesSent + elapsedMs * kSentBytesPerSecond / 1000;
    const ULONGLONG received = kNegotiationBytesReceived + elapsedMs * kReceivedBytesPerSecond / 1000;
    const DWORD size = stats->dwSize;
    *stats = ras::RAS_STATS{};
    stats->dwSize = size;
    // 32-bit counters wrap, as the system's do.
    stats->dwBytesXmited = static_cast<DWORD>(sent);
    stats->dwBytesRcved = static_cast<DWORD>(received);
    stats->dwFramesXmited = static_cast<DWORD>(kNegotiationFrames + sent / kBytesPerFrame);
    stats->dwFramesRcved = static_cast<DWORD>(kNegotiationFrames + received / kBytesPerFrame);
    stats->dwBps = kLinkBitsPerSecond;
    stats->dwConnectDuration = static_cast<DWORD>(elapsedMs);
    return 0;
}

} // namespace
} // namespace standin

extern "C" DWORD WINAPI RasGetConnectionStatistics(ras::HRASCONN connection, ras::RAS_STATS* statistics)
{
    return standin::NoThrow([&] { return standin::GetStatistics(connection, statistics); });
}
