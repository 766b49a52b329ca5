// The CIF reader on gemmi's document parser (C++17: see CifBlock.h).

#include "crystal/CifBlock.h"

#include <gemmi/cif.hpp>
#include <gemmi/numb.hpp>
#include <gemmi/small.hpp>
#include <gemmi/symmetry.hpp>

#include <cmath>
#include <optional>

namespace crystal {

namespace {

std::string oneLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string shown(std::string_view word) { return shownWord(word); }

// A CIF item's text, or nothing where it is missing, '?' or '.'.
std::optional<std::string> cifValue(const gemmi::cif::Block& block, const std::string& tag)
{
    const std::string* v = const_cast<gemmi::cif::Block&>(block).find_value(tag);
    if (!v || gemmi::cif::is_null(*v))
        return std::nullopt;
    return gemmi::cif::as_string(*v);
}

// Every operation of a group, the centring translations included.
std::vector<gemmi::Op> allOperations(const gemmi::GroupOps& group)
{
    std::vector<gemmi::Op> ops;
    for (const gemmi::Op& op : group)
        ops.push_back(op);
    return ops;
}

// The symmetry operations of a CIF block: its own list, else those of its space group's name
// or number, else the identity alone.
std::vector<gemmi::Op> cifOperations(gemmi::cif::Block& block, const std::string& where, std::string& error)
{
    for (const char* tag :
         {"_space_group_symop_operation_xyz", "_symmetry_equiv_pos_as_xyz", "_space_group_symop.operation_xyz"}) {
        const gemmi::cif::Column column = block.find_values(tag);
        if (!column || column.length() == 0)
            continue;
        std::vector<gemmi::Op> ops;
        for (const std::string& item : column) {
            const std::string triplet = gemmi::cif::as_string(item);
            try {
                ops.push_back(gemmi::parse_triplet(triplet));
            } catch (const std::exception&) {
                error = where + ": the symmetry operation \"" + shown(triplet) + "\" cannot be read";
                return {};
            }
        }
        return ops;
    }
    if (const auto hall = cifValue(block, "_space_group_name_Hall")) {
        return allOperations(gemmi::symops_from_hall(hall->c_str()));
    }
    const gemmi::SpaceGroup* group = nullptr;
    for (const char* tag : {"_space_group_name_H-M_alt", "_symmetry_space_group_name_H-M"})
        if (const auto name = cifValue(block, tag)) {
            group = gemmi::find_spacegroup_by_name(*name);
            if (!group) {
                error = where + ": the space group \"" + shown(*name) + "\" is not known";
                return {};
            }
            break;
        }
    if (!group)
        for (const char* tag : {"_space_group_IT_number", "_symmetry_Int_Tables_number"})
            if (const auto text = cifValue(block, tag)) {
                const int n = gemmi::string_to_int(*text, false);
                if (n < 1 || n > 230) {
                    error = where + ": the space group number \"" + shown(*text) + "\" is not from 1 to 230";
                    return {};
                }
                group = gemmi::find_spacegroup_by_number(n);
                break;
            }
    if (!group)
        return {gemmi::Op::identity()};
    return allOperations(group->operations());
}

std::string readCif(std::string_view text, const std::string& file, std::string_view blockName, std::size_t maxAtoms,
                    CifBlock& out)
{
    gemmi::cif::Document doc;
    try {
        doc = gemmi::cif::read_memory(text.data(), text.size(), file.c_str());
    } catch (const std::exception& e) {
        // gemmi names the file and the line: "x.cif:12:3: ..."; one line of it.
        std::string what = e.what();
        what = what.substr(0, what.find('\n'));
        if (what.rfind(file, 0) != 0)
            what = file + ": " + what;
        return oneLine(what);
    }
    gemmi::cif::Block* block = nullptr;
    if (blockName.empty()) {
        if (doc.blocks.empty())
            return file + ": no data block";
        block = &doc.blocks.front();
    } else {
        for (auto& b : doc.blocks)
            if (b.name == blockName)
                block = &b;
        if (!block)
            return file + ": no data block \"" + shown(blockName) + "\"";
    }
    out.name = block->name;
    const std::string where = file + ": data_" + shown(block->name);
    try {
        const char* tags[6] = {"_cell_length_a",    "_cell_length_b",   "_cell_length_c",
                               "_cell_angle_alpha", "_cell_angle_beta", "_cell_angle_gamma"};
        for (int i = 0; i < 6; ++i) {
            const auto v = cifValue(*block, tags[i]);
            out.cell[std::size_t(i)] = v ? gemmi::cif::as_number(*v) : (i >= 3 ? 90.0 : NAN);
            if (!std::isfinite(out.cell[std::size_t(i)]))
                return where + ": " + tags[i] + (v ? " is not a number" : " is missing");
        }
        std::string error;
        const std::vector<gemmi::Op> ops = cifOperations(*block, where, error);
        if (!error.empty())
            return error;

        gemmi::cif::Table atoms =
            block->find("_atom_site_", {"label", "?type_symbol", "fract_x", "fract_y", "fract_z", "?occupancy"});
        if (!atoms.ok() || atoms.length() == 0)
            return where + ": no _atom_site_ loop with fract_x, fract_y and fract_z";
        for (auto row : atoms) {
            const std::string label = gemmi::cif::as_string(row[0]);
            const std::string symbol = row.has(1) ? gemmi::cif::as_string(row[1]) : label;
            gemmi::SmallStructure::Site parsed;
            gemmi::split_element_and_charge(symbol, &parsed);
            if (parsed.element == gemmi::El::X)
                return where + ": atom " + shown(label) + ": \"" + shown(symbol) + "\" names no element";
            if (row.has2(5)) {
                const double occupancy = gemmi::cif::as_number(row[5], 1.0);
                if (!(std::abs(occupancy - 1.0) < 1e-6))
                    return where + ": atom " + shown(label) + " has occupancy " + shown(gemmi::cif::as_string(row[5]))
                        + ": partly occupied sites are not supported";
            }
            std::array<double, 3> f;
            for (int j = 0; j < 3; ++j) {
                f[std::size_t(j)] = gemmi::cif::as_number(row[2 + j]);
                if (!std::isfinite(f[std::size_t(j)]))
                    return where + ": atom " + shown(label) + ": a fractional coordinate is not a number";
            }
            for (const gemmi::Op& op : ops) {
                if (out.atoms.size() >= maxAtoms)
                    return where + ": more than " + std::to_string(maxAtoms) + " atoms in the cell";
                out.atoms.push_back({parsed.element.name(), parsed.charge, op.apply_to_xyz(f)});
            }
        }
        return {};
    } catch (const std::exception& e) {
        return where + ": " + oneLine(e.what());
    }
}

} // namespace

std::string shownWord(std::string_view word)
{
    std::string out(word.substr(0, 40));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return out;
}

std::string readCifBlock(std::string_view text, const std::string& name, std::string_view block, std::size_t maxAtoms,
                         CifBlock& out)
{
    out = CifBlock{};
    return readCif(text, name, block, maxAtoms, out);
}

} // namespace crystal
