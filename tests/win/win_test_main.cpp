// Entry of the Windows test program: the framework set-up that start-up does for the real exe.
#include "platform/win.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdio>

#include "tests/win/framework_setup.h"
#include "ui/thread_check.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    PrepareFrameworkLikeStartUp();
    const int result = RUN_ALL_TESTS();
    // A window, element or menu changed from a thread not its own fails the run.
    if (const int violations = ui_thread::TakeViolations()) {
        std::fprintf(stderr, "%d change(s) of a window, element or menu from another thread\n", violations);
        return 1;
    }
    return result;
}
