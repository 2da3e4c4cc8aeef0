// The 256-byte key the service enciphers the line list with. A start-up thread
// copies it in; readers wait for that copy, so a fast first fetch cannot race it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

class LineListKey {
public:
    void Store(std::vector<std::uint8_t> key);
    // Blocks until the key has been stored once.
    std::vector<std::uint8_t> Wait() const;
    bool Ready() const;

private:
    mutable std::mutex mutex_; // guards key_ and stored_
    mutable std::condition_variable storedSignal_;
    std::vector<std::uint8_t> key_;
    bool stored_ = false;
};

// The key constant embedded at build time.
std::vector<std::uint8_t> EmbeddedLineListKey();
