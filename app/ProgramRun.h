#pragma once

#include "SettingsStore.h"

#include <functional>
#include <memory>

class PowerSource;
class ShutdownRequester;

// What differs between the real program and the demo.
struct ProgramParts {
    std::function<std::unique_ptr<PowerSource>()> makePowerSource;
    std::function<std::unique_ptr<ShutdownRequester>()> makeShutdownRequester;
    std::function<StorePaths()> storePaths;
};

// The whole start-up: application object, the bar, the quick help window, the event loop.
int runVoltline(int argc, char **argv, const ProgramParts &parts);
