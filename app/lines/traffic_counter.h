// RAS counts a connection's bytes in 32 bits, which wrap at 4 GiB: read often enough that a
// counter wraps at most once between two reads, this keeps the whole count.
#pragma once

#include <cstdint>

class TrafficCounter {
public:
    // The whole count after a new reading of the 32-bit counter.
    std::uint64_t Update(std::uint32_t reading)
    {
        // The difference modulo 2^32 is what passed since the last reading, a wrap included.
        total_ += static_cast<std::uint32_t>(reading - last_);
        last_ = reading;
        return total_;
    }
    std::uint64_t Total() const { return total_; }

private:
    std::uint64_t total_ = 0;
    std::uint32_t last_ = 0; // counters start at 0 with the connection
};
