#include "crystal/StructureFile.h"
#include "platform/FileSystem.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace crystal {

namespace {

// Fixed-point text: 8 decimals for Angstrom, 10 for fractions and angles, enough to read back
// to far better than 1e-6 Angstrom. -0 prints as 0.
void appendFixed(std::string& out, double value, int decimals)
{
    if (value == 0.0 || std::fabs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0.0;
    char buf[400]; // any double in fixed notation with up to 10 decimals
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    out.append(buf, ec == std::errc() ? ptr : buf);
}

void appendVector(std::string& out, Position v, const char* separator = " ")
{
    appendFixed(out, v.x, 8);
    out += separator;
    appendFixed(out, v.y, 8);
    out += separator;
    appendFixed(out, v.z, 8);
}

// The title on one line, without the quotes that would end an extended XYZ value.
std::string cleanTitle(std::string_view title)
{
    std::string s;
    for (char c : title)
        s += (c == '"' || c == '\n' || c == '\r') ? '\'' : c;
    return s;
}

std::string extendedXyz(const PeriodicSlab& slab, std::string_view title)
{
    std::string out;
    out.reserve(slab.atoms.size() * 48 + 256);
    out += std::to_string(slab.atoms.size());
    out += "\nLattice=\"";
    appendVector(out, slab.a);
    out += ' ';
    appendVector(out, slab.b);
    out += ' ';
    appendVector(out, slab.c);
    out += "\" Properties=species:S:1:pos:R:3 pbc=\"T T F\" title=\"";
    out += cleanTitle(title);
    out += "\"\n";
    for (const SlabAtom& atom : slab.atoms) {
        out += slab.elements[std::size_t(atom.species)];
        out += ' ';
        appendVector(out, atom.position);
        out += '\n';
    }
    return out;
}

// The species in the order their elements first appear, one group per distinct element.
std::vector<std::vector<int>> elementGroups(const PeriodicSlab& slab)
{
    std::vector<std::vector<int>> groups;
    for (std::size_t s = 0; s < slab.elements.size(); ++s) {
        std::size_t g = 0;
        while (g < groups.size() && slab.elements[std::size_t(groups[g][0])] != slab.elements[s])
            ++g;
        if (g == groups.size())
            groups.emplace_back();
        groups[g].push_back(int(s));
    }
    return groups;
}

std::string poscar(const PeriodicSlab& slab, std::string_view title)
{
    std::string out;
    out.reserve(slab.atoms.size() * 40 + 256);
    out += cleanTitle(title);
    out += "\n1.0\n";
    for (Position v : {slab.a, slab.b, slab.c}) {
        out += "  ";
        appendVector(out, v, "  ");
        out += '\n';
    }
    const auto groups = elementGroups(slab);
    std::vector<std::size_t> counts(groups.size(), 0);
    for (const SlabAtom& atom : slab.atoms)
        for (std::size_t g = 0; g < groups.size(); ++g)
            for (int s : groups[g])
                counts[g] += atom.species == s;
    std::string names;
    std::string numbers;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (counts[g] == 0)
            continue;
        names += "  " + slab.elements[std::size_t(groups[g][0])];
        numbers += "  " + std::to_string(counts[g]);
    }
    out += names + "\n" + numbers + "\nCartesian\n";
    for (const auto& group : groups)
        for (const SlabAtom& atom : slab.atoms)
            for (int s : group)
                if (atom.species == s) {
                    out += "  ";
                    appendVector(out, atom.position, "  ");
                    out += '\n';
                }
    return out;
}

double angleDegrees(Position p, Position q)
{
    const double c = dot(p, q) / (norm(p) * norm(q));
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) * 180.0 / std::numbers::pi;
}

// A CIF data block name: letters, digits and underscores only.
std::string blockName(std::string_view title)
{
    std::string s;
    for (char c : title) {
        const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (word)
            s += c;
        else if (c == '-')
            s += 'm';
        else if (!s.empty() && s.back() != '_')
            s += '_';
    }
    while (!s.empty() && s.back() == '_')
        s.pop_back();
    return s.empty() ? "slab" : s;
}

std::string cif(const PeriodicSlab& slab, std::string_view title)
{
    std::string out;
    out.reserve(slab.atoms.size() * 56 + 512);
    out += "data_" + blockName(title) + "\n";
    out += "_audit_creation_method 'facetor'\n";
    out += "_chemical_name_common '" + cleanTitle(title) + "'\n";
    out += "_symmetry_space_group_name_H-M 'P 1'\n";
    out += "_symmetry_Int_Tables_number 1\n";
    const double lengths[3] = {norm(slab.a), norm(slab.b), norm(slab.c)};
    const char* lengthNames[3] = {"a", "b", "c"};
    for (int i = 0; i < 3; ++i) {
        out += "_cell_length_";
        out += lengthNames[i];
        out += ' ';
        appendFixed(out, lengths[i], 8);
        out += '\n';
    }
    const double angles[3] = {angleDegrees(slab.b, slab.c), angleDegrees(slab.a, slab.c), angleDegrees(slab.a, slab.b)};
    const char* angleNames[3] = {"alpha", "beta", "gamma"};
    for (int i = 0; i < 3; ++i) {
        out += "_cell_angle_";
        out += angleNames[i];
        out += ' ';
        appendFixed(out, angles[i], 10);
        out += '\n';
    }
    out += "loop_\n_symmetry_equiv_pos_as_xyz\n  'x, y, z'\n";
    out += "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n_atom_site_fract_y\n"
           "_atom_site_fract_z\n";
    // The cell has a along x, b in the x-y plane and c along z: fractions by back substitution.
    std::size_t label = 0;
    for (const SlabAtom& atom : slab.atoms) {
        const std::string& element = slab.elements[std::size_t(atom.species)];
        const Position p = atom.position;
        const double fz = p.z / slab.c.z;
        const double fy = (p.y - fz * slab.c.y) / slab.b.y;
        const double fx = (p.x - fy * slab.b.x - fz * slab.c.x) / slab.a.x;
        out += element;
        out += std::to_string(++label);
        out += ' ';
        out += element;
        for (double f : {fx, fy, fz}) {
            out += ' ';
            appendFixed(out, f, 10);
        }
        out += '\n';
    }
    return out;
}

} // namespace

std::optional<StructureFormat> parseStructureFormat(std::string_view name)
{
    if (name == "extxyz")
        return StructureFormat::ExtendedXyz;
    if (name == "poscar")
        return StructureFormat::Poscar;
    if (name == "cif")
        return StructureFormat::Cif;
    return std::nullopt;
}

std::optional<StructureFormat> structureFormatOfPath(std::string_view path)
{
    const std::string ext = platform::fileExtension(path);
    if (ext == "xyz" || ext == "extxyz")
        return StructureFormat::ExtendedXyz;
    if (ext == "cif")
        return StructureFormat::Cif;
    const std::string_view name = path.substr(path.find_last_of('/') + 1);
    if (name.starts_with("POSCAR") || name == "CONTCAR" || ext == "vasp" || ext == "poscar")
        return StructureFormat::Poscar;
    return std::nullopt;
}

std::string formatStructure(const PeriodicSlab& slab, StructureFormat format, std::string_view title)
{
    switch (format) {
    case StructureFormat::Poscar: return poscar(slab, title);
    case StructureFormat::Cif: return cif(slab, title);
    case StructureFormat::ExtendedXyz: break;
    }
    return extendedXyz(slab, title);
}

} // namespace crystal
