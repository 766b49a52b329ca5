// facetor figure as a user runs it: bad arguments write nothing and exit with status 2.

#include "tests/cli/CommandRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

class FigureCommand : public cli::test::CommandRun {
protected:
    // facetor figure with args; the error text is kept for the checks.
    int figure(const std::string& args)
    {
        const cli::test::CommandResult r = run("figure " + args);
        m_err = r.err;
        return r.status;
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(work() / name); }

    std::string m_err;
};

TEST_F(FigureCommand, BadArgumentsGiveStatusTwoAndNoFile)
{
    const std::string pt = "--material Pt --hkl 1 1 1 ";
    const struct {
        std::string args;
        std::string named; // what the error line names
    } rows[] = {
        {"--rotate 10 --out f.svg", "--material"}, // no surface
        {"--material Pt --hkl 0 0 0 --out f.svg", "0 0 0"},
        {pt + "--width 8 --out f.png", "--width"},
        {pt + "--width 1e3 --out f.png", "--width"},
        {pt + "--layers 0 --out f.svg", "--layers"},
        {pt + "--layers 61 --out f.svg", "--layers"},
        {pt + "--size 3 --out f.svg", "--size"},
        {pt + "--size 0x4 --out f.svg", "--size"},
        {pt + "--size 300x300 --out f.svg", "--size"},
        {pt + "--size 200x200 --layers 60 --out f.svg", "atoms"},
        {pt + "--tilt nan --out f.svg", "--tilt"},
        {pt + "--size 1x200 --width 10000 --out f.png", "high"},
        {pt + "--width 9000 --out f.png", "million"},
        {pt + "--out f.svg --rotate", "--rotate"},
        {pt + "--colour pink --out f.svg", "pink"},
        {pt + "--out f.jpg", "f.jpg"},
        {pt + "--frame --out f.svg", "--frame"},
        {pt, "--out"},
    };
    for (const auto& row : rows) {
        const std::string& args = row.args;
        EXPECT_EQ(figure(args), 2) << args;
        const std::string err = m_err;
        EXPECT_EQ(err.rfind("facetor: ", 0), 0u) << args << "\n" << err;
        EXPECT_NE(err.substr(0, err.find('\n')).find(row.named), std::string::npos) << args << "\n" << err;
        for (const char* name : {"f.svg", "f.png", "f.jpg"})
            EXPECT_FALSE(exists(name)) << args;
    }
}

TEST_F(FigureCommand, WritesTheFileItsNameAsksFor)
{
    ASSERT_EQ(figure("--material GaAs --hkl 1 1 0 --size 4x4 --cell --axes --colour coordination --out f.svg"), 0)
        << m_err;
    EXPECT_NE(workFile("f.svg").find("<svg"), std::string::npos);
    ASSERT_EQ(figure("--material Cu --hkl 2 1 1 --rotate 30 --tilt 20 --width 640 --out f.PNG"), 0) << m_err;
    EXPECT_EQ(workFile("f.PNG").substr(1, 3), "PNG");
    ASSERT_EQ(figure("--lattice hcp --elements Ru --a 2.706 --c 4.282 --hkl 1 0 -1 0 --termination B --out f.pdf"), 0)
        << m_err;
    EXPECT_EQ(workFile("f.pdf").rfind("%PDF-", 0), 0u);
    // A failed write leaves no file and says why.
    EXPECT_EQ(figure("--material Cu --hkl 1 1 1 --out missing/f.svg"), 1);
    EXPECT_FALSE(exists("missing"));
}

} // namespace
