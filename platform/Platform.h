#pragma once
// The system services the runtimes need, as roles: the display and its fonts, the child
// windows, the frame window, the system dialogs and the clipboard. Each consumer takes only
// the roles it uses; a platform that plays them all (the Qt desktop, the headless one for tests
// and the batch front end) derives from Platform, and the composition root hands its roles out.
//
// The roles depend on nothing of the program. Every call may come from the program thread or
// the message thread; an implementation that owns its windows on one thread marshals the calls
// itself. Sizes and positions are in pixels.

#include "platform/ChildWindows.h"
#include "platform/Clipboard.h"
#include "platform/Display.h"
#include "platform/FrameWindow.h"
#include "platform/SystemDialogs.h"

namespace platform {

class Platform : public Display, public ChildWindows, public FrameWindow, public SystemDialogs, public Clipboard {};

} // namespace platform
