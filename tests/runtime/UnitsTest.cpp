#include "runtime/Runtime.h"

#include "tests/runtime/FakeFileSystem.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace rt {
namespace {

namespace fs = std::filesystem;
using test::FakeFileSystem;

constexpr auto Replace = OpenStatus::Replace;
constexpr auto Write = OpenAction::Write;
constexpr auto Null = BlankMode::Null;

std::string contents(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class RecordingWindow final : public WindowTextSink {
public:
    std::vector<std::pair<int, std::string>> texts;
    void writeWindowText(int unit, std::string_view text) override { texts.emplace_back(unit, std::string(text)); }
};

// A fresh directory per test on the real file system.
class UnitsOnDisk : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / ("facetor_units_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
};

TEST_F(UnitsOnDisk, ReplaceEmptiesAFileWithContent)
{
    const std::string posit = path("posit.txt");
    std::ofstream(posit, std::ios::binary) << "old content that must go\r\n";
    Units units(platform::systemFileSystem());
    ASSERT_EQ(0, units.open(11, posit, Replace, Write, Null));
    EXPECT_EQ(0u, fs::file_size(posit));
    EXPECT_TRUE(units.isConnected(11));
    EXPECT_EQ(posit, units.fileName(11));
    ASSERT_EQ(0, units.close(11));
    EXPECT_FALSE(units.isConnected(11));
    EXPECT_EQ(0u, fs::file_size(posit));
}

TEST_F(UnitsOnDisk, ReplaceCreatesAMissingFileAndRecordsEndInCrLf)
{
    const std::string out = path("out.txt");
    Units units(platform::systemFileSystem());
    ASSERT_EQ(0, units.open(12, out, Replace, Write, Null));
    ASSERT_TRUE(fs::exists(out));
    EXPECT_EQ(0, units.writeRecord(12, " lattice vectors"));
    EXPECT_EQ(0, units.writeRecord(12, ""));
    EXPECT_EQ(0, units.writeRecord(12, "   [ 0.816,  0.000,  0.000]"));
    EXPECT_EQ(0, units.closeAll());
    EXPECT_EQ(" lattice vectors\r\n\r\n   [ 0.816,  0.000,  0.000]\r\n", contents(out));
}

TEST_F(UnitsOnDisk, ReopeningTheSameFileKeepsTheConnection)
{
    const std::string posit = path("posit.txt");
    Units units(platform::systemFileSystem());
    ASSERT_EQ(0, units.open(11, posit, Replace, Write, BlankMode::Null));
    ASSERT_EQ(0, units.writeRecord(11, "kept"));
    // Same name in another case and with blank padding: the same connection, not replaced again.
    std::string upper = posit.substr(0, posit.size() - 9) + "POSIT.TXT    ";
    EXPECT_EQ(0, units.open(11, upper, Replace, Write, BlankMode::Zero));
    EXPECT_EQ(BlankMode::Zero, units.blankMode(11));
    EXPECT_EQ(posit, units.fileName(11));
    ASSERT_EQ(0, units.writeRecord(11, "more"));
    ASSERT_EQ(0, units.close(11));
    EXPECT_EQ("kept\r\nmore\r\n", contents(posit));
    EXPECT_FALSE(fs::exists(path("POSIT.TXT")));
}

TEST_F(UnitsOnDisk, OpeningAnotherFileClosesTheOldConnection)
{
    Units units(platform::systemFileSystem());
    ASSERT_EQ(0, units.open(11, path("a.txt"), Replace, Write, Null));
    ASSERT_EQ(0, units.writeRecord(11, "to a"));
    ASSERT_EQ(0, units.open(11, path("b.txt"), Replace, Write, Null));
    ASSERT_EQ(0, units.writeRecord(11, "to b"));
    // a.txt is free again for another unit.
    EXPECT_EQ(0, units.open(12, path("a.txt"), OpenStatus::Old, Write, Null));
    EXPECT_EQ(0, units.closeAll());
    EXPECT_EQ("to a\r\n", contents(path("a.txt")));
    EXPECT_EQ("to b\r\n", contents(path("b.txt")));
}

TEST_F(UnitsOnDisk, OpenFailuresFromTheSystem)
{
    Units units(platform::systemFileSystem());
    fs::create_directory(path("adir"));
    EXPECT_EQ(msg::OpenFailure, units.open(11, path("adir"), Replace, Write, Null));
    EXPECT_EQ(msg::FileNotFound, units.open(11, path("missing/posit.txt"), Replace, Write, Null));
    EXPECT_EQ(msg::FileNotFound, units.open(11, path("absent.txt"), OpenStatus::Old, Write, Null));
    EXPECT_EQ(msg::FileNameSpecError, units.open(11, path(std::string(300, 'n')), Replace, Write, Null));
    std::ofstream(path("plain"), std::ios::binary) << "x";
    EXPECT_EQ(msg::FileNotFound, units.open(11, path("plain/sub.txt"), Replace, Write, Null));
    EXPECT_EQ(msg::CannotOverwrite, units.open(11, path("plain"), OpenStatus::New, Write, Null));
    EXPECT_EQ("x", contents(path("plain")));
    EXPECT_FALSE(units.isConnected(11));
}

TEST(Units, SameFileOnAnotherUnitIsRefused)
{
    FakeFileSystem fake;
    Units units(fake);
    ASSERT_EQ(0, units.open(11, "posit.txt", Replace, Write, Null));
    EXPECT_EQ(msg::UnitAlreadyOpen, units.open(12, "Posit.TXT", Replace, Write, Null));
    EXPECT_FALSE(units.isConnected(12));
    EXPECT_EQ("posit.txt", units.fileName(11));
}

TEST(Units, ParameterAndNameChecks)
{
    FakeFileSystem fake;
    Units units(fake);
    EXPECT_EQ(msg::InconsistentOpenClose, units.open(11, "f", Replace, OpenAction::Read, Null));
    EXPECT_EQ(msg::InconsistentOpenClose, units.open(11, "f", OpenStatus::New, OpenAction::Read, Null));
    EXPECT_EQ(msg::KeywordValueError, units.open(11, "f", OpenStatus::Scratch, Write, Null));
    EXPECT_EQ(msg::FileNameSpecError, units.open(11, "", Replace, Write, Null));
    EXPECT_EQ(msg::FileNameSpecError, units.open(11, "      ", Replace, Write, Null));
    EXPECT_EQ(msg::FileNameSpecError, units.open(11, std::string(5000, 'x'), Replace, Write, Null));
    EXPECT_EQ(msg::FileNameSpecError, units.open(11, std::string("a\0b", 3), Replace, Write, Null));
    EXPECT_EQ(msg::InvalidUnitNumber, units.open(-1, "f", Replace, Write, Null));
    EXPECT_EQ(msg::InvalidUnitNumber, units.open(100, "f", Replace, Write, Null));
    EXPECT_EQ(msg::InvalidUnitNumber, units.writeRecord(100, "x"));
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_FALSE(units.isConnected(11));

    // Re-opening with another action is not a change the connection can take.
    ASSERT_EQ(0, units.open(11, "f", Replace, Write, Null));
    EXPECT_EQ(msg::InconsistentOpenClose, units.open(11, "f", OpenStatus::Old, OpenAction::Read, Null));
    EXPECT_TRUE(units.isConnected(11));
}

TEST(Units, SystemErrorsMapToMessages)
{
    const std::pair<int, int> mapping[] = {
        {EACCES, msg::PermissionDenied},
        {EPERM, msg::PermissionDenied},
        {EROFS, msg::PermissionDenied},
        {ETXTBSY, msg::PermissionDenied},
        {ENOENT, msg::FileNotFound},
        {ENOTDIR, msg::FileNotFound},
        {ENAMETOOLONG, msg::FileNameSpecError},
        {EINVAL, msg::FileNameSpecError},
        {ENOMEM, msg::InsufficientMemory},
        {EISDIR, msg::OpenFailure},
        {ENOSPC, msg::OpenFailure},
        {EMFILE, msg::OpenFailure},
        {ELOOP, msg::OpenFailure},
    };
    for (auto [err, number] : mapping) {
        SCOPED_TRACE(err);
        EXPECT_EQ(number, openErrorMessage(err));
        FakeFileSystem fake;
        fake.openError = err;
        Units units(fake);
        EXPECT_EQ(number, units.open(11, "posit.txt", Replace, Write, Null));
        EXPECT_FALSE(units.isConnected(11));
        EXPECT_EQ(0u, fake.openHandles());
    }
}

TEST(Units, ReplaceOpensThenTruncates)
{
    FakeFileSystem fake;
    fake.files["posit.txt"] = "old";
    Units units(fake);
    ASSERT_EQ(0, units.open(11, "posit.txt", Replace, Write, Null));
    EXPECT_EQ((std::vector<std::string>{"openForWrite posit.txt create", "truncate 3"}), fake.calls);
    EXPECT_EQ("", fake.files["posit.txt"]);
    // The second request on the same connection calls nothing.
    fake.files["posit.txt"] = "written since";
    ASSERT_EQ(0, units.open(11, "posit.txt", Replace, Write, Null));
    EXPECT_EQ(2u, fake.calls.size());
    EXPECT_EQ("written since", fake.files["posit.txt"]);
}

TEST(Units, FailedTruncationIsAWriteErrorAndReleasesTheFile)
{
    FakeFileSystem fake;
    fake.files["posit.txt"] = "old";
    fake.truncateError = EIO;
    Units units(fake);
    EXPECT_EQ(msg::ErrorDuringWrite, units.open(11, "posit.txt", Replace, Write, Null));
    EXPECT_FALSE(units.isConnected(11));
    EXPECT_EQ(0u, fake.openHandles());
}

TEST(Units, WriteAndCloseFailures)
{
    FakeFileSystem fake;
    Units units(fake);
    ASSERT_EQ(0, units.open(11, "posit.txt", Replace, Write, Null));
    fake.writeError = ENOSPC;
    EXPECT_EQ(msg::ErrorDuringWrite, units.writeRecord(11, "x"));
    fake.writeError = 0;
    ASSERT_EQ(0, units.open(12, "other.txt", Replace, Write, Null));
    fake.closeError = EIO;
    EXPECT_EQ(msg::CloseError, units.closeAll());
    EXPECT_FALSE(units.isConnected(11));
    EXPECT_FALSE(units.isConnected(12));
    EXPECT_EQ(0u, fake.openHandles());
}

TEST(Units, ReadOnlyUnitRefusesRecords)
{
    FakeFileSystem fake;
    fake.files["in.txt"] = "data";
    Units units(fake);
    ASSERT_EQ(0, units.open(5, "in.txt", OpenStatus::Old, OpenAction::Read, Null));
    EXPECT_EQ(msg::WriteToReadOnly, units.writeRecord(5, "x"));
    EXPECT_EQ("data", fake.files["in.txt"]);
}

TEST(Units, WindowUnitsPassRecordsWithCrLf)
{
    FakeFileSystem fake;
    RecordingWindow window;
    Units units(fake);
    units.connectWindow(6, &window);
    EXPECT_TRUE(units.isConnected(6));
    EXPECT_EQ("", units.fileName(6));
    EXPECT_EQ(0, units.writeRecord(6, " lattice vectors"));
    EXPECT_EQ(0, units.writeRecord(6, "   [ 0.816,  0.000,  0.000]"));
    const std::vector<std::pair<int, std::string>> expected = {{6, " lattice vectors\r\n"},
                                                               {6, "   [ 0.816,  0.000,  0.000]\r\n"}};
    EXPECT_EQ(expected, window.texts);
    EXPECT_TRUE(fake.calls.empty());
    // A window unit can be opened on a file; the window connection is given up.
    ASSERT_EQ(0, units.open(6, "six.txt", Replace, Write, Null));
    ASSERT_EQ(0, units.writeRecord(6, "to file"));
    EXPECT_EQ(2u, window.texts.size());
    EXPECT_EQ("to file\r\n", fake.files["six.txt"]);
    units.connectWindow(6, nullptr);
    EXPECT_FALSE(units.isConnected(6));
}

TEST(Units, FirstUseWithoutOpenConnectsTheDefaultFile)
{
    ::unsetenv("QZUN42");
    FakeFileSystem fake;
    fake.files["qzun.42"] = "stale";
    Units units(fake);
    EXPECT_EQ("qzun.42", Units::defaultFileName(42));
    ASSERT_EQ(0, units.writeRecord(42, "hello"));
    EXPECT_EQ("qzun.42", units.fileName(42));
    EXPECT_EQ("hello\r\n", fake.files["qzun.42"]);

    ::setenv("QZUN43", "/tmp/forty-three.txt", 1);
    EXPECT_EQ("/tmp/forty-three.txt", Units::defaultFileName(43));
    ASSERT_EQ(0, units.writeRecord(43, "x"));
    EXPECT_EQ("x\r\n", fake.files["/tmp/forty-three.txt"]);
    ::setenv("QZUN43", "", 1);
    EXPECT_EQ("qzun.43", Units::defaultFileName(43));
    ::unsetenv("QZUN43");

    fake.openError = EACCES;
    EXPECT_EQ(msg::PermissionDenied, units.writeRecord(44, "x"));
    EXPECT_FALSE(units.isConnected(44));
}

TEST(Units, DestructionReleasesOpenFiles)
{
    FakeFileSystem fake;
    {
        Units units(fake);
        ASSERT_EQ(0, units.open(11, "a", Replace, Write, Null));
        ASSERT_EQ(0, units.open(12, "b", Replace, Write, Null));
        EXPECT_EQ(2u, fake.openHandles());
    }
    EXPECT_EQ(0u, fake.openHandles());
}

} // namespace
} // namespace rt
