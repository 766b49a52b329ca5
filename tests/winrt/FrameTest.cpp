#include "platform/headless/HeadlessPlatform.h"
#include "winrt/Frame.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace winrt;
using platform::HeadlessPlatform;
using platform::MessageAnswer;

namespace {

struct Frame {
    HeadlessPlatform platform;
    WindowRuntime windows{platform};
    FrameRuntime frame{platform, windows, "facetor"};
    Frame()
    {
        platform.setMessageThread(std::this_thread::get_id());
        frame.start();
    }
    const platform::Menu& menu(int number) const
    {
        static platform::MenuBar bar;
        bar = platform.menuBar();
        return bar.at(size_t(number - 1));
    }
};

std::vector<std::pair<std::string, int>> items(const platform::Menu& m)
{
    std::vector<std::pair<std::string, int>> out;
    for (const auto& i : m.items)
        out.emplace_back(i.text, i.id);
    return out;
}

} // namespace

TEST(Frame, MenuBarTextsAndIds)
{
    Frame f;
    const auto bar = f.platform.menuBar();
    ASSERT_EQ(bar.size(), 6u);
    const char* titles[] = {"&File", "&Edit", "&View", "&State", "&Window", "&Help"};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(bar[i].text, titles[i]);
    using V = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(items(bar[0]), (V{{"&Print...", 1019}, {"&Save...", 1020}, {"E&xit\tCtrl+C", 1000}}));
    EXPECT_EQ(items(bar[1]),
              (V{{"Select &Text", 1001},
                 {"Select &Graphics", 1002},
                 {"Select &All", 1003},
                 {"&Copy\tCtrl+Ins", 1004},
                 {"&Paste", 1021}}));
    EXPECT_EQ(items(bar[2]), (V{{"&Size To Fit", 1006}, {"&Full Screen\tAlt+Enter", 1007}}));
    EXPECT_EQ(items(bar[3]), (V{{"&Pause\tCtrl+S", 1008}}));
    EXPECT_EQ(items(bar[4]),
              (V{{"&Cascade", 1010},
                 {"&Tile", 1011},
                 {"&Arrange Icons", 1012},
                 {"&Input", 1023},
                 {"C&lear Paste", 1022},
                 {"&Status Bar", 1015}}));
    EXPECT_TRUE(bar[4].items[3].grayed) << "Input waits for a read";
    EXPECT_TRUE(bar[4].items[5].checked) << "the status bar shows";
    EXPECT_EQ(items(bar[5]), (V{{"&Contents", 1016}, {"Using &Help", 1017}, {"&About", 1018}}));
    EXPECT_EQ(f.platform.statusText(0), "Running");
}

TEST(Frame, ApplicationAboutItemReplacesTheRuntimeOne)
{
    Frame f;
    EXPECT_TRUE(f.frame.delete_menu_item(6, 3));
    int calls = 0;
    int32_t seen = -1;
    std::thread::id thread;
    EXPECT_TRUE(f.frame.append_menu_item(6, 4, "About FACETOR", [&](int32_t& checked) {
        ++calls;
        seen = checked;
        thread = std::this_thread::get_id();
    }));
    using V = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(items(f.menu(6)), (V{{"&Contents", 1016}, {"Using &Help", 1017}, {"&About FACETOR", 1101}}));
    f.frame.command(1101);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(thread, std::this_thread::get_id());

    // Out of range, and the frame's own items only by their ids.
    EXPECT_FALSE(f.frame.append_menu_item(0, 0, "x", {}));
    EXPECT_FALSE(f.frame.append_menu_item(8, 0, "x", {}));
    EXPECT_FALSE(f.frame.delete_menu_item(6, 4));
    EXPECT_FALSE(f.frame.delete_menu_item(7, 1));
    EXPECT_EQ(f.frame.set_exit_behaviour(4), -1);
    EXPECT_EQ(f.frame.set_exit_behaviour(3), 0);
}

TEST(Frame, BarCommandsAndSeparators)
{
    Frame f;
    EXPECT_TRUE(f.frame.append_menu_item(7, 0, "&Go", {}));
    EXPECT_EQ(f.menu(7).id, 1101);
    EXPECT_TRUE(f.menu(7).items.empty());
    // Appending to a plain command of the bar turns it into a menu of the same text.
    EXPECT_TRUE(f.frame.append_menu_item(7, 8, "", {}));
    EXPECT_TRUE(f.frame.append_menu_item(7, 16, "Checked", {}));
    EXPECT_EQ(f.menu(7).text, "&Go");
    EXPECT_EQ(f.menu(7).id, 0);
    ASSERT_EQ(f.menu(7).items.size(), 2u);
    EXPECT_TRUE(f.menu(7).items[0].separator);
    EXPECT_TRUE(f.menu(7).items[1].checked);
    EXPECT_EQ(f.menu(7).items[1].text, "&Checked");
    // A separator has no id: the runtime refuses to delete it with its error box.
    EXPECT_FALSE(f.frame.delete_menu_item(7, 1));
    ASSERT_EQ(f.platform.messageBoxes().size(), 1u);
    EXPECT_EQ(f.platform.messageBoxes()[0].caption, "Window Runtime Error");
    EXPECT_EQ(f.platform.messageBoxes()[0].text.rfind("Internal Error - unexpected error", 0), 0u);
    for (int i = 0; i < 25; ++i)
        f.frame.append_menu_item(1, 0, "Item", {});
    const auto& file = f.menu(1).items;
    ASSERT_EQ(file.size(), 28u);
    EXPECT_TRUE(file[20].newColumn);
    EXPECT_FALSE(file[19].newColumn);
}

TEST(Frame, UserItemsKeepTheirOwnGrayAcrossPauseAndResume)
{
    Frame f;
    int calls = 0;
    f.frame.append_menu_item(7, 0, "&Go", {});
    for (int flags : {0, 0, menuflag::Grayed})
        f.frame.append_menu_item(7, flags, "Item", [&](int32_t&) { ++calls; });
    const auto grays = [&] {
        std::vector<bool> out;
        for (const auto& i : f.menu(7).items)
            out.push_back(i.grayed);
        return out;
    };
    ASSERT_TRUE(f.frame.setMenuItemGrayed(7, 0, true));
    EXPECT_EQ(grays(), (std::vector<bool>{true, true, true}));
    f.frame.command(1102);
    EXPECT_EQ(calls, 0) << "a gray item does nothing";
    // Paused every item is gray; an item enabled meanwhile comes back with the rest.
    f.frame.command(command::Pause);
    ASSERT_TRUE(f.frame.setMenuItemGrayed(7, 1, false));
    EXPECT_EQ(grays(), (std::vector<bool>{true, true, true}));
    f.frame.command(command::Resume);
    EXPECT_EQ(grays(), (std::vector<bool>{false, true, true}));
    f.frame.command(1102);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(f.frame.setMenuItemGrayed(7, 4, false));
}

TEST(Frame, PauseStopsTheProgramBetweenOperations)
{
    Frame f;
    WindowConfig config;
    config.colour_count = 256;
    config.font_size = fontCell(10, 18);
    std::atomic<int> drawn{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> ready{false};
    int userCalls = 0;
    f.frame.append_menu_item(6, 0, "Mine", [&](int32_t&) { ++userCalls; });

    std::thread program([&] {
        f.windows.set_window_config(config) || f.windows.set_window_config(config);
        auto canvas = f.windows.currentCanvas();
        ready = true;
        while (!stop) {
            canvas->draw_ellipse(3, 0, 0, 10, 10);
            ++drawn;
        }
    });
    while (!ready || drawn < 10)
        std::this_thread::yield();

    f.frame.key({}, platform::KeyPress{platform::Key::Character, 's', true});
    EXPECT_EQ(f.platform.statusText(0), "Paused");
    EXPECT_EQ(f.frame.runState(), RunState::Paused);
    f.frame.gate().waitForWaiting(1);
    const int atPause = drawn;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(drawn.load(), atPause) << "no drawing while paused";
    EXPECT_EQ(f.menu(4).items[0].text, "&Resume\tCtrl+Q");
    EXPECT_EQ(f.menu(4).items[0].id, 1009);
    EXPECT_TRUE(f.menu(6).items.back().grayed);
    f.frame.command(1101);
    EXPECT_EQ(userCalls, 0) << "user items are ignored while paused";

    // A nested pause is cancelled by the next Resume without resuming.
    f.frame.command(command::Pause);
    f.frame.command(command::Resume);
    EXPECT_EQ(f.frame.runState(), RunState::Paused);
    f.frame.key({}, platform::KeyPress{platform::Key::Escape});
    EXPECT_EQ(f.platform.statusText(0), "Running");
    while (drawn < atPause + 10)
        std::this_thread::yield();
    EXPECT_FALSE(f.menu(6).items.back().grayed);
    EXPECT_EQ(f.menu(4).items[0].id, 1008);
    stop = true;
    program.join();
}

TEST(Frame, EndOfProgram)
{
    {
        Frame f;
        f.platform.queueMessageAnswer(MessageAnswer::No);
        f.frame.append_menu_item(6, 0, "Mine", {});
        f.frame.programEnded(0);
        ASSERT_EQ(f.platform.messageBoxes().size(), 1u);
        const auto box = f.platform.messageBoxes()[0];
        EXPECT_EQ(box.text, "Program Terminated with exit code 0\nExit Window?");
        EXPECT_EQ(box.caption, "facetor");
        EXPECT_EQ(box.buttons, platform::MessageButtons::YesNo);
        EXPECT_EQ(box.defaultAnswer, MessageAnswer::No);
        EXPECT_EQ(box.icon, platform::MessageIcon::Warning);
        EXPECT_FALSE(f.platform.frameClosed()) << "No keeps the picture on screen";
        EXPECT_EQ(f.platform.statusText(0), "Finished");
        EXPECT_TRUE(f.menu(6).items.back().grayed);
        // Pause still works after the end, and Resume returns to Finished.
        f.frame.command(command::Pause);
        EXPECT_EQ(f.platform.statusText(0), "Paused");
        f.frame.command(command::Resume);
        EXPECT_EQ(f.platform.statusText(0), "Finished");
    }
    {
        Frame f;
        f.platform.queueMessageAnswer(MessageAnswer::Yes);
        f.frame.programEnded(1);
        EXPECT_EQ(f.platform.messageBoxes()[0].text, "Program Terminated with exit code 1\nExit Window?");
        EXPECT_TRUE(f.platform.frameClosed());
    }
    {
        Frame f;
        f.frame.set_exit_behaviour(2);
        f.frame.programEnded(0);
        EXPECT_TRUE(f.platform.messageBoxes().empty());
        EXPECT_TRUE(f.platform.frameClosed());
    }
    {
        Frame f;
        f.frame.key({}, platform::KeyPress{platform::Key::Character, 'c', true});
        EXPECT_TRUE(f.platform.frameClosed()) << "Ctrl+C exits";
    }
}

TEST(Frame, HelpAndAbout)
{
    Frame f;
    f.frame.helpOnMenuItem(command::Cascade);
    f.frame.helpOnMenuItem(command::Copy);
    f.frame.helpOnMenuItem(command::Contents);
    const auto help = f.platform.helpRequests();
    ASSERT_EQ(help.size(), 2u);
    EXPECT_EQ(help[0].second, 1010);
    EXPECT_EQ(help[1].second, 1002);
    ASSERT_EQ(f.platform.messageBoxes().size(), 1u);
    EXPECT_EQ(f.platform.messageBoxes()[0].text, "Help not available for menu item");
    EXPECT_EQ(f.platform.messageBoxes()[0].caption, "facetor");

    f.frame.command(command::About);
    EXPECT_EQ(f.platform.messageBoxes().back().text, FrameRuntime::banner());
    EXPECT_EQ(f.platform.messageBoxes().back().icon, platform::MessageIcon::Information);

    f.frame.command(command::StatusBar);
    EXPECT_FALSE(f.platform.statusBarVisible());
    EXPECT_FALSE(f.menu(5).items[5].checked);
    f.frame.key({}, platform::KeyPress{platform::Key::Character, 'x'});
    EXPECT_EQ(f.platform.beeps(), 1) << "no read is pending: a typed key beeps";
}

TEST(Frame, HelpFileRules)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "facetor-help-test";
    fs::create_directories(dir);
    std::ofstream(dir / "WINRT.html") << "<html></html>";
    std::ofstream(dir / "mine.html") << "<html></html>";
    setenv("WINRT_HELP", dir.c_str(), 1);
    EXPECT_EQ(findHelpFile(""), (dir / "WINRT.html").string());
    setenv("WINRT_HELP", (dir / "mine").c_str(), 1);
    EXPECT_EQ(findHelpFile(""), (dir / "mine.html").string());
    setenv("WINRT_HELP", (dir / "absent.html").c_str(), 1);
    EXPECT_EQ(findHelpFile(""), "WINRT.html");
    unsetenv("WINRT_HELP");
    EXPECT_EQ(findHelpFile(dir.string()), (dir / "WINRT.html").string());
    fs::remove_all(dir);
}

TEST(Frame, CaretFollowsTheText)
{
    Frame f;
    WindowConfig config;
    config.colour_count = 256;
    config.font_size = fontCell(10, 18);
    ASSERT_TRUE(f.windows.set_window_config(config) || f.windows.set_window_config(config));
    const auto id = f.windows.windowInfo(f.windows.focusWindow())->platformWindow;
    std::optional<platform::Rect> caret{platform::Rect{-1, -1, 0, 0}};
    auto grab = [&](const platform::PictureView& v) { caret = v.caret; };
    f.frame.paint(id, grab);
    EXPECT_FALSE(caret) << "no caret before any text";
    f.windows.write_window_text(f.windows.focusWindow(), " lattice vectors\r\n   [");
    f.frame.paint(id, grab);
    ASSERT_TRUE(caret);
    EXPECT_EQ(*caret, (platform::Rect{40, 18, 10, 18})) << "row 2, column 5";
    f.windows.currentCanvas()->clear_screen(0);
    f.frame.paint(id, grab);
    ASSERT_TRUE(caret) << "the caret stays after a whole-window clear";
    EXPECT_EQ(*caret, (platform::Rect{0, 0, 10, 18})) << "at the top left cell, where the next text goes";
}
