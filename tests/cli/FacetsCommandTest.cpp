// facetor facets and facetor wulff as a user runs them: JSON that Python reads, the picture
// written, and faults named in one line with nothing written.

#include "tests/cli/CommandRun.h"

#include <fstream>

namespace cli::test {
namespace {

using FacetsCommand = CommandRun;

TEST_F(FacetsCommand, ListsDrawsAndRefuses)
{
    // The multiplicities of Cu's planes up to index 2 count every plane with no index above 2 (98).
    CommandResult r = run("facets --material Cu --max-index 2 --format json");
    ASSERT_EQ(r.status, 0) << r.err;
    std::ofstream(m_dir / "f.json") << r.out;
    const std::string check = "python3 -c \"import json,sys; d=json.load(sys.stdin); "
                              "assert sum(p['multiplicity'] for p in d['planes'])==98; "
                              "assert d['planes'][0]['hkl']==[1,1,1]\" <'"
        + (m_dir / "f.json").string() + "'";
    EXPECT_EQ(std::system(check.c_str()), 0) << r.out;

    // The shape drawn as asked; hexagonal axes name their faces with four indices.
    r = run("wulff --material Mg --max-index 1 --out mg.svg");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("facet (0 0 0 1): area fraction"), std::string::npos) << r.out;
    EXPECT_NE(workFile("mg.svg").find("<svg"), std::string::npos);

    // Faults: one line each, status 2, no picture.
    std::ofstream(work() / "twice.txt") << "1 1 1 1.2\n-1 -1 -1 1.3\n";
    std::ofstream(work() / "bad.txt") << "1 1 1 1.2\n1 0 0 -4\n";
    std::ofstream(work() / "up.txt") << "0 0 1 1.2\n";
    const struct {
        const char* args;
        const char* error; // its first line
    } rows[] = {
        {"facets --material Cu", "facetor: option --max-index is required"},
        {"facets --material Cu --max-index 7", "facetor: --max-index '7' is not an index from 1 to 6"},
        {"wulff --material Cu --out cu.txt",
         "facetor: cannot tell the format of 'cu.txt' from its name: use .svg, .pdf or .png"},
        {"wulff --material Cu --energies twice.txt --out cu.png",
         "facetor: twice.txt:2: (-1 -1 -1) is equivalent to (1 1 1), given before"},
        {"wulff --material Cu --energies bad.txt --out cu.png",
         "facetor: bad.txt:2: energy '-4' is not a number above 0"},
        {"wulff --material Cu --energies missing.txt --out cu.png",
         "facetor: missing.txt: cannot be read: No such file or directory"},
        // ZnO's polar axis: (0 0 1) alone faces only up.
        {"wulff --material ZnO --energies up.txt",
         "facetor: the planes given enclose no finite shape: add planes facing every direction"},
    };
    for (const auto& row : rows) {
        r = run(row.args);
        EXPECT_EQ(r.status, 2) << row.args;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), row.error) << row.args;
    }
    EXPECT_EQ(workFiles().size(), 4u); // mg.svg and the three energies files: no picture more
}

} // namespace
} // namespace cli::test
