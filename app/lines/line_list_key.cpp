#include "app/lines/line_list_key.h"

#include <cstddef>

extern const unsigned char kLineListKey[];
extern const std::size_t kLineListKey_size;

void LineListKey::Store(std::vector<std::uint8_t> key)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        key_ = std::move(key);
        stored_ = true;
    }
    storedSignal_.notify_all();
}

std::vector<std::uint8_t> LineListKey::Wait() const
{
    std::unique_lock<std::mutex> lock(mutex_);
    storedSignal_.wait(lock, [this] { return stored_; });
    return key_;
}

bool LineListKey::Ready() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stored_;
}

std::vector<std::uint8_t> EmbeddedLineListKey()
{
    return std::vector<std::uint8_t>(kLineListKey, kLineListKey + kLineListKey_size);
}
