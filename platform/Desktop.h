#pragma once
// What the desktop start-up runs once the frame and its message loop exist: the program side
// of a desktop session, implemented by the application without any Qt type.

#include "platform/Platform.h"

#include <string>

namespace platform {

class DesktopSession {
public:
    virtual ~DesktopSession() = default;
    // Called once on the message thread after the message loop has started; starts the
    // program (typically its own thread) and returns. programName is the frame's title.
    virtual void start(Platform& platform, std::string programName) = 0;
    // Called on the message thread after the message loop has ended; returns the exit status.
    virtual int finish() = 0;
};

} // namespace platform
