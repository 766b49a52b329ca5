#include "cli/Args.h"

#include <gtest/gtest.h>

using namespace cli;

namespace {

ParsedArgs parse(std::initializer_list<std::string_view> words) { return parseArgs(std::vector(words)); }

std::string errorOf(std::initializer_list<std::string_view> words)
{
    const auto p = parse(words);
    const auto* e = std::get_if<ArgError>(&p);
    return e ? e->message : std::string("<no error>");
}

} // namespace

TEST(Args, SlabCommand)
{
    const auto p = parse({"slab", "--lattice", "hcp", "--termination", "B", "--hkl", "0", "-1", "+2", "--tilt", "30.5",
                          "--format", "xyz"});
    const auto& c = std::get<BatchCommand>(p);
    EXPECT_EQ(c.subcommand, Subcommand::Slab);
    EXPECT_EQ(c.code, geometry::LatticeCode::HcpB);
    EXPECT_EQ(c.miller, (geometry::MillerIndices{0, -1, 2}));
    EXPECT_FALSE(c.rotate.has_value());
    EXPECT_EQ(c.tilt, 30.5f);
    EXPECT_EQ(c.format, SlabFormat::Xyz);
}

TEST(Args, DefaultsAndTerminations)
{
    EXPECT_EQ(std::get<BatchCommand>(parse({"listing", "--lattice", "zincblende"})).code,
              geometry::LatticeCode::ZincBlendeA);
    EXPECT_EQ(std::get<BatchCommand>(parse({"listing", "--lattice", "zincblende", "--termination", "b"})).code,
              geometry::LatticeCode::ZincBlendeB);
    const auto r = std::get<BatchCommand>(
        parse({"render", "--lattice", "fcc", "--hkl", "1", "1", "1", "--out", "x.png", "--screen", "800x600"}));
    EXPECT_EQ(r.out, "x.png");
    EXPECT_EQ(r.screenWidth, 800);
    EXPECT_EQ(r.screenHeight, 600);
    EXPECT_TRUE(std::holds_alternative<ShowHelp>(parse({"--help"})));
    EXPECT_TRUE(std::holds_alternative<ShowHelp>(parse({"slab", "--help"})));
    EXPECT_TRUE(std::holds_alternative<ShowVersion>(parse({"--version"})));
}

TEST(Args, BadArgumentsNameWhatIsWrong)
{
    EXPECT_EQ(errorOf({"draw"}), "unknown subcommand 'draw'");
    EXPECT_EQ(errorOf({"slab", "--lattice", "fcc"}), "option --hkl is required");
    EXPECT_EQ(errorOf({"slab", "--hkl", "1", "1", "1"}), "option --lattice is required");
    EXPECT_EQ(errorOf({"slab", "--lattice", "fcc", "--hkl", "1", "1"}), "option --hkl needs three indices");
    EXPECT_EQ(errorOf({"slab", "--lattice", "fcc", "--hkl", "1", "40000", "1"}),
              "Miller index '40000' is not an integer from -32768 to 32767");
    EXPECT_EQ(errorOf({"slab", "--lattice", "fcc", "--hkl", "1", "1x", "1"}),
              "Miller index '1x' is not an integer from -32768 to 32767");
    EXPECT_EQ(errorOf({"slab", "--lattice", "fcc", "--hkl", "1", "1", "1", "--rotate", "nan"}),
              "angle 'nan' for --rotate is not a finite number");
    EXPECT_EQ(errorOf({"slab", "--lattice", "fcc", "--hkl", "1", "1", "1", "--tilt"}), "option --tilt needs a value");
    EXPECT_EQ(errorOf({"listing", "--lattice", "fcc", "--termination", "A"}),
              "option --termination applies only to hcp and zincblende");
    EXPECT_EQ(errorOf({"listing", "--lattice", "hcp", "--termination", "C"}), "unknown termination 'C' (A or B)");
    EXPECT_EQ(errorOf({"listing", "--lattice", "diamond"}), "unknown lattice 'diamond' (bcc, fcc, hcp or zincblende)");
    EXPECT_EQ(errorOf({"listing", "--lattice", "fcc", "--hkl", "1", "1", "1"}), "unknown option '--hkl' for listing");
    EXPECT_EQ(errorOf({"render", "--lattice", "fcc", "--hkl", "1", "1", "1"}), "option --out is required");
    EXPECT_EQ(errorOf({"render", "--lattice", "fcc", "--hkl", "1", "1", "1", "--out", "a.gif"}),
              "output file 'a.gif' must end in .bmp or .png");
    EXPECT_EQ(errorOf({"render", "--lattice", "fcc", "--hkl", "1", "1", "1", "--out", "a.bmp", "--screen", "0x5"}),
              "screen size '0x5' is not WxH (1 to 8192 each)");
    EXPECT_EQ(errorOf({"slab", "--lattice", "fcc", "--hkl", "1", "1", "1", "--format", "csv"}),
              "unknown format 'csv' (table or xyz)");
}

TEST(Args, ErrorsStayOneLine)
{
    // Found by fuzzing: a control character in a word broke the one-line error.
    EXPECT_EQ(errorOf({"render", "--ou\n"}), "unknown option '--ou\\x0a' for render");
    EXPECT_EQ(errorOf({"listing", "--lattice", "f\tcc"}), "unknown lattice 'f\\x09cc' (bcc, fcc, hcp or zincblende)");
}
