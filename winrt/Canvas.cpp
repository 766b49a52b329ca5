#include "winrt/Canvas.h"

#include "winrt/BitmapFile.h"
#include "winrt/EllipseRaster.h"
#include "winrt/RasterOp.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace winrt {

namespace {

// The runtime's default colours for entries 0..15; entries 16..255 are all dark grey.
constexpr std::array<Rgb, 16> kDefaultColours = {{
    {0, 0, 0},
    {0, 0, 128},
    {0, 128, 0},
    {0, 128, 128},
    {128, 0, 0},
    {128, 0, 128},
    {128, 128, 0},
    {192, 192, 192},
    {128, 128, 128},
    {0, 0, 255},
    {0, 255, 0},
    {0, 255, 255},
    {255, 0, 0},
    {255, 0, 255},
    {255, 255, 0},
    {255, 255, 255},
}};
constexpr Rgb kDefaultHighColour = {64, 64, 64};
constexpr int kNoCollapseDefaultEntries = 17; // entries 0..16

// Whether a channel value survives quantisation to the given number of bits and back.
bool channelExact(uint8_t value, int bits)
{
    int levels = (1 << bits) - 1;
    int q = (value * levels + 127) / 255;
    return (q * 255 + levels / 2) / levels == value;
}

bool shownExactly(Rgb c, int displayBits)
{
    if (displayBits == 15 || displayBits == 16) {
        int greenBits = displayBits == 16 ? 6 : 5;
        return channelExact(c.red, 5) && channelExact(c.green, greenBits) && channelExact(c.blue, 5);
    }
    return true;
}

uint8_t nearestIndex(Rgb colour, std::span<const Rgb> palette)
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (size_t i = 0; i < palette.size(); ++i) {
        int d = colourDistance(colour, palette[i]);
        if (d < bestDistance) { // strictly less: the lowest index wins a tie
            bestDistance = d;
            best = int(i);
        }
    }
    return uint8_t(best);
}

// A character cell's row, 8 to 16 bytes, in two 8-byte moves (the second overlapping the first)
// instead of a library call per row; other lengths as a plain copy.
void copyCellRow(const uint8_t* from, int length, uint8_t* to)
{
    if (length < 8 || length > 16) {
        std::copy_n(from, length, to);
        return;
    }
    uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + length - 8, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + length - 8, &tail, 8);
}

// to[i] |= from[i] for a run of bytes, eight at a time.
void orRun(const uint8_t* from, int length, uint8_t* to)
{
    int i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t a, b;
        std::memcpy(&a, to + i, 8);
        std::memcpy(&b, from + i, 8);
        a |= b;
        std::memcpy(to + i, &a, 8);
    }
    for (; i < length; ++i)
        to[i] |= from[i];
}

} // namespace

platform::Result<Canvas> Canvas::create(int width, int height, int colourCount, int cellWidth, int cellHeight,
                                        const platform::Glyphs& glyphs, CanvasOptions options)
{
    if (width < 1 || width > 32767 || height < 1 || height > 32767)
        return platform::fail("canvas size out of range");
    if (colourCount < 2 || colourCount > 256)
        return platform::fail("canvas colour count out of range");
    if (cellWidth < 1 || cellHeight < 1)
        return platform::fail("character cell size out of range");
    auto* pixels = static_cast<uint8_t*>(std::calloc(size_t(width) * size_t(height), 1));
    if (!pixels)
        return platform::fail(std::string(CanvasOutOfMemory));
    return Canvas(width, height, colourCount, cellWidth, cellHeight, glyphs, options, pixels);
}

Canvas::Canvas(int width, int height, int colourCount, int cellWidth, int cellHeight, const platform::Glyphs& glyphs,
               CanvasOptions options, uint8_t* pixels)
    : m_width(width), m_height(height), m_colourCount(colourCount), m_cellWidth(cellWidth), m_cellHeight(cellHeight),
      m_gridRows(height / cellHeight), m_gridColumns(width / cellWidth), m_glyphs(glyphs), m_options(options),
      m_pixels(pixels), m_pixelCount(size_t(width) * size_t(height))
{
    m_palette.resize(size_t(colourCount));
    m_noCollapse.assign(size_t(colourCount), 0);
    m_inexact.assign(size_t(colourCount), 0);
    if (colourCount == 2) {
        m_palette[0] = {0, 0, 0};
        m_palette[1] = {255, 255, 255};
    } else {
        for (int i = 0; i < colourCount; ++i)
            m_palette[size_t(i)] = i < 16 ? kDefaultColours[size_t(i)] : kDefaultHighColour;
    }
    for (int i = 0; i < colourCount; ++i) {
        m_noCollapse[size_t(i)] = i < kNoCollapseDefaultEntries ? 1 : 0;
        m_inexact[size_t(i)] = shownExactly(m_palette[size_t(i)], options.displayBitsPerPixel) ? 0 : 1;
    }

    // With fewer than 16 colours the usual colour 15 does not exist: take the last entry for
    // shapes and for text alike.
    m_colour = int16_t(std::min(15, colourCount - 1));
    m_textColour = int16_t(std::min(15, colourCount - 1));
    m_viewport = Rect{0, 0, width, height};
    m_textWindow = TextWindow{1, 1, m_gridRows, m_gridColumns};
    m_textRecord.assign(size_t(m_gridRows) * size_t(m_gridColumns), TextCellRecord{});
    m_emptyLine.assign(size_t(m_gridRows), 0);
    m_glyphMask.assign(size_t(cellWidth) * size_t(cellHeight), 0);
}

// ---- helpers ---------------------------------------------------------------------------

CanvasResult Canvas::clampColour(int16_t index, int16_t& target)
{
    CanvasResult result{status::ok, target, {}};
    if (index == target)
        return result;
    if (index >= m_colourCount) {
        target = int16_t(m_colourCount - 1);
        result.status = status::altered;
    } else if (index < 0) {
        target = 0;
        result.status = status::altered;
    } else {
        target = index;
        if (m_inexact[size_t(index)])
            result.status = status::altered;
    }
    return result;
}

uint8_t Canvas::indexMask() const
{
    if (m_colourCount <= 2)
        return 0x01;
    if (m_colourCount <= 16)
        return 0x0F;
    return 0xFF;
}

uint8_t Canvas::brushAt(int x, int y) const
{
    if (!m_fillMask)
        return uint8_t(m_colour);
    uint8_t bits = (*m_fillMask)[size_t(y & 7)];
    return (bits & (0x80 >> (x & 7))) ? uint8_t(m_colour) : 0;
}

void Canvas::fillRect(Rect r, uint8_t index)
{
    r = r.intersected(Rect{0, 0, m_width, m_height});
    touch(r);
    for (int y = r.y; y <= r.bottom(); ++y)
        std::fill_n(row(y) + r.x, r.width, index);
}

uint8_t Canvas::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return m_pixels[size_t(y) * size_t(m_width) + size_t(x)];
}

Rgb Canvas::paletteEntry(int index) const
{
    if (index < 0 || index >= m_colourCount)
        return {};
    return m_palette[size_t(index)];
}

bool Canvas::paletteNoCollapse(int index) const
{
    return index >= 0 && index < m_colourCount && m_noCollapse[size_t(index)] != 0;
}

uint8_t Canvas::paletteExactness(int index) const
{
    if (index < 0 || index >= m_colourCount)
        return 0;
    return m_inexact[size_t(index)];
}

// ---- colours and state ---------------------------------------------------------------

CanvasResult Canvas::set_colour(int16_t index) { return clampColour(index, m_colour); }

CanvasResult Canvas::setTextColour(int16_t index) { return clampColour(index, m_textColour); }

CanvasResult Canvas::setBackgroundColour(int16_t index) { return clampColour(index, m_background); }

CanvasResult Canvas::setViewport(int16_t x1, int16_t y1, int16_t x2, int16_t y2)
{
    Rect r = Rect::fromCorners(x1, y1, x2, y2).intersected(Rect{0, 0, m_width, m_height});
    if (r.isEmpty())
        return {status::invalid, 0, {}};
    m_viewport = r;
    return {x2 < x1 || y2 < y1 ? status::altered : status::ok, 0, {}};
}

CanvasResult Canvas::setViewOrigin(int16_t x, int16_t y)
{
    m_originX = x;
    m_originY = y;
    return {};
}

CanvasResult Canvas::setTextWindow(int16_t top, int16_t left, int16_t bottom, int16_t right)
{
    if (m_gridRows == 0 || m_gridColumns == 0)
        return {status::invalid, 0, {}};
    int t = std::min(top, bottom), b = std::max(top, bottom);
    int l = std::min(left, right), r = std::max(left, right);
    int ct = std::clamp(t, 1, m_gridRows), cb = std::clamp(b, 1, m_gridRows);
    int cl = std::clamp(l, 1, m_gridColumns), cr = std::clamp(r, 1, m_gridColumns);
    m_textWindow = TextWindow{ct, cl, cb, cr};
    m_textPosition = TextCell{1, 1};
    return {ct != top || cb != bottom || cl != left || cr != right ? status::altered : status::ok, 0, {}};
}

CanvasResult Canvas::setTextPosition(int16_t row, int16_t column)
{
    int rows = std::max(1, m_textWindow.rows()), columns = std::max(1, m_textWindow.columns());
    int r = std::clamp(int(row), 1, rows), c = std::clamp(int(column), 1, columns);
    m_textPosition = TextCell{r, c};
    return {r != row || c != column ? status::altered : status::ok, 0, {}};
}

CanvasResult Canvas::setWrap(Wrap wrap)
{
    m_wrap = wrap;
    return {};
}

CanvasResult Canvas::setFillMask(std::optional<std::array<uint8_t, 8>> pattern)
{
    m_fillMask = pattern;
    return {};
}

// ---- shapes and images ---------------------------------------------------------------

CanvasResult Canvas::draw_ellipse(int16_t control, int16_t x1, int16_t y1, int16_t x2, int16_t y2)
{
    if (control != 2 && control != 3)
        return {status::failed, 0, {}};
    CanvasResult result{status::ok, 1, {}};
    if (x2 < x1) {
        std::swap(x1, x2);
        result.status = status::altered;
    }
    if (y2 < y1) {
        std::swap(y1, y2);
        result.status = status::altered;
    }

    Rect& damage = result.damage;
    const int bx1 = x1 + m_originX, by1 = y1 + m_originY;
    const int bx2 = x2 + m_originX, by2 = y2 + m_originY;
    const Rect clip = m_viewport.intersected(Rect{0, 0, m_width, m_height});
    damage = Rect::fromCorners(bx1, by1, bx2, by2).intersected(clip);
    touch(damage);
    const uint8_t pen = uint8_t(m_colour);

    const std::vector<std::pair<int, int>>& spans = ellipseSpans(bx2 - bx1 + 1, by2 - by1 + 1);
    auto spanAt = [&](int y) -> const std::pair<int, int>* {
        const int r = y - by1;
        return r >= 0 && r < int(spans.size()) ? &spans[size_t(r)] : nullptr;
    };
    auto inSpan = [&](const std::pair<int, int>* s, int x) { return s && x >= bx1 + s->first && x <= bx1 + s->second; };
    for (int y = damage.y; y <= damage.bottom(); ++y) {
        const auto* span = spanAt(y);
        if (!span)
            continue;
        const int spanLeft = bx1 + span->first, spanRight = bx1 + span->second;
        const int from = std::max(spanLeft, clip.x), to = std::min(spanRight, clip.right());
        if (from > to)
            continue;
        uint8_t* row = this->row(y);
        if (control == 3 && !m_fillMask) {
            // Outline and inside share the pen: the whole span in one go.
            std::fill(row + from, row + to + 1, pen);
            continue;
        }
        const auto* above = spanAt(y - 1);
        const auto* below = spanAt(y + 1);
        for (int x = from; x <= to; ++x) {
            // The outline is every covered pixel with an uncovered 4-neighbour.
            bool edge = x == spanLeft || x == spanRight || !inSpan(above, x) || !inSpan(below, x);
            if (edge)
                row[x] = pen;
            else if (control == 3)
                row[x] = brushAt(x, y);
        }
    }
    m_changed = true;
    return result;
}

const std::vector<std::pair<int, int>>& Canvas::ellipseSpans(int width, int height)
{
    const std::pair box{width, height};
    if (const auto* kept = m_ellipseSpans.find([&](const std::pair<int, int>& key) { return key == box; }))
        return *kept;
    std::vector<std::pair<int, int>>& rows = m_ellipseSpans.insert(box);
    rows.clear();
    for (int r = 0; r < height; ++r) {
        const auto span = ellipseRowSpan(0, 0, width - 1, height - 1, r);
        // Every row of the box is covered (the middle column always is).
        rows.emplace_back(span ? span->left : 0, span ? span->right : -1);
    }
    return rows;
}

const std::array<uint8_t, 256>& Canvas::matchTable(std::span<const Rgb> table)
{
    if (const auto* kept =
            m_tableMatches.find([&](const std::vector<Rgb>& key) { return std::ranges::equal(key, table); }))
        return *kept;
    std::array<uint8_t, 256>& toPalette = m_tableMatches.insert(std::vector<Rgb>(table.begin(), table.end()));
    toPalette.fill(0);
    // A colour the palette holds is at distance 0 from its lowest entry of that colour, the
    // entry the full search picks too: only the other colours need the search.
    std::unordered_map<uint32_t, uint8_t> exact;
    for (size_t i = m_palette.size(); i-- > 0;)
        exact[m_palette[i].paletteValue()] = uint8_t(i);
    for (size_t i = 0; i < table.size() && i < toPalette.size(); ++i) {
        const auto found = exact.find(table[i].paletteValue());
        toPalette[i] = found != exact.end() ? found->second : nearestIndex(table[i], m_palette);
    }
    return toPalette;
}

CanvasResult Canvas::put_image(int16_t x, int16_t y, std::span<const uint8_t> image, int16_t action)
{
    auto op = rasterOpForAction(action);
    if (!op)
        return {status::invalid, 0, {}};
    CanvasResult result;
    Rect& damage = result.damage;
    const PreparedImage* prepared =
        m_preparedImages.find([&](const std::vector<uint8_t>& key) { return std::ranges::equal(key, image); });
    if (!prepared) {
        BitmapDecodeResult decoded = decodeBitmap(image);
        if (!decoded.ok())
            return {status::failed, 0, {}};
        const DecodedBitmap& bmp = decoded.bitmap;
        PreparedImage& p = m_preparedImages.insert(std::vector<uint8_t>(image.begin(), image.end()));
        p.width = bmp.width;
        p.height = bmp.height;
        // Match each image colour to the palette once: per colour-table entry, or per
        // distinct colour for pictures without a table.
        std::vector<uint8_t>& source = p.source;
        source.assign(size_t(bmp.width) * size_t(bmp.height), 0);
        if (!bmp.colourTable.empty()) {
            const auto& tableToPalette = matchTable(bmp.colourTable);
            for (size_t i = 0; i < source.size(); ++i)
                source[i] = tableToPalette[bmp.indices[i]];
        } else {
            std::unordered_map<uint32_t, uint8_t> matched;
            for (size_t i = 0; i < source.size(); ++i) {
                uint32_t key = bmp.pixels[i].paletteValue();
                auto it = matched.find(key);
                if (it == matched.end())
                    it = matched.emplace(key, nearestIndex(bmp.pixels[i], m_palette)).first;
                source[i] = it->second;
            }
        }
        prepared = &p;
    }
    const std::vector<uint8_t>& source = prepared->source;
    struct {
        int width, height;
    } bmp{prepared->width, prepared->height};

    const int left = x + m_originX, top = y + m_originY;
    const Rect clip = m_viewport.intersected(Rect{0, 0, m_width, m_height});
    damage = Rect{left, top, bmp.width, bmp.height}.intersected(clip);
    touch(damage);
    const uint8_t mask = indexMask();
    // With 256 colours every index result names an entry: copy and or need no clamping.
    const bool plainBytes = m_colourCount == 256;
    for (int cy = damage.y; cy <= damage.bottom(); ++cy) {
        uint8_t* row = this->row(cy);
        const uint8_t* src = &source[size_t(cy - top) * bmp.width];
        if (plainBytes && *op == RasterOp::Copy) {
            std::copy(src + (damage.x - left), src + (damage.right() - left) + 1, row + damage.x);
        } else if (plainBytes && *op == RasterOp::Or) {
            orRun(src + (damage.x - left), damage.width, row + damage.x);
        } else {
            for (int cx = damage.x; cx <= damage.right(); ++cx)
                row[cx] = applyRasterOp(*op, row[cx], src[cx - left], brushAt(cx, cy), mask, m_colourCount);
        }
    }
    m_changed = true;
    return result;
}

CanvasResult Canvas::image_size(int16_t x1, int16_t y1, int16_t x2, int16_t y2) const
{
    int64_t w = std::abs(int(x2) - int(x1)) + 1;
    int64_t h = std::abs(int(y2) - int(y1)) + 1;
    int64_t size = bitmapFileSize(w, h, m_options.imageBitsPerPixel);
    if (size < 0 || size > std::numeric_limits<int32_t>::max())
        return {status::failed, -1, {}};
    return {status::ok, int32_t(size), {}};
}

CanvasResult Canvas::get_image(int16_t x1, int16_t y1, int16_t x2, int16_t y2, std::span<uint8_t> buffer) const
{
    int64_t need =
        bitmapFileSize(std::abs(int(x2) - int(x1)) + 1, std::abs(int(y2) - int(y1)) + 1, m_options.imageBitsPerPixel);
    if (need < 0 || uint64_t(need) > buffer.size())
        return {status::failed, 0, {}};
    Rect r = Rect::fromCorners(x1 + m_originX, y1 + m_originY, x2 + m_originX, y2 + m_originY);
    const std::vector<uint8_t> bytes = encodeBitmap(*this, r, m_options.imageBitsPerPixel);
    if (bytes.empty())
        return {status::failed, 0, {}};
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    return {x2 < x1 || y2 < y1 ? status::altered : status::ok, 0, {}};
}

// ---- clearing and text ---------------------------------------------------------------

Rect Canvas::textWindowPixels() const
{
    if (m_textWindow.rows() <= 0 || m_textWindow.columns() <= 0)
        return {};
    return Rect{(m_textWindow.left - 1) * m_cellWidth, (m_textWindow.top - 1) * m_cellHeight,
                m_textWindow.columns() * m_cellWidth, m_textWindow.rows() * m_cellHeight};
}

void Canvas::clearTextRecord(const TextWindow& area)
{
    for (int r = area.top; r <= area.bottom; ++r) {
        for (int c = area.left; c <= area.right; ++c)
            m_textRecord[size_t(r - 1) * m_gridColumns + size_t(c - 1)] = TextCellRecord{};
        m_emptyLine[size_t(r - 1)] = 0;
    }
}

CanvasResult Canvas::clear_screen(int16_t area)
{
    if (area < 0 || area > 2)
        return {status::invalid, 0, {}};
    CanvasResult result{status::ok, 1, {}};
    Rect& damage = result.damage;
    switch (area) {
    case 0:
        damage = Rect{0, 0, m_width, m_height};
        fillRect(m_uniform == uint8_t(m_background) ? m_drawn : damage, uint8_t(m_background));
        m_uniform = uint8_t(m_background);
        m_drawn = {};
        clearTextRecord(TextWindow{1, 1, m_gridRows, m_gridColumns});
        m_changed = false;
        break;
    case 1:
        damage = m_viewport;
        fillRect(damage, 0);
        break;
    case 2:
        // The text window's record goes with its pixels, so that copying text never
        // returns characters that are no longer shown.
        damage = textWindowPixels();
        fillRect(damage, uint8_t(m_background));
        clearTextRecord(m_textWindow);
        break;
    }
    m_textPosition = TextCell{1, 1};
    return result;
}

void Canvas::drawCharacter(int gridRow, int gridColumn, unsigned char ch)
{
    constexpr size_t MaxCachedCell = 64 * 64;
    const size_t cell = size_t(m_cellWidth) * size_t(m_cellHeight);
    const uint8_t ink = uint8_t(m_textColour), paper = uint8_t(m_background);
    const uint8_t* source = nullptr;
    if (cell <= MaxCachedCell) {
        if (m_cellColours != std::pair(ink, paper)) {
            m_cellColours = {ink, paper};
            m_glyphKnown.reset();
        }
        if (!m_glyphCells) {
            // Zeroed by the system, like the pixels: only the cells of characters drawn are touched.
            m_glyphCells.reset(static_cast<uint8_t*>(std::calloc(256 * cell, 1)));
            if (!m_glyphCells)
                throw std::bad_alloc();
        }
        uint8_t* slot = &m_glyphCells[size_t(ch) * cell];
        if (!m_glyphKnown.test(ch)) {
            std::fill(m_glyphMask.begin(), m_glyphMask.end(), uint8_t(0));
            m_glyphs.renderGlyph(ch, m_cellWidth, m_cellHeight, m_glyphMask);
            for (size_t i = 0; i < cell; ++i)
                slot[i] = m_glyphMask[i] >= 128 ? ink : paper;
            m_glyphKnown.set(ch);
        }
        source = slot;
    } else {
        std::fill(m_glyphMask.begin(), m_glyphMask.end(), uint8_t(0));
        m_glyphs.renderGlyph(ch, m_cellWidth, m_cellHeight, m_glyphMask);
        for (size_t i = 0; i < cell; ++i)
            m_glyphMask[i] = m_glyphMask[i] >= 128 ? ink : paper;
        source = m_glyphMask.data();
    }
    const int left = (gridColumn - 1) * m_cellWidth, top = (gridRow - 1) * m_cellHeight;
    touch(Rect{left, top, m_cellWidth, m_cellHeight});
    for (int y = 0; y < m_cellHeight; ++y)
        copyCellRow(source + size_t(y) * size_t(m_cellWidth), m_cellWidth, row(top + y) + left);
    m_textRecord[size_t(gridRow - 1) * m_gridColumns + size_t(gridColumn - 1)] = TextCellRecord{char(ch), true};
    m_emptyLine[size_t(gridRow - 1)] = 0;
}

void Canvas::scrollTextWindow()
{
    const Rect area = textWindowPixels();
    touch(area);
    for (int y = area.y; y + m_cellHeight <= area.bottom(); ++y)
        std::copy_n(row(y + m_cellHeight) + area.x, area.width, row(y) + area.x);
    fillRect(Rect{area.x, area.bottom() - m_cellHeight + 1, area.width, m_cellHeight}, uint8_t(m_background));

    const TextWindow& tw = m_textWindow;
    for (int r = tw.top; r < tw.bottom; ++r) {
        for (int c = tw.left; c <= tw.right; ++c)
            m_textRecord[size_t(r - 1) * m_gridColumns + size_t(c - 1)] =
                m_textRecord[size_t(r) * m_gridColumns + size_t(c - 1)];
        m_emptyLine[size_t(r - 1)] = m_emptyLine[size_t(r)];
    }
    clearTextRecord(TextWindow{tw.bottom, tw.left, tw.bottom, tw.right});
}

void Canvas::newLine(Rect& damage)
{
    m_textPosition.column = 1;
    if (m_textPosition.row < m_textWindow.rows()) {
        ++m_textPosition.row;
        return;
    }
    scrollTextWindow();
    damage = damage.united(textWindowPixels());
}

CanvasResult Canvas::out_text(std::string_view text)
{
    if (auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);

    CanvasResult result;
    Rect& damage = result.damage;
    if (m_textWindow.rows() <= 0 || m_textWindow.columns() <= 0)
        return result;
    m_textShown = true;
    for (char c : text) {
        const int gridRow = m_textWindow.top + m_textPosition.row - 1;
        if (c == '\r') {
            m_textPosition.column = 1;
            continue;
        }
        if (c == '\n') {
            bool rowHasText = false;
            for (int col = 1; col <= m_gridColumns && !rowHasText; ++col)
                rowHasText = m_textRecord[size_t(gridRow - 1) * m_gridColumns + size_t(col - 1)].written;
            if (!rowHasText)
                m_emptyLine[size_t(gridRow - 1)] = 1;
            newLine(damage);
            continue;
        }
        if (m_textPosition.column > m_textWindow.columns()) {
            if (m_wrap == Wrap::Off)
                continue; // past the right edge without wrap: not shown
            newLine(damage);
        }
        const int row = m_textWindow.top + m_textPosition.row - 1;
        const int column = m_textWindow.left + m_textPosition.column - 1;
        drawCharacter(row, column, static_cast<unsigned char>(c));
        damage = damage.united(Rect{(column - 1) * m_cellWidth, (row - 1) * m_cellHeight, m_cellWidth, m_cellHeight});
        ++m_textPosition.column;
    }
    return result;
}

std::vector<TextPiece> Canvas::textPieces() const
{
    std::vector<TextPiece> pieces;
    for (int r = 1; r <= m_gridRows; ++r) {
        const TextCellRecord* row = &m_textRecord[size_t(r - 1) * m_gridColumns];
        int first = 0, last = 0;
        for (int c = 1; c <= m_gridColumns; ++c) {
            if (row[c - 1].written) {
                if (first == 0)
                    first = c;
                last = c;
            }
        }
        if (first != 0) {
            TextPiece piece{r, first, last, {}, false};
            for (int c = first; c <= last; ++c)
                piece.text.push_back(row[c - 1].ch);
            pieces.push_back(std::move(piece));
        } else if (m_emptyLine[size_t(r - 1)]) {
            pieces.push_back(TextPiece{r, 0, 0, {}, true});
        }
    }
    return pieces;
}

// ---- palette -------------------------------------------------------------------------

CanvasResult Canvas::remap_all_palette(std::span<const uint32_t> colours)
{
    if (m_colourCount <= 20)
        return {status::failed, -1, {}};
    if (colours.size() < size_t(m_colourCount))
        return {status::invalid, -1, {}};
    for (int i = 0; i < m_colourCount; ++i) {
        m_palette[size_t(i)] = Rgb::fromPaletteValue(colours[size_t(i)]);
        m_noCollapse[size_t(i)] = 1;
    }
    m_tableMatches.clear();
    m_preparedImages.clear();
    return {status::ok, 0, Rect{0, 0, m_width, m_height}};
}

std::vector<Rgb> paletteOf(const Canvas& canvas)
{
    std::vector<Rgb> palette(size_t(canvas.colourCount()));
    for (int i = 0; i < canvas.colourCount(); ++i)
        palette[size_t(i)] = canvas.paletteEntry(i);
    return palette;
}

platform::IndexedPicture capturePicture(const Canvas& canvas, Rect region)
{
    platform::IndexedPicture picture;
    if (region.isEmpty())
        return picture;
    picture.width = region.width;
    picture.height = region.height;
    const Rect inside = region.intersected(Rect{0, 0, canvas.width(), canvas.height()});
    const auto pixels = canvas.pixels();
    if (inside == region) {
        // The usual case, a region of the canvas: its rows appended, no zeroing first.
        picture.pixels.reserve(size_t(region.width) * size_t(region.height));
        for (int y = region.y; y <= region.bottom(); ++y) {
            const auto from = pixels.begin() + ptrdiff_t(size_t(y) * size_t(canvas.width()) + size_t(region.x));
            picture.pixels.insert(picture.pixels.end(), from, from + region.width);
        }
        picture.palette = paletteOf(canvas);
        return picture;
    }
    picture.pixels.assign(size_t(region.width) * size_t(region.height), 0);
    for (int y = inside.y; y <= inside.bottom(); ++y)
        std::copy_n(&pixels[size_t(y) * size_t(canvas.width()) + size_t(inside.x)], size_t(inside.width),
                    &picture.pixels[size_t(y - region.y) * size_t(region.width) + size_t(inside.x - region.x)]);
    picture.palette = paletteOf(canvas);
    return picture;
}

} // namespace winrt
