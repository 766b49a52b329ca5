// facetor leed as a user runs it: the real executable in a scratch directory.

#include "tests/cli/CommandRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

using LeedRun = cli::test::CommandResult;
using cli::test::slurp;

int occurrences(const std::string& text, const std::string& word)
{
    int n = 0;
    for (auto pos = text.find(word); pos != std::string::npos; pos = text.find(word, pos + 1))
        ++n;
    return n;
}

class LeedCommand : public cli::test::CommandRun {
protected:
    cli::test::CommandResult leed(const std::string& args) { return run("leed " + args); }
    bool workEmpty() const { return workFiles().empty(); }
};

} // namespace

TEST_F(LeedCommand, TextJsonAndPictures)
{
    // Cu (1 0 0) c(2x2) at 100 eV: 13 substrate beams and 12 half-order ones (counted in the
    // crystal tests).
    const LeedRun text = leed("--material Cu --hkl 1 0 0 --energy 100 --wood 'c(2x2)' --out p.png");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("square cell"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("25 beams"), std::string::npos);
    EXPECT_EQ(occurrences(text.out, "  substrate "), 13);
    EXPECT_EQ(occurrences(text.out, "  superstructure "), 12);
    EXPECT_NE(text.out.find("   1/2    1/2    1.2"), std::string::npos) << text.out;
    EXPECT_EQ(slurp(work() / "p.png").substr(0, 8), "\x89PNG\r\n\x1a\n");

    const LeedRun json = leed("--material Cu --hkl 1 0 0 --energy 100 --wood '(√2×√2)R45°' --format json --out p.svg");
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"k\": 5.123", 0), 0u) << json.out;
    EXPECT_EQ(occurrences(json.out, "\"kind\": \"superstructure\""), 12);
    EXPECT_NE(json.out.find("{\"h\": 0.5, \"k\": 0.5, "), std::string::npos);
    EXPECT_NE(slurp(work() / "p.svg").find("<svg"), std::string::npos);
    // The same lattice as a matrix lists the same beams.
    EXPECT_EQ(leed("--material Cu --hkl 1 0 0 --energy 100 --matrix '1 1 -1 1' --format json").out, json.out);
    // p(2x1) with its rotated domain: 13 + 16 + 16 beams.
    EXPECT_EQ(occurrences(leed("--material Cu --hkl 1 0 0 --energy 100 --wood 'p(2x1)' --domains").out, " 2\n"), 16);
    // Zinc blende (0 0 1) has 2mm with the layers below: (4x2) is no domain of (2x4) there, as it
    // is on FCC (0 0 1).
    const std::string gaas = "--material GaAs --hkl 0 0 1 --energy 60 --wood '(2x4)'";
    EXPECT_EQ(leed(gaas + " --domains").out, leed(gaas).out);
    EXPECT_NE(leed("--material Cu --hkl 0 0 1 --energy 60 --wood '(2x4)' --domains").out.find(", domain 2 [0 2; -4 0]"),
              std::string::npos);
}

TEST_F(LeedCommand, BadArgumentsExitTwoAndWriteNothing)
{
    struct Row {
        const char* args;
        const char* named;
    } rows[] = {
        {"--material Cu --hkl 1 0 0 --energy 0 --out p.png", "--energy '0'"},
        {"--material Cu --hkl 1 0 0 --energy -5 --out p.png", "--energy '-5'"},
        {"--material Cu --hkl 1 0 0 --energy nan --out p.png", "--energy 'nan'"},
        {"--material Cu --hkl 1 0 0 --energy 100eV --out p.png", "--energy '100eV'"},
        {"--material Cu --hkl 1 0 0 --out p.png", "--energy"},
        {"--material Cu --hkl 1 0 0 --energy 100 --wood '(sqrt3 x sqrt3)R30' --out p.png",
         "(sqrt3 x sqrt3)R30 does not describe a superstructure of a square surface"},
        {"--material Cu --hkl 1 0 0 --energy 100 --wood 'p(2y1)' --out p.png", "p(2y1)"},
        {"--material Cu --hkl 1 0 0 --energy 100 --matrix '1 2 2 4' --out p.png", "determinant is 0"},
        {"--material Cu --hkl 1 0 0 --energy 100 --wood 'c(2x2)' --matrix '2 0 0 1'", "one superstructure"},
        {"--material Cu --hkl 1 0 0 --energy 100 --out p.gif", "p.gif"},
        {"--material Cu --hkl 1 0 0 --energy 1e9 --out p.png", "beams"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.args);
        const LeedRun run = leed(r.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        const std::string first = run.err.substr(0, run.err.find('\n'));
        EXPECT_EQ(first.rfind("facetor: ", 0), 0u) << run.err;
        EXPECT_NE(first.find(r.named), std::string::npos) << first;
        EXPECT_TRUE(workEmpty());
    }
}
