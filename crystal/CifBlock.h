#pragma once
// What a CIF data block says of a crystal, read with gemmi's parser: the cell's lengths and
// angles and every atom of the cell, the block's symmetry operations applied.
//
// This header and CifBlock.cpp are C++17: gemmi's document types do not compile as C++20 with
// clang 14 and libstdc++ 12 (a vector of a type not yet complete), so the parser stays behind
// this plain interface.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace crystal {

struct CifAtom {
    std::string element;                // the symbol of the periodic table
    int charge = 0;                     // from the type symbol ("Ti4+"), 0 where none is given
    std::array<double, 3> fractional{}; // not yet wrapped into the cell
};

struct CifBlock {
    std::string name;             // without "data_"
    std::array<double, 6> cell{}; // a, b, c (Angstrom), alpha, beta, gamma (degrees)
    std::vector<CifAtom> atoms;   // every symmetry image, duplicates not yet merged
};

// A word of a structure file as the readers' messages show it: at most 40 characters, control
// characters as '?'.
std::string shownWord(std::string_view word);

// Reads the data block named block (the first when empty) of a CIF text into out. An error is
// one line naming the file (name), the block or line, and the problem; empty on success. At
// most maxAtoms atoms are produced.
std::string readCifBlock(std::string_view text, const std::string& name, std::string_view block, std::size_t maxAtoms,
                         CifBlock& out);

} // namespace crystal
