#pragma once
// The display role: facts about the screen and the system's window metrics, and fixed-pitch
// fonts asked for by their character cell.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform {

// Facts about the display and the system's window metrics, read once at start-up.
struct DisplayInfo {
    int screenWidth = 1024;
    int screenHeight = 768;
    int bitsPerPixel = 24;
    int planes = 1;
    // The character cell of the default font (16 x 32 where the system has an input-method editor).
    int defaultCellWidth = 8;
    int defaultCellHeight = 16;
    // The smallest outer size a window may take.
    int minWindowWidth = 112;
    int minWindowHeight = 27;
    int captionHeight = 19;
    int menuBarHeight = 19;
    // Width of a sizing border (one side).
    int frameBorder = 4;
    int verticalScrollWidth = 16;
    int horizontalScrollHeight = 16;

    // Colours the display offers: 2 to the power of bits per pixel times planes, capped at 256.
    constexpr int colourCount() const
    {
        int bits = bitsPerPixel * planes;
        return bits >= 8 ? 256 : bits <= 1 ? 2 : 1 << bits;
    }
};

// A fixed-pitch font asked for by its character cell.
struct FontRequest {
    std::string face = "Courier New";
    int cellWidth = 8;   // average character width wanted, pixels
    int cellHeight = 16; // height plus external leading wanted, pixels
    int weight = 400;    // 400 plain, 700 bold
    bool italic = false;
    bool underline = false;
};

// What a created font measures.
struct FontMetrics {
    int averageCharWidth = 0;
    int height = 0;
    int externalLeading = 0;
    constexpr bool operator==(const FontMetrics&) const = default;
};

// Where a canvas gets the shapes of characters.
class Glyphs {
public:
    virtual ~Glyphs() = default;
    // Fills mask (cellWidth x cellHeight bytes, top row first) with the coverage of character ch,
    // 0 background to 255 full ink (a canvas inks pixels of 128 and above); characters the
    // source lacks leave the mask all 0.
    virtual void renderGlyph(unsigned char ch, int cellWidth, int cellHeight, std::span<std::uint8_t> mask) const = 0;
};

// A font of the system: its glyphs and its measurements.
class Font : public Glyphs {
public:
    virtual FontMetrics metrics() const = 0;
};

class Display {
public:
    virtual ~Display() = default;
    virtual DisplayInfo display() const = 0;
    // Creates the font closest to the request; null when the system cannot create one.
    virtual std::unique_ptr<Font> createFont(const FontRequest& request) = 0;
};

} // namespace platform
