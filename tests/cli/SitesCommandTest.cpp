// facetor sites as a user runs it: the JSON read by Python, the text lines, and faults in one line.

#include "tests/cli/CommandRun.h"

#include <fstream>

namespace cli::test {
namespace {

using SitesCommand = CommandRun;

TEST_F(SitesCommand, JsonTextAndFaults)
{
    // Pt (1 1 1): top, bridge, fcc, hcp, each bound oxygen at 0.66 + 1.36 Angstrom from every
    // bound atom of the top plane (the heights checked against the in-plane distances to them).
    const CommandResult j = run("sites --material Pt --hkl 1 1 1 --format json");
    EXPECT_EQ(j.status, 0) << j.err;
    std::ofstream(m_dir / "s.json") << j.out;
    const std::string check = "python3 -c \"import json,sys,math; d=json.load(sys.stdin)['sites']; "
                              "assert [s['label'] for s in d]==['top','bridge','fcc','hcp']; "
                              "assert [s['multiplicity'] for s in d]==[1,3,1,1]; "
                              "assert [s['bound'] for s in d]==[[{'element':'Pt','count':n}] for n in (1,2,3,3)]; "
                              "a=2.7748; r={1:0,2:a/2,3:a/math.sqrt(3)}; "
                              "assert all(abs(math.hypot(s['position'][2], r[s['fold']])-2.02)<1e-3 for s in d)\"";
    EXPECT_EQ(std::system((check + " <'" + (m_dir / "s.json").string() + "'").c_str()), 0) << j.out;

    const CommandResult t = run("sites --material Cu --hkl 1 1 0");
    EXPECT_EQ(t.status, 0) << t.err;
    for (const char* label : {"\ntop: top, 1 per cell", "\nshort bridge: bridge, 1 per cell",
                              "\nlong bridge: bridge, 1 per cell", "\n4-fold hollow: hollow, 1 per cell"})
        EXPECT_NE(t.out.find(label), std::string::npos) << label << t.out;

    // A stepped surface's step variants carry "step": true in JSON, and the report lists the same
    // sites, text and JSON, after its other items; figure --sites draws them.
    const CommandResult stepped = run("sites --material Pt --hkl 2 1 1 --format json");
    EXPECT_NE(stepped.out.find("{\"kind\": \"top\", \"label\": \"step top\", \"step\": true"), std::string::npos)
        << stepped.out;
    EXPECT_NE(stepped.out.find("{\"kind\": \"top\", \"label\": \"top\", \"step\": false"), std::string::npos);
    const CommandResult report = run("report --material Pt --hkl 2 1 1");
    EXPECT_NE(report.out.find("\nsites            10 (per cell, bound atoms)\n  step top       1, 1 Pt\n"),
              std::string::npos)
        << report.out;
    const CommandResult reportJson = run("report --material Pt --hkl 2 1 1 --format json");
    EXPECT_NE(reportJson.out.find(", \"sites\": [{\"kind\": \"top\", \"label\": \"step top\", \"step\": true, "
                                  "\"multiplicity\": 1, \"bound\": [{\"element\": \"Pt\", \"count\": 1}]}"),
              std::string::npos)
        << reportJson.out;
    EXPECT_EQ(run("figure --material Pt --hkl 2 1 1 --sites --out '" + (m_dir / "f.svg").string() + "'").status, 0);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "f.svg"));
    EXPECT_EQ(run("sites --material Pt --hkl 1 1 1 --sites").status, 2); // a figure option

    // A compound's sites use its own symmetry; a bad plane is one line and status 2.
    EXPECT_EQ(run("sites --material SrTiO3 --hkl 0 0 1").status, 0);
    const CommandResult bad = run("sites --material Pt --hkl 0 0 0");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err.substr(0, bad.err.find('\n')), "facetor: Miller indices (0 0 0) name no plane");
    EXPECT_TRUE(bad.out.empty());
}

} // namespace
} // namespace cli::test
