// Soak benchmark, in-process through the real main window code, against the strict RAS stand-in
// and the demo service (run it under tests/win/run_with_service.sh):
//   1. 1,000 connect/stop cycles with short random waits, 100 of them dropped by the line (and
//      dialled again by the program) and 100 switched to another line while connected. Prints how
//      many drops were reconnected and how long that took, the reports the service received beside
//      what the stand-in saw, what is left running, the misuse ledger, GDI objects and handles.
//   2. 100 exits through the program's own quit path with work in flight (the line-list fetch,
//      the speed test, a dial, a connection with its keep-alive), each in a fresh App. Prints how
//      long the release of the App took (it gives workers at most 8 s) and what was left.
// Usage: soak_bench.exe [cycles] [exit runs] [drops], the drops spread evenly over the cycles.
#include "platform/win.h"

#include <objbase.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/lines/accelerate.h"
#include "app/lines/line_list_key.h"
#include "app/shell/app.h"
#include "app/shell/exit.h"
#include "app/shell/startup.h"
#include "app/shell/tray.h"
#include "app/vpn/reports.h"
#include "platform/files.h"
#include "platform/ras_api.h"
#include "platform/thread.h"
#include "tests/win/framework_setup.h"
#include "tests/win/service_control.h"
#include "tests/win/ui_test_support.h"

namespace {

// Three lines that accept their login, and a silent one that keeps the speed test busy for 6 s.
constexpr char kLines[] = R"({"lines": [
    {"name": "A", "address": "127.0.0.41", "probe_port": 18741, "user": "a", "password": "a", "load": "x"%s},
    {"name": "B", "address": "127.0.0.42", "probe_port": 18742, "user": "b", "password": "b", "load": "x"%s},
    {"name": "C", "address": "127.0.0.43", "probe_port": 18743, "user": "c", "password": "c", "load": "x"%s},
    {"name": "D", "address": "127.0.0.44", "probe_port": 18744, "user": "d", "password": "d", "load": "x",
     "answers": false, "pptp": false}],
    "notice": {"version": "1.5"}, "faults": {}})";
const char* const kAddresses[] = {"127.0.0.41", "127.0.0.42", "127.0.0.43"};

int Random(int from, int to)
{
    static std::mt19937 randomness(12); // NOLINT(cert-msc51-cpp): a fixed seed makes every run the same
    return std::uniform_int_distribution<int>(from, to)(randomness);
}

bool PostLines(const char* extra)
{
    char json[1024];
    const int length = std::snprintf(json, sizeof json, kLines, extra, extra, extra);
    return length > 0 && length < static_cast<int>(sizeof json) && service_control::PostConfig(json);
}

// A fresh App with its main window up, as start-up makes it.
bool StartApp()
{
    CreateApp();
    App& a = app();
    a.lineListKey.Store(EmbeddedLineListKey());
    a.theme.Load(platform::ProgramDirectory());
    return a.mainWindow.CreateAndRun(MainWindowOptions()) != nullptr;
}

bool SpeedTestDone() { return app().statusText.Text() == "状态：测速完成！"; }

// Connected: the current connection has its report stream.
bool Connected() { return app().CurrentConnection.load() != nullptr && RunningReportStreams() == 1; }

// Back on the list after a stop, the stop worker done.
bool Stopped()
{
    App& a = app();
    return a.lineListView.Visible() && a.disconnectButton.Enabled() && a.CurrentConnection.load() == nullptr
        && platform::LiveThreadCount() == 0;
}

bool Failed() { return app().backButton.Visible(); }

int LiveConnections()
{
    std::vector<ras::RASCONNA> records(64);
    for (ras::RASCONNA& r : records) {
        r.dwSize = ras::kRasConnSize;
    }
    DWORD size = static_cast<DWORD>(records.size()) * ras::kRasConnSize;
    DWORD count = 0;
    return RasEnumConnectionsA(records.data(), &size, &count) == 0 ? static_cast<int>(count) : -1;
}

// Where run_with_service.sh has the stand-in keep it.
std::wstring LedgerPath()
{
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"SORVIK_RAS_LEDGER_DIR", dir, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(dir, n) + L"\\ras-misuse.log" : std::wstring();
}

int LedgerLines()
{
    const std::vector<unsigned char> bytes = platform::ReadWholeFile(LedgerPath());
    int lines = 0;
    for (unsigned char b : bytes) {
        lines += b == '\n';
    }
    return lines;
}

struct Counts {
    DWORD connected = 0;
    DWORD hungUpWhileConnected = 0;
};

Counts StandInCounts()
{
    using CountsFn = void(WINAPI*)(DWORD*, DWORD*);
    const auto fn = reinterpret_cast<CountsFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"rasapi32.dll"), "SorvikRasStandInCounts")));
    Counts c;
    if (fn) {
        fn(&c.connected, &c.hungUpWhileConnected);
    }
    return c;
}

struct Reports {
    int hello = 0;
    int keepAlive = 0;
    int remove = 0;
};

Reports ServiceReports()
{
    Reports r;
    for (const std::string& line : service_control::HttpRequestLines()) {
        if (line.find("/jsq/line/hello.php") == std::string::npos) {
            continue;
        }
        if (line.find("&remove=1") != std::string::npos) {
            ++r.remove;
        } else if (line.find("&myip=") != std::string::npos) {
            ++r.keepAlive;
        } else {
            ++r.hello;
        }
    }
    return r;
}

DWORD GdiObjects() { return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS); }

DWORD ProcessHandles()
{
    DWORD handles = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
    return handles;
}

// Wine answers 0 to both counts above. The value of a fresh handle is the lowest free slot of
// the process's handle table: it grows when handles leak.
unsigned long NextHandleValue()
{
    const HANDLE probe = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::CloseHandle(probe);
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(probe));
}

void Stop()
{
    StopAcceleration();
    uitest::PollUntil(Stopped, 20000);
}

struct SoakTally {
    int cycles = 0;
    int drops = 0;
    int redialled = 0; // drops the program reconnected to the same line
    std::vector<DWORD> redialMs; // from each drop to its line's new connection
    int switches = 0;
    int stuck = 0; // steps that did not reach their state in time
};

void Expect(bool reached, SoakTally& tally)
{
    if (!reached) {
        ++tally.stuck;
    }
}

// The line drops the connection; the program dials the same line again at once.
void DropCycle(int line, SoakTally& tally)
{
    Expect(uitest::PollUntil(Connected, 20000), tally);
    const ras::HRASCONN dropped = app().CurrentConnection.load();
    uitest::PumpFor(static_cast<DWORD>(Random(0, 300)));
    const DWORD start = ::GetTickCount();
    service_control::Exchange("POST", std::string("/_control/drop?address=") + kAddresses[line - 1]);
    const bool back
        = uitest::PollUntil([dropped] { return Connected() && app().CurrentConnection.load() != dropped; }, 20000);
    Expect(back, tally);
    if (back) {
        ++tally.redialled;
        tally.redialMs.push_back(::GetTickCount() - start);
    } else if (Failed()) {
        BackFromResult();
    }
    ++tally.drops;
}

void SoakCycle(int i, bool drop, SoakTally& tally)
{
    const int line = Random(1, 3);
    AccelerateLine(line);
    if (drop) {
        DropCycle(line, tally);
        uitest::PumpFor(static_cast<DWORD>(Random(0, 300)));
        Stop();
    } else if (i % 10 == 4) { // even: drops spread over up to half the cycles leave these
        Expect(uitest::PollUntil(Connected, 20000), tally);
        const ras::HRASCONN first = app().CurrentConnection.load();
        uitest::PumpFor(static_cast<DWORD>(Random(0, 300)));
        AccelerateLine(line % 3 + 1);
        Expect(uitest::PollUntil([first] { return Connected() && app().CurrentConnection.load() != first; }, 20000),
            tally);
        uitest::PumpFor(static_cast<DWORD>(Random(0, 300)));
        Stop();
        ++tally.switches;
    } else {
        // Anywhere from dialling to connected.
        uitest::PumpFor(static_cast<DWORD>(Random(0, 600)));
        Stop();
    }
    ++tally.cycles;
}

// Median and highest, in milliseconds; 0 when there are none.
void PrintRedialTimes(std::vector<DWORD> times)
{
    std::sort(times.begin(), times.end());
    const DWORD median = times.empty() ? 0 : times[times.size() / 2];
    const DWORD highest = times.empty() ? 0 : times.back();
    std::printf("  from a drop to reconnected: median %lu ms, highest %lu ms\n", static_cast<unsigned long>(median),
        static_cast<unsigned long>(highest));
}

int RunSoak(int cycles, int drops)
{
    if (!PostLines("") || !service_control::ResetRecords() || !StartApp() || !uitest::PollUntil(SpeedTestDone, 30000)) {
        std::printf("soak: the main window did not come up against the demo service\n");
        return 1;
    }
    uitest::PumpFor(500);
    const DWORD gdiStart = GdiObjects();
    const DWORD handlesStart = ProcessHandles();
    const unsigned long slotStart = NextHandleValue();
    const DWORD start = ::GetTickCount();
    SoakTally tally;
    for (int i = 0; i < cycles; ++i) {
        // The i-th cycle drops when it starts a new share of the drops.
        SoakCycle(i, (i + 1) * drops / cycles != i * drops / cycles, tally);
    }
    HangUp();
    uitest::PollUntil([] { return platform::LiveThreadCount() == 0; }, 15000);
    uitest::PumpFor(500);
    const double seconds = (::GetTickCount() - start) / 1000.0;
    const Reports reports = ServiceReports();
    const Counts counts = StandInCounts();
    std::printf("soak: %d cycles in %.0f s (%d dropped by the line, %d switched to another line while connected), "
                "%d steps late\n",
        tally.cycles, seconds, tally.drops, tally.switches, tally.stuck);
    std::printf("  drops reconnected to the same line %d of %d\n", tally.redialled, tally.drops);
    PrintRedialTimes(tally.redialMs);
    // The RAS stand-in reads the same variable at each dial.
    wchar_t mode[8] = {};
    const bool apc = ::GetEnvironmentVariableW(L"SORVIK_RAS_NOTIFY", mode, 8) == 3 && std::wstring_view(mode) == L"apc";
    std::printf("  dial notifier called %s\n", apc ? "as APCs on the dialling thread" : "on the stand-in's own thread");
    std::printf("  connections that reached Connected (stand-in) %5lu   hello reports       %5d\n",
        static_cast<unsigned long>(counts.connected), reports.hello);
    // A dropped connection is reported removed too.
    std::printf("  hung up by the program while connected, drops %5lu   remove reports      %5d\n",
        static_cast<unsigned long>(counts.hungUpWhileConnected) + static_cast<unsigned long>(tally.drops),
        reports.remove);
    std::printf("  keep-alive reports %d, report streams still running %d, live stand-in connections %d\n",
        reports.keepAlive, RunningReportStreams(), LiveConnections());
    std::printf("  misuse-ledger lines %d\n", LedgerLines());
    std::printf("  GDI objects      start %5lu  end %5lu\n", static_cast<unsigned long>(gdiStart),
        static_cast<unsigned long>(GdiObjects()));
    std::printf("  process handles  start %5lu  end %5lu\n", static_cast<unsigned long>(handlesStart),
        static_cast<unsigned long>(ProcessHandles()));
    std::printf("  next handle value start 0x%lx  end 0x%lx\n", slotStart, NextHandleValue());
    (void)std::fflush(stdout); // a failed flush only delays the lines
    App& a = app();
    a.isExiting = true;
    a.threadPool.Stop(0);
    ::DestroyWindow(a.mainWindow.Handle());
    ReleaseApp();
    return 0;
}

enum class InFlight { Fetch, SpeedTest, Dial, Connected };
const char* const kInFlightNames[] = {"line-list fetch", "speed test", "dial", "connected"};

// Brings the fresh App to the moment of the exit; false when it never got there.
bool ReachInFlight(InFlight what)
{
    switch (what) {
    case InFlight::Fetch:
        return true; // the main window starts the fetch as it is created
    case InFlight::SpeedTest:
        return uitest::PollUntil([] { return app().statusText.Text() == "状态：正在测速..."; }, 20000);
    case InFlight::Dial:
        if (!uitest::PollUntil(SpeedTestDone, 30000)) {
            return false;
        }
        AccelerateLine(Random(1, 3));
        uitest::PumpFor(static_cast<DWORD>(Random(0, 1500)));
        return true;
    case InFlight::Connected:
        if (!uitest::PollUntil(SpeedTestDone, 30000)) {
            return false;
        }
        AccelerateLine(Random(1, 3));
        return uitest::PollUntil(Connected, 20000);
    }
    return false;
}

int RunExits(int runs)
{
    // Lines slow to log in keep the dials in flight.
    if (!PostLines(R"(, "login_delay": 2)")) {
        std::printf("exit: the demo service does not answer\n");
        return 1;
    }
    int reached[4] = {};
    int done[4] = {};
    double slowest[4] = {};
    int overBound = 0;
    for (int run = 0; run < runs; ++run) {
        const int kind = run % 4;
        if (!StartApp()) {
            std::printf("exit: the main window did not come up\n");
            return 1;
        }
        uitest::PumpFor(static_cast<DWORD>(kind == 0 ? Random(0, 30) : 0));
        reached[kind] += ReachInFlight(static_cast<InFlight>(kind));
        if (kind == 1) {
            uitest::PumpFor(static_cast<DWORD>(Random(0, 500)));
        }
        // The program's own way out without the question: hide, hang up, close the window; then
        // the release of the process's objects, which waits for the workers.
        const DWORD start = ::GetTickCount();
        DownloadAndQuit();
        uitest::PumpFor(50);
        const bool stillBusy = platform::LiveThreadCount() > 0;
        ReleaseApp();
        const double seconds = (::GetTickCount() - start) / 1000.0;
        overBound += stillBusy && seconds >= 8.0;
        slowest[kind] = seconds > slowest[kind] ? seconds : slowest[kind];
        ++done[kind];
    }
    std::printf("exit: %d runs through the quit path, workers given at most 8 s\n", runs);
    for (int kind = 0; kind < 4; ++kind) {
        std::printf("  during the %-16s %3d runs (%3d reached it)  slowest quit %.2f s\n", kInFlightNames[kind],
            done[kind], reached[kind], slowest[kind]);
    }
    std::printf("  releases that hit the 8 s bound %d, live stand-in connections %d, misuse-ledger lines %d\n",
        overBound, LiveConnections(), LedgerLines());
    (void)std::fflush(stdout); // a failed flush only delays the lines
    return 0;
}

// A count given on the command line (0 skips that part), or the default when it is absent or no count.
int CountArgument(int argc, char** argv, int index, int fallback)
{
    if (argc <= index) {
        return fallback;
    }
    char* end = nullptr;
    const long value = std::strtol(argv[index], &end, 10);
    return end != argv[index] && *end == '\0' && value >= 0 && value <= 1000000 ? static_cast<int>(value) : fallback;
}

} // namespace

int main(int argc, char** argv)
{
    const int cycles = CountArgument(argc, argv, 1, 1000);
    const int exits = CountArgument(argc, argv, 2, 100);
    const int drops = std::min(CountArgument(argc, argv, 3, cycles / 10), cycles);
    ::OleInitialize(nullptr);
    PrepareFrameworkLikeStartUp();
    int result = cycles > 0 ? RunSoak(cycles, drops) : 0;
    if (result == 0 && exits > 0) {
        result = RunExits(exits);
    }
    service_control::RestoreDemoConfig();
    ::OleUninitialize();
    return result;
}
