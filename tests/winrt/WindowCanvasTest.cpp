// The window's side of the canvas: the status it records, the gate, the locks and the damage hook.

#include "CanvasTestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace winrt;
using namespace winrt::testing;

// Drawing and text operations wait at the gate; setting the drawing state does not. Each
// operation leaves its own status in the process-wide status.
TEST(WindowCanvas, GateOnDrawingAndStatusAtTheBoundary)
{
    auto c = makeCanvas(40, 36);
    int gated = 0;
    c->setOperationGate([&] { ++gated; });
    struct Step {
        const char* name;
        std::function<void()> run;
        int16_t status;
        bool gate;
    };
    const Step steps[] = {
        {"set_colour past the palette", [&] { EXPECT_EQ(c->set_colour(500), 15); }, status::altered, true},
        {"ellipse, bad control", [&] { EXPECT_EQ(c->draw_ellipse(9, 0, 0, 3, 3), 0); }, status::failed, true},
        {"clear the viewport", [&] { EXPECT_EQ(c->clear_screen(1), 1); }, status::ok, true},
        {"text colour", [&] { EXPECT_EQ(c->setTextColour(2), 15); }, status::ok, false},
        {"background below 0", [&] { EXPECT_EQ(c->setBackgroundColour(-1), 0); }, status::altered, false},
        {"viewport swapped", [&] { c->setViewport(10, 10, 0, 0); }, status::altered, false},
        {"text", [&] { c->out_text("a"); }, status::ok, true},
        {"image, bad action",
         [&] {
             c->put_image(0, 0, solidImage(2, 2, {0, 0, 0}), 77);
         },
         status::invalid, true},
        {"image size", [&] { EXPECT_EQ(c->image_size(0, 0, 1, 0), 1078 + 4); }, status::ok, false},
        {"palette", [&] { EXPECT_EQ(c->remap_all_palette(std::vector<uint32_t>(256, 0)), 0); }, status::ok, true},
    };
    int expectedGates = 0;
    for (const Step& step : steps) {
        setGraphicsStatus(42);
        step.run();
        expectedGates += step.gate ? 1 : 0;
        EXPECT_EQ(graphicsStatus(), step.status) << step.name;
        EXPECT_EQ(gated, expectedGates) << step.name;
    }
    setGraphicsStatus(status::ok);
}

TEST(WindowCanvas, HookGetsTheChangedRectangleOutsideTheLock)
{
    auto c = makeCanvas(50, 40, 256, 10, 10);
    std::vector<Rect> damage;
    c->setDamageHook([&](Rect r) {
        auto lock = c->lockDrawing(); // must not deadlock: the hook runs after the lock is released
        damage.push_back(r);
    });
    c->draw_ellipse(3, 5, 6, 15, 10);
    c->setViewport(0, 0, 9, 39);
    c->draw_ellipse(3, 5, 6, 15, 10);
    c->put_image(8, 1, solidImage(4, 3, {255, 0, 0}), 3);
    c->out_text("a");
    c->clear_screen(0);
    c->set_colour(3); // no pixels: no call
    ASSERT_EQ(damage.size(), 5u);
    EXPECT_EQ(damage[0], (Rect{5, 6, 11, 5}));
    EXPECT_EQ(damage[1], (Rect{5, 6, 5, 5}));
    EXPECT_EQ(damage[2], (Rect{8, 1, 2, 3}));
    EXPECT_EQ(damage[3], (Rect{0, 0, 10, 10}));
    EXPECT_EQ(damage[4], (Rect{0, 0, 50, 40}));
    c->setDamageHook(nullptr);
    c->draw_ellipse(3, 0, 0, 3, 3);
    EXPECT_EQ(damage.size(), 5u);
}

// A reader on another thread sees whole ellipses only, under the drawing lock.
TEST(WindowCanvas, ReaderUnderDrawingLockSeesConsistentPictures)
{
    auto c = makeCanvas(64, 64, 256);
    std::atomic<bool> done{false};
    std::thread painter([&] {
        for (int i = 0; i < 200; ++i) {
            c->set_colour(int16_t(1 + i % 2));
            c->draw_ellipse(3, 0, 0, 63, 63);
        }
        done = true;
    });
    int checks = 0, torn = 0;
    while (!done || checks == 0) {
        auto lock = c->lockDrawing();
        if (c->canvas().pixel(32, 32) != c->canvas().pixel(0, 32)) // one ellipse is never seen half drawn
            ++torn;
        ++checks;
    }
    painter.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(c->canvas().pixel(32, 32), 2);
}
