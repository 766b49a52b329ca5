// A long session of the desktop program on the headless platform: 300 surfaces, each turned,
// some reset. What the process holds must not grow with the surfaces drawn.

#include "app/DialogTemplates.h"
#include "app/Dialogs.h"
#include "platform/headless/HeadlessDialogHost.h"
#include "platform/headless/HeadlessPlatform.h"
#include "render/SurfaceWindow.h"
#include "winrt/Frame.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using Host = platform::HeadlessDialogHost;

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizer's own bookkeeping (freed blocks held back, shadow memory) grows by itself.
constexpr bool ResidentMemoryIsMeasured = false;
#else
constexpr bool ResidentMemoryIsMeasured = true;
#endif

struct QuietEnd final : rt::ProgramEnd {
    winrt::FrameRuntime* frame = nullptr;
    std::vector<uint32_t> exits;
    void programEnded(int code) override { frame->programEnded(code); }
    void exitProcess(uint32_t status) override { exits.push_back(status); }
};

struct CountingReports final : rt::ReportSink {
    int count = 0;
    void showReport(uint32_t, std::string_view) override { ++count; }
};

// What the process holds: resident memory in bytes, open descriptors, threads.
struct Holdings {
    long resident = 0;
    long files = 0;
    long threads = 0;
};

long entries(const char* folder) { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()); }

Holdings holdings()
{
    Holdings h;
    long size = 0;
    std::ifstream("/proc/self/statm") >> size >> h.resident;
    h.resident *= ::sysconf(_SC_PAGESIZE);
    h.files = entries("/proc/self/fd");
    h.threads = entries("/proc/self/task");
    return h;
}

} // namespace

TEST(Soak, ThreeHundredSurfacesHoldNoMoreThanTen)
{
    const fs::path old = fs::current_path();
    char tmpl[] = "/tmp/facetor-soak-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    fs::current_path(tmpl);
    {
        platform::HeadlessPlatform screen;
        winrt::WindowRuntime windows{screen};
        winrt::FrameRuntime frame{screen, windows, "facetor"};
        CountingReports reports;
        QuietEnd end;
        end.frame = &frame;
        rt::Runtime runtime{platform::systemFileSystem(), reports, end};
        render::WindowUnitOutput unitOutput{windows};
        Host host;
        dialogs::DialogRuntime dialogs{host, app::applicationDialogResources(), runtime};
        const auto surface = std::make_unique<render::DrawnSurface>();
        render::SurfaceWindow application{windows, runtime, *surface};
        frame.start();
        for (int unit : {0, 5, 6})
            runtime.units().connectWindow(unit, &unitOutput);

        constexpr int Surfaces = 300;
        const int lattices[] = {1003, 1004, 1005, 1006};
        const char* planes[][3] = {{"1", "0", "0"}, {"1", "1", "0"}, {"1", "1", "1"}, {"2", "1", "0"},
                                   {"3", "1", "1"}, {"0", "0", "1"}, {"2", "2", "1"}};
        std::vector<Holdings> seen;
        std::vector<int> atoms;
        auto measure = [&](Host&, platform::DialogWindow) {
            atoms.push_back(application.state().atoms.count);
            seen.push_back(holdings());
        };
        std::vector<Host::Step> steps;
        for (int i = 1; i <= Surfaces; ++i) {
            const int lattice = lattices[i % 4];
            const auto& plane = planes[i % 7];
            steps.push_back(Host::Click{lattice});
            if (lattice >= 1005)
                steps.push_back(Host::Type{1008, i % 3 ? "A" : "B"});
            steps.push_back(Host::Type{1001, plane[0]});
            steps.push_back(Host::Type{1002, plane[1]});
            steps.push_back(Host::Type{1007, plane[2]});
            steps.push_back(Host::Enter{});
            steps.push_back(Host::Type{1003, std::to_string(i * 37 % 360)});
            steps.push_back(Host::Type{1004, std::to_string(i * 11 % 80)});
            steps.push_back(Host::Click{1001});
            if (i % 3 == 0)
                steps.push_back(Host::Click{1002});
            // The scripted host and the headless screen log every step; what they keep is the
            // harness's, not the program's.
            steps.push_back(Host::Inspect{[&screen](Host& h, platform::DialogWindow) {
                h.clearLogs();
                h.clearFinishedDialogs();
                screen.clearLog();
            }});
            if (i == 10 || i == Surfaces)
                steps.push_back(Host::Inspect{measure});
            steps.push_back(i == Surfaces ? Host::Click{1000} : Host::Click{1});
        }
        screen.queueMessageAnswer(platform::MessageAnswer::Yes);
        host.addSteps(std::move(steps));

        app::runApplication(application, frame, dialogs);

        ASSERT_EQ(seen.size(), 2u);
        EXPECT_GT(atoms[0], 0);
        EXPECT_GT(atoms[1], 0);
        EXPECT_EQ(reports.count, 0);
        EXPECT_EQ(end.exits, std::vector<uint32_t>{0});
        EXPECT_EQ(host.forcedEnds(), 0);
        const Holdings& tenth = seen[0];
        const Holdings& last = seen[1];
        if (ResidentMemoryIsMeasured) {
            EXPECT_LE(last.resident, tenth.resident + tenth.resident / 20)
                << "resident after the 10th " << tenth.resident << ", after the last " << last.resident;
        }
        EXPECT_EQ(last.files, tenth.files);
        EXPECT_EQ(last.threads, tenth.threads);
        std::printf("soak: after the 10th surface %ld kB resident, %ld files, %ld threads; after the %dth %ld kB, "
                    "%ld files, %ld threads\n",
                    tenth.resident / 1024, tenth.files, tenth.threads, Surfaces, last.resident / 1024, last.files,
                    last.threads);
    }
    fs::current_path(old);
    fs::remove_all(tmpl);
}
