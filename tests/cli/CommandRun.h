#pragma once
// The real executable run through the shell as a user runs it, in a scratch directory made for
// each test: commands run in its "work" folder, their output and errors go beside it.

#include "tests/cli/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace cli::test {

struct CommandResult {
    int status = -1; // the exit status, -1 when killed
    std::string out;
    std::string err;
};

class CommandRun : public testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/facetor-run-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        std::filesystem::create_directory(work());
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // Runs facetor with args (already shell-quoted where needed) in the work folder, or in dir.
    CommandResult run(const std::string& args) { return runIn(work(), args); }
    CommandResult runIn(const std::filesystem::path& dir, const std::string& args)
    {
        const std::string out = (m_dir / "out").string();
        const std::string err = (m_dir / "err").string();
        const std::string cmd =
            "cd '" + dir.string() + "' && '" FACETOR_BIN "' " + args + " >'" + out + "' 2>'" + err + "' </dev/null";
        const int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

    std::filesystem::path work() const { return m_dir / "work"; }
    // The contents of a file in the work folder.
    std::string workFile(const std::string& name) const { return slurp((work() / name).string()); }
    std::vector<std::filesystem::path> workFiles() const
    {
        std::vector<std::filesystem::path> files;
        for (const auto& e : std::filesystem::directory_iterator(work()))
            files.push_back(e.path().filename());
        return files;
    }

    std::filesystem::path m_dir;
};

} // namespace cli::test
