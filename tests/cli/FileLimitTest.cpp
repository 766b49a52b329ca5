// Every kind of file the batch front end writes, under a file size limit that stands in for a
// full disk: the old file stays byte for byte, no partial or temporary file is left, one line
// says why, and the status is not a success.

#include "tests/cli/ChildProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

using cli::test::slurp;

TEST(FileLimit, AFailedWriteOfEachKindLeavesTheOldFile)
{
    char tmpl[] = "/tmp/facetor-limit-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const fs::path root = tmpl;
    const std::vector<std::vector<std::string>> rows = {
        {"render", "--lattice", "fcc", "--hkl", "1", "1", "1", "--out", "picture.bmp"},
        {"render", "--lattice", "hcp", "--hkl", "0", "0", "1", "--out", "picture.png"},
        {"export", "--material", "Cu", "--hkl", "1", "1", "1", "--size", "6x6", "--out", "slab.xyz"},
        {"export", "--material", "Cu", "--hkl", "1", "1", "1", "--size", "6x6", "--out", "POSCAR"},
        {"export", "--material", "Cu", "--hkl", "1", "1", "1", "--size", "6x6", "--out", "slab.cif"},
        {"figure", "--material", "Cu", "--hkl", "1", "1", "1", "--out", "figure.svg"},
        {"figure", "--material", "Cu", "--hkl", "1", "1", "1", "--out", "figure.pdf"},
        {"figure", "--material", "Cu", "--hkl", "1", "1", "1", "--out", "figure.png"},
        {"leed", "--material", "Cu", "--hkl", "1", "1", "1", "--energy", "100", "--out", "pattern.png"},
        {"leed", "--material", "Cu", "--hkl", "1", "1", "1", "--energy", "100", "--out", "pattern.svg"},
    };
    const std::string old(1000, 'o');
    for (const auto& args : rows) {
        const std::string target = args.back();
        SCOPED_TRACE(args.front() + " " + target);
        const fs::path dir = root / target;
        fs::create_directories(dir);
        std::ofstream(dir / target, std::ios::binary) << old;
        cli::test::ChildOptions options{dir.string(), -1, (root / "err").string(), 4096};
        const int status = cli::test::waitForExit(cli::test::startFacetor(args, options));

        EXPECT_NE(status, 0);
        EXPECT_LT(status, 256) << "killed by signal " << status - 1000;
        const std::string err = slurp(root / "err");
        EXPECT_EQ(err, "facetor: cannot write " + target + ": File too large\n");
        EXPECT_EQ(slurp(dir / target), old);
        std::set<std::string> left;
        for (const auto& e : fs::directory_iterator(dir))
            left.insert(e.path().filename().string());
        std::set<std::string> expected{target};
        if (args.front() == "render")
            expected.insert("posit.txt");
        EXPECT_EQ(left, expected);

        // Without the limit the same command replaces the file.
        options.fileSizeLimit.reset();
        EXPECT_EQ(cli::test::waitForExit(cli::test::startFacetor(args, options)), 0) << slurp(root / "err");
        EXPECT_GT(fs::file_size(dir / target), 4096u);
    }
    fs::remove_all(root);
}

} // namespace
