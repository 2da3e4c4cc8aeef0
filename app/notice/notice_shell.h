// What the notice subsystem asks of the shell. The shell fills it in when it builds the main
// window, so the notice code never includes the shell's window code. UI thread only.
#pragma once

#include <functional>
#include <string>

struct NoticeShell {
    // Shows the notice bar with the notice file's message and link text.
    std::function<void(const std::string& message, const std::string& linkText)> showNoticeBar;
    // Opens a web address that the exit notice's page asks for.
    std::function<void(const std::string& url)> openWebAddress;
};

NoticeShell& noticeShell();
