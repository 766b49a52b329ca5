#include "app/ProgramThread.h"

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace app {

void MessageBoxReports::showReport(uint32_t, std::string_view text)
{
    // A copy on standard error (or the QZUN0 file) keeps the report when nobody reads the box.
    rt::redirectStandardErrorOnce();
    std::fprintf(stderr, "%.*s", int(text.size()), text.data());
    std::fflush(stderr);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    platform::MessageBoxRequest box;
    box.caption = ReportCaption;
    box.text = std::string(text);
    box.icon = platform::MessageIcon::Error;
    m_dialogs.messageBox(box);
}

void DesktopProgramEnd::programEnded(int code)
{
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
    }
    m_frame.programEnded(code);
}

void DesktopProgramEnd::exitProcess(uint32_t status)
{
    std::unique_lock lock(m_mutex);
    if (!m_status)
        m_status = status;
    m_recorded.notify_all();
    // The program thread has nothing left to do; the frame decides when the process ends.
    m_never.wait(lock, [] { return false; });
}

int DesktopProgramEnd::exitStatus() const
{
    std::unique_lock lock(m_mutex);
    if (m_ended)
        m_recorded.wait_for(lock, std::chrono::seconds(5), [this] { return m_status.has_value(); });
    return m_status ? int(*m_status & 0xFFu) : 0;
}

std::optional<uint32_t> DesktopProgramEnd::recordedStatus() const
{
    std::lock_guard lock(m_mutex);
    return m_status;
}

bool divisionIsSound()
{
    volatile double x = 4195835.0;
    volatile double y = 3145727.0;
    return x - x / y * y == 0.0;
}

void runtimeStartUpChecks(rt::Runtime& runtime)
{
    if (!divisionIsSound() && !std::getenv("RTX_RUN_FLAWED_PENTIUM"))
        runtime.report_message(rt::idForNumber(rt::msg::FlawedDivision));
}

uint16_t exceptionMessage(int signal, int code, bool inStackGuard)
{
    switch (signal) {
    case SIGSEGV: return inStackGuard ? rt::msg::StackOverflow : rt::msg::AccessViolation;
    case SIGBUS: return code == BUS_ADRALN ? 158 : rt::msg::AccessViolation;
    case SIGILL: return code == ILL_PRVOPC || code == ILL_PRVREG ? 166 : rt::msg::IllegalInstruction;
    case SIGTRAP: return 159;
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV: return rt::msg::IntegerDivideByZero;
        case FPE_INTOVF: return 165;
        case FPE_FLTDIV: return rt::msg::FloatingDivideByZero;
        case FPE_FLTOVF: return rt::msg::FloatingOverflow;
        case FPE_FLTUND: return rt::msg::FloatingUnderflow;
        case FPE_FLTRES: return rt::msg::FloatingInexact;
        case FPE_FLTINV: return rt::msg::FloatingInvalid;
        default: return rt::msg::FloatingInvalid;
        }
    default: return rt::msg::ExceptionCode;
    }
}

namespace {

// State the signal handler reads: set before the handlers go in, never freed.
int g_pipe[2] = {-1, -1};
std::atomic<pthread_t> g_guarded{};
std::atomic<bool> g_guardedSet{false};
std::atomic<uintptr_t> g_stackLow{0};
std::atomic<uintptr_t> g_guardSize{0};
rt::Runtime* g_runtime = nullptr;
rt::ProgramEnd* g_end = nullptr;

void handler(int signal, siginfo_t* info, void*)
{
    const int saved = errno;
    if (!g_guardedSet.load() || !pthread_equal(pthread_self(), g_guarded.load())) {
        // Not the program thread: the default action (a crash report of the system).
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        errno = saved;
        return;
    }
    const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
    const uintptr_t low = g_stackLow.load();
    const bool inGuard = signal == SIGSEGV && low != 0 && address < low && address + g_guardSize.load() + 65536 >= low;
    const uint16_t number = exceptionMessage(signal, info->si_code, inGuard);
    ssize_t ignored = ::write(g_pipe[1], &number, sizeof number);
    (void)ignored;
    // The faulting instruction cannot be resumed: the thread stops here for good.
    for (;;)
        ::pause();
}

// Reports the exception the handler passed on, on a thread of its own.
void watch()
{
    uint16_t number = 0;
    for (;;) {
        const ssize_t n = ::read(g_pipe[0], &number, sizeof number);
        if (n == sizeof number)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        return;
    }
    const uint32_t id = rt::idForNumber(number);
    g_runtime->report_message(id ? id : rt::idForNumber(rt::msg::ExceptionCode),
                              id ? std::initializer_list<rt::MessageArg>{}
                                 : std::initializer_list<rt::MessageArg>{long(number), long(number)});
    // An error-class report returns: the program ends as after a normal return.
    g_runtime->end_program_thread();
    g_end->programEnded(0);
    g_end->exitProcess(0);
}

} // namespace

bool guardProgramThread(rt::Runtime& runtime, rt::ProgramEnd& end)
{
    if (std::getenv("RTX_IGNORE_EXCEPTIONS"))
        return true;
    if (g_pipe[0] < 0 && ::pipe(g_pipe) != 0)
        return false;
    g_runtime = &runtime;
    g_end = &end;

    // A stack of its own for the handler, so that a stack overflow can still be reported.
    static char altStack[64 * 1024];
    stack_t ss{};
    ss.ss_sp = altStack;
    ss.ss_size = sizeof altStack;
    if (::sigaltstack(&ss, nullptr) != 0)
        return false;

    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* addr = nullptr;
        size_t size = 0;
        size_t guard = 0;
        pthread_attr_getstack(&attr, &addr, &size);
        pthread_attr_getguardsize(&attr, &guard);
        g_stackLow = reinterpret_cast<uintptr_t>(addr);
        g_guardSize = guard;
        pthread_attr_destroy(&attr);
    }
    g_guarded = pthread_self();
    g_guardedSet = true;

    struct sigaction sa {};
    sa.sa_sigaction = handler;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (int s : {SIGSEGV, SIGBUS, SIGILL, SIGFPE})
        if (::sigaction(s, &sa, nullptr) != 0)
            return false;
    static std::once_flag watcher;
    std::call_once(watcher, [] { std::thread(watch).detach(); });
    return true;
}

} // namespace app
