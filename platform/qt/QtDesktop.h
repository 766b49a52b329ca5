#pragma once
// The desktop program's entry: the Qt application, the frame and the message loop.

#include "platform/DesktopSession.h"

namespace platform {

// Creates the application and the frame (titled with the executable's name), shows the frame
// (maximised when it was maximised when last closed), calls session.start once the message
// loop runs, runs the loop until the frame closes and returns session.finish().
int runDesktop(int argc, char** argv, DesktopSession& session);

} // namespace platform
