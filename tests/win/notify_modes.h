// How the RAS stand-in calls the dial notifier. Windows' RAS calls it on a thread of its own (as
// Microsoft's asynchronous RasDial sample requires); its words "in the context of the thread that
// made the RasDial call" also read as APCs to the dialling thread. Suites that dial run in both.
#pragma once

#include "platform/win.h"

#include <gtest/gtest.h>

#include <string>

namespace notify_modes {

enum class Mode { OwnThread, Apc };

// The stand-in reads the choice at each RasDialA.
inline void Use(Mode mode) { ::SetEnvironmentVariableW(L"SORVIK_RAS_NOTIFY", mode == Mode::Apc ? L"apc" : nullptr); }

inline std::string Name(const ::testing::TestParamInfo<Mode>& info)
{
    return info.param == Mode::Apc ? "Apc" : "OwnThread";
}

// A fixture's mix-in: the mode is its test parameter; call UseMode() in SetUp.
class InBothModes : public ::testing::WithParamInterface<Mode> {
protected:
    void UseMode() const { Use(GetParam()); }
    bool Apc() const { return GetParam() == Mode::Apc; }
};

} // namespace notify_modes

#define SORVIK_IN_BOTH_NOTIFY_MODES(Suite)                                                                             \
    INSTANTIATE_TEST_SUITE_P(                                                                                          \
        Notify, Suite, ::testing::Values(notify_modes::Mode::OwnThread, notify_modes::Mode::Apc), notify_modes::Name)
