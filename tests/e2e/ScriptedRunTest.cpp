// Whole sessions of the desktop program on the headless platform: the user's clicks and
// typing are scripted, the program runs its real main routine.

#include "app/DialogTemplates.h"
#include "app/Dialogs.h"
#include "platform/headless/HeadlessDialogHost.h"
#include "platform/headless/HeadlessPlatform.h"
#include "render/SurfaceWindow.h"
#include "winrt/Frame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;
using platform::HeadlessDialogHost;
using Host = HeadlessDialogHost;

namespace {

// The program end as the desktop has it, except that the thread is not parked: the frame's
// end-of-program handling runs and the exit status is recorded.
struct RecordingEnd final : rt::ProgramEnd {
    winrt::FrameRuntime* frame = nullptr;
    std::vector<int> ended;
    std::vector<uint32_t> exits;
    void programEnded(int code) override
    {
        ended.push_back(code);
        frame->programEnded(code);
    }
    void exitProcess(uint32_t status) override { exits.push_back(status); }
};

struct RecordingReports final : rt::ReportSink {
    std::vector<std::string> texts;
    void showReport(uint32_t, std::string_view text) override { texts.emplace_back(text); }
};

// One desktop program on a headless screen, run on the calling thread.
struct Session {
    platform::HeadlessPlatform screen;
    winrt::WindowRuntime windows{screen};
    winrt::FrameRuntime frame{screen, windows, "facetor"};
    RecordingReports reports;
    RecordingEnd end;
    rt::Runtime runtime{platform::systemFileSystem(), reports, end};
    render::WindowUnitOutput unitOutput{windows};
    HeadlessDialogHost host;
    dialogs::DialogRuntime dialogs{host, app::applicationDialogResources(), runtime};
    std::unique_ptr<render::DrawnSurface> surface = std::make_unique<render::DrawnSurface>();
    render::SurfaceWindow application{windows, runtime, *surface};

    Session()
    {
        end.frame = &frame;
        frame.start();
        for (int unit : {0, 5, 6})
            runtime.units().connectWindow(unit, &unitOutput);
    }

    std::string caption()
    {
        auto info = windows.windowInfo(windows.focusWindow());
        std::string t = info ? info->title : "";
        while (!t.empty() && t.back() == ' ')
            t.pop_back();
        return t;
    }

    // The 500 x 450 area the child window shows.
    std::vector<uint8_t> picture()
    {
        std::vector<uint8_t> out;
        auto canvas = windows.windowCanvas(windows.focusWindow());
        if (!canvas)
            return out;
        auto lock = canvas->lockDrawing();
        for (int y = 0; y < 450; ++y)
            for (int x = 0; x < 500; ++x)
                out.push_back(canvas->canvas().pixel(x, y));
        return out;
    }
};

class ScriptedRun : public testing::Test {
protected:
    void SetUp() override
    {
        m_old = fs::current_path();
        char tmpl[] = "/tmp/facetor-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        fs::current_path(m_dir);
    }
    void TearDown() override
    {
        fs::current_path(m_old);
        fs::remove_all(m_dir);
    }
    fs::path m_old, m_dir;
};

} // namespace

TEST_F(ScriptedRun, ChooseRotateResetChooseAgainExit)
{
    auto session = std::make_unique<Session>();
    Session& s = *session;
    std::vector<std::string> captions;
    std::vector<std::vector<uint8_t>> pictures;
    auto snapshot = [&](Host&, platform::DialogWindow) {
        captions.push_back(s.caption());
        pictures.push_back(s.picture());
    };
    s.screen.queueMessageAnswer(platform::MessageAnswer::Yes);
    s.host.addSteps({
        // Surface dialog: HCP, termination B, plane (0 0 1).
        Host::Inspect{snapshot},
        Host::Click{1005},
        Host::Type{1008, "b"},
        Host::Type{1001, "0"},
        Host::Type{1007, "1"},
        Host::Enter{},
        // View dialog over the picture: rotate 30, tilt 30, then reset, then another surface.
        Host::Inspect{snapshot},
        Host::Type{1003, "30"},
        Host::Type{1004, "30"},
        Host::Click{1001},
        Host::Inspect{snapshot},
        Host::Click{1002},
        Host::Inspect{snapshot},
        Host::Click{1},
        // Surface dialog again: zinc blende (1 1 1).
        Host::Click{1006},
        Host::Type{1002, "1"},
        Host::Type{1007, "1"},
        Host::Enter{},
        Host::Inspect{snapshot},
        Host::Click{1000},
    });

    app::runApplication(s.application, s.frame, s.dialogs);

    ASSERT_EQ(captions.size(), 5u);
    EXPECT_EQ(captions[0], "planes");
    EXPECT_EQ(captions[1], "HCP (  0,  0,  1)  B");
    EXPECT_EQ(captions[4], "Zinc Blend (  1,  1,  1) A");

    // The HCP B (0 0 1) picture, turned, then back exactly.
    EXPECT_NE(pictures[1], pictures[2]) << "Rotate redraws the picture";
    // Reset View draws the unrotated picture again; atoms of equal depth may be drawn in
    // another order after the tilted sort, which changes only the one-pixel rims where
    // neighbours of a layer touch.
    ASSERT_EQ(pictures[1].size(), pictures[3].size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < pictures[1].size(); ++i)
        differing += pictures[1][i] != pictures[3][i];
    EXPECT_LT(differing, pictures[1].size() / 50) << "Reset View gives the first picture back";
    EXPECT_NE(pictures[4], pictures[1]);
    EXPECT_EQ(s.application.state().atoms.count, 10000);

    // Exit Program: no run-time message, code 0, the end box answered Yes closes the frame.
    EXPECT_TRUE(s.reports.texts.empty());
    EXPECT_EQ(s.end.ended, std::vector<int>{0});
    EXPECT_EQ(s.end.exits, std::vector<uint32_t>{0});
    ASSERT_FALSE(s.screen.messageBoxes().empty());
    EXPECT_EQ(s.screen.messageBoxes().back().text, "Program Terminated with exit code 0\nExit Window?");
    EXPECT_TRUE(s.screen.frameClosed());
    EXPECT_EQ(s.screen.statusText(0), "Finished");
    EXPECT_EQ(s.host.forcedEnds(), 0);

    ASSERT_TRUE(fs::exists("posit.txt"));
    EXPECT_EQ(fs::file_size("posit.txt"), 0u);
}

TEST_F(ScriptedRun, SurfaceDialogValuesAndEdgeCases)
{
    auto session = std::make_unique<Session>();
    Session& s = *session;
    app::ApplicationDialogs dialogs(s.dialogs, s.application);
    auto& state = s.application.state();
    std::vector<std::string> seen;
    auto text = [&](int id) {
        return [&seen, id](Host& host, platform::DialogWindow d) { seen.push_back(host.control(d, id)->text); };
    };
    auto enabled = [&](int id) {
        return [&seen, id](Host& host, platform::DialogWindow d) {
            seen.push_back(host.control(d, id)->enabled ? "enabled" : "disabled");
        };
    };

    // First opening: "1", "  0", "  0", "A" greyed, FCC; OK gives code 1 and (1, 0, 0).
    s.host.addSteps({Host::Inspect{text(1001)}, Host::Inspect{text(1002)}, Host::Inspect{text(1007)},
                     Host::Inspect{text(1008)}, Host::Inspect{enabled(1008)}, Host::Enter{}});
    dialogs.chooseSurface();
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "  0", "  0", "A", "disabled"}));
    EXPECT_EQ(state.latticeCode, geometry::LatticeCode::Fcc);
    EXPECT_EQ(state.miller, (geometry::MillerIndices{1, 0, 0}));

    // HCP, "b" gives B and code 3; zinc blende keeps B: 5; "Ab" stays A; FCC greys and resets.
    seen.clear();
    s.host.addSteps({Host::Click{1005}, Host::Type{1008, "b"}, Host::Inspect{text(1008)}, Host::Click{1006},
                     Host::Inspect{text(1008)}, Host::Enter{}});
    dialogs.chooseSurface();
    EXPECT_EQ(seen, (std::vector<std::string>{"B", "B"}));
    EXPECT_EQ(state.latticeCode, geometry::LatticeCode::ZincBlendeB);
    seen.clear();
    s.host.addSteps({Host::Click{1005}, Host::Type{1008, "Ab"}, Host::Inspect{text(1008)}, Host::Click{1003},
                     Host::Inspect{enabled(1008)}, Host::Click{1005}, Host::Enter{}});
    dialogs.chooseSurface();
    EXPECT_EQ(seen, (std::vector<std::string>{"A", "disabled"}));
    EXPECT_EQ(state.latticeCode, geometry::LatticeCode::HcpA);

    // Indices: "7, 8" stores 7; "7x" and an empty box put the stored value back; 70000 is
    // stored as 4464 and shown as typed; editing k rewrites h right-justified.
    seen.clear();
    s.host.addSteps({Host::Type{1002, "7, 8"}, Host::Inspect{text(1001)}, Host::Type{1007, "7x"},
                     Host::Inspect{text(1007)}, Host::Type{1007, ""}, Host::Inspect{text(1007)},
                     Host::Type{1001, "70000"}, Host::Inspect{text(1001)}, Host::Escape{}});
    dialogs.chooseSurface();
    EXPECT_EQ(seen, (std::vector<std::string>{"  1", "  0", "  0", "70000"}));
    EXPECT_EQ(state.miller, (geometry::MillerIndices{4464, 7, 0})) << "Escape keeps the values shown";
    // Every opening starts from FCC: the lattice chosen last time is not kept.
    EXPECT_EQ(render::surfaceTitle(state.latticeCode, state.miller).substr(0, 20), "FCC (***,  7,  0)   ");

    // The next opening: h "1", k and l from the stored values.
    seen.clear();
    s.host.addSteps({Host::Inspect{text(1001)}, Host::Inspect{text(1002)}, Host::Inspect{text(1007)}, Host::Enter{}});
    dialogs.chooseSurface();
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "  7", "  0"}));

    // The h box opens with its "1" selected: a typed "2" replaces it. A null value ("," or
    // "/") leaves the stored index as it was: l stays 4464 and is shown as "***" when another
    // box is edited; h stays 2.
    seen.clear();
    s.host.addSteps({Host::Keys{"2"}, Host::Inspect{text(1001)}, Host::Type{1007, "70000"}, Host::Type{1007, ","},
                     Host::Inspect{text(1007)}, Host::Type{1002, "2"}, Host::Inspect{text(1007)}, Host::Type{1001, "/"},
                     Host::Inspect{text(1001)}, Host::Inspect{text(1002)}, Host::Escape{}});
    dialogs.chooseSurface();
    EXPECT_EQ(seen, (std::vector<std::string>{"2", ",", "***", "/", "  2"}));
    EXPECT_EQ(state.miller, (geometry::MillerIndices{2, 2, 4464}));
    EXPECT_EQ(s.host.forcedEnds(), 0);
}

TEST_F(ScriptedRun, ViewDialogKeepsBoxesAndBarsInStep)
{
    auto session = std::make_unique<Session>();
    Session& s = *session;
    s.application.startUp();
    s.application.state().latticeCode = geometry::LatticeCode::Fcc;
    s.application.state().miller = {1, 1, 1};
    s.application.showSurface();
    app::ApplicationDialogs dialogs(s.dialogs, s.application);
    std::vector<std::string> seen;
    auto text = [&](int id) {
        return [&seen, id](Host& host, platform::DialogWindow d) { seen.push_back(host.control(d, id)->text); };
    };
    auto bar = [&](int id) {
        return [&seen, id](Host& host, platform::DialogWindow d) {
            seen.push_back(std::to_string(host.control(d, id)->scrollPosition));
        };
    };
    s.host.addSteps({
        Host::Inspect{text(1003)}, Host::Inspect{bar(1007)},
        Host::Inspect{bar(1008)},  Host::Scroll{1007, platform::ScrollRequest::LineDown},
        Host::Inspect{text(1003)}, Host::Type{1004, "30"},
        Host::Inspect{bar(1008)},  Host::Type{1003, "12.5"},
        Host::Inspect{text(1003)}, Host::Type{1003, "200"},
        Host::Inspect{bar(1007)},  Host::Type{1004, ","},
        Host::Inspect{bar(1008)},  Host::Inspect{text(1004)}, // a null value: the bar stays
        Host::Type{1004, "30"},    Host::Click{1001},
        Host::Click{1002},         Host::Inspect{text(1003)},
        Host::Inspect{bar(1008)},  Host::Click{1},
    });
    const auto tiltBefore = s.application.state().view.sortedTiltCos;
    dialogs.showViewDialog();
    EXPECT_EQ(seen, (std::vector<std::string>{"0", "50", "50", "  1", "80", "  1", "100", "80", ",", "0", "50"}));
    EXPECT_EQ(tiltBefore, 1.0f);
    EXPECT_FLOAT_EQ(s.application.state().view.sortedTiltCos, 0.8660254f) << "Rotate re-sorted for 30 degrees of tilt";
    // Reset View puts the frame coordinates back.
    const auto& a = s.application.state().atoms;
    for (int k = 1; k <= a.count; ++k)
        ASSERT_EQ(a.viewZ[k], a.frameZ[k]);
    EXPECT_EQ(s.host.forcedEnds(), 0);
}

TEST_F(ScriptedRun, HostileInputsNeverCrash)
{
    auto session = std::make_unique<Session>();
    Session& s = *session;
    s.application.startUp();
    app::ApplicationDialogs dialogs(s.dialogs, s.application);
    const std::string longDigits(300, '7');
    const std::string longText(300, 'x');
    s.host.addSteps({
        Host::Click{1006},
        Host::Type{1008, longText},
        Host::Type{1001, longDigits},
        Host::Type{1002, "NaN"},
        Host::Type{1007, "-32769"},
        Host::Type{1001, "32767"},
        Host::Type{1002, "-32768"},
        Host::Enter{},
    });
    dialogs.chooseSurface();
    auto& state = s.application.state();
    EXPECT_EQ(state.latticeCode, geometry::LatticeCode::ZincBlendeA) << "a long termination text reads as A";
    EXPECT_EQ(state.miller, (geometry::MillerIndices{32767, -32768, 32767})) << "-32769 keeps its low 16 bits";
    s.application.showSurface();
    EXPECT_GE(state.atoms.count, 0);

    s.host.addSteps({
        Host::Type{1003, "2000000000"},
        Host::Type{1004, "-2147483648"},
        Host::Click{1001},
        Host::Type{1003, longText},
        Host::Type{1004, "1e30"},
        Host::Click{1001},
        Host::Scroll{1007, platform::ScrollRequest::Bottom},
        Host::Scroll{1008, platform::ScrollRequest::Top},
        Host::Click{1001},
        Host::Click{1002},
        Host::Escape{},
    });
    dialogs.showViewDialog();
    EXPECT_EQ(s.host.forcedEnds(), 0);
    EXPECT_TRUE(s.reports.texts.empty());
    for (int k = 1; k <= state.atoms.count; ++k)
        ASSERT_EQ(state.atoms.viewX[k], state.atoms.frameX[k]) << "Reset View came last";
}
