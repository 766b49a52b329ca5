#include "cli/SurfaceArgs.h"

#include "cli/Args.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iostream>
#include <limits>

namespace cli {

namespace {

std::vector<std::string> splitElements(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == ',') {
            out.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    return out;
}

constexpr int64_t IndexLimit = 1000;

} // namespace

int argumentError(std::string_view message)
{
    std::cerr << "facetor: " << message << '\n' << usage();
    return 2;
}

int takeOptions(const std::vector<std::string_view>& args, std::string_view command,
                std::initializer_list<std::string_view> flags, std::initializer_list<std::string_view> valued,
                const TakeOption& take)
{
    auto among = [](std::initializer_list<std::string_view> names, std::string_view word) {
        return std::find(names.begin(), names.end(), word) != names.end();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view opt = args[i];
        std::string_view value;
        if (!among(flags, opt)) {
            if (!among(valued, opt))
                return argumentError("unknown option " + quotedWord(opt) + " for " + std::string(command));
            if (i + 1 >= args.size())
                return argumentError("option " + std::string(opt) + " needs a value");
            value = args[++i];
        }
        if (const auto error = take(opt, value))
            return argumentError(*error);
    }
    return 0;
}

int writeOutput(const std::string& path, std::string_view bytes)
{
    if (const int err = platform::writeWholeFile(path, bytes)) {
        std::cerr << "facetor: cannot write " << path << ": " << std::strerror(err) << '\n';
        return 1;
    }
    return 0;
}

std::optional<crystal::SurfaceSpec> startSurfaceCommand(std::vector<std::string_view>& args, int& status)
{
    for (std::string_view a : args)
        if (a == "--help" || a == "-h") {
            std::cout << usage();
            status = 0;
            return std::nullopt;
        }
    std::string error;
    auto spec = takeSurfaceArgs(args, error);
    if (!spec)
        status = argumentError(error);
    return spec;
}

std::optional<crystal::SurfaceSpec> takeSurfaceArgs(std::vector<std::string_view>& args, std::string& error)
{
    std::optional<std::string_view> materialName;
    std::optional<crystal::LatticeKind> lattice;
    std::optional<std::string_view> elements;
    std::optional<double> a;
    std::optional<double> c;
    std::vector<int64_t> indices;
    crystal::Termination term = crystal::Termination::None;

    std::vector<std::string_view> rest;
    auto fail = [&](std::string message) {
        error = std::move(message);
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view opt = args[i];
        const bool known = opt == "--material" || opt == "--lattice" || opt == "--elements" || opt == "--a"
            || opt == "--c" || opt == "--termination" || opt == "--hkl";
        if (!known) {
            rest.push_back(opt);
            continue;
        }
        if (opt == "--hkl") {
            indices.clear();
            while (i + 1 < args.size() && indices.size() < 4) {
                const auto value = parseInteger(args[i + 1]);
                if (!value) {
                    // A word that looks like a number but is none is a bad index, not the next option.
                    const std::string_view w = args[i + 1];
                    if (indices.size() < 3 && !w.starts_with("--"))
                        return fail("Miller index " + quotedWord(w) + " is not an integer");
                    break;
                }
                if (*value < -IndexLimit || *value > IndexLimit)
                    return fail("Miller index " + quotedWord(args[i + 1]) + " is out of range (-1000 to 1000)");
                indices.push_back(*value);
                ++i;
            }
            if (indices.size() < 3)
                return fail("option --hkl needs three indices (four, h k i l, for hcp)");
            continue;
        }
        if (i + 1 >= args.size())
            return fail("option " + std::string(opt) + " needs a value");
        const std::string_view value = args[++i];
        if (opt == "--material") {
            materialName = value;
        } else if (opt == "--lattice") {
            lattice = geometry::parseLatticeName(value);
            if (!lattice)
                return fail("unknown lattice " + quotedWord(value) + " (bcc, fcc, hcp or zincblende)");
        } else if (opt == "--elements") {
            elements = value;
        } else if (opt == "--a" || opt == "--c") {
            const auto length = parseNumber(value);
            if (!length)
                return fail("lattice constant " + quotedWord(value) + " for " + std::string(opt)
                            + " is not a finite number");
            (opt == "--a" ? a : c) = *length;
        } else if (opt == "--termination") {
            if (value == "A" || value == "a")
                term = crystal::Termination::A;
            else if (value == "B" || value == "b")
                term = crystal::Termination::B;
            else
                return fail("unknown termination " + quotedWord(value) + " (A or B)");
        }
    }

    crystal::SurfaceSpec spec;
    if (materialName) {
        if (lattice || elements || a || c)
            return fail("option --material excludes --lattice, --elements, --a and --c");
        const crystal::Material* preset = crystal::findMaterial(*materialName);
        if (!preset)
            return fail("unknown material " + quotedWord(*materialName) + " (facetor materials lists them)");
        spec.material = *preset;
    } else if (lattice) {
        if (!elements)
            return fail("option --elements is required with --lattice");
        if (!a)
            return fail("option --a is required with --lattice");
        std::string why;
        auto custom = crystal::customMaterial(*lattice, splitElements(*elements), *a, c, why);
        if (!custom)
            return fail(why);
        spec.material = std::move(*custom);
    } else {
        return fail("option --material or --lattice is required");
    }

    const crystal::LatticeKind kind = spec.material.lattice;
    if (indices.empty())
        return fail("option --hkl is required");
    if (indices.size() == 4) {
        if (kind != crystal::LatticeKind::Hcp)
            return fail("four Miller indices (h k i l) apply only to hcp");
        std::string why;
        const auto three = crystal::fromFourIndex(indices[0], indices[1], indices[2], indices[3], why);
        if (!three)
            return fail(why);
        spec.hkl = *three;
    } else {
        spec.hkl = {indices[0], indices[1], indices[2]};
    }
    if (spec.hkl == crystal::Index3{0, 0, 0})
        return fail("Miller indices (0 0 0) name no plane");

    const bool terminated = kind == crystal::LatticeKind::Hcp || kind == crystal::LatticeKind::ZincBlende;
    if (!terminated && term != crystal::Termination::None)
        return fail("option --termination applies only to hcp and zincblende");
    spec.termination = terminated && term == crystal::Termination::None ? crystal::Termination::A : term;

    args = std::move(rest);
    return spec;
}

} // namespace cli
