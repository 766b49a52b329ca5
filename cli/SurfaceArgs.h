#pragma once
// The options that name a surface of a real material, shared by the subcommands that work on
// one (export, report, figure, leed):
//   (--material NAME | --lattice L --elements E1[,E2] --a ANGSTROM [--c ANGSTROM])
//   --hkl H K L (HCP also H K I L) [--termination A|B]

#include "cli/Args.h"
#include "crystal/SurfaceCell.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Takes a subcommand's own options, the words left after the surface options: flags alone and
// the other options with one value each, in any order. take(option, value) gets each (an empty
// value for a flag) and returns an error line, or nothing to go on. An unknown option or a missing
// value is refused naming the command. Returns 0, or the status of the error printed.
using TakeOption = std::function<std::optional<std::string>(std::string_view option, std::string_view value)>;
int takeOptions(const std::vector<std::string_view>& args, std::string_view command,
                std::initializer_list<std::string_view> flags, std::initializer_list<std::string_view> valued,
                const TakeOption& take);

// Writes the file whole or not at all; a failure prints "facetor: cannot write FILE: reason".
// Returns the status: 0, or 1 on a failure.
int writeOutput(const std::string& path, std::string_view bytes);

// The start of a subcommand on a surface: --help prints the usage (status 0); else the SURFACE
// options are taken out of args. Nothing, with status set, when the command is over.
std::optional<crystal::SurfaceSpec> startSurfaceCommand(std::vector<std::string_view>& args, int& status);

// Takes the surface options (each with its values) out of args and leaves the other words in
// their order. The termination defaults to A for hcp and zincblende and is refused for bcc and
// fcc. On a bad or missing option: nothing, with error one line naming it.
std::optional<crystal::SurfaceSpec> takeSurfaceArgs(std::vector<std::string_view>& args, std::string& error);

// Prints "facetor: <message>" and the usage on standard error; returns the status 2.
int argumentError(std::string_view message);

} // namespace cli
