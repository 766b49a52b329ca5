#include "app/DesktopProgram.h"

#include "render/SurfaceWindow.h"
#include "app/DialogTemplates.h"
#include "app/Dialogs.h"
#include "app/ProgramThread.h"
#include "app/SurfaceMenu.h"
#include "runtime/ConsoleEvents.h"
#include "winrt/Frame.h"
#include "winrt/WindowRuntime.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace app {

struct DesktopProgram::Parts {
    Parts(platform::Platform& p, const std::string& name, const std::string& dir,
          std::unique_ptr<platform::DialogHost> host)
        : platform(p), windows(p), frame(p, windows, name, dir), reports(p), end(frame),
          runtime(platform::systemFileSystem(), reports, end), unitOutput(windows), dialogHost(std::move(host)),
          dialogs(*dialogHost, applicationDialogResources(), runtime), application(windows, runtime, *surface),
          surfaceMenu(frame, windows, p, p, dialogs)
    {
    }
    platform::Platform& platform;
    winrt::WindowRuntime windows;
    winrt::FrameRuntime frame;
    MessageBoxReports reports;
    DesktopProgramEnd end;
    rt::Runtime runtime;
    render::WindowUnitOutput unitOutput;
    std::unique_ptr<platform::DialogHost> dialogHost;
    dialogs::DialogRuntime dialogs;
    // The drawn surface the program shows, for the whole run.
    std::unique_ptr<render::DrawnSurface> surface = std::make_unique<render::DrawnSurface>();
    render::SurfaceWindow application;
    SurfaceMenu surfaceMenu;
    std::unique_ptr<rt::ConsoleEventWatch> consoleEvents;
    std::thread program;
};

DesktopProgram::DesktopProgram(std::string programDirectory) : m_programDirectory(std::move(programDirectory)) {}

DesktopProgram::~DesktopProgram()
{
    // The program thread may be parked for good; the process ends without waiting for it.
    if (m_parts && m_parts->program.joinable())
        m_parts->program.detach();
    (void)m_parts.release();
}

void DesktopProgram::start(platform::Platform& platform, std::unique_ptr<platform::DialogHost> dialogHost,
                           std::string programName)
{
    m_parts = std::make_unique<Parts>(platform, programName, m_programDirectory, std::move(dialogHost));
    m_parts->frame.start();
    // The message thread's first use of the window runtime opens the focus window.
    m_parts->windows.currentWindow();
    for (int unit : {0, 5, 6})
        m_parts->runtime.units().connectWindow(unit, &m_parts->unitOutput);
    m_parts->program = std::thread([this] { programMain(); });
}

int DesktopProgram::finish()
{
    if (!m_parts)
        return 0;
    return m_parts->end.exitStatus();
}

void DesktopProgram::programMain()
{
    // Below normal priority: the message thread stays responsive while the program computes.
    ::setpriority(PRIO_PROCESS, pid_t(::syscall(SYS_gettid)), 5);
    Parts& p = *m_parts;
    // The run-time's start-up registers the console events: control-C and the others are
    // reported in the run-time's box and end the program through the frame.
    p.consoleEvents = std::make_unique<rt::ConsoleEventWatch>(p.runtime);
    guardProgramThread(p.runtime, p.end);
    runtimeStartUpChecks(p.runtime);
    runApplication(p.application, p.frame, p.dialogs, &p.surfaceMenu);
    p.runtime.end_program_thread();
    p.end.programEnded(0);
    p.end.exitProcess(0);
}

} // namespace app
