// The notice and update check, run once per start on a thread of its own.
#pragma once

#include "app/shell/app.h"

// Starts the check on a detached thread.
void StartNoticeCheck();
// The check itself (thread body).
void RunNoticeCheck();
// A copy of the notice file's values, safe from any thread.
NoticeValues NoticeSnapshot();
