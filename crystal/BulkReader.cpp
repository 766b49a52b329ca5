// Readers of bulk crystals: VASP 5 POSCAR, extended XYZ with a Lattice, and CIF (its block read
// in CifBlock.cpp), each checked into one crystal by makeBulk.

#include "crystal/Bulk.h"
#include "crystal/CifBlock.h"
#include "crystal/Material.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>

namespace crystal {

using platform::fail;
using platform::Result;

namespace {

// Atoms a file may describe: far more than any cell a surface is cut from, few enough that a
// hostile count cannot exhaust memory.
constexpr std::size_t MaxSites = 1000000;

std::optional<double> number(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<long long> integer(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

// The text's lines, without their line ends (LF or CR LF).
std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return out;
}

// A word of the file as messages show it (CifBlock.h).
std::string shown(std::string_view word) { return shownWord(word); }

double volume(const std::array<Position, 3>& c) { return dot(c[0], cross(c[1], c[2])); }

// Fractional coordinates of a Cartesian position in the cell.
std::array<double, 3> toFractional(const std::array<Position, 3>& c, Position r)
{
    const double v = volume(c);
    return {dot(r, cross(c[1], c[2])) / v, dot(r, cross(c[2], c[0])) / v, dot(r, cross(c[0], c[1])) / v};
}

Position toCartesian(const std::array<Position, 3>& c, const std::array<double, 3>& f)
{
    return f[0] * c[0] + f[1] * c[1] + f[2] * c[2];
}

double wrap(double x)
{
    double f = x - std::floor(x);
    return f >= 1.0 ? 0.0 : f;
}

// A POSCAR's element name: "Fe", also written "Fe_pv" or "Fe/1a2b" after the potential used.
std::string poscarElement(std::string_view word)
{
    const std::size_t end = word.find_first_of("_/.");
    return std::string(word.substr(0, end));
}

// Reads the lines of a file one after another, naming the line in errors.
class LineCursor {
public:
    LineCursor(std::string_view text, std::string_view name) : m_lines(lines(text)), m_name(name) {}

    bool atEnd() const { return m_next >= m_lines.size(); }
    std::string_view next() { return m_lines[m_next++]; }
    std::size_t lineNumber() const { return m_next; } // of the line last taken
    // "NAME: line N: what"
    platform::Error error(std::string_view what) const
    {
        return fail(std::string(m_name) + ": line " + std::to_string(m_next) + ": " + std::string(what));
    }
    platform::Error endError(std::string_view what) const
    {
        return fail(std::string(m_name) + ": the file ends before " + std::string(what));
    }
    // The next line's first count words as numbers.
    Result<std::vector<double>> numbers(std::size_t count, std::string_view what)
    {
        if (atEnd())
            return endError(what);
        const auto w = words(next());
        std::vector<double> out;
        for (std::size_t i = 0; i < count; ++i) {
            if (i >= w.size())
                return error(std::string(what) + " needs " + std::to_string(count) + " numbers");
            const auto v = number(w[i]);
            if (!v)
                return error("\"" + shown(w[i]) + "\" in " + std::string(what) + " is not a number");
            out.push_back(*v);
        }
        return out;
    }

private:
    std::vector<std::string_view> m_lines;
    std::size_t m_next = 0;
    std::string_view m_name;
};

Result<BulkCrystal> readPoscar(std::string_view text, std::string_view name)
{
    LineCursor in(text, name);
    if (in.atEnd())
        return in.endError("its title line");
    // The comment line, its words joined by single blanks: the crystal's name.
    std::string comment;
    for (std::string_view w : words(in.next()))
        comment += (comment.empty() ? "" : " ") + std::string(w);
    if (in.atEnd())
        return in.endError("the scale factor (line 2)");
    const auto scaleWords = words(in.next());
    std::array<double, 3> scale{1.0, 1.0, 1.0};
    bool volumeGiven = false;
    double givenVolume = 0.0;
    {
        std::vector<double> s;
        for (std::string_view w : scaleWords) {
            if (s.size() == 3)
                break;
            const auto v = number(w);
            if (!v)
                break;
            s.push_back(*v);
        }
        if (s.size() == 1 && s[0] < 0.0) {
            volumeGiven = true;
            givenVolume = -s[0];
        } else if (s.size() == 1 && s[0] > 0.0) {
            scale = {s[0], s[0], s[0]};
        } else if (s.size() == 3 && s[0] > 0.0 && s[1] > 0.0 && s[2] > 0.0) {
            scale = {s[0], s[1], s[2]};
        } else {
            return in.error(
                "the scale factor must be one number (a negative one is the volume) or three positive ones");
        }
    }
    std::array<Position, 3> cell;
    for (int i = 0; i < 3; ++i) {
        auto v = in.numbers(3, "a lattice vector");
        if (!v)
            return v.error();
        cell[i] = {(*v)[0], (*v)[1], (*v)[2]};
    }
    if (volumeGiven) {
        const double v = std::abs(volume(cell));
        if (!(v > 0.0))
            return in.error("the lattice vectors span no volume");
        const double s = std::cbrt(givenVolume / v);
        scale = {s, s, s};
    }
    for (auto& a : cell)
        a = {a.x * scale[0], a.y * scale[1], a.z * scale[2]};

    if (in.atEnd())
        return in.endError("the element symbols (line 6)");
    const auto symbols = words(in.next());
    if (symbols.empty() || number(symbols[0]))
        return in.error("element symbols expected (the VASP 5 form, with its line of elements)");
    std::vector<std::string> elements;
    for (std::string_view s : symbols) {
        if (!s.empty() && (s[0] == '!' || s[0] == '#'))
            break;
        const std::string e = poscarElement(s);
        if (!isElementSymbol(e))
            return in.error("\"" + shown(s) + "\" is not an element symbol");
        elements.push_back(e);
    }
    if (in.atEnd())
        return in.endError("the atom counts (line 7)");
    const auto countWords = words(in.next());
    std::vector<std::size_t> counts;
    std::size_t total = 0;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const auto n = i < countWords.size() ? integer(countWords[i]) : std::nullopt;
        if (!n || *n < 0 || std::size_t(*n) > MaxSites)
            return in.error("one count of atoms per element expected, " + std::to_string(elements.size()) + " in all");
        counts.push_back(std::size_t(*n));
        total += std::size_t(*n);
    }
    if (total == 0 || total > MaxSites)
        return in.error("the cell must hold from 1 to " + std::to_string(MaxSites) + " atoms");

    if (in.atEnd())
        return in.endError("the coordinate mode");
    std::string_view mode = in.next();
    mode.remove_prefix(std::min(mode.find_first_not_of(" \t"), mode.size()));
    if (!mode.empty() && (mode[0] == 'S' || mode[0] == 's')) {
        // Selective dynamics: the flags after each position are read and ignored.
        if (in.atEnd())
            return in.endError("the coordinate mode");
        mode = in.next();
        mode.remove_prefix(std::min(mode.find_first_not_of(" \t"), mode.size()));
    }
    bool cartesian = false;
    if (!mode.empty() && (mode[0] == 'C' || mode[0] == 'c' || mode[0] == 'K' || mode[0] == 'k'))
        cartesian = true;
    else if (mode.empty() || (mode[0] != 'D' && mode[0] != 'd'))
        return in.error("\"Direct\" or \"Cartesian\" expected");

    std::vector<BulkSite> sites;
    sites.reserve(total);
    for (std::size_t e = 0; e < elements.size(); ++e)
        for (std::size_t k = 0; k < counts[e]; ++k) {
            auto p = in.numbers(3, "an atom's position");
            if (!p)
                return p.error();
            BulkSite site;
            site.element = elements[e];
            if (cartesian) {
                const Position r{(*p)[0] * scale[0], (*p)[1] * scale[1], (*p)[2] * scale[2]};
                site.fractional = toFractional(cell, r);
            } else {
                site.fractional = {(*p)[0], (*p)[1], (*p)[2]};
            }
            sites.push_back(std::move(site));
        }
    auto bulk = makeBulk(comment, cell, std::move(sites));
    if (!bulk)
        return fail(std::string(name) + ": " + bulk.error().message);
    return bulk;
}

// The value of key in an extended XYZ comment line: key=value or key="value with blanks".
std::optional<std::string> commentValue(std::string_view line, std::string_view key)
{
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        const std::size_t keyStart = i;
        while (i < line.size() && line[i] != '=' && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        const std::string_view k = line.substr(keyStart, i - keyStart);
        std::string value;
        if (i < line.size() && line[i] == '=') {
            ++i;
            if (i < line.size() && (line[i] == '"' || line[i] == '\'')) {
                const char quote = line[i++];
                const std::size_t end = line.find(quote, i);
                value = std::string(line.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
                i = end == std::string_view::npos ? line.size() : end + 1;
            } else {
                const std::size_t start = i;
                while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
                    ++i;
                value = std::string(line.substr(start, i - start));
            }
        }
        if (!k.empty()
            && (k == key || (k.size() == key.size() && std::equal(k.begin(), k.end(), key.begin(), [](char a, char b) {
                                 return std::tolower(static_cast<unsigned char>(a))
                                     == std::tolower(static_cast<unsigned char>(b));
                             }))))
            return value;
        if (i == keyStart)
            ++i;
    }
    return std::nullopt;
}

Result<BulkCrystal> readExtendedXyz(std::string_view text, std::string_view name)
{
    LineCursor in(text, name);
    if (in.atEnd())
        return in.endError("the atom count");
    const auto countWords = words(in.next());
    const auto count = countWords.empty() ? std::nullopt : integer(countWords[0]);
    if (!count || *count < 1 || std::size_t(*count) > MaxSites)
        return in.error("the atom count must be a whole number from 1 to " + std::to_string(MaxSites));
    if (in.atEnd())
        return in.endError("the comment line");
    const std::string_view comment = in.next();
    const auto lattice = commentValue(comment, "Lattice");
    if (!lattice)
        return in.error("no Lattice=\"...\": the file gives no cell");
    std::array<Position, 3> cell;
    {
        const auto w = words(*lattice);
        std::vector<double> v;
        for (std::string_view x : w)
            if (const auto d = number(x))
                v.push_back(*d);
            else
                return in.error("\"" + shown(x) + "\" in Lattice is not a number");
        if (v.size() != 9)
            return in.error("Lattice needs nine numbers, the three cell vectors");
        for (int i = 0; i < 3; ++i)
            cell[i] = {v[3 * i], v[3 * i + 1], v[3 * i + 2]};
    }
    // The columns: species and pos, found in Properties (name:type:count triples).
    std::size_t speciesColumn = 0, posColumn = 1, columns = 4;
    if (const auto properties = commentValue(comment, "Properties")) {
        std::vector<std::string> parts;
        std::stringstream ss(*properties);
        for (std::string part; std::getline(ss, part, ':');)
            parts.push_back(part);
        if (parts.size() % 3 != 0)
            return in.error("Properties must be name:type:count triples");
        std::optional<std::size_t> species, pos;
        std::size_t column = 0;
        for (std::size_t i = 0; i < parts.size(); i += 3) {
            const auto n = integer(parts[i + 2]);
            if (!n || *n < 1 || *n > 64)
                return in.error("Properties gives \"" + shown(parts[i + 2]) + "\" columns for " + shown(parts[i]));
            if (parts[i] == "species" && parts[i + 1] == "S" && *n == 1)
                species = column;
            if (parts[i] == "pos" && parts[i + 1] == "R" && *n == 3)
                pos = column;
            column += std::size_t(*n);
        }
        if (!species || !pos)
            return in.error("Properties must name species:S:1 and pos:R:3");
        speciesColumn = *species;
        posColumn = *pos;
        columns = column;
    }
    std::vector<BulkSite> sites;
    sites.reserve(std::size_t(*count));
    for (long long k = 0; k < *count; ++k) {
        if (in.atEnd())
            return in.endError("all " + std::to_string(*count) + " atoms are listed");
        const auto w = words(in.next());
        if (w.size() < columns)
            return in.error(std::to_string(columns) + " columns expected");
        BulkSite site;
        site.element = std::string(w[speciesColumn]);
        if (!isElementSymbol(site.element))
            return in.error("\"" + shown(w[speciesColumn]) + "\" is not an element symbol");
        double r[3];
        for (int j = 0; j < 3; ++j) {
            const auto v = number(w[posColumn + std::size_t(j)]);
            if (!v)
                return in.error("\"" + shown(w[posColumn + std::size_t(j)]) + "\" is not a number");
            r[j] = *v;
        }
        if (volume(cell) != 0.0)
            site.fractional = toFractional(cell, {r[0], r[1], r[2]});
        sites.push_back(std::move(site));
    }
    std::string title;
    if (const auto t = commentValue(comment, "title"))
        title = *t;
    auto bulk = makeBulk(title, cell, std::move(sites));
    if (!bulk)
        return fail(std::string(name) + ": " + bulk.error().message);
    return bulk;
}

Result<BulkCrystal> readCif(std::string_view text, std::string_view name, std::string_view blockName)
{
    CifBlock block;
    const std::string error = readCifBlock(text, std::string(name), blockName, MaxSites, block);
    if (!error.empty())
        return fail(error);
    const std::string where = std::string(name) + ": data_" + shown(block.name);
    const auto& p = block.cell;
    const auto cell = cellFromParameters(p[0], p[1], p[2], p[3], p[4], p[5]);
    if (!cell)
        return fail(where + ": the cell's lengths and angles describe no cell");
    std::vector<BulkSite> sites;
    sites.reserve(block.atoms.size());
    for (CifAtom& atom : block.atoms) {
        BulkSite site;
        site.element = std::move(atom.element);
        if (atom.charge != 0)
            site.oxidation = atom.charge;
        site.fractional = atom.fractional;
        sites.push_back(std::move(site));
    }
    auto bulk = makeBulk(block.name, *cell, std::move(sites));
    if (!bulk)
        return fail(where + ": " + bulk.error().message);
    return bulk;
}

} // namespace

std::optional<std::array<Position, 3>> cellFromParameters(double a, double b, double c, double alpha, double beta,
                                                          double gamma)
{
    for (double x : {a, b, c, alpha, beta, gamma})
        if (!std::isfinite(x) || !(x > 0.0))
            return std::nullopt;
    if (alpha >= 180.0 || beta >= 180.0 || gamma >= 180.0)
        return std::nullopt;
    const double rad = std::numbers::pi / 180.0;
    // Right angles exactly: cos(90 degrees) is not 0 in floating point.
    const auto cosine = [&](double angle) { return angle == 90.0 ? 0.0 : std::cos(angle * rad); };
    const double ca = cosine(alpha), cb = cosine(beta), cg = cosine(gamma);
    const double sg = gamma == 90.0 ? 1.0 : std::sin(gamma * rad);
    const double cx = cb;
    const double cy = (ca - cb * cg) / sg;
    const double cz2 = 1.0 - cx * cx - cy * cy;
    if (!(cz2 > 1e-12))
        return std::nullopt;
    return std::array<Position, 3>{Position{a, 0.0, 0.0}, Position{b * cg, b * sg, 0.0},
                                   Position{c * cx, c * cy, c * std::sqrt(cz2)}};
}

Result<BulkCrystal> makeBulk(std::string name, const std::array<Position, 3>& cell, std::vector<BulkSite> sites)
{
    for (const Position& v : cell)
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            return fail("the cell vectors must be finite");
    const double v = volume(cell);
    const double scale = norm(cell[0]) * norm(cell[1]) * norm(cell[2]);
    if (!(std::abs(v) > 1e-6 * scale) || !(std::abs(v) > 1e-6))
        return fail("the cell vectors span no volume");
    if (v < 0.0)
        return fail("the cell vectors are left-handed (negative volume)");
    if (sites.empty())
        return fail("the cell holds no atom");
    if (sites.size() > MaxSites)
        return fail("more than " + std::to_string(MaxSites) + " atoms in the cell");

    BulkCrystal bulk;
    bulk.name = std::move(name);
    bulk.cell = cell;
    // Merged by a grid of cells of the merge distance: each site is compared with the sites of
    // its own and the neighbouring grid cells (periodically), so the merge costs O(n).
    std::vector<BulkSite> kept;
    kept.reserve(sites.size());
    for (BulkSite& site : sites) {
        if (!isElementSymbol(site.element))
            return fail("\"" + shown(site.element) + "\" is not an element symbol");
        for (double& f : site.fractional) {
            if (!std::isfinite(f) || std::abs(f) > 1e6)
                return fail("a fractional coordinate is not a finite number of cells");
            f = wrap(f);
        }
    }
    // Sites sorted along a, so only near neighbours along a are compared.
    std::vector<std::size_t> order(sites.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t i, std::size_t j) { return sites[i].fractional[0] < sites[j].fractional[0]; });
    const double window = SiteMergeDistance / (v / norm(cross(cell[1], cell[2]))); // in fractions of a
    std::vector<bool> merged(sites.size(), false);
    const auto distance = [&](const BulkSite& p, const BulkSite& q) {
        std::array<double, 3> d;
        for (int j = 0; j < 3; ++j)
            d[j] = p.fractional[j] - q.fractional[j] - std::round(p.fractional[j] - q.fractional[j]);
        return norm(toCartesian(cell, d));
    };
    const std::size_t n = order.size();
    for (std::size_t a = 0; a < n; ++a) {
        const std::size_t i = order[a];
        if (merged[i])
            continue;
        // Neighbours along a within the window, wrapping around the cell's end.
        for (std::size_t step = 1; step < n; ++step) {
            const std::size_t j = order[(a + step) % n];
            double gap = sites[j].fractional[0] - sites[i].fractional[0];
            if (gap < 0.0)
                gap += 1.0;
            if (gap > window && 1.0 - gap > window)
                break;
            if (merged[j])
                continue;
            if (distance(sites[i], sites[j]) < SiteMergeDistance) {
                if (sites[i].element != sites[j].element)
                    return fail("atoms of " + sites[i].element + " and " + sites[j].element + " at one place");
                merged[j] = true;
            }
        }
    }
    for (std::size_t i = 0; i < sites.size(); ++i)
        if (!merged[i])
            kept.push_back(std::move(sites[i]));
    bulk.sites = std::move(kept);
    return bulk;
}

Result<BulkCrystal> readBulk(std::string_view text, StructureFormat format, std::string_view name,
                             std::string_view block)
{
    switch (format) {
    case StructureFormat::Poscar: return readPoscar(text, name);
    case StructureFormat::ExtendedXyz: return readExtendedXyz(text, name);
    case StructureFormat::Cif: return readCif(text, name, block);
    }
    return fail(std::string(name) + ": unknown format");
}

Result<BulkCrystal> readBulkFile(const std::string& path, std::string_view block)
{
    const auto format = structureFormatOfPath(path);
    if (!format)
        return fail(path + ": not a structure file by its name (.cif, POSCAR, CONTCAR, .vasp, .poscar, .xyz, .extxyz)");
    const auto text = platform::readWholeFile(path, MaxBulkFileBytes);
    if (!text)
        return text.error();
    return readBulk(*text, *format, path, block);
}

} // namespace crystal
