#include "render/Listing.h"

#include "runtime/Runtime.h"

#include <cassert>

namespace render {

namespace {

const rt::Format& rowFormat()
{
    static const rt::Format format = [] {
        auto parsed = rt::Format::parse("('   [',F6.3,2(', ',F6.3),']')");
        assert(parsed);
        return *parsed;
    }();
    return format;
}

void writeRow(rt::Runtime& runtime, const std::array<float, 3>& row)
{
    runtime.writeFormatted(ListingUnit, rowFormat(), {row[0], row[1], row[2]});
}

} // namespace

void writeStructureListing(const geometry::LatticeDefinition& lattice, rt::Runtime& runtime)
{
    runtime.writeList(ListingUnit, {std::string_view("lattice vectors")});
    for (const auto& v : lattice.latticeVectors)
        writeRow(runtime, v);
    runtime.writeList(ListingUnit, {std::string_view("basis-atom positions")});
    for (int b = 0; b < lattice.basisCount && b < geometry::MaxBasis; ++b)
        writeRow(runtime, lattice.basis[b]);
}

} // namespace render
