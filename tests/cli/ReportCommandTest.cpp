// facetor report as a user runs it: the real executable, its output and exit status.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Output {
    int status = -1;
    std::string out;
};

// Runs a shell command line (standard error discarded) and collects standard output.
Output run(const std::string& command)
{
    Output r;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
        r.out.append(buf, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

const std::string Facetor = "'" FACETOR_BIN "' report ";

TEST(ReportCommand, TextJsonAndBadArguments)
{
    const Output text = run(Facetor + "--material Cu --hkl 1 1 1");
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out.rfind("Cu (1 1 1)\nplane (h k l)    (1 1 1)\n", 0), 0u) << text.out;

    // The JSON parsed by Python, its structure checked there.
    const std::string check =
        "import json,sys; d=json.load(sys.stdin); "
        "assert set(d)=={'cell','plane_spacings','planes_per_period','atoms_per_nm2','exposed','steps'}; "
        "assert set(d['cell'])=={'a','b','gamma','area','a_direction','b_direction','type'}; "
        "assert d['cell']['type']=='centred rectangular' and abs(d['cell']['gamma']-70.53)<0.01; "
        "assert [e['coordination'] for e in d['exposed']]==[{'6':1},{'8':1},{'8':1}]; "
        "assert d['steps'] is None and d['planes_per_period']==len(d['plane_spacings'])==2; print('ok')";
    const Output json = run(Facetor + "--lattice bcc --elements Fe --a 2.87 --hkl 1 1 0 --format json | /usr/bin/python3 -c \"" + check + "\"");
    EXPECT_EQ(json.out, "ok\n");

    for (const char* bad : {"--material Cu --hkl 0 0 0", "--material Cu --hkl 1 1 1 --format xml",
                            "--material Cu --hkl 1 1 1 --extra", "--material Cu --hkl 1 1 1 --format", "--hkl 1 1 1"}) {
        const Output r = run(Facetor + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(r.out, "") << bad;
    }
}

} // namespace
