#include "winrt/BitmapFile.h"

#include "winrt/Canvas.h"

#include <limits>

namespace winrt {

namespace {

// Bounds-checked little-endian reads: every read names its offset and fails instead of
// running past the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    bool has(uint64_t offset, uint64_t count) const
    {
        return offset <= m_bytes.size() && count <= m_bytes.size() - offset;
    }
    uint8_t u8(size_t offset) const { return m_bytes[offset]; }
    uint16_t u16(size_t offset) const { return le::load16(m_bytes, offset); }
    uint32_t u32(size_t offset) const { return le::load32(m_bytes, offset); }
    int32_t i32(size_t offset) const { return int32_t(u32(offset)); }

private:
    std::span<const uint8_t> m_bytes;
};

uint8_t expand5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }

} // namespace

int64_t bitmapFileSize(int64_t width, int64_t height, int bitsPerPixel)
{
    int64_t header = bitmapHeaderBytes(bitsPerPixel);
    if (header < 0)
        return -1;
    return header + height * bitmapRowBytes(width, bitsPerPixel);
}

std::string_view describe(BitmapError error)
{
    switch (error) {
    case BitmapError::None: return "no error";
    case BitmapError::Truncated: return "the buffer ends before the picture does";
    case BitmapError::BadHeader: return "the information header is not a bitmap header";
    case BitmapError::BadSize: return "the picture size is invalid";
    case BitmapError::UnsupportedFormat: return "unsupported depth or compression";
    case BitmapError::BadOffset: return "the pixel bits start inside the headers";
    case BitmapError::IndexOutOfTable: return "a pixel names a missing colour-table entry";
    }
    return "unknown error";
}

BitmapDecodeResult decodeBitmap(std::span<const uint8_t> bytes)
{
    BitmapDecodeResult result;
    auto fail = [&](BitmapError e) {
        result.bitmap = {};
        result.error = e;
        return result;
    };

    ByteReader in(bytes);
    if (!in.has(0, kBitmapFileHeaderBytes + 4))
        return fail(BitmapError::Truncated);
    uint32_t bitsOffset = in.u32(10);
    uint32_t infoSize = in.u32(14);
    if (infoSize < uint32_t(kBitmapInfoHeaderBytes))
        return fail(BitmapError::BadHeader);
    if (!in.has(kBitmapFileHeaderBytes, infoSize))
        return fail(BitmapError::Truncated);

    int32_t width = in.i32(18);
    int32_t height = in.i32(22);
    uint16_t planes = in.u16(26);
    uint16_t bits = in.u16(28);
    uint32_t compression = in.u32(30);
    uint32_t coloursUsed = in.u32(46);

    if (planes != 1)
        return fail(BitmapError::BadHeader);
    if (bitmapHeaderBytes(bits) < 0 || compression != 0)
        return fail(BitmapError::UnsupportedFormat);
    if (width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min())
        return fail(BitmapError::BadSize);
    const bool topDown = height < 0;
    const int64_t rows = topDown ? -int64_t(height) : height;
    const int64_t pixelCount = int64_t(width) * rows;
    if (pixelCount > (int64_t(1) << 28)) // far beyond any canvas; refuse rather than allocate
        return fail(BitmapError::BadSize);

    DecodedBitmap& bmp = result.bitmap;
    bmp.width = width;
    bmp.height = int(rows);
    bmp.bitsPerPixel = bits;

    uint64_t tableOffset = uint64_t(kBitmapFileHeaderBytes) + infoSize;
    uint64_t tableEntries = 0;
    if (bits <= 8) {
        uint64_t full = uint64_t(1) << bits;
        tableEntries = (coloursUsed == 0 || coloursUsed > full) ? full : coloursUsed;
        if (!in.has(tableOffset, tableEntries * 4))
            return fail(BitmapError::Truncated);
        bmp.colourTable.reserve(size_t(tableEntries));
        for (uint64_t i = 0; i < tableEntries; ++i) {
            size_t at = size_t(tableOffset + 4 * i);
            bmp.colourTable.push_back({in.u8(at + 2), in.u8(at + 1), in.u8(at)});
        }
    }
    if (uint64_t(bitsOffset) < tableOffset + tableEntries * 4)
        return fail(BitmapError::BadOffset);

    const int64_t rowBytes = bitmapRowBytes(width, bits);
    if (!in.has(bitsOffset, uint64_t(rowBytes) * uint64_t(rows)))
        return fail(BitmapError::Truncated);

    bmp.pixels.resize(size_t(pixelCount));
    if (bits <= 8)
        bmp.indices.resize(size_t(pixelCount));
    for (int64_t y = 0; y < rows; ++y) {
        int64_t storedRow = topDown ? y : rows - 1 - y;
        size_t row = size_t(bitsOffset + storedRow * rowBytes);
        for (int64_t x = 0; x < width; ++x) {
            size_t out = size_t(y * width + x);
            Rgb colour;
            if (bits <= 8) {
                unsigned index;
                if (bits == 8) {
                    index = in.u8(row + size_t(x));
                } else if (bits == 4) {
                    uint8_t b = in.u8(row + size_t(x / 2));
                    index = (x % 2 == 0) ? b >> 4 : b & 0x0F;
                } else {
                    uint8_t b = in.u8(row + size_t(x / 8));
                    index = (b >> (7 - x % 8)) & 1;
                }
                if (index >= tableEntries)
                    return fail(BitmapError::IndexOutOfTable);
                bmp.indices[out] = uint8_t(index);
                colour = bmp.colourTable[index];
            } else if (bits == 16) {
                unsigned v = in.u16(row + size_t(2 * x)); // 5-5-5, top bit unused
                colour = {expand5((v >> 10) & 31), expand5((v >> 5) & 31), expand5(v & 31)};
            } else {
                size_t at = row + size_t(x * (bits / 8));
                colour = {in.u8(at + 2), in.u8(at + 1), in.u8(at)};
            }
            bmp.pixels[out] = colour;
        }
    }
    return result;
}

std::vector<uint8_t> encodeBitmap(int width, int height, std::span<const uint8_t> indices, std::span<const Rgb> palette,
                                  int bitsPerPixel)
{
    const int64_t header = bitmapHeaderBytes(bitsPerPixel);
    if (header < 0 || width <= 0 || height <= 0 || indices.size() < size_t(width) * size_t(height))
        return {};
    const int64_t rowBytes = bitmapRowBytes(width, bitsPerPixel);
    const int64_t imageBytes = rowBytes * height;
    const int64_t fileBytes = header + imageBytes;
    if (fileBytes > std::numeric_limits<uint32_t>::max())
        return {};

    std::vector<uint8_t> out(size_t(fileBytes), 0);
    storeBitmapHeaders(out, width, height, bitsPerPixel);

    if (bitsPerPixel <= 8) {
        size_t entries = size_t(1) << bitsPerPixel;
        for (size_t i = 0; i < entries && i < palette.size(); ++i) {
            size_t at = 54 + 4 * i;
            out[at] = palette[i].blue;
            out[at + 1] = palette[i].green;
            out[at + 2] = palette[i].red;
        }
    }

    const unsigned mask = bitsPerPixel <= 8 ? (1u << bitsPerPixel) - 1 : 0xFF;
    for (int y = 0; y < height; ++y) {
        size_t row = size_t(header + int64_t(height - 1 - y) * rowBytes);
        for (int x = 0; x < width; ++x) {
            uint8_t index = indices[size_t(y) * width + x];
            switch (bitsPerPixel) {
            case 1: out[row + x / 8] |= uint8_t((index & mask) << (7 - x % 8)); break;
            case 4: out[row + x / 2] |= uint8_t((index & mask) << (x % 2 == 0 ? 4 : 0)); break;
            case 8: out[row + x] = index; break;
            default: {
                Rgb c = index < palette.size() ? palette[index] : Rgb{};
                if (bitsPerPixel == 16) {
                    unsigned v = unsigned(c.red >> 3) << 10 | unsigned(c.green >> 3) << 5 | unsigned(c.blue >> 3);
                    out[row + 2 * x] = uint8_t(v);
                    out[row + 2 * x + 1] = uint8_t(v >> 8);
                } else {
                    size_t at = row + size_t(x) * size_t(bitsPerPixel / 8);
                    out[at] = c.blue;
                    out[at + 1] = c.green;
                    out[at + 2] = c.red;
                }
            }
            }
        }
    }
    return out;
}

std::vector<uint8_t> encodeBitmap(const Canvas& canvas)
{
    return encodeBitmap(canvas, Rect{0, 0, canvas.width(), canvas.height()}, 8);
}

std::vector<uint8_t> encodeBitmap(const Canvas& canvas, Rect region, int bitsPerPixel)
{
    return encodeBitmap(capturePicture(canvas, region), bitsPerPixel);
}

std::vector<uint8_t> encodeBitmap(const platform::IndexedPicture& picture, int bitsPerPixel)
{
    if (picture.pixels.empty())
        return {};
    return encodeBitmap(picture.width, picture.height, picture.pixels, picture.palette, bitsPerPixel);
}

} // namespace winrt
