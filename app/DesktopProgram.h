#pragma once
// The desktop program: the window runtime, the frame logic and the run-time on the platform's
// frame, and the program thread that runs the application.

#include "platform/DesktopSession.h"
#include "platform/DialogHost.h"

#include <memory>

namespace app {

class DesktopProgram final : public platform::DesktopSession {
public:
    // programDirectory: where the executable lives (the help file is looked for there).
    explicit DesktopProgram(std::string programDirectory);
    ~DesktopProgram() override;

    void start(platform::Platform& platform, std::unique_ptr<platform::DialogHost> dialogHost,
               std::string programName) override;
    int finish() override;

private:
    struct Parts;
    void programMain();

    std::string m_programDirectory;
    std::unique_ptr<Parts> m_parts;
};

} // namespace app
