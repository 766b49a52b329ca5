#include "CanvasTestUtil.h"

#include <gtest/gtest.h>

using namespace winrt;
using namespace winrt::testing;

namespace {

// A 4 x 3 picture: a red cross on black, as an 8-bit buffer with a two-colour table.
std::vector<uint8_t> crossOnBlack()
{
    std::vector<uint8_t> idx = {0, 1, 0, 0, 1, 1, 1, 0, 0, 1, 0, 0};
    return indexedImage(4, 3, idx, {{0, 0, 0}, {255, 0, 0}});
}

std::unique_ptr<WindowCanvas> filledCanvas(int w, int h, int16_t colour)
{
    auto c = makeCanvas(w, h, 256, 1, 1);
    c->setBackgroundColour(colour);
    c->clear_screen(0);
    return c;
}

} // namespace

TEST(PutImage, OrKeepsTheCanvasUnderBlackAndCopyOverwrites)
{
    auto c = filledCanvas(6, 5, 8); // default entry 8: grey
    c->put_image(1, 1, crossOnBlack(), 0);
    EXPECT_EQ(graphicsStatus(), status::ok);
    // Red matches entry 12 of the default palette; 8 | 12 = 12.
    const char* expected[] = {"......", "..X...", ".XXX..", "..X...", "......"};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(c->canvas().pixel(x, y), expected[y][x] == 'X' ? (8 | 12) : 8) << x << "," << y;

    auto d = filledCanvas(6, 5, 8);
    d->put_image(1, 1, crossOnBlack(), 3);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            bool inside = x >= 1 && x <= 4 && y >= 1 && y <= 3;
            uint8_t want = !inside ? 8 : expected[y][x] == 'X' ? 12 : 0;
            ASSERT_EQ(d->canvas().pixel(x, y), want) << x << "," << y;
        }
    EXPECT_TRUE(d->canvas().changed());
}

TEST(PutImage, UnknownActionDrawsNothing)
{
    auto c = filledCanvas(6, 5, 3);
    c->clear_screen(0);
    c->put_image(0, 0, crossOnBlack(), 5);
    EXPECT_EQ(graphicsStatus(), status::invalid);
    for (uint8_t p : c->canvas().pixels())
        ASSERT_EQ(p, 3);
    EXPECT_FALSE(c->canvas().changed());
}

// Image colours take the nearest palette colour by squared RGB distance, the lowest index on a tie.
TEST(PutImage, NearestColourMatching)
{
    auto c = makeCanvas(5, 1, 16, 1, 1);
    std::vector<uint8_t> idx = {0, 1, 2, 3, 4};
    std::vector<Rgb> table = {{250, 10, 10}, {0, 0, 64}, {100, 100, 100}, {200, 200, 190}, {0, 0, 0}};
    c->put_image(0, 0, indexedImage(5, 1, idx, table), 3);
    EXPECT_EQ(c->canvas().pixel(0, 0), 12); // (255, 0, 0)
    EXPECT_EQ(c->canvas().pixel(1, 0), 0);  // halfway between 0 (0, 0, 0) and 1 (0, 0, 128): the lower index
    EXPECT_EQ(c->canvas().pixel(2, 0), 8);  // (128, 128, 128)
    EXPECT_EQ(c->canvas().pixel(3, 0), 7);  // (192, 192, 192)
    EXPECT_EQ(c->canvas().pixel(4, 0), 0);
}

// 1-, 4-, 16-, 24- and 32-bit buffers all read to the same picture.
TEST(PutImage, EveryDepthReads)
{
    std::vector<Rgb> pal = {{0, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 255, 255}};
    std::vector<uint8_t> idx;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 11; ++x)
            idx.push_back(uint8_t((x + 2 * y) % 4 == 0 ? 3 : (x * y) % 3 == 1 ? 1 : 0));
    std::vector<uint8_t> oneBit;
    for (uint8_t i : idx)
        oneBit.push_back(i == 3 ? 1 : 0);

    // Default palette: 9 is (0, 0, 255), 10 green, 15 white.
    auto expectPicture = [&](const Canvas& c, bool monochrome) {
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 11; ++x) {
                uint8_t i = idx[size_t(y * 11 + x)];
                uint8_t want = i == 3 ? 15 : (i == 1 && !monochrome) ? 9 : 0;
                ASSERT_EQ(c.pixel(x + 1, y + 2), want) << x << "," << y;
            }
    };
    for (int bits : {4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        auto c = makeCanvas(16, 8, 256, 1, 1);
        auto buffer = encodeBitmap(11, 3, idx, pal, bits);
        ASSERT_FALSE(buffer.empty());
        c->put_image(1, 2, buffer, 3);
        EXPECT_EQ(graphicsStatus(), status::ok);
        expectPicture(c->canvas(), false);
    }
    auto c = makeCanvas(16, 8, 256, 1, 1);
    const std::vector<Rgb> mono = {{0, 0, 0}, {255, 255, 255}};
    c->put_image(1, 2, encodeBitmap(11, 3, oneBit, mono, 1), 3);
    expectPicture(c->canvas(), true);
}

TEST(PutImage, ClippedToViewportAndCanvas)
{
    auto image = solidImage(6, 6, {255, 255, 255}); // entry 15
    auto c = makeCanvas(10, 10, 256, 1, 1);
    c->setViewport(2, 3, 7, 8);
    c->put_image(5, 6, image, 3);
    c->put_image(-4, -4, image, 3);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            bool viewport = x >= 2 && x <= 7 && y >= 3 && y <= 8;
            bool first = x >= 5 && y >= 6;
            bool second = x <= 1 && y <= 1;
            ASSERT_EQ(c->canvas().pixel(x, y), viewport && (first || second) ? 15 : 0) << x << "," << y;
        }

    auto o = makeCanvas(10, 10, 256, 1, 1);
    o->setViewOrigin(-3, 2);
    o->put_image(0, 0, solidImage(4, 1, {255, 255, 255}), 3);
    EXPECT_EQ(o->canvas().pixel(0, 2), 15);
    EXPECT_EQ(o->canvas().pixel(1, 2), 0);
    o->put_image(-32768, -32768, image, 3);
    o->put_image(32767, 32767, image, 3);
    EXPECT_EQ(graphicsStatus(), status::ok);
}

// Every prefix of a valid buffer, and buffers with broken fields, fail with status -1 and draw
// nothing; none is read past its end (the sanitizer build checks that).
TEST(PutImage, MalformedBuffersDrawNothing)
{
    const auto good = crossOnBlack();
    auto c = filledCanvas(6, 5, 4);
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> prefix(good.begin(), good.begin() + ptrdiff_t(n)); // exact-size allocation
        c->put_image(0, 0, prefix, 3);
        ASSERT_EQ(graphicsStatus(), status::failed) << "length " << n;
    }
    auto corrupt = [&](size_t offset, std::initializer_list<uint8_t> bytes) {
        auto b = good;
        size_t i = offset;
        for (uint8_t v : bytes)
            b[i++] = v;
        return b;
    };
    const std::vector<std::vector<uint8_t>> broken = {
        corrupt(10, {0xFF, 0xFF, 0xFF, 0x7F}), // bits far past the end
        corrupt(10, {0x10, 0, 0, 0}),          // bits inside the headers
        corrupt(14, {12, 0, 0, 0}),            // an old-style 12-byte header
        corrupt(14, {0xFF, 0xFF, 0, 0}),       // header size past the end
        corrupt(18, {0, 0, 0, 0}),             // width 0
        corrupt(18, {0xFF, 0xFF, 0xFF, 0xFF}), // width -1
        corrupt(18, {0x00, 0x01, 0, 0}),       // width 256: rows past the end
        corrupt(22, {0, 0, 0, 0x80}),          // most negative height
        corrupt(22, {0xFF, 0xFF, 0, 0}),       // height 65535
        corrupt(26, {0}),                      // planes 0
        corrupt(28, {7}),                      // 7 bits
        corrupt(30, {1}),                      // run-length compression
        corrupt(46, {1, 0, 0, 0}),             // one colour: index 1 names no entry
    };
    for (size_t i = 0; i < broken.size(); ++i) {
        c->put_image(0, 0, broken[i], 3);
        EXPECT_EQ(graphicsStatus(), status::failed) << "case " << i;
    }
    for (uint8_t p : c->canvas().pixels())
        ASSERT_EQ(p, 4);
    EXPECT_FALSE(c->canvas().changed());

    // A negative height is the top-down layout and reads.
    auto topDown = corrupt(22, {0xFD, 0xFF, 0xFF, 0xFF});
    c->put_image(0, 0, topDown, 3);
    EXPECT_EQ(graphicsStatus(), status::ok);
}
