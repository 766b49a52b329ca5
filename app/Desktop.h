#pragma once
// The desktop program: the window runtime, the frame logic and the run-time on the platform's
// frame, and the program thread that runs the application.

#include "platform/Desktop.h"
#include "platform/DialogHost.h"

#include <functional>

#include <memory>

namespace app {

class DesktopProgram final : public platform::DesktopSession {
public:
    using DialogHostFactory = std::function<std::unique_ptr<platform::DialogHost>(platform::Platform&)>;

    // programDirectory: where the executable lives (the help file is looked for there);
    // makeDialogHost gives the platform's dialog manager once the frame exists.
    DesktopProgram(std::string programDirectory, DialogHostFactory makeDialogHost);
    ~DesktopProgram() override;

    void start(platform::Platform& platform, std::string programName) override;
    int finish() override;

private:
    struct Parts;
    void programMain();

    std::string m_programDirectory;
    DialogHostFactory m_makeDialogHost;
    std::unique_ptr<Parts> m_parts;
};

} // namespace app
