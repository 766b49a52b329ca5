#include "runtime/ConsoleEvents.h"

#include "runtime/Runtime.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace rt {

namespace {

constexpr std::array<int, 4> kEventSignals = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};

// The self-pipe: made once and kept for the life of the process, so that a handler running
// late on another thread never writes to a descriptor that has been closed or reused.
int g_pipe[2] = {-1, -1};

bool makePipe()
{
    if (g_pipe[0] >= 0)
        return true;
    if (::pipe2(g_pipe, O_CLOEXEC) != 0)
        return false;
    // A burst of signals must never block a handler: extra bytes are simply dropped.
    ::fcntl(g_pipe[1], F_SETFL, ::fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);
    return true;
}

void onEvent(int signal)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    const ssize_t ignored = ::write(g_pipe[1], &byte, 1);
    (void)ignored;
    errno = saved;
}

} // namespace

std::string_view consoleEventName(int signal)
{
    switch (signal) {
    case SIGINT: return "control-C";
    case SIGQUIT: return "control-BREAK";
    case SIGHUP:
    case SIGTERM: return "window-CLOSE";
    default: return {};
    }
}

ConsoleEventWatch::ConsoleEventWatch(Runtime& runtime) : m_runtime(runtime)
{
    if (!makePipe())
        return;
    // Drop what an earlier watch left unread.
    for (unsigned char byte = 0;;) {
        const int flags = ::fcntl(g_pipe[0], F_GETFL);
        ::fcntl(g_pipe[0], F_SETFL, flags | O_NONBLOCK);
        const ssize_t n = ::read(g_pipe[0], &byte, 1);
        ::fcntl(g_pipe[0], F_SETFL, flags);
        if (n != 1)
            break;
    }
    m_watching = ::pthread_create(&m_thread, nullptr, &ConsoleEventWatch::watchOn, this) == 0;
    if (!m_watching)
        return;
    // The watcher, made before this, takes the signals; the calling thread, which does the
    // program's work, no longer sees them: a system call it is blocked in is never
    // interrupted, and the thread checker, which holds a signal back until the thread it hit
    // leaves such a call, never waits for ever.
    sigset_t events;
    sigemptyset(&events);
    for (int s : kEventSignals)
        sigaddset(&events, s);
    ::pthread_sigmask(SIG_BLOCK, &events, &m_previousMask);
    struct sigaction sa {};
    sa.sa_handler = onEvent;
    // A statement interrupted by the signal goes on; the watcher does the work.
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    m_active = true;
    for (std::size_t i = 0; i < kEventSignals.size(); ++i)
        m_active = ::sigaction(kEventSignals[i], &sa, &m_previous[i]) == 0 && m_active;
}

ConsoleEventWatch::~ConsoleEventWatch()
{
    if (!m_watching)
        return;
    for (std::size_t i = 0; i < kEventSignals.size(); ++i)
        ::sigaction(kEventSignals[i], &m_previous[i], nullptr);
    ::pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
    // Zero is no signal: it tells the watcher to stop.
    const unsigned char stop = 0;
    const ssize_t ignored = ::write(g_pipe[1], &stop, 1);
    (void)ignored;
    ::pthread_join(m_thread, nullptr);
}

void* ConsoleEventWatch::watchOn(void* watch)
{
    static_cast<ConsoleEventWatch*>(watch)->watch();
    return nullptr;
}

void ConsoleEventWatch::watch()
{
    unsigned char byte = 0;
    for (;;) {
        const ssize_t n = ::read(g_pipe[0], &byte, 1);
        if (n == 1)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        return;
    }
    if (byte == 0)
        return;
    for (int s : kEventSignals)
        ::signal(s, SIG_DFL);
    m_runtime.consoleEvent(byte);
}

} // namespace rt
