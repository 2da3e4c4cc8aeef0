// The application's process-wide objects, created once before the first window
// and released when the process ends, in the order they are declared here.
#pragma once

#include "platform/win.h"

#include <memory>

#include "app/lines/line_list_key.h"
#include "platform/handles.h"
#include "ui/window.h"

struct App {
    WSADATA wsaData{};
    WTWindow mainWindow;
    platform::UniqueHandle instanceEvent;
    LineListKey lineListKey;
};

// The one instance; valid between CreateApp and ReleaseApp.
App& app();
void CreateApp();
void ReleaseApp();
