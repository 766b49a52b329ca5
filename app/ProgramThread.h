#pragma once
// The run-time's share of the desktop program thread: reports in message boxes, the end of
// the program through the frame, the start-up checks, and hardware exceptions of the program
// thread turned into run-time reports.

#include "platform/SystemDialogs.h"
#include "runtime/Runtime.h"
#include "winrt/Frame.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace app {

// The caption of a run-time report box: the run-time's display name and "run-time error ".
inline constexpr const char* ReportCaption = "RTX run-time error ";

// Run-time reports in a stop-icon message box owned by the frame.
class MessageBoxReports final : public rt::ReportSink {
public:
    explicit MessageBoxReports(platform::SystemDialogs& dialogs) : m_dialogs(dialogs) {}
    void showReport(uint32_t id, std::string_view text) override;

private:
    platform::SystemDialogs& m_dialogs;
};

// The end of the program on the desktop: the frame's end-of-program handling, then the
// thread that ended the program waits until the frame closes; the process exits with the
// recorded status when the message loop is over.
class DesktopProgramEnd final : public rt::ProgramEnd {
public:
    explicit DesktopProgramEnd(winrt::FrameRuntime& frame) : m_frame(frame) {}
    void programEnded(int code) override;
    // Records the status and parks the calling thread for the rest of the process.
    void exitProcess(uint32_t status) override;

    // The status to exit with: the recorded one, else 0. When the program has ended but its
    // thread has not recorded the status yet (the frame closed during the end-of-program box),
    // waits for it a little.
    int exitStatus() const;
    std::optional<uint32_t> recordedStatus() const;

private:
    winrt::FrameRuntime& m_frame;
    mutable std::mutex m_mutex;
    std::condition_variable m_never;
    mutable std::condition_variable m_recorded;
    bool m_ended = false;
    std::optional<uint32_t> m_status;
};

// The processor's division check: true when 4195835 - 4195835 / 3145727 * 3145727 is 0.
bool divisionIsSound();

// The run-time start-up checks before the main routine: reports message 201 (severe) when the
// division check fails, unless RTX_RUN_FLAWED_PENTIUM is defined.
void runtimeStartUpChecks(rt::Runtime& runtime);

// The catalogue message of a hardware exception: signal number and its code (si_code), and
// whether the faulting address lay in the thread's stack guard.
uint16_t exceptionMessage(int signal, int code, bool inStackGuard);

// Makes hardware exceptions (segmentation fault, bus error, illegal instruction, arithmetic
// error) of the calling thread reports of runtime, unless RTX_IGNORE_EXCEPTIONS is defined.
// The faulting thread stops for good; a watcher thread reports the exception: a severe one
// ends the program, an error-class one ends it as a normal return would. Call once, on the
// program thread. Returns false when the handlers could not be installed.
bool guardProgramThread(rt::Runtime& runtime, rt::ProgramEnd& end);

} // namespace app
