#include "runtime/ConsoleEvents.h"
#include "runtime/Runtime.h"

#include "tests/runtime/FakeFileSystem.h"

#include <gtest/gtest.h>

#include <thread>
#include <tuple>

namespace rt {
namespace {

// One log of what reaches the user and how the program ends, in order.
struct Recorder final : ReportSink, ProgramEnd, WindowTextSink {
    const test::FakeFileSystem* fs = nullptr;
    std::vector<std::string> events;
    std::string window;
    void showReport(uint32_t, std::string_view text) override { events.emplace_back(text); }
    void programEnded(int code) override
    {
        events.push_back("ended " + std::to_string(code) + ", open files " + std::to_string(fs->openHandles()));
    }
    void exitProcess(uint32_t status) override { events.push_back("exit " + std::to_string(status)); }
    void exitInterrupted(uint32_t status) override { events.push_back("interrupted " + std::to_string(status)); }
    void writeWindowText(int, std::string_view text) override { window += text; }
};

using Events = std::vector<std::string>;

// An event on the watcher's thread: message 200 naming it, every unit closed before the window
// runtime is told, then 128 + the signal. After it the program's statements and stop request
// go no further, a program returning normally ends with the event's status too, and a second
// event leaves at once with the same status.
TEST(ConsoleEvent, ReportedUnitsClosedAndTheSignalsStatus)
{
    const std::tuple<int, const char*, int> rows[] = {
        {SIGINT, "control-C", 130},
        {SIGQUIT, "control-BREAK", 131},
        {SIGHUP, "window-CLOSE", 129},
        {SIGTERM, "window-CLOSE", 143},
    };
    for (const auto& [signal, name, status] : rows) {
        SCOPED_TRACE(name);
        test::FakeFileSystem fake;
        Recorder r;
        r.fs = &fake;
        Runtime runtime(fake, r, r);
        runtime.units().connectWindow(6, &r);
        ASSERT_TRUE(runtime.openUnit(11, "posit.txt", OpenStatus::Replace, OpenAction::Write, BlankMode::Null));

        std::thread([&runtime, signal = signal] { runtime.consoleEvent(signal); }).join();
        const std::string s = std::to_string(status);
        EXPECT_EQ(Events({"rtxrtl: error (200): program aborting due to " + std::string(name) + " event\r\n",
                          "ended " + s + ", open files 0", "interrupted " + s}),
                  r.events);
        EXPECT_FALSE(runtime.unitConnected(6));
        EXPECT_FALSE(runtime.unitConnected(11));

        r.events.clear();
        EXPECT_FALSE(runtime.writeList(6, {std::string_view("after the end")}));
        EXPECT_FALSE(runtime.openUnit(11, "posit.txt", OpenStatus::Replace, OpenAction::Write, BlankMode::Null));
        runtime.request_stop();
        runtime.end_program_thread(); // the program returning normally after the event
        runtime.consoleEvent(SIGINT);
        EXPECT_EQ(Events({"exit " + s, "exit " + s, "exit " + s, "exit " + s, "interrupted " + s}), r.events);
        EXPECT_EQ(r.window, "");
        EXPECT_EQ(fake.files.size(), 1u);
    }
    EXPECT_EQ(consoleEventName(SIGUSR1), "");
}

} // namespace
} // namespace rt
