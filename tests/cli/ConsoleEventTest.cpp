// Console events on the real executable: a run blocked writing to a pipe nobody reads is
// interrupted, reports message 200 naming the event and exits with 128 + the signal.

#include "tests/cli/ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/ioctl.h>
#include <thread>
#include <tuple>

namespace fs = std::filesystem;

namespace {

using cli::test::slurp;

// True once the pipe holds all but a page of its capacity: a writer with more to say is then
// blocked (the slab of FCC (1 1 1) is hundreds of kilobytes).
bool waitUntilFull(int readEnd)
{
    const int capacity = ::fcntl(readEnd, F_GETPIPE_SZ);
    // Generous: a sanitizer build computes the slab many times more slowly.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (std::chrono::steady_clock::now() < deadline) {
        int queued = 0;
        if (::ioctl(readEnd, FIONREAD, &queued) == 0 && queued >= capacity - 4096)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(ConsoleEvent, BlockedOnAFullPipeTheRunIsReportedAndEndsWithTheSignal)
{
#if defined(__SANITIZE_THREAD__)
    // The thread checker holds a signal's handler back while the thread that took it sits in a
    // read: the watcher, reading the handler's own pipe, would wait for ever. The normal and the
    // address-checked builds run this test; the runtime's tests check the watcher in-process.
    GTEST_SKIP() << "signals are held back by the thread checker";
#endif
    char tmpl[] = "/tmp/facetor-event-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const fs::path dir = tmpl;
    const std::tuple<int, const char*, int> rows[] = {
        {SIGINT, "control-C", 130},
        {SIGQUIT, "control-BREAK", 131},
        {SIGHUP, "window-CLOSE", 129},
        {SIGTERM, "window-CLOSE", 143},
    };
    for (const auto& [signal, name, status] : rows) {
        SCOPED_TRACE(name);
        int pipe[2];
        ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        cli::test::ChildOptions options{dir.string(), pipe[1], (dir / "err").string(), {}};
        const pid_t child = cli::test::startFacetor({"slab", "--lattice", "fcc", "--hkl", "1", "1", "1"}, options);
        ASSERT_GT(child, 0);
        ::close(pipe[1]);
        const bool full = waitUntilFull(pipe[0]);
        ::kill(child, signal);
        const int exit = cli::test::waitForExit(child);
        ::close(pipe[0]);
        EXPECT_TRUE(full) << "the output never filled the pipe";
        EXPECT_EQ(exit, status);
        EXPECT_EQ(slurp(dir / "err"), "rtxrtl: error (200): program aborting due to " + std::string(name) + " event\n");
        EXPECT_EQ(fs::file_size(dir / "posit.txt"), 0u);
    }
    fs::remove_all(dir);
}

} // namespace
