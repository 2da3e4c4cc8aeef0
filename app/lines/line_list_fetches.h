// What the line list's fetches keep between them. UI thread only.
#pragma once

#include "app/lines/list_retry_schedule.h"
#include "ui/timer.h"

struct LineListFetches {
    // Numbers the fetches: only the latest one's answer is taken.
    unsigned latest = 0;
    // Starts the next fetch after one that brought no line.
    WTTimer retryTimer;
    ListRetrySchedule retries;
    // The lines shown came from lines.dat, not from the service.
    bool fromCache = false;
};
