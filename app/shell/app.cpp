#include "app/shell/app.h"

namespace {
std::unique_ptr<App> instance;
}

App& app() { return *instance; }

void CreateApp() { instance = std::make_unique<App>(); }

void ReleaseApp() { instance.reset(); }
