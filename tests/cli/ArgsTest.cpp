#include "cli/Args.h"

#include <gtest/gtest.h>

using namespace cli;

namespace {

platform::Result<BatchCommand> parse(std::initializer_list<std::string_view> words)
{
    return parseCommand(std::vector(words));
}

std::string errorOf(std::initializer_list<std::string_view> words)
{
    const auto p = parse(words);
    return p ? std::string("<no error>") : p.error().message;
}

BatchCommand commandOf(std::initializer_list<std::string_view> words)
{
    const auto p = parse(words);
    EXPECT_TRUE(p) << p.error().message;
    return p.value_or(BatchCommand{});
}

Subcommand subcommandOf(std::initializer_list<std::string_view> words) { return commandOf(words).subcommand; }

} // namespace

TEST(Args, SlabCommand)
{
    const auto p = parse({"slab", "--lattice", "hcp", "--termination", "B", "--hkl", "0", "-1", "+2", "--tilt", "30.5",
                          "--format", "xyz"});
    ASSERT_TRUE(p) << p.error().message;
    const auto& c = *p;
    EXPECT_EQ(c.subcommand, Subcommand::Slab);
    EXPECT_EQ(c.code, geometry::LatticeCode::HcpB);
    EXPECT_EQ(c.miller, (geometry::MillerIndices{0, -1, 2}));
    EXPECT_FALSE(c.rotate.has_value());
    EXPECT_EQ(c.tilt, 30.5f);
    EXPECT_EQ(c.format, SlabFormat::Xyz);
}

TEST(Args, DefaultsAndTerminations)
{
    EXPECT_EQ(commandOf({"listing", "--lattice", "zincblende"}).code, geometry::LatticeCode::ZincBlendeA);
    EXPECT_EQ(commandOf({"listing", "--lattice", "zincblende", "--termination", "b"}).code,
              geometry::LatticeCode::ZincBlendeB);
    const auto r =
        commandOf({"render", "--lattice", "fcc", "--hkl", "1", "1", "1", "--out", "x.png", "--screen", "800x600"});
    EXPECT_EQ(r.out, "x.png");
    EXPECT_EQ(r.screenWidth, 800);
    EXPECT_EQ(r.screenHeight, 600);
    EXPECT_EQ(subcommandOf({"--help"}), Subcommand::Help);
    EXPECT_EQ(subcommandOf({"slab", "--help"}), Subcommand::Help);
    EXPECT_EQ(subcommandOf({"--version"}), Subcommand::Version);
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

TEST(Args, SubcommandsOnASurface)
{
    // The surface options are read first wherever they stand; --help anywhere asks for the usage.
    EXPECT_EQ(errorOf({"export", "--layers", "x", "--material", "Qq", "--hkl", "1", "1", "1"}),
              "unknown material 'Qq' (facetor materials lists them)");
    EXPECT_EQ(errorOf({"export", "--material", "Cu", "--layers", "x", "--hkl", "1", "1", "1"}),
              "--layers 'x' is not an integer");
    EXPECT_EQ(subcommandOf({"leed", "--material", "Qq", "--energy", "-1", "-h"}), Subcommand::Help);
    EXPECT_EQ(errorOf({"slab", "--lattice", "diamond", "--help"}),
              "unknown lattice 'diamond' (bcc, fcc, hcp or zincblende)");
    EXPECT_EQ(errorOf({"materials", "--all", "--help"}), "unknown option '--all' for materials");
    // Each subcommand accepts its own options only.
    EXPECT_EQ(errorOf({"figure", "--material", "Cu", "--hkl", "1", "1", "1", "--orthogonal"}),
              "unknown option '--orthogonal' for figure");
    EXPECT_EQ(errorOf({"report", "--material", "Cu", "--hkl", "1", "1", "1", "--out", "x.svg"}),
              "unknown option '--out' for report");
    EXPECT_EQ(errorOf({"render", "--lattice", "fcc", "--hkl", "1", "1", "1", "--material", "Cu"}),
              "unknown option '--material' for render");
    // One Miller range; hcp planes also as h k i l, ended by the next option.
    EXPECT_EQ(commandOf({"slab", "--lattice", "fcc", "--hkl", "32767", "-32768", "0"}).miller,
              (geometry::MillerIndices{32767, -32768, 0}));
    EXPECT_EQ(commandOf({"report", "--material", "Cu", "--hkl", "-32768", "0", "32767"}).surface.hkl,
              (crystal::Miller{-32768, 0, 32767}));
    EXPECT_EQ(errorOf({"report", "--material", "Cu", "--hkl", "1", "40000", "1"}),
              "Miller index '40000' is not an integer from -32768 to 32767");
    EXPECT_EQ(errorOf({"report", "--material", "Cu", "--hkl", "1", "1", "--format", "json"}),
              "option --hkl needs three indices (four, h k i l, for hcp)");
    EXPECT_EQ(errorOf({"report", "--material", "Cu", "--hkl", "1", "0", "-1", "0"}),
              "four Miller indices (h k i l) apply only to hcp");
    const BatchCommand mg = commandOf({"report", "--hkl", "1", "0", "-1", "2", "--material", "Mg", "--format", "json"});
    EXPECT_EQ(mg.surface.hkl, (crystal::Miller{1, 0, 2}));
    EXPECT_EQ(mg.surface.termination, crystal::Termination::A);
    EXPECT_EQ(mg.textFormat, TextFormat::Json);
    EXPECT_EQ(errorOf({"report", "--lattice", "fcc", "--elements", "Cu", "--hkl", "1", "1", "1"}),
              "option --a is required with --lattice");
}

TEST(Args, OptionsOfEachSubcommandReachTheCommand)
{
    const BatchCommand e =
        commandOf({"export",   "--material", "GaAs",  "--hkl",   "1",   "1",        "0",   "--termination",
                   "B",        "--layers",   "4",     "--size",  "2x3", "--vacuum", "7.5", "--orthogonal",
                   "--format", "poscar",     "--out", "slab.txt"});
    EXPECT_EQ(e.surface.material.name, "GaAs");
    EXPECT_EQ(e.surface.termination, crystal::Termination::B);
    EXPECT_TRUE(e.slab.layers == 4 && e.slab.repeatA == 2 && e.slab.repeatB == 3 && e.slab.vacuum == 7.5);
    EXPECT_EQ(e.cell, crystal::InPlaneCell::Orthogonal);
    EXPECT_EQ(e.structureFormat, crystal::StructureFormat::Poscar);
    EXPECT_EQ(e.out, "slab.txt");
    EXPECT_EQ(commandOf({"export", "--material", "Cu", "--hkl", "1", "1", "1", "--out", "x.cif"}).structureFormat,
              crystal::StructureFormat::Cif);

    const BatchCommand f = commandOf(
        {"figure", "--lattice", "hcp", "--elements", "Zn",           "--a",      "2.66",  "--c",    "4.95", "--hkl",
         "0",      "0",         "1",   "--rotate",   "30",           "--tilt",   "-10",   "--size", "5x4",  "--layers",
         "3",      "--width",   "640", "--cell",     "--no-caption", "--colour", "layer", "--out",  "z.PNG"});
    EXPECT_TRUE(f.surface.material.a == 2.66 && f.surface.material.c == 4.95);
    EXPECT_TRUE(f.figure.rotation == 30.0 && f.figure.tilt == -10.0);
    EXPECT_TRUE(f.figure.repeatA == 5 && f.figure.repeatB == 4 && f.figure.layers == 3 && f.figure.width == 640);
    EXPECT_TRUE(f.figure.cell && !f.figure.axes && !f.figure.caption);
    EXPECT_EQ(f.figure.colour, figure::ColourMode::Layer);
    EXPECT_EQ(f.figureFormat, figure::FigureFormat::Png);

    const BatchCommand l = commandOf({"leed", "--material", "Cu", "--hkl", "1", "0", "0", "--energy", "40", "--wood",
                                      "p(2x1)", "--domains", "--out", "p.svg"});
    EXPECT_EQ(l.energy, 40.0);
    ASSERT_TRUE(l.wood.has_value());
    EXPECT_EQ(l.wood->text, "p(2x1)");
    EXPECT_FALSE(l.matrix.has_value());
    EXPECT_EQ(l.domains, crystal::LeedDomains::All);
    EXPECT_EQ(l.textFormat, TextFormat::Text);
}
