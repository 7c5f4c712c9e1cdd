#include "LogindShutdownRequester.h"
#include "ProgramRun.h"
#include "SessionShutdownRequester.h"
#include "SysfsPowerSource.h"

int main(int argc, char **argv)
{
    ProgramParts parts;
    parts.makePowerSource = [] { return std::make_unique<SysfsPowerSource>(); };
    parts.makeShutdownRequester = [] {
        return std::make_unique<SessionShutdownRequester>(
            std::make_unique<LogindShutdownRequester>());
    };
    parts.storePaths = [] { return StorePaths::fromEnvironment(); };
    return runVoltline(argc, argv, parts);
}
