#include "platform/FileSystem.h"

#include "tests/runtime/FakeFileSystem.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

// Every way the write can fail leaves the old file byte for byte and no temporary behind.
TEST(WholeFile, AFailedStepLeavesTheOldFile)
{
    struct Row {
        const char* what;
        void (*arm)(rt::test::FakeFileSystem&);
        int expected;
    };
    const Row rows[] = {
        {"create", [](rt::test::FakeFileSystem& f) { f.createError = EACCES; }, EACCES},
        {"disk full on the first write",
         [](rt::test::FakeFileSystem& f) { f.failingWrite = 1, f.writeAtError = ENOSPC; }, ENOSPC},
        {"file too large", [](rt::test::FakeFileSystem& f) { f.failingWrite = 1, f.writeAtError = EFBIG; }, EFBIG},
        {"sync", [](rt::test::FakeFileSystem& f) { f.syncError = EIO; }, EIO},
        {"close", [](rt::test::FakeFileSystem& f) { f.closeError = EIO; }, EIO},
        {"rename", [](rt::test::FakeFileSystem& f) { f.renameError = EXDEV; }, EXDEV},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        rt::test::FakeFileSystem fs;
        fs.files["pic.png"] = "old picture";
        row.arm(fs);
        EXPECT_EQ(writeWholeFile("pic.png", "a new and longer picture", fs), row.expected);
        EXPECT_EQ(fs.files.size(), 1u);
        EXPECT_EQ(fs.files["pic.png"], "old picture");
        EXPECT_EQ(fs.openHandles(), 0u);
    }

    rt::test::FakeFileSystem fs;
    fs.files["pic.png"] = "old picture";
    EXPECT_EQ(writeWholeFile("pic.png", "new", fs), 0);
    EXPECT_EQ(fs.files.size(), 1u);
    EXPECT_EQ(fs.files["pic.png"], "new");
}

std::string contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A real file size limit stands in for a full disk: the write fails with EFBIG instead of the
// process dying, and the folder holds only the old file.
TEST(WholeFile, AFileSizeLimitLeavesTheOldFile)
{
    const auto dir = std::filesystem::temp_directory_path() / ("wholefile-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto target = dir / "picture.bmp";
    std::ofstream(target, std::ios::binary) << "the old picture";

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::string big(100000, 'x');
        ::_exit(writeWholeFile(target.string(), big) == EFBIG ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(contents(target), "the old picture");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);

    EXPECT_EQ(writeWholeFile(target.string(), "the new picture"), 0);
    EXPECT_EQ(contents(target), "the new picture");
    std::filesystem::remove_all(dir);
}

// A write that an interrupt abandons half-way.
struct Interrupted final : FileSystem {
    rt::test::FakeFileSystem fake;
    int openForWrite(const std::string& p, bool c, int& h) override { return fake.openForWrite(p, c, h); }
    int openForRead(const std::string& p, int& h) override { return fake.openForRead(p, h); }
    int truncate(int h) override { return fake.truncate(h); }
    int write(int h, const char* d, std::size_t n) override
    {
        const int err = fake.write(h, d, n);
        abandonWholeFileWrites();
        return err;
    }
    int close(int h) override { return fake.close(h); }
    int createTemporary(const std::string& p, std::string& t, int& h) override { return fake.createTemporary(p, t, h); }
    int sync(int h) override { return fake.sync(h); }
    int rename(const std::string& f, const std::string& t) override { return fake.rename(f, t); }
    int remove(const std::string& p) override { return fake.remove(p); }
};

[[noreturn]] void writeAndAbandon()
{
    Interrupted fs;
    fs.fake.files["pic.png"] = "old picture";
    const bool first = writeWholeFile("pic.png", "new picture", fs) == ECANCELED;
    const bool later = writeWholeFile("other.png", "more", fs.fake) == ECANCELED;
    const std::map<std::string, std::string> kept{{"pic.png", "old picture"}};
    std::_Exit(first && later && fs.fake.files == kept && fs.fake.openHandles() == 0 ? 0 : 1);
}

// An interrupt while a file is being written: the temporary goes, the target stays, and no later
// write reaches its rename. In a child process, since abandoning is for good.
TEST(WholeFileDeathTest, AnAbandonedWriteLeavesTheOldFile)
{
    EXPECT_EXIT(writeAndAbandon(), testing::ExitedWithCode(0), "");
}

// The extension that tells the formats apart: the file name's last, lower-cased; none for a
// name without one or a hidden file's leading dot, nor from a folder's name.
TEST(FileExtension, OfTheFileNameOnly)
{
    const std::pair<const char*, const char*> rows[] = {
        {"out/Figure.SVG", "svg"}, {"slab.tar.gz", "gz"},    {"POSCAR", ""}, {".svg", ""},
        {"dir.d/POSCAR", ""},      {"a/.hidden.cif", "cif"}, {"name.", ""},  {"", ""},
    };
    for (const auto& [path, ext] : rows)
        EXPECT_EQ(fileExtension(path), ext) << path;
}

} // namespace
} // namespace platform
