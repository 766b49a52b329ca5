// The menu model: a change is handed to the frame window whole, once, after the frame's lock is
// released; a change that says it changed nothing is not handed over at all.

#include "winrt/MenuModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

using winrt::MenuModel;

namespace {

// A frame window that keeps the bars it is given and notes whether the guard was held then.
class RecordingFrame final : public platform::FrameWindow {
public:
    explicit RecordingFrame(std::mutex& guard) : m_guard(guard) {}
    std::vector<platform::MenuBar> published;
    bool guardHeld = false;

    std::function<void()> duringHandOver; // run, once, inside the next hand-over

    void setMenuBar(const platform::MenuBar& bar) override
    {
        if (auto during = std::exchange(duringHandOver, nullptr))
            during();
        std::thread([this] {
            if (m_guard.try_lock())
                m_guard.unlock();
            else
                guardHeld = true;
        }).join();
        published.push_back(bar);
    }
    bool frameExists() const override { return true; }
    platform::ShowState frameState() const override { return {}; }
    void setFrameState(platform::ShowState) override {}
    void placeFrame(const platform::FramePlacement&) override {}
    void setFrameEvents(platform::FrameEvents*) override {}
    void setFrameTitle(std::string_view) override {}
    void setStatusText(int, std::string_view) override {}
    void setStatusBarVisible(bool) override {}
    void setFullScreen(platform::WindowId) override {}
    void openHelp(const std::string&, std::optional<int>) override {}
    void setFrameEnabled(bool) override {}
    void closeFrame() override {}
    void beep() override {}

private:
    std::mutex& m_guard;
};

} // namespace

TEST(MenuModel, ChangesArePublishedWholeOutsideTheLockAndRefusedOnesNotAtAll)
{
    std::mutex guard;
    RecordingFrame frame(guard);
    MenuModel menu(guard, frame, {{"&File", {{"&Copy", 7}, {"&Save", 8}}}});

    menu.update([](MenuModel& m) { m.setGrayed(7, true); });
    EXPECT_FALSE(menu.update([](MenuModel& m) {
        m.setGrayed(99, true); // no such item: nothing changes
        return false;
    }));
    EXPECT_TRUE(menu.update([](MenuModel& m) {
        m.bar().push_back({"&Help", {}, 20});
        return true;
    }));

    ASSERT_EQ(frame.published.size(), 2u);
    EXPECT_FALSE(frame.guardHeld);
    EXPECT_TRUE(frame.published[0][0].items[0].grayed);
    EXPECT_FALSE(frame.published[0][0].items[1].grayed);
    EXPECT_EQ(frame.published[0].size(), 1u);
    EXPECT_EQ(frame.published[1].size(), 2u);
    EXPECT_EQ(menu.find(8)->text, "&Save");
    EXPECT_EQ(menu.find(99), nullptr);
}

// Another thread changes the bar while one hands it over: the frame window is left with the
// newest bar, not with the one the first thread copied before the change.
TEST(MenuModel, TheNewestBarIsHandedOverLast)
{
    std::mutex guard;
    RecordingFrame frame(guard);
    MenuModel menu(guard, frame, {{"&File", {{"&Copy", 7}}}});
    frame.duringHandOver = [&] {
        std::thread([&] { menu.update([](MenuModel& m) { m.setGrayed(7, true); }); }).join();
    };
    menu.publish();
    ASSERT_FALSE(frame.published.empty());
    EXPECT_TRUE(frame.published.back()[0].items[0].grayed);
}
