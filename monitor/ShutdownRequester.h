#pragma once

#include <functional>

// The platform layer behind ForceShutdown: ask for a normal power-off.
class ShutdownRequester {
public:
    enum class Result {
        Accepted,    // the system took the request
        NeedsRights, // refused for lack of rights; asking again with rights may work
        Failed,      // refused or unreachable for any other reason
    };
    using Answer = std::function<void(Result)>;

    virtual ~ShutdownRequester() = default;
    // Asks without waiting for the system: a password prompt may take minutes, and the strip
    // must keep counting and closing must keep working meanwhile. `answer` runs once on this
    // thread when the answer comes (perhaps before this returns), never after the requester
    // is gone. withRights: the second attempt, allowed to obtain the right to shut down.
    virtual void requestPowerOff(bool withRights, Answer answer) = 0;
};
