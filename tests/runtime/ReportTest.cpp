#include "runtime/Runtime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace rt {
namespace {

std::string fmt(std::string_view text, std::vector<MessageArg> args) { return formatTemplate(text, args); }

TEST(FormatTemplate, Conversions)
{
    EXPECT_EQ("unit 11, file posit.txt", fmt("unit %d, file %s", {11L, std::string("posit.txt")}));
    EXPECT_EQ("-7 and 42", fmt("%i and %ld", {-7L, 42L}));
    EXPECT_EQ("0xc0000005 (3221225477)", fmt("0x%lx (%ld)", {0xC0000005L, 0xC0000005L}));
    EXPECT_EQ("100% sure", fmt("100%% sure", {}));
    EXPECT_EQ("3 floating invalid traps\r\n", fmt("%d floating invalid traps\r\n", {3L}));
}

TEST(FormatTemplate, MissingMismatchedAndUnknownPlaceholdersAreSafe)
{
    // Missing arguments leave their placeholders; surplus ones are ignored.
    EXPECT_EQ("unit 6, file %s", fmt("unit %d, file %s", {6L}));
    EXPECT_EQ("unit %d, file %s", fmt("unit %d, file %s", {}));
    EXPECT_EQ("x 1", fmt("x %d", {1L, 2L, std::string("extra")}));
    // A number where a text is expected is written in decimal, and the other way round.
    EXPECT_EQ("file 12", fmt("file %s", {12L}));
    EXPECT_EQ("unit abc", fmt("unit %d", {std::string("abc")}));
    // Conversions outside the set are copied as they are and take no argument.
    EXPECT_EQ("%x %u 5", fmt("%x %u %d", {5L}));
    EXPECT_EQ("ends in %", fmt("ends in %", {1L}));
}

TEST(FormatTemplate, OutputIsCappedAt393Bytes)
{
    const std::string longName(1000, 'n');
    const std::string out = fmt("file %s\r\n", {longName});
    EXPECT_EQ(393u, out.size());
    EXPECT_EQ("file nnn", out.substr(0, 8));
    EXPECT_EQ(std::string(300, 'a'), fmt(std::string(300, 'a'), {}));
    EXPECT_EQ(393u, fmt(std::string(500, 'a'), {}).size());
}

TEST(ComposeReport, PrefixNumberAndText)
{
    const std::vector<MessageArg> io = {11L, std::string("posit.txt")};
    EXPECT_EQ("rtxrtl: severe (9): permission to access file denied, unit 11, file posit.txt\r\n",
              composeReport(messageId(Severity::Severe, 9), io));
    EXPECT_EQ("rtxrtl: error (63): output conversion error, unit 11, file posit.txt\r\n",
              composeReport(messageId(Severity::Error, 63), io));
    const std::vector<MessageArg> count = {2L};
    EXPECT_EQ("rtxrtl: info (298): 2 floating overflow traps\r\n",
              composeReport(messageId(Severity::Info, 298), count));
    EXPECT_EQ("rtxrtl (0): operation completed successfully\r\n", composeReport(0, {}));
    EXPECT_EQ("rtxrtl: severe (157): Program Exception - access violation\r\n",
              composeReport(messageId(Severity::Severe, 157), {}));
    // Without arguments the template is not formatted at all.
    EXPECT_EQ("rtxrtl: error (200): program aborting due to %s event\r\n",
              composeReport(messageId(Severity::Error, 200), {}));
    EXPECT_EQ("rtxrtl: error (200): program aborting due to control-C event\r\n",
              composeReport(messageId(Severity::Error, 200), std::vector<MessageArg>{std::string("control-C")}));
    EXPECT_EQ("rtxrtl: error (9): Message not found\n", composeReport(messageId(Severity::Error, 9), io));
}

TEST(ConsoleReportSink, WritesOneLineToStandardError)
{
    ConsoleReportSink sink;
    testing::internal::CaptureStderr();
    sink.showReport(0xC0000009u, "rtxrtl: severe (9): permission to access file denied, unit 11, file posit.txt\r\n");
    sink.showReport(0xC0000009u, "no line end");
    sink.showReport(0xC0000009u, "two\r\nlines\r\n");
    EXPECT_EQ("rtxrtl: severe (9): permission to access file denied, unit 11, file posit.txt\n"
              "no line end\n"
              "two\nlines\n",
              testing::internal::GetCapturedStderr());
}

std::string readFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(ConsoleReportSinkDeathTest, Qzun0AppendsReportsToTheNamedFile)
{
    // The redirection happens once per process: run it in a freshly started child.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this body again from the start: it finds the name the parent chose in
    // the environment it inherits.
    if (std::getenv("FACETOR_TEST_QZUN0_FILE") == nullptr) {
        const auto chosen =
            std::filesystem::temp_directory_path() / ("facetor_qzun0_" + std::to_string(::getpid()) + ".txt");
        ::setenv("FACETOR_TEST_QZUN0_FILE", chosen.c_str(), 1);
    }
    const std::filesystem::path path = std::getenv("FACETOR_TEST_QZUN0_FILE");
    {
        std::ofstream(path, std::ios::binary) << "earlier\n";
    }
    EXPECT_EXIT(
        {
            ::setenv("QZUN0", path.c_str(), 1);
            ConsoleReportSink sink;
            sink.showReport(0, "rtxrtl: error (63): first\r\n");
            sink.showReport(0, "rtxrtl: error (63): second\r\n");
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "^$");
    EXPECT_EQ("earlier\nrtxrtl: error (63): first\nrtxrtl: error (63): second\n", readFile(path));
    std::filesystem::remove(path);
}

TEST(ConsoleReportSinkDeathTest, UnopenableQzun0KeepsStandardError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::setenv("QZUN0", "/nonexistent-facetor-dir/err.txt", 1);
            ConsoleReportSink sink;
            sink.showReport(0, "rtxrtl: error (63): still visible\r\n");
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "rtxrtl: error \\(63\\): still visible");
}

} // namespace
} // namespace rt
