#pragma once
// The batch front end's command line, parsed into a plain value before anything runs.

#include "geometry/Lattice.h"
#include "geometry/Surface.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cli {

enum class Subcommand {
    Listing,
    Slab,
    Render
};
enum class SlabFormat {
    Table,
    Xyz
};

struct BatchCommand {
    Subcommand subcommand = Subcommand::Listing;
    geometry::LatticeCode code = geometry::LatticeCode::Fcc;
    geometry::MillerIndices miller;
    std::optional<float> rotate; // degrees
    std::optional<float> tilt;   // degrees
    SlabFormat format = SlabFormat::Table;
    std::string material;   // slab --format xyz: a preset of the lattice, for Angstrom and symbols
    std::string out;        // render: .bmp or .png path
    int screenWidth = 1024; // render: the headless screen
    int screenHeight = 768;
};

struct ShowHelp {};
struct ShowVersion {};
// A bad command line: one line naming what is wrong.
struct ArgError {
    std::string message;
};

using ParsedArgs = std::variant<BatchCommand, ShowHelp, ShowVersion, ArgError>;

// Parses the arguments after the program name. An empty list is an error (the desktop
// program is started before the parser is asked).
ParsedArgs parseArgs(const std::vector<std::string_view>& args);

// The usage text, several lines, ending in a line break.
std::string usage();

// The readers of the command line's words, for every subcommand.
// The whole text as an integer, or as a finite number; a leading "+" is allowed.
std::optional<int64_t> parseInteger(std::string_view text);
std::optional<double> parseNumber(std::string_view text);
// An integer within the range of int.
std::optional<int> parseInt(std::string_view text);

// A size "MxN": two integers within the range of int.
struct Size2 {
    int m = 0;
    int n = 0;
};
std::optional<Size2> parseSize(std::string_view text);

// The word as an error line shows it: quoted, control characters as \xNN, one line.
std::string quotedWord(std::string_view word);

} // namespace cli
