#pragma once

// The platform layer behind ForceShutdown: ask for a normal power-off.
class ShutdownRequester {
public:
    enum class Result {
        Accepted,    // the system took the request
        NeedsRights, // refused for lack of rights; asking again with rights may work
        Failed,      // refused or unreachable for any other reason
    };

    virtual ~ShutdownRequester() = default;
    // withRights: the second attempt, allowed to obtain the right to shut down (polkit).
    virtual Result requestPowerOff(bool withRights) = 0;
};
