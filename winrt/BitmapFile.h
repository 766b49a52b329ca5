#pragma once
// The Windows bitmap file layout (BITMAPFILEHEADER + BITMAPINFOHEADER, uncompressed), as
// documented for device-independent bitmaps: the form of an ImageBuffer in memory and of a
// saved picture on disk. All fields are little-endian.
//
//   offset  size  field
//   0       2     file type "BM"
//   2       4     file size in bytes
//   6       2+2   reserved, 0
//   10      4     offset of the pixel bits
//   14      4     info header size (40)
//   18      4     width in pixels
//   22      4     height in pixels; positive = rows stored bottom-up
//   26      2     planes (1)
//   28      2     bits per pixel: 1, 4, 8, 16, 24 or 32
//   30      4     compression (0)
//   34      4     size of the pixel bits (0 allowed when uncompressed)
//   38      4+4   resolutions
//   46      4     colours used (0 = 2^bits)
//   50      4     important colours
//   54      4 n   colour table (blue, green, red, 0) for 1, 4 and 8 bits
//   offset        pixel rows, each padded to a multiple of 4 bytes

#include "platform/Picture.h"
#include "winrt/Colour.h"
#include "winrt/LittleEndian.h"
#include "winrt/Rect.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace winrt {

class Canvas;

inline constexpr int kBitmapFileHeaderBytes = 14;
inline constexpr int kBitmapInfoHeaderBytes = 40;

// Bytes of one pixel row padded to 4 bytes: (width x bits + 31) / 32 x 4.
constexpr int64_t bitmapRowBytes(int64_t width, int bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

// Bytes before the pixel bits: 62, 118 and 1078 for 1, 4 and 8 bits, 54 for 16, 24 and 32;
// -1 for any other depth.
constexpr int64_t bitmapHeaderBytes(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: return 54 + 2 * 4;
    case 4: return 54 + 16 * 4;
    case 8: return 54 + 256 * 4;
    case 16:
    case 24:
    case 32: return 54;
    default: return -1;
    }
}

// Writes the file header and the information header of a width x height picture at
// bitsPerPixel (a depth bitmapHeaderBytes knows) at the start of out, which holds the whole file;
// the colour table and the bits are the caller's.
constexpr void storeBitmapHeaders(std::span<uint8_t> out, int width, int height, int bitsPerPixel)
{
    const int64_t header = bitmapHeaderBytes(bitsPerPixel);
    const int64_t imageBytes = bitmapRowBytes(width, bitsPerPixel) * height;
    out[0] = 'B';
    out[1] = 'M';
    le::store32(out, 2, uint32_t(header + imageBytes));
    le::store32(out, 10, uint32_t(header));
    le::store32(out, 14, uint32_t(kBitmapInfoHeaderBytes));
    le::store32(out, 18, uint32_t(width));
    le::store32(out, 22, uint32_t(height));
    le::store16(out, 26, 1);
    le::store16(out, 28, uint16_t(bitsPerPixel));
    le::store32(out, 34, uint32_t(imageBytes));
}
// Whole file size for a width x height picture; -1 for an unsupported depth.
int64_t bitmapFileSize(int64_t width, int64_t height, int bitsPerPixel);

// Why a buffer could not be read.
enum class BitmapError {
    None,
    Truncated,         // a header, the colour table or the pixel rows run past the end
    BadHeader,         // info header size below 40 or planes other than 1
    BadSize,           // width or height 0, negative width, or a picture too large to hold
    UnsupportedFormat, // a depth other than 1, 4, 8, 16, 24, 32, or compression other than 0
    BadOffset,         // pixel bits start inside the headers or the colour table
    IndexOutOfTable,   // a pixel names a colour-table entry that is not there
};
std::string_view describe(BitmapError error);

// A bitmap read into plain values, rows top row first whatever the stored order.
struct DecodedBitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<Rgb> colourTable; // 1, 4 and 8 bits only
    std::vector<uint8_t> indices; // colour-table index per pixel (1, 4 and 8 bits only)
    std::vector<Rgb> pixels;      // colour of every pixel, every depth

    uint8_t index(int x, int y) const { return indices[size_t(y) * width + x]; }
    Rgb colour(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

struct BitmapDecodeResult {
    DecodedBitmap bitmap;
    BitmapError error = BitmapError::None;
    bool ok() const { return error == BitmapError::None; }
};

// Reads a bitmap buffer without ever reading past its end. The file type letters and size
// fields are not checked (an in-memory image need not carry them); a negative height is
// taken as rows stored top-down.
[[nodiscard]] BitmapDecodeResult decodeBitmap(std::span<const uint8_t> bytes);

// Writes a picture of palette indices (width x height, top row first) as a bitmap file at
// bitsPerPixel (1, 4, 8, 16, 24 or 32). Up to 8 bits the colour table holds the palette
// (entries past its end are 0) and indices are stored as they are, masked to the depth;
// above 8 bits each pixel is stored as its palette colour. Returns an empty vector for an
// unsupported depth or when the index buffer is smaller than width x height.
std::vector<uint8_t> encodeBitmap(int width, int height, std::span<const uint8_t> indices, std::span<const Rgb> palette,
                                  int bitsPerPixel = 8);

// A captured picture as an 8-bit (or bitsPerPixel) bitmap file with its own palette.
std::vector<uint8_t> encodeBitmap(const platform::IndexedPicture& picture, int bitsPerPixel = 8);

// The whole canvas, or a region of it (pixels outside the canvas are written as index 0), as an
// 8-bit bitmap file with the canvas palette. The caller holds the canvas's drawing lock when
// another thread may draw.
std::vector<uint8_t> encodeBitmap(const Canvas& canvas);
std::vector<uint8_t> encodeBitmap(const Canvas& canvas, Rect region, int bitsPerPixel = 8);

} // namespace winrt
