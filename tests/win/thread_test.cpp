// Worker threads started through platform::StartThread.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/thread.h"

namespace {

// An exception leaving a thread entry would end the whole process.
TEST(PlatformThread, ABodyThatThrowsEndsOnlyItsOwnThread)
{
    const int before = platform::LiveThreadCount();
    platform::UniqueHandle thread = platform::StartThread([] { throw std::runtime_error("worker failed"); });
    ASSERT_TRUE(thread);
    ASSERT_EQ(::WaitForSingleObject(thread.Get(), 5000), WAIT_OBJECT_0);
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(::GetExitCodeThread(thread.Get(), &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(platform::LiveThreadCount(), before);
}

} // namespace
