#include "cli/Commands.h"

#include "crystal/Compound.h"
#include "crystal/Material.h"
#include "crystal/Prototype.h"
#include "crystal/Symmetry.h"

#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace cli {

namespace {

using platform::jsonNumber;
using platform::jsonString;

// One preset as the listing shows it, a lattice preset or a compound.
struct PresetRow {
    std::string name;
    std::optional<std::string_view> lattice; // the drawn lattice a lattice preset is on
    std::string_view structure;              // the structure type's name: "fcc", "rock salt"
    std::string column;                      // the text's structure column: one word
    double a = 0.0;
    std::optional<double> c;
    std::vector<std::string> elements;
    std::string source;
    platform::Result<crystal::BulkCrystal> bulk;
};

// A structure type's name as one word for a column: "rock salt" -> "rock-salt",
// "CsCl (B2)" -> "CsCl(B2)".
std::string oneWord(std::string_view name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (name[i] != ' ')
            out += name[i];
        else if (i + 1 < name.size() && name[i + 1] != '(')
            out += '-';
    return out;
}

std::vector<PresetRow> presetRows()
{
    std::vector<PresetRow> rows;
    for (const crystal::Material& m : crystal::materialPresets()) {
        const std::string_view lattice = geometry::latticeName(m.lattice);
        rows.push_back({m.name, lattice, crystal::structureType(crystal::prototypeOf(m)).name, std::string(lattice),
                        m.a, m.lattice == crystal::LatticeKind::Hcp ? std::optional<double>(m.c) : std::nullopt,
                        m.elements, m.source, crystal::bulkOf(m)});
    }
    for (const crystal::Compound& compound : crystal::compoundPresets()) {
        const crystal::StructureType& type = compound.type();
        std::vector<std::string> elements;
        for (const crystal::Species& s : compound.species)
            elements.push_back(s.element);
        rows.push_back({compound.name, std::nullopt, type.name, oneWord(type.name), compound.parameters.a,
                        type.hasC ? std::optional<double>(compound.parameters.c) : std::nullopt, std::move(elements),
                        compound.source, crystal::bulkOf(compound)});
    }
    return rows;
}

std::string formatText(const std::vector<PresetRow>& rows)
{
    std::string out = "name structure a c elements\n";
    for (const PresetRow& row : rows) {
        out += row.name + ' ' + row.column + ' ' + shortest(row.a) + ' ' + (row.c ? shortest(*row.c) : "-") + ' ';
        for (std::size_t i = 0; i < row.elements.size(); ++i)
            out += (i ? "," : "") + row.elements[i];
        out += '\n';
    }
    return out;
}

std::string formatJson(const std::vector<PresetRow>& rows)
{
    std::string out = "{\"presets\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PresetRow& row = rows[i];
        out += i ? ", " : "";
        out += "{\"name\": " + jsonString(row.name);
        out += ", \"lattice\": " + (row.lattice ? jsonString(*row.lattice) : std::string("null"));
        out += ", \"structure\": " + jsonString(row.structure);
        const auto symmetry = row.bulk ? crystal::analyseSymmetry(*row.bulk)
                                       : platform::Result<crystal::CrystalSymmetry>(row.bulk.error());
        out += ", \"space_group\": "
            + (symmetry ? "{\"symbol\": " + jsonString(symmetry->symbol)
                       + ", \"number\": " + std::to_string(symmetry->number) + "}"
                        : std::string("null"));
        out += ", \"a\": " + jsonNumber(row.a) + ", \"c\": " + (row.c ? jsonNumber(*row.c) : std::string("null"));
        out += ", \"elements\": [";
        for (std::size_t k = 0; k < row.elements.size(); ++k)
            out += (k ? ", " : "") + jsonString(row.elements[k]);
        out += "], \"source\": " + jsonString(row.source) + "}";
    }
    return out + "]}\n";
}

} // namespace

int runMaterials(const BatchCommand& cmd)
{
    const std::vector<PresetRow> rows = presetRows();
    std::cout << (cmd.textFormat == TextFormat::Json ? formatJson(rows) : formatText(rows));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace cli
