#pragma once
// A Surface menu on the headless platform, with what the menu tests read of its windows.

#include "app/DialogTemplates.h"
#include "app/SurfaceMenu.h"
#include "platform/headless/HeadlessDialogHost.h"
#include "platform/headless/HeadlessPlatform.h"
#include "winrt/Canvas.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace menutest {

using Host = platform::HeadlessDialogHost;

struct QuietEnd final : rt::ProgramEnd {
    void programEnded(int) override {}
    void exitProcess(uint32_t) override {}
};

struct QuietReports final : rt::ReportSink {
    void showReport(uint32_t, std::string_view) override {}
};

struct Session {
    platform::HeadlessPlatform screen;
    winrt::WindowRuntime windows{screen};
    winrt::FrameRuntime frame{screen, windows, "facetor"};
    QuietReports reports;
    QuietEnd end;
    rt::Runtime runtime{platform::systemFileSystem(), reports, end};
    Host host;
    dialogs::DialogRuntime dialogs{host, app::applicationDialogResources(), runtime};
    app::SurfaceMenu menu{frame, windows, screen, screen, dialogs};

    Session()
    {
        frame.start();
        windows.currentWindow();
        menu.install();
    }

    std::string text(int32_t handle)
    {
        std::string all;
        if (auto canvas = windows.windowCanvas(handle))
            for (const auto& piece : canvas->canvas().textPieces())
                all += piece.text + "\n";
        return all;
    }

    // How many pixels of the window are within a small distance of colour.
    long near(int32_t handle, platform::Rgb colour)
    {
        auto canvas = windows.windowCanvas(handle);
        if (!canvas)
            return 0;
        const winrt::Canvas& c = canvas->canvas();
        long count = 0;
        for (int y = 0; y < c.height(); ++y)
            for (int x = 0; x < c.width(); ++x)
                count += platform::colourDistance(c.pixelColour(x, y), colour) <= 3 * 10 * 10;
        return count;
    }

    std::vector<uint8_t> pixels(int32_t handle)
    {
        const auto p = windows.windowCanvas(handle)->canvas().pixels();
        return {p.begin(), p.end()};
    }

    // How many pixels of the window show palette entry index.
    long pixelsOf(int32_t handle, int index)
    {
        auto canvas = windows.windowCanvas(handle);
        if (!canvas)
            return 0;
        const auto pixels = canvas->canvas().pixels();
        return long(std::count(pixels.begin(), pixels.end(), uint8_t(index)));
    }
};

inline std::string contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace menutest
