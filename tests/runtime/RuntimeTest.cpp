#include "runtime/Runtime.h"

#include "tests/runtime/FakeFileSystem.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

namespace rt {
namespace {

using test::FakeFileSystem;

constexpr auto Replace = OpenStatus::Replace;
constexpr auto Write = OpenAction::Write;
constexpr auto Null = BlankMode::Null;

// Records what reaches the user and how the program ends, in one log, in order. The end
// also notes how many files were still open when the window runtime was told.
struct Log {
    std::vector<std::string> events;
    std::vector<std::string> reports;
};

class RecordingSink final : public ReportSink {
public:
    explicit RecordingSink(Log& log) : m_log(log) {}
    void showReport(uint32_t id, std::string_view text) override
    {
        m_log.events.push_back("report " + std::to_string(id));
        m_log.reports.emplace_back(text);
    }

private:
    Log& m_log;
};

class RecordingEnd final : public ProgramEnd {
public:
    RecordingEnd(Log& log, const FakeFileSystem& fs) : m_log(log), m_fs(fs) {}
    void programEnded(int code) override
    {
        m_log.events.push_back("programEnded " + std::to_string(code) + " open files "
                               + std::to_string(m_fs.openHandles()));
    }
    void exitProcess(uint32_t status) override { m_log.events.push_back("exit " + std::to_string(status)); }

private:
    Log& m_log;
    const FakeFileSystem& m_fs;
};

class RecordingWindow final : public WindowTextSink {
public:
    std::string text;
    void writeWindowText(int unit, std::string_view t) override
    {
        text += std::to_string(unit) + ":";
        text += t;
    }
};

class RuntimeTest : public testing::Test {
protected:
    FakeFileSystem fake;
    Log log;
    RecordingSink sink{log};
    RecordingEnd end{log, fake};
    RecordingWindow window;
    Runtime runtime{fake, sink, end};

    void SetUp() override
    {
        runtime.units().connectWindow(0, &window);
        runtime.units().connectWindow(5, &window);
        runtime.units().connectWindow(6, &window);
    }
};

using Events = std::vector<std::string>;

TEST_F(RuntimeTest, ListingGoesToTheWindowUnit)
{
    const auto row = Format::parse("('   [',F6.3,2(', ',F6.3),']')");
    ASSERT_TRUE(row.has_value());
    EXPECT_TRUE(runtime.writeList(6, {std::string_view("lattice vectors")}));
    EXPECT_TRUE(runtime.writeFormatted(6, *row, {0.8660254f, -0.5f, 0.0f}));
    EXPECT_TRUE(runtime.writeList(6, {std::string_view("basis-atom positions")}));
    EXPECT_EQ("6: lattice vectors\r\n"
              "6:   [ 0.866, -0.500,  0.000]\r\n"
              "6: basis-atom positions\r\n",
              window.text);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(RuntimeTest, SevereOpenFailureEndsTheProgram)
{
    ASSERT_TRUE(runtime.openUnit(12, "other.txt", Replace, Write, Null));
    fake.openError = EACCES;
    EXPECT_FALSE(runtime.openUnit(11, "posit.txt   ", Replace, Write, Null));

    const uint32_t id = messageId(Severity::Severe, 9);
    EXPECT_EQ(Events({"report " + std::to_string(id), "programEnded 1 open files 0", "exit " + std::to_string(id)}),
              log.events);
    EXPECT_EQ(
        std::vector<std::string>{"rtxrtl: severe (9): permission to access file denied, unit 11, file posit.txt\r\n"},
        log.reports);
    EXPECT_EQ(9u, id & 0xFFu); // what a shell sees of the exit status
    for (int unit : {0, 5, 6, 11, 12})
        EXPECT_FALSE(runtime.units().isConnected(unit)) << unit;
}

TEST_F(RuntimeTest, EachOpenFailureIsReportedWithUnitAndFile)
{
    const std::pair<int, const char*> cases[] = {
        {ENOENT, "rtxrtl: severe (29): file not found, unit 11, file posit.txt\r\n"},
        {EISDIR, "rtxrtl: severe (30): open failure, unit 11, file posit.txt\r\n"},
        {ENAMETOOLONG, "rtxrtl: severe (43): file name specification error, unit 11, file posit.txt\r\n"},
        {ENOMEM, "rtxrtl: severe (41): insufficient virtual memory\r\n"},
    };
    for (auto [err, text] : cases) {
        FakeFileSystem fs;
        fs.openError = err;
        Log l;
        RecordingSink s{l};
        RecordingEnd e{l, fs};
        Runtime r{fs, s, e};
        EXPECT_FALSE(r.openUnit(11, "posit.txt", Replace, Write, Null));
        EXPECT_EQ(std::vector<std::string>{text}, l.reports);
        EXPECT_EQ(3u, l.events.size());
    }
}

TEST_F(RuntimeTest, InconsistentOpenAndEmptyNameReports)
{
    EXPECT_FALSE(runtime.openUnit(11, "posit.txt", Replace, OpenAction::Read, Null));
    EXPECT_FALSE(runtime.openUnit(11, "   ", Replace, Write, Null));
    ASSERT_EQ(2u, log.reports.size());
    EXPECT_EQ("rtxrtl: severe (46): inconsistent OPEN/CLOSE parameters, unit 11, file posit.txt\r\n", log.reports[0]);
    EXPECT_EQ("rtxrtl: severe (43): file name specification error, unit 11, file \"Unknown\"\r\n", log.reports[1]);
}

TEST_F(RuntimeTest, ReopeningTheSameFileReportsNothing)
{
    EXPECT_TRUE(runtime.openUnit(11, "posit.txt", Replace, Write, Null));
    EXPECT_TRUE(runtime.openUnit(11, "posit.txt", Replace, Write, Null));
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ("", fake.files["posit.txt"]);
}

TEST_F(RuntimeTest, ConversionErrorIsReportedAndTheProgramGoesOn)
{
    const auto i3 = Format::parse("(I3)");
    ASSERT_TRUE(i3.has_value());
    EXPECT_FALSE(runtime.writeFormatted(6, *i3, {1.5f}));
    EXPECT_EQ(std::vector<std::string>{"rtxrtl: error (63): output conversion error, unit 6, file \"Unknown\"\r\n"},
              log.reports);
    EXPECT_EQ(Events{"report " + std::to_string(messageId(Severity::Error, 63))}, log.events);
    EXPECT_TRUE(runtime.units().isConnected(6));
    EXPECT_EQ("", window.text);
}

TEST_F(RuntimeTest, WriteFailureOnAFileIsSevere)
{
    ASSERT_TRUE(runtime.openUnit(11, "posit.txt", Replace, Write, Null));
    fake.writeError = ENOSPC;
    EXPECT_FALSE(runtime.writeList(11, {std::string_view("x")}));
    const uint32_t id = messageId(Severity::Severe, 38);
    EXPECT_EQ(std::vector<std::string>{"rtxrtl: severe (38): error during write, unit 11, file posit.txt\r\n"},
              log.reports);
    EXPECT_EQ(Events({"report " + std::to_string(id), "programEnded 1 open files 0", "exit " + std::to_string(id)}),
              log.events);
}

TEST_F(RuntimeTest, FailedFirstUseNamesTheDefaultFile)
{
    ::unsetenv("QZUN20");
    fake.openError = EROFS;
    EXPECT_FALSE(runtime.writeList(20, {std::string_view("x")}));
    ASSERT_EQ(1u, log.reports.size());
    EXPECT_EQ("rtxrtl: severe (9): permission to access file denied, unit 20, file qzun.20\r\n", log.reports[0]);
}

TEST_F(RuntimeTest, ReportMessageClasses)
{
    runtime.report_message(messageId(Severity::Info, 297), {MessageArg{4L}});
    runtime.report_message(messageId(Severity::Error, 200), {MessageArg{std::string("control-C")}});
    EXPECT_EQ(std::vector<std::string>({"rtxrtl: info (297): 4 floating invalid traps\r\n",
                                        "rtxrtl: error (200): program aborting due to control-C event\r\n"}),
              log.reports);
    EXPECT_EQ(2u, log.events.size());

    const uint32_t id = messageId(Severity::Severe, 172);
    runtime.report_message(id, {MessageArg{0xC0000096L}, MessageArg{0xC0000096L}});
    EXPECT_EQ("rtxrtl: severe (172): Program Exception - exception code = 0xc0000096 (3221225622)\r\n",
              log.reports.back());
    EXPECT_EQ(Events({"report " + std::to_string(messageId(Severity::Info, 297)),
                      "report " + std::to_string(messageId(Severity::Error, 200)), "report " + std::to_string(id),
                      "programEnded 1 open files 0", "exit " + std::to_string(id)}),
              log.events);
}

TEST_F(RuntimeTest, StopRequestClosesUnitsAndExitsWithZero)
{
    ASSERT_TRUE(runtime.openUnit(11, "posit.txt", Replace, Write, Null));
    runtime.request_stop();
    EXPECT_EQ(Events({"programEnded 0 open files 0", "exit 0"}), log.events);
    EXPECT_TRUE(log.reports.empty());
    EXPECT_FALSE(runtime.units().isConnected(11));
    EXPECT_FALSE(runtime.units().isConnected(6));
    EXPECT_EQ("", window.text);
    EXPECT_EQ("", fake.files["posit.txt"]);

    // A second request while ending exits at once.
    runtime.request_stop();
    EXPECT_EQ(Events({"programEnded 0 open files 0", "exit 0", "exit 0"}), log.events);
    // So does a severe report: with its own status, never 0.
    runtime.report_message(messageId(Severity::Severe, 157));
    EXPECT_EQ("exit " + std::to_string(messageId(Severity::Severe, 157)), log.events.back());
    EXPECT_EQ(5u, log.events.size());
}

TEST_F(RuntimeTest, StopRequestWithACloseFailureIsNotASuccess)
{
    ASSERT_TRUE(runtime.openUnit(11, "posit.txt", Replace, Write, Null));
    fake.closeError = EIO;
    runtime.request_stop();
    const uint32_t id = messageId(Severity::Severe, 28);
    EXPECT_EQ(std::vector<std::string>{"rtxrtl: severe (28): CLOSE error, unit 11, file posit.txt\r\n"}, log.reports);
    EXPECT_EQ(Events({"report " + std::to_string(id), "programEnded 1 open files 0", "exit " + std::to_string(id)}),
              log.events);
}

TEST_F(RuntimeTest, EndOfProgramThreadClosesEveryUnit)
{
    ASSERT_TRUE(runtime.openUnit(11, "posit.txt", Replace, Write, Null));
    ASSERT_TRUE(runtime.openUnit(12, "b.txt", Replace, Write, Null));
    runtime.end_program_thread();
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(0u, fake.openHandles());
    for (int unit = 0; unit < Units::MaxUnits; ++unit)
        EXPECT_FALSE(runtime.units().isConnected(unit)) << unit;
}

TEST_F(RuntimeTest, EndOfProgramThreadReportsCloseFailures)
{
    ASSERT_TRUE(runtime.openUnit(11, "posit.txt", Replace, Write, Null));
    fake.closeError = EIO;
    runtime.end_program_thread();
    const uint32_t id = messageId(Severity::Severe, 28);
    EXPECT_EQ(std::vector<std::string>{"rtxrtl: severe (28): CLOSE error, unit 11, file posit.txt\r\n"}, log.reports);
    EXPECT_EQ(Events({"report " + std::to_string(id), "programEnded 1 open files 0", "exit " + std::to_string(id)}),
              log.events);
}

TEST(RuntimeDeathTest, SevereErrorExitsWithItsNumberAndOneLineOnStandardError)
{
    EXPECT_EXIT(
        {
            ::unsetenv("QZUN0");
            FakeFileSystem fs;
            fs.openError = EACCES;
            ConsoleReportSink reports;
            ProcessExit end;
            Runtime runtime(fs, reports, end);
            runtime.openUnit(11, "posit.txt", Replace, Write, Null);
        },
        testing::ExitedWithCode(9),
        "^rtxrtl: severe \\(9\\): permission to access file denied, unit 11, file posit\\.txt\n$");
}

TEST(RuntimeDeathTest, StopRequestExitsWithZeroAndWritesNothing)
{
    EXPECT_EXIT(
        {
            FakeFileSystem fs;
            ConsoleReportSink reports;
            ProcessExit end;
            Runtime runtime(fs, reports, end);
            runtime.openUnit(11, "posit.txt", Replace, Write, Null);
            runtime.request_stop();
        },
        testing::ExitedWithCode(0), "^$");
}

} // namespace
} // namespace rt

TEST(RuntimeDeathTest, DeveloperVariablesStopAtTheFailure)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("RTX_GENERATE_DEBUG_EXCEPTION", "1", 1);
            rt::ConsoleReportSink reports;
            rt::ProcessExit end;
            rt::Runtime runtime(platform::systemFileSystem(), reports, end);
            runtime.report_message(rt::idForNumber(rt::msg::OpenFailure), {11L, std::string("posit.txt")});
        },
        testing::KilledBySignal(SIGTRAP), "rtxrtl: severe \\(30\\)");
    EXPECT_EXIT(
        {
            setenv("RTX_DUMP_ON_ERROR", "yes", 1);
            rt::ConsoleReportSink reports;
            rt::ProcessExit end;
            rt::Runtime runtime(platform::systemFileSystem(), reports, end);
            runtime.report_message(rt::idForNumber(rt::msg::OpenFailure), {11L, std::string("posit.txt")});
        },
        testing::KilledBySignal(SIGABRT), "rtxrtl: severe \\(30\\)");
}
