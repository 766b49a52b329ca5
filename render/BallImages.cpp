#include "render/BallImages.h"

#include "winrt/BitmapFile.h"

#include "render/Palette.h"

#include <string_view>

namespace render {

namespace {

using Map25 = std::array<std::string_view, 25>;
using Map33 = std::array<std::string_view, 33>;

// The shading laid on every ball, top row first: digit d is colour-table entry 74 + d (a blue
// that brightens with d), "o" entry 42 (black).
constexpr Map25 kShadeMap = {
    "oo0012223333333222100", "o01122334444444332211", "011233445555555443321", "112334555666665554332",
    "123345566777776655433", "233456677888887766543", "234566788999998876654", "345567889999999887655",
    "345678899999999988765", "455678999999999998765", "456789999999999999876", "456789999999999999876",
    "456789999999999999876", "456789999999999999876", "456789999999999999876", "455678999999999998765",
    "345678899999999988765", "345567889999999887655", "234566788999998876654", "233456677888887766543",
    "123345566777776655433", "112334555666665554332", "011233445555555443321", "o01122334444444332211",
    "oo0012223333333222100",
};

// The mark of the first zinc blende species, top row first: digit d is entry 90 + d (a green
// that brightens with d), "o" entry 42 and "." entry 10 (both black), "#" entry 19 (red).
constexpr Map33 kMarkMap = {
    ".............ooooooo.............", "..........ooo0000000ooo..........", "........oo0001111111000oo........",
    ".......o00111222222211100o.......", ".....oo0012223333333222100oo.....", "....oo011223344444443322110oo....",
    "....o01123344555555544332110o....", "...o0112334555666665554332110o...", "..o001233455667777766554332100o..",
    "..o012334566778888877665433210o..", ".o01223456678899999887665432210o.", ".o012345567889###99988765543210o.",
    ".o012345678899###99998876543210o.", "o012345567899##9##99998765543210o", "o012345678999##9##99999876543210o",
    "o012345678999##9##99999876543210o", "o01234567899##999##9999876543210o", "o01234567899#######9999876543210o",
    "o01234567899#######9999876543210o", "o0123455678##99999##998765543210o", ".o012345678##99999##98876543210o.",
    ".o012345567##99999##88765543210o.", ".o01223456678899999887665432210o.", "..o012334566778888877665433210o..",
    "..o001233455667777766554332100o..", "...o0112334555666665554332110o...", "....o01123344555555544332110o....",
    "....oo011223344444443322110oo....", ".....oo0012223333333222100oo.....", ".......o00111222222211100o.......",
    "........oo0001111111000oo........", "..........ooo0000000ooo..........", ".............ooooooo.............",
};

constexpr uint8_t shadeIndex(char c)
{
    if (c >= '0' && c <= '9')
        return uint8_t(74 + (c - '0'));
    if (c == 'o')
        return 42;
    throw "unexpected character in the shade map"; // stops the compile-time build
}

constexpr uint8_t markIndex(char c)
{
    if (c >= '0' && c <= '9')
        return uint8_t(90 + (c - '0'));
    switch (c) {
    case 'o': return 42;
    case '.': return 10;
    case '#': return 19;
    }
    throw "unexpected character in the mark map";
}

struct Colour {
    uint8_t r, g, b;
};

// The colour table both pictures carry (entries as red, green, blue).
constexpr std::array<Colour, 256> buildColourTable()
{
    std::array<Colour, 256> t{}; // black
    constexpr std::array<Colour, 10> low = {{{0, 0, 0},
                                             {128, 0, 0},
                                             {0, 128, 0},
                                             {128, 128, 0},
                                             {0, 0, 128},
                                             {128, 0, 128},
                                             {0, 128, 128},
                                             {192, 192, 192},
                                             {192, 220, 192},
                                             {166, 202, 240}}};
    constexpr std::array<Colour, 10> high = {{{255, 251, 240},
                                              {160, 160, 164},
                                              {128, 128, 128},
                                              {255, 0, 0},
                                              {0, 255, 0},
                                              {255, 255, 0},
                                              {0, 0, 255},
                                              {255, 0, 255},
                                              {0, 255, 255},
                                              {255, 255, 255}}};
    for (size_t i = 0; i < 10; ++i) {
        t[i] = low[i];
        t[246 + i] = high[i];
    }
    for (size_t i = 0; i < 16; ++i) {
        uint32_t c = kApplicationPalette[i];
        t[10 + i] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
    }
    t[72] = {255, 255, 255};
    t[73] = {0, 255, 0};
    for (int d = 0; d < 10; ++d) {
        uint8_t v = uint8_t(147 + 11 * d);
        t[size_t(74 + d)] = {119, 119, v};
        t[size_t(90 + d)] = {119, v, 119};
        t[size_t(106 + d)] = {v, v, 119};
    }
    return t;
}

// An 8-bit bitmap file image: file header, 40-byte information header, the 256-entry colour
// table (blue, green, red, 0), then the rows bottom row first, each padded to 4 bytes with 0.
template <size_t Width, size_t Height, size_t Bytes>
constexpr std::array<uint8_t, Bytes> buildImage(const std::array<std::string_view, Height>& map,
                                                uint8_t (*indexOf)(char))
{
    constexpr size_t rowBytes = (Width + 3) / 4 * 4;
    static_assert(Bytes == kBallImageBitsOffset + rowBytes * Height);
    std::array<uint8_t, Bytes> out{};
    winrt::storeBitmapHeaders(out, int(Width), int(Height), 8);
    constexpr auto table = buildColourTable();
    for (size_t i = 0; i < 256; ++i) {
        out[54 + 4 * i] = table[i].b;
        out[54 + 4 * i + 1] = table[i].g;
        out[54 + 4 * i + 2] = table[i].r;
    }
    for (size_t y = 0; y < Height; ++y) {
        if (map[y].size() != Width)
            throw "pixel map row of the wrong width";
        size_t row = kBallImageBitsOffset + (Height - 1 - y) * rowBytes;
        for (size_t x = 0; x < Width; ++x)
            out[row + x] = indexOf(map[y][x]);
    }
    return out;
}

constexpr auto kShadeImage = buildImage<kShadeImageWidth, kShadeImageHeight, kShadeImageBytes>(kShadeMap, shadeIndex);
constexpr auto kMarkImage = buildImage<kMarkImageWidth, kMarkImageHeight, kMarkImageBytes>(kMarkMap, markIndex);

} // namespace

std::span<const uint8_t> shadeImage() { return kShadeImage; }
std::span<const uint8_t> markImage() { return kMarkImage; }

} // namespace render
