// The desktop program as a loadable module: the application on the Qt platform.

#include "app/DesktopProgram.h"
#include "platform/qt/QtDesktop.h"

#include <cstdio>
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) int facetor_desktop_main(int argc, char** argv,
                                                                           const char* programDirectory)
{
    app::DesktopProgram program(programDirectory);
    const int status = platform::runDesktop(argc, argv, program);
    // The program thread may still be parked inside the application: end the process now,
    // without running destructors under its feet.
    std::fflush(nullptr);
    std::_Exit(status);
}
