// facetor report as a user runs it: the real executable, its output and exit status.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <utility>

namespace {

// Runs a shell command line (standard error discarded): its exit status and standard output.
std::pair<int, std::string> run(const std::string& command)
{
    std::string out;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return {-1, out};
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
        out.append(buf, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

const std::string Facetor = "'" FACETOR_BIN "' report ";

TEST(ReportCommand, TextJsonAndBadArguments)
{
    const auto [status, text] = run(Facetor + "--material Cu --hkl 1 1 1");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(text.rfind("Cu (1 1 1)\nplane (h k l)    (1 1 1)\n", 0), 0u) << text;

    // The JSON parsed by Python, its structure checked there.
    const std::string check =
        "import json,sys; d=json.load(sys.stdin); "
        "assert set(d)=={'cell','plane_spacings','planes_per_period','atoms_per_nm2','exposed','steps',"
        "'space_group','conventional_hkl','terminations','short_first_spacing','sites'}; "
        "assert d['space_group']=={'symbol':'Im-3m','number':229} and d['conventional_hkl'] is None; "
        "assert [(t['index'],t['top'],t['tasker'],t['first_spacing_length'],t['symmetric_possible']) "
        "for t in d['terminations']]==[(1,{'Fe':1},None,None,True)] and d['short_first_spacing'] is None; "
        "assert abs(d['terminations'][0]['first_spacing']-2.87/2**0.5)<1e-9; "
        "assert set(d['cell'])=={'a','b','gamma','area','a_direction','b_direction','type'}; "
        "assert d['cell']['type']=='centred rectangular' and abs(d['cell']['gamma']-109.47)<0.01; "
        "assert [e['coordination'] for e in d['exposed']]==[{'6':1},{'8':1},{'8':1}]; "
        "assert d['steps'] is None and d['planes_per_period']==len(d['plane_spacings'])==2; print('ok')";
    const auto json =
        run(Facetor + "--lattice bcc --elements Fe --a 2.87 --hkl 1 1 0 --format json | /usr/bin/python3 -c \"" + check
            + "\"");
    EXPECT_EQ(json.second, "ok\n");

    for (const char* bad : {"--material Cu --hkl 0 0 0", "--material Cu --hkl 1 1 1 --format xml",
                            "--material Cu --hkl 1 1 1 --extra", "--material Cu --hkl 1 1 1 --format", "--hkl 1 1 1"})
        EXPECT_EQ(run(Facetor + bad), std::make_pair(2, std::string())) << bad;
}

} // namespace
