#include "cli/Args.h"

#include "crystal/Material.h"
#include "platform/FileSystem.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace cli {

namespace {

struct Reader {
    const std::vector<std::string_view>& args;
    std::size_t next = 0;
    bool done() const { return next >= args.size(); }
    std::string_view take() { return args[next++]; }
};

std::optional<int16_t> parseIndex(std::string_view text)
{
    const auto value = parseInteger(text);
    if (!value || *value < std::numeric_limits<int16_t>::min() || *value > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(*value);
}

std::optional<float> parseAngle(std::string_view text)
{
    const auto value = parseNumber(text);
    if (!value || !std::isfinite(static_cast<float>(*value)))
        return std::nullopt;
    return static_cast<float>(*value);
}

} // namespace

std::string usage()
{
    return "usage: facetor                       start the desktop program\n"
           "       facetor listing --lattice {bcc,fcc,hcp,zincblende} [--termination A|B]\n"
           "       facetor slab    --lattice L [--termination A|B] --hkl H K L [--rotate DEG] [--tilt DEG]\n"
           "                       [--format table|xyz [--material NAME]]\n"
           "       facetor render  --lattice L [--termination A|B] --hkl H K L [--rotate DEG] [--tilt DEG]\n"
           "                       [--screen WxH] --out FILE.bmp|FILE.png\n"
           "       facetor materials                 list the preset materials\n"
           "       facetor export  SURFACE [--layers N] [--size MxN] [--vacuum ANGSTROM] [--orthogonal]\n"
           "                       [--format extxyz|poscar|cif] --out FILE\n"
           "       facetor figure  SURFACE [--rotate DEG] [--tilt DEG] [--layers N] [--size MxN] [--width PX]\n"
           "                       [--cell] [--axes] [--colour element|layer|coordination] [--no-caption]\n"
           "                       --out FILE.svg|FILE.pdf|FILE.png\n"
           "       facetor report  SURFACE [--format text|json]\n"
           "       facetor leed    SURFACE --energy EV [--wood NOTATION | --matrix \"M11 M12 M21 M22\"] [--domains]\n"
           "                       [--format text|json] [--out FILE.png|FILE.svg]\n"
           "       facetor --help | --version\n"
           "SURFACE = (--material NAME | --lattice L --elements E1[,E2] --a ANGSTROM [--c ANGSTROM])\n"
           "          --hkl H K L (hcp also H K I L) [--termination A|B]\n";
}

ParsedArgs parseArgs(const std::vector<std::string_view>& args)
{
    if (args.empty())
        return ArgError{"no subcommand given"};
    Reader in{args};
    const std::string_view first = in.take();
    if (first == "--help" || first == "-h")
        return ShowHelp{};
    if (first == "--version")
        return ShowVersion{};

    BatchCommand cmd;
    if (first == "listing")
        cmd.subcommand = Subcommand::Listing;
    else if (first == "slab")
        cmd.subcommand = Subcommand::Slab;
    else if (first == "render")
        cmd.subcommand = Subcommand::Render;
    else
        return ArgError{"unknown subcommand " + quotedWord(first)};

    std::optional<geometry::LatticeKind> kind;
    geometry::Termination term = geometry::Termination::None;
    bool haveHkl = false;
    const bool isListing = cmd.subcommand == Subcommand::Listing;
    const bool isSlab = cmd.subcommand == Subcommand::Slab;
    const bool isRender = cmd.subcommand == Subcommand::Render;

    while (!in.done()) {
        const std::string_view opt = in.take();
        if (opt == "--help" || opt == "-h")
            return ShowHelp{};
        auto value = [&]() -> std::optional<std::string_view> {
            if (in.done())
                return std::nullopt;
            return in.take();
        };
        auto missing = [&] { return ArgError{"option " + std::string(opt) + " needs a value"}; };
        if (opt == "--lattice") {
            auto v = value();
            if (!v)
                return missing();
            kind = geometry::parseLatticeName(*v);
            if (!kind)
                return ArgError{"unknown lattice " + quotedWord(*v) + " (bcc, fcc, hcp or zincblende)"};
        } else if (opt == "--termination") {
            auto v = value();
            if (!v)
                return missing();
            if (*v == "A" || *v == "a")
                term = geometry::Termination::A;
            else if (*v == "B" || *v == "b")
                term = geometry::Termination::B;
            else
                return ArgError{"unknown termination " + quotedWord(*v) + " (A or B)"};
        } else if (opt == "--hkl" && !isListing) {
            if (args.size() - in.next < 3)
                return ArgError{"option --hkl needs three indices"};
            int16_t idx[3];
            for (int i = 0; i < 3; ++i) {
                const std::string_view t = in.take();
                auto parsed = parseIndex(t);
                if (!parsed)
                    return ArgError{"Miller index " + quotedWord(t) + " is not an integer from -32768 to 32767"};
                idx[i] = *parsed;
            }
            cmd.miller = {idx[0], idx[1], idx[2]};
            haveHkl = true;
        } else if ((opt == "--rotate" || opt == "--tilt") && !isListing) {
            auto v = value();
            if (!v)
                return missing();
            auto angle = parseAngle(*v);
            if (!angle)
                return ArgError{"angle " + quotedWord(*v) + " for " + std::string(opt) + " is not a finite number"};
            (opt == "--rotate" ? cmd.rotate : cmd.tilt) = *angle;
        } else if (opt == "--format" && isSlab) {
            auto v = value();
            if (!v)
                return missing();
            if (*v == "table")
                cmd.format = SlabFormat::Table;
            else if (*v == "xyz")
                cmd.format = SlabFormat::Xyz;
            else
                return ArgError{"unknown format " + quotedWord(*v) + " (table or xyz)"};
        } else if (opt == "--material" && isSlab) {
            auto v = value();
            if (!v)
                return missing();
            cmd.material = std::string(*v);
        } else if (opt == "--out" && isRender) {
            auto v = value();
            if (!v)
                return missing();
            cmd.out = std::string(*v);
            if (cmd.out.empty())
                return ArgError{"option --out needs a file name"};
        } else if (opt == "--screen" && isRender) {
            auto v = value();
            if (!v)
                return missing();
            const auto size = parseSize(*v);
            const auto inRange = [](int side) { return side >= 1 && side <= 8192; };
            if (!size || !inRange(size->m) || !inRange(size->n))
                return ArgError{"screen size " + quotedWord(*v) + " is not WxH (1 to 8192 each)"};
            cmd.screenWidth = size->m;
            cmd.screenHeight = size->n;
        } else {
            return ArgError{"unknown option " + quotedWord(opt) + " for " + std::string(first)};
        }
    }

    if (!kind)
        return ArgError{"option --lattice is required"};
    const bool terminated = *kind == geometry::LatticeKind::Hcp || *kind == geometry::LatticeKind::ZincBlende;
    if (!terminated && term != geometry::Termination::None)
        return ArgError{"option --termination applies only to hcp and zincblende"};
    if (terminated && term == geometry::Termination::None)
        term = geometry::Termination::A;
    cmd.code = *geometry::latticeCodeFor(*kind, term);

    if (!isListing && !haveHkl)
        return ArgError{"option --hkl is required"};
    if (!cmd.material.empty()) {
        if (cmd.format != SlabFormat::Xyz)
            return ArgError{"option --material applies only to --format xyz"};
        const crystal::Material* m = crystal::findMaterial(cmd.material);
        if (!m)
            return ArgError{"unknown material " + quotedWord(cmd.material) + " (facetor materials lists them)"};
        if (m->lattice != *kind)
            return ArgError{"material " + m->name + " is " + std::string(geometry::latticeName(m->lattice)) + ", not "
                            + std::string(geometry::latticeName(*kind))};
    }
    if (isRender) {
        if (cmd.out.empty())
            return ArgError{"option --out is required"};
        const std::string ext = platform::fileExtension(cmd.out);
        if (ext != "bmp" && ext != "png")
            return ArgError{"output file " + quotedWord(cmd.out) + " must end in .bmp or .png"};
    }
    return cmd;
}

std::string quotedWord(std::string_view s)
{
    static const char hex[] = "0123456789abcdef";
    std::string out = "'";
    for (unsigned char c : s.substr(0, 200)) {
        if (c < 0x20 || c == 0x7f) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out + (s.size() > 200 ? "...'" : "'");
}

std::optional<int64_t> parseInteger(std::string_view text)
{
    int64_t value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && *first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || first == last)
        return std::nullopt;
    return value;
}

std::optional<double> parseNumber(std::string_view text)
{
    double value = 0.0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && *first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || first == last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseInt(std::string_view text)
{
    const auto value = parseInteger(text);
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*value);
}

std::optional<Size2> parseSize(std::string_view text)
{
    const auto x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    const auto m = parseInt(text.substr(0, x));
    const auto n = parseInt(text.substr(x + 1));
    if (!m || !n)
        return std::nullopt;
    return Size2{*m, *n};
}

} // namespace cli
