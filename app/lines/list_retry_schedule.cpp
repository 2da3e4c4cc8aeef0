#include "app/lines/list_retry_schedule.h"

#include <iterator>

namespace {

constexpr unsigned kFirstWaitsMs[] = {5000, 15000, 60000};
constexpr unsigned kSteadyWaitMs = 300000;

} // namespace

unsigned ListRetrySchedule::AfterFailure()
{
    const std::size_t failure = failures_;
    if (failures_ < std::size(kFirstWaitsMs)) {
        ++failures_; // stops counting at the steady wait: no overflow however long the service is down
    }
    return failure < std::size(kFirstWaitsMs) ? kFirstWaitsMs[failure] : kSteadyWaitMs;
}
