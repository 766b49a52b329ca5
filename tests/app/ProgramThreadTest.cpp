#include "app/ProgramThread.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(undefined_behavior_sanitizer)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
#else
constexpr bool Sanitized = false;
#endif

// Runs body on a fresh program thread guarded like the desktop's, with console reports and a
// real process exit; used inside death tests.
[[noreturn]] void crashOnGuardedThread(void (*body)())
{
    static rt::ConsoleReportSink reports;
    static rt::ProcessExit end;
    static rt::Runtime runtime(platform::systemFileSystem(), reports, end);
    std::thread program([body] {
        if (!app::guardProgramThread(runtime, end))
            std::_Exit(99);
        body();
    });
    program.join();
    std::_Exit(98);
}

volatile int* volatile nowhere = nullptr;
volatile int zero = 0;
volatile bool deeper = true;

void touchNull() { *nowhere = 1; }
void divideByZero() { zero = 7 / zero; }
int recurse(int n)
{
    volatile char pad[1024];
    pad[0] = char(n);
    return deeper ? recurse(n + 1) + pad[0] : pad[0];
}
void overflowStack() { zero = recurse(0); }

} // namespace

TEST(ProgramThread, ExceptionRows)
{
    EXPECT_EQ(app::exceptionMessage(SIGSEGV, SEGV_MAPERR, false), 157);
    EXPECT_EQ(app::exceptionMessage(SIGSEGV, SEGV_MAPERR, true), 170);
    EXPECT_EQ(app::exceptionMessage(SIGILL, ILL_ILLOPC, false), 168);
    EXPECT_EQ(app::exceptionMessage(SIGFPE, FPE_INTDIV, false), 164);
    EXPECT_EQ(app::exceptionMessage(SIGFPE, FPE_FLTDIV, false), 73);
    EXPECT_EQ(app::exceptionMessage(SIGFPE, FPE_FLTOVF, false), 72);
    EXPECT_EQ(app::exceptionMessage(SIGFPE, FPE_FLTINV, false), 65);
    EXPECT_EQ(app::exceptionMessage(SIGBUS, BUS_ADRALN, false), 158);
    EXPECT_TRUE(app::divisionIsSound());
}

TEST(ProgramThread, ReportsInAStopBox)
{
    platform::HeadlessPlatform platform;
    app::MessageBoxReports reports(platform);
    reports.showReport(0, "rtxrtl: severe (9): permission to access file denied, unit 11, file posit.txt\r\n");
    ASSERT_EQ(platform.messageBoxes().size(), 1u);
    const auto box = platform.messageBoxes()[0];
    EXPECT_EQ(box.caption, "RTX run-time error ");
    EXPECT_EQ(box.text, "rtxrtl: severe (9): permission to access file denied, unit 11, file posit.txt");
    EXPECT_EQ(box.icon, platform::MessageIcon::Error);
}

TEST(ProgramThreadDeathTest, AccessViolationIsReported)
{
    if (Sanitized)
        GTEST_SKIP() << "the sanitizers handle faults themselves";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(crashOnGuardedThread(touchNull), testing::ExitedWithCode(157),
                "rtxrtl: severe \\(157\\): Program Exception - access violation");
}

TEST(ProgramThreadDeathTest, IntegerDivisionByZeroIsReported)
{
    if (Sanitized)
        GTEST_SKIP() << "the sanitizers handle faults themselves";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(crashOnGuardedThread(divideByZero), testing::ExitedWithCode(164),
                "rtxrtl: severe \\(164\\): Program Exception - integer divide by zero");
}

TEST(ProgramThreadDeathTest, StackOverflowIsReported)
{
    if (Sanitized)
        GTEST_SKIP() << "the sanitizers handle faults themselves";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(crashOnGuardedThread(overflowStack), testing::ExitedWithCode(170),
                "rtxrtl: severe \\(170\\): Program Exception - stack overflow");
}

TEST(ProgramThreadDeathTest, IgnoredExceptionsAreNotReported)
{
    if (Sanitized)
        GTEST_SKIP() << "the sanitizers handle faults themselves";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("RTX_IGNORE_EXCEPTIONS", "1", 1);
            crashOnGuardedThread(touchNull);
        },
        testing::KilledBySignal(SIGSEGV), "^$");
}
