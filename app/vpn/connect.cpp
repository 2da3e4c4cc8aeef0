#include "app/vpn/connect.h"

#include "platform/win.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

#include "app/shell/app.h"
#include "app/vpn/connection_log.h"
#include "app/vpn/dialling.h"
#include "app/vpn/ras_fields.h"
#include "app/vpn/reconnect.h"
#include "app/vpn/vpn_entry.h"
#include "app/vpn/vpn_session.h"
#include "platform/files.h"
#include "platform/ras_api.h"
#include "app/shell/messages.h"

namespace {

constexpr std::size_t kFirstEnumRecords = 16;
// Longer than any dial the service lets run (its own time-outs end one within about 15 s).
// Atomic: a test may shorten it while connect threads read it.
std::atomic<DWORD> dialBoundMs{60000};

// Held while a dial starts and its handle is published, and while old connections of the entry
// are hung up: those never meet a handle between RasDialW and its session.
std::mutex dialLock;
// More connections may appear between two enumerations; this many tries are enough.
constexpr int kEnumAttempts = 4;

std::string SystemLine() { return GetOsDescription() + (Is64BitSystem() ? " 64" : " 32"); }

// One enumeration into the records; false when RAS asks for a bigger buffer (then grown to its size).
bool TryEnumerate(std::vector<ras::RASCONNW>& records)
{
    constexpr DWORD kRecordSize = ras::kRasConnSizeOf<WCHAR>;
    for (ras::RASCONNW& record : records) {
        record = ras::RASCONNW{};
        record.dwSize = kRecordSize;
    }
    DWORD size = static_cast<DWORD>(records.size()) * kRecordSize;
    DWORD count = 0;
    const DWORD result = RasEnumConnectionsW(records.data(), &size, &count);
    const std::size_t wanted = size / kRecordSize + (size % kRecordSize != 0);
    if (result == ras::kErrorBufferTooSmall && wanted > records.size()) {
        records.resize(wanted);
        return false;
    }
    records.resize(count < records.size() ? count : records.size());
    return true;
}

std::vector<ras::RASCONNW> ActiveConnections()
{
    std::vector<ras::RASCONNW> records(kFirstEnumRecords);
    for (int attempt = 0; attempt < kEnumAttempts; ++attempt) {
        if (TryEnumerate(records)) {
            return records;
        }
    }
    return {};
}

// Copies the line's texts into the session; empty when they are there, else the text to show.
// The caller holds listLock so that a refresh cannot free the line's texts meanwhile.
std::string TakeLine(int lineIndex, VpnSession& session)
{
    const Line* line = FindLine(lineIndex);
    if (!line) {
        return kLineGoneText;
    }
    // Checked before anything is written: a refused entry must not leave the old one to be dialled.
    if (!EntryFieldsFit(line->userName, line->password, line->address)) {
        return kLineTooLongText;
    }
    session.address = line->address;
    session.userName = line->userName;
    session.password = line->password;
    return {};
}

// Writes the entry for the session's line and starts the dial; empty when it is under way, else
// the text to show. The caller holds dialLock.
std::string StartSessionDial(VpnSession& session, WatchedDial& dial)
{
    const std::wstring phonebook = PhonebookPath();
    // Dialling after a failed write would dial the old entry with this line's credentials.
    if (!BuildVpnEntry(kEntryName, phonebook, session.userName, session.password, session.address, ras::VS_Default)) {
        return kEntryNotWrittenText;
    }
    const DialStart started = dial.Start({kEntryName, phonebook, "", "", session.userName, session.password, ""});
    if (started.error != 0) {
        return RasStateText(ras::RASCS_OpenPort, started.error);
    }
    PublishHandle(session, started.handle);
    return {};
}

} // namespace

std::wstring PhonebookPath() { return platform::ProgramDirectory() + L"/vpn.dat"; }

const Line* FindLine(int lineIndex)
{
    const LineList& lines = app().lineList;
    if (lineIndex < 1 || static_cast<std::size_t>(lineIndex) > lines.size()) {
        return nullptr;
    }
    return &lines[static_cast<std::size_t>(lineIndex) - 1];
}

void ConnectLine(int lineIndex) { ConnectLine(lineIndex, BeginSession()); }

unsigned long DialBoundMs() { return dialBoundMs.load(); }

DialResult DialSession(const std::shared_ptr<VpnSession>& session, unsigned long boundMs)
{
    WatchedDial dial(session);
    {
        std::lock_guard<std::mutex> dialling(dialLock);
        if (IsEnded(*session)) {
            return {};
        }
        std::string failure = StartSessionDial(*session, dial);
        if (!failure.empty()) {
            return {DialOutcome::Failed, false, std::move(failure)};
        }
    }
    const DialOutcome outcome = dial.Await(boundMs);
    switch (outcome) {
    case DialOutcome::Failed:
        return {outcome, true, DialFailureText(*session)};
    case DialOutcome::TimedOut:
        return {outcome, true, kDialTimeoutText};
    default:
        return {outcome, true, {}};
    }
}

void ConnectLine(int lineIndex, const std::shared_ptr<VpnSession>& session)
{
    VpnSession& s = *session;
    {
        std::lock_guard<std::mutex> hold(dialLock);
        HangUpOwnConnections();
    }
    // A port RAS is still releasing cannot be dialled again.
    if (!WaitForReleasedPorts(s.endEvent.Get())) {
        return;
    }
    ResetLog();
    AppendLog(SystemLine());
    std::string failure;
    {
        std::lock_guard<platform::CriticalSection> hold(app().listLock);
        failure = TakeLine(lineIndex, s);
    }
    const DialResult dialled
        = failure.empty() ? DialSession(session, DialBoundMs()) : DialResult{DialOutcome::Failed, false, failure};
    // Outside the locks: the UI thread handling the message may need listLock itself.
    if (dialled.outcome == DialOutcome::Failed && !dialled.started) {
        FailSession(s, msg::MsgVpnDialFailed, dialled.text);
        return;
    }
    switch (dialled.outcome) {
    case DialOutcome::Connected:
        // A connection that came up after the user gave it up is hung up without a word.
        if (IsCurrent(s)) {
            StayConnected(session);
        } else {
            EndSession(s);
        }
        break;
    case DialOutcome::Failed:
        EndSession(s); // the notifier has shown it; the handle is released
        break;
    case DialOutcome::TimedOut:
        FailSession(s, msg::MsgVpnDisconnected, kDialTimeoutText);
        break;
    case DialOutcome::Ended:
        break;
    }
}

#ifdef SORVIK_TEST_BUILD
void SetDialBoundMs(unsigned long boundMs) { dialBoundMs = boundMs; }
#endif

void HangUpOwnConnections()
{
    const std::wstring entryName = platform::Widen(kEntryName);
    for (const ras::RASCONNW& record : ActiveConnections()) {
        if (FieldView(record.szEntryName) == entryName) {
            HangUpHandle(record.hrasconn);
        }
    }
}
