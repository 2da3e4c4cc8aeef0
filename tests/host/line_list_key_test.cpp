#include "app/lines/line_list_key.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(LineListKey, EmbeddedKeyIs256Bytes) { EXPECT_EQ(EmbeddedLineListKey().size(), 256u); }

TEST(LineListKey, AReaderWaitsForTheCopy)
{
    LineListKey key;
    std::atomic<bool> readerDone{false};
    std::vector<std::uint8_t> seen;
    std::thread reader([&] {
        seen = key.Wait();
        readerDone = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(readerDone.load()) << "the reader must not run ahead of the copy";
    EXPECT_FALSE(key.Ready());
    key.Store(EmbeddedLineListKey());
    reader.join();
    EXPECT_TRUE(key.Ready());
    EXPECT_EQ(seen, EmbeddedLineListKey());
}
