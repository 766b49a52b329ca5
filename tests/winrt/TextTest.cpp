#include "CanvasTestUtil.h"

#include <gtest/gtest.h>

using namespace winrt;
using namespace winrt::testing;

namespace {

// A canvas of 5 columns by 3 rows of 10 x 18 cells, background 4 so that written cells show.
std::unique_ptr<WindowCanvas> textCanvas(int columns = 5, int rows = 3)
{
    auto c = makeCanvas(columns * 10, rows * 18, 256, 10, 18);
    c->setBackgroundColour(4);
    return c;
}

// The pixels of one cell (1-based row and column).
std::vector<uint8_t> cell(const Canvas& c, int row, int column)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < c.cellHeight(); ++y)
        for (int x = 0; x < c.cellWidth(); ++x)
            out.push_back(c.pixel((column - 1) * c.cellWidth() + x, (row - 1) * c.cellHeight() + y));
    return out;
}

// What a cell looks like holding ch in the text colour on the background.
std::vector<uint8_t> expectedCell(unsigned char ch, uint8_t ink = 15, uint8_t paper = 4)
{
    std::vector<uint8_t> mask(180);
    platform::BuiltinGlyphs().renderGlyph(ch, 10, 18, mask);
    for (auto& m : mask)
        m = m >= 128 ? ink : paper;
    return mask;
}

} // namespace

TEST(OutText, WritesCellsAndRecordsThePiece)
{
    auto c = textCanvas();
    c->out_text("Ab");
    EXPECT_EQ(cell(c->canvas(), 1, 1), expectedCell('A'));
    EXPECT_EQ(cell(c->canvas(), 1, 2), expectedCell('b'));
    EXPECT_EQ(cell(c->canvas(), 1, 3), std::vector<uint8_t>(180, 0)); // untouched
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{1, 3}));
    EXPECT_EQ(c->canvas().textPieces(), (std::vector<TextPiece>{{1, 1, 2, "Ab", false}}));
    EXPECT_FALSE(c->canvas().changed()); // text alone does not count as drawing

    c->out_text("c");
    EXPECT_EQ(c->canvas().textPieces(), (std::vector<TextPiece>{{1, 1, 3, "Abc", false}}));

    c->setTextColour(9);
    c->out_text(std::string_view("d\0zz", 4)); // the text ends at a NUL
    EXPECT_EQ(cell(c->canvas(), 1, 4), expectedCell('d', 9));
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{1, 5}));
}

TEST(OutText, CarriageReturnAndLineFeed)
{
    auto c = textCanvas(5, 4);
    c->out_text("abc\rX");
    EXPECT_EQ(c->canvas().textPieces(), (std::vector<TextPiece>{{1, 1, 3, "Xbc", false}}));
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{1, 2}));

    c->out_text("\r\nY"); // CR LF: column 1 of the next row
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{2, 2}));
    c->out_text("\nZ"); // LF alone: column 1 as well
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{3, 2}));
    EXPECT_EQ(cell(c->canvas(), 3, 1), expectedCell('Z'));

    auto d = textCanvas(5, 4);
    d->out_text("a\n\nb"); // two line feeds go down two rows; the middle row is an empty line
    EXPECT_EQ(d->canvas().textPosition(), (TextCell{3, 2}));
    EXPECT_EQ(d->canvas().textPieces(),
              (std::vector<TextPiece>{{1, 1, 1, "a", false}, {2, 0, 0, "", true}, {3, 1, 1, "b", false}}));
    EXPECT_EQ(cell(d->canvas(), 2, 1), std::vector<uint8_t>(180, 0)); // line breaks draw nothing
}

// Dots past the right edge continue on the next row; past the bottom row the text window scrolls.
TEST(OutText, WrapsAndScrolls)
{
    auto c = textCanvas(5, 3);
    for (int i = 0; i < 5; ++i)
        c->out_text(".");
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{1, 6})); // the wrap waits for the next character
    c->out_text(".");
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{2, 2}));
    EXPECT_EQ(cell(c->canvas(), 2, 1), expectedCell('.'));
    for (int i = 0; i < 9; ++i)
        c->out_text(".");
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{3, 6}));
    for (int col = 1; col <= 5; ++col)
        EXPECT_EQ(cell(c->canvas(), 3, col), expectedCell('.'));

    c->out_text("x"); // one more: scroll
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{3, 2}));
    EXPECT_EQ(cell(c->canvas(), 3, 1), expectedCell('x'));
    EXPECT_EQ(cell(c->canvas(), 3, 2), std::vector<uint8_t>(180, 4)); // new bottom row in the background
    EXPECT_EQ(cell(c->canvas(), 1, 5), expectedCell('.'));
    auto pieces = c->canvas().textPieces();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], (TextPiece{1, 1, 5, ".....", false}));
    EXPECT_EQ(pieces[2], (TextPiece{3, 1, 1, "x", false}));

    // A line feed on the bottom row scrolls as well and the position stays on the bottom row.
    auto d = textCanvas(5, 2);
    d->out_text("1\n2\n3");
    EXPECT_EQ(cell(d->canvas(), 1, 1), expectedCell('2'));
    EXPECT_EQ(cell(d->canvas(), 2, 1), expectedCell('3'));
    EXPECT_EQ(d->canvas().textPosition(), (TextCell{2, 2}));
    EXPECT_EQ(d->canvas().textPieces(), (std::vector<TextPiece>{{1, 1, 1, "2", false}, {2, 1, 1, "3", false}}));
}

TEST(OutText, WrapOffDropsTextPastTheEdge)
{
    auto c = textCanvas(3, 2);
    c->setWrap(Wrap::Off);
    c->out_text("abcdef\ng");
    EXPECT_EQ(c->canvas().textPieces(), (std::vector<TextPiece>{{1, 1, 3, "abc", false}, {2, 1, 1, "g", false}}));
}

// A text window smaller than the grid: text starts at its corner, scrolls inside it only.
TEST(OutText, TextWindowBoundsWritingAndScrolling)
{
    auto c = textCanvas(6, 4);
    c->set_colour(7);
    c->draw_ellipse(3, 0, 0, 59, 71);
    std::vector<uint8_t> before(c->canvas().pixels().begin(), c->canvas().pixels().end());
    c->setTextWindow(2, 3, 3, 4); // rows 2..3, columns 3..4
    EXPECT_EQ(graphicsStatus(), status::ok);
    c->out_text("abcdef");
    // "ab" was scrolled off the top, "cd" moved up to row 2, "ef" sits on row 3.
    EXPECT_EQ(cell(c->canvas(), 2, 3), expectedCell('c'));
    EXPECT_EQ(cell(c->canvas(), 2, 4), expectedCell('d'));
    EXPECT_EQ(cell(c->canvas(), 3, 3), expectedCell('e'));
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{2, 3}));
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 60; ++x) {
            bool inWindow = x >= 20 && x < 40 && y >= 18 && y < 54;
            if (!inWindow) {
                ASSERT_EQ(c->canvas().pixel(x, y), before[size_t(y * 60 + x)]) << x << "," << y;
            }
        }
    EXPECT_EQ(c->canvas().textPieces(), (std::vector<TextPiece>{{2, 3, 4, "cd", false}, {3, 3, 4, "ef", false}}));

    c->setTextWindow(0, 0, 99, 99); // clamped to the grid
    EXPECT_EQ(graphicsStatus(), status::altered);
    EXPECT_EQ(c->canvas().textWindow(), (TextWindow{1, 1, 4, 6}));
    c->setTextPosition(9, 2);
    EXPECT_EQ(graphicsStatus(), status::altered);
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{4, 2}));
}

TEST(OutText, WholeClearForgetsTheText)
{
    auto c = textCanvas();
    c->out_text("hi\nthere");
    c->clear_screen(0);
    EXPECT_TRUE(c->canvas().textPieces().empty());
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{1, 1}));
    c->out_text("x");
    EXPECT_EQ(c->canvas().textPieces(), (std::vector<TextPiece>{{1, 1, 1, "x", false}}));

    // A cell larger than the canvas leaves no grid: text is dropped without a fault.
    auto tiny = makeCanvas(5, 5, 256, 10, 18);
    tiny->out_text("abc\n");
    EXPECT_TRUE(tiny->canvas().textPieces().empty());
    for (uint8_t p : tiny->canvas().pixels())
        EXPECT_EQ(p, 0);
}
