// Entry of the Windows test program: the framework set-up that start-up does for the real exe.
#include "platform/win.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include "ui/atl_host.h"
#include "ui/gdiplus_session.h"
#include "ui/window.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    WTWindow::SetModuleInstance(::GetModuleHandleW(nullptr));
    WTWindow::ResetControlIds(500);
    AtlHostInit();
    StartGdiplus();
    WSADATA wsa;
    ::WSAStartup(0x0002, &wsa);
    return RUN_ALL_TESTS();
}
