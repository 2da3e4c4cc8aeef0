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
#include "app/vpn/reports.h"
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

// Writes the entry and starts the dial; empty when it is under way (or the session was ended
// meanwhile), else the text to show.
// The caller holds listLock so that a refresh cannot free the line's texts meanwhile.
std::string DialLine(int lineIndex, VpnSession& session, WatchedDial& dial)
{
    const Line* line = FindLine(lineIndex);
    if (!line) {
        return kLineGoneText;
    }
    // Checked before anything is written: a refused entry must not leave the old one to be dialled.
    if (!EntryFieldsFit(line->userName, line->password, line->address)) {
        return kLineTooLongText;
    }
    const std::wstring phonebook = PhonebookPath();
    // Dialling after a failed write would dial the old entry with this line's credentials.
    if (!BuildVpnEntry(kEntryName, phonebook, line->userName, line->password, line->address, ras::VS_Default)) {
        return kEntryNotWrittenText;
    }
    session.address = line->address;
    const DialStart started = dial.Start({kEntryName, phonebook, "", "", line->userName, line->password, ""});
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
    WatchedDial dial(session);
    std::string failure;
    {
        std::lock_guard<std::mutex> dialling(dialLock);
        if (IsEnded(s)) {
            return;
        }
        std::lock_guard<platform::CriticalSection> hold(app().listLock);
        failure = DialLine(lineIndex, s, dial);
    }
    // Outside the lock: the UI thread handling the message may need listLock itself.
    if (!failure.empty()) {
        FailSession(s, msg::MsgVpnDialFailed, failure);
        return;
    }
    switch (dial.Await(dialBoundMs.load())) {
    case DialOutcome::Connected:
        // A connection that came up after the user gave it up is hung up without a word.
        if (IsCurrent(s)) {
            RunReports(s, SystemClock());
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
