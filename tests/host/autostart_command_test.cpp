#include "app/shell/autostart_command.h"

#include <gtest/gtest.h>

TEST(AutostartCommand, QuotesThePathAndReadsItBack)
{
    const std::wstring exe = L"C:\\Program Files\\Sorvik\\Sorvik.exe";
    EXPECT_EQ(RunCommandFor(exe), L"\"C:\\Program Files\\Sorvik\\Sorvik.exe\" /tray");
    EXPECT_EQ(ProgramOfRunCommand(RunCommandFor(exe)), exe);
    EXPECT_EQ(ProgramOfRunCommand(L"C:\\Games\\Sorvik.exe /tray"), L"C:\\Games\\Sorvik.exe");
    EXPECT_EQ(ProgramOfRunCommand(L"\"C:\\a b\\Sorvik.exe"), L"C:\\a b\\Sorvik.exe");
    EXPECT_EQ(ProgramOfRunCommand(L""), L"");
}

TEST(AutostartCommand, TraySwitchInAnyCaseWithSlashOrDash)
{
    EXPECT_TRUE(AsksToStartInTray({L"/tray"}));
    EXPECT_TRUE(AsksToStartInTray({L"-TRAY"}));
    EXPECT_TRUE(AsksToStartInTray({L"other", L"/Tray"}));
    EXPECT_FALSE(AsksToStartInTray({}));
    EXPECT_FALSE(AsksToStartInTray({L"tray"}));
    EXPECT_FALSE(AsksToStartInTray({L"/trays"}));
    EXPECT_FALSE(AsksToStartInTray({L"/tra"}));
    EXPECT_FALSE(AsksToStartInTray({L"--tray"}));
}
