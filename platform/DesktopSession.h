#pragma once
// What the desktop start-up runs once the frame and its message loop exist: the program side
// of a desktop session, implemented by the application without any Qt type.

#include "platform/DialogHost.h"
#include "platform/Platform.h"

#include <memory>

#include <string>

namespace platform {

class DesktopSession {
public:
    virtual ~DesktopSession() = default;
    // Called once on the message thread after the message loop has started; starts the
    // program (typically its own thread) and returns. dialogHost shows the program's dialogs
    // on this platform; programName is the frame's title.
    virtual void start(Platform& platform, std::unique_ptr<DialogHost> dialogHost, std::string programName) = 0;
    // Called on the message thread after the message loop has ended; returns the exit status.
    virtual int finish() = 0;
};

} // namespace platform
