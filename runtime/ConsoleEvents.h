#pragma once
// Console events: an interrupt (control-C), a quit (control-BREAK), a hang-up or a request to
// terminate (window-CLOSE) end the program through the run-time, reported and with its units
// closed, instead of killing the process silently.

#include <csignal>
#include <pthread.h>
#include <string_view>

namespace rt {

class Runtime;

// The event a signal stands for: "control-C" (SIGINT), "control-BREAK" (SIGQUIT),
// "window-CLOSE" (SIGHUP, SIGTERM); empty for another signal.
std::string_view consoleEventName(int signal);

// The exit status after a console event: 128 + the signal number, the status a shell gives a
// process ended by that signal (130 for control-C). An interrupted run is never a success.
constexpr int consoleEventStatus(int signal) { return 128 + signal; }

// While it lives, SIGINT, SIGQUIT, SIGHUP and SIGTERM end the program through
// runtime.consoleEvent, called on a thread of the watch's own. The handlers only write the
// signal's number to a pipe. Once an event is taken the four signals get their default action
// back, so that a second one ends the process at once. The thread that makes the watch no
// longer receives the four signals while it lives. One watch at a time.
class ConsoleEventWatch {
public:
    explicit ConsoleEventWatch(Runtime& runtime);
    // The previous handlers and signal mask come back (call it on the thread that made the
    // watch); the watching thread is stopped, or waited for while it handles an event.
    ~ConsoleEventWatch();
    ConsoleEventWatch(const ConsoleEventWatch&) = delete;
    ConsoleEventWatch& operator=(const ConsoleEventWatch&) = delete;

    // False when the handlers could not be installed.
    bool active() const { return m_active; }

private:
    void watch();
    static void* watchOn(void* watch);

    Runtime& m_runtime;
    bool m_active = false;
    struct sigaction m_previous[4];
    sigset_t m_previousMask;
    // Made with pthread_create, not std::thread: a std::thread frees its start record on the
    // new thread, and that first free gives the thread a malloc arena of its own, a 64 MB
    // mapping made and dropped again at the end of every batch run.
    pthread_t m_thread{};
    bool m_watching = false;
};

} // namespace rt
