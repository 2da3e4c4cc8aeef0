// When a line list that could not be had from the service is asked for again.
#pragma once

#include <cstddef>

// A retry that comes due while a connection or a dial is under way looks again this much later:
// the list under a connection is never replaced.
inline constexpr unsigned kListRetryBusyWaitMs = 30000;

class ListRetrySchedule {
public:
    // Counts one more failed fetch and gives the wait before the next one: 5 s, 15 s and 60 s,
    // then every 5 minutes.
    unsigned AfterFailure();
    // A good answer or the user's own refresh: the next failure starts the waits anew.
    void Reset() { failures_ = 0; }

private:
    std::size_t failures_ = 0;
};
