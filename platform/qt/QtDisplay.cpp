// The display role of the Qt platform: the screen's facts and window metrics, and fixed-pitch
// fonts whose glyphs are rendered once on the GUI thread.

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPlatformImpl.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <span>
#include <vector>

namespace platform {

namespace {

// A fixed-pitch font with the glyphs of its own cell rendered once, on the GUI thread, so that
// drawing text on the program thread touches no Qt font machinery.
class QtFont final : public Font {
public:
    QtFont(const QFont& font, FontMetrics metrics, int ascent)
        : m_font(font), m_metrics(metrics), m_ascent(ascent), m_cellWidth(metrics.averageCharWidth),
          m_cellHeight(metrics.height + metrics.externalLeading)
    {
        std::size_t cell = std::size_t(m_cellWidth) * std::size_t(m_cellHeight);
        m_glyphs.assign(cell * 256, 0);
        for (int ch = 0; ch < 256; ++ch)
            draw((unsigned char)ch, m_cellWidth, m_cellHeight,
                 std::span<std::uint8_t>(m_glyphs.data() + cell * std::size_t(ch), cell));
    }

    FontMetrics metrics() const override { return m_metrics; }

    void renderGlyph(unsigned char ch, int cellWidth, int cellHeight, std::span<std::uint8_t> mask) const override
    {
        std::fill(mask.begin(), mask.end(), std::uint8_t(0));
        if (cellWidth <= 0 || cellHeight <= 0 || mask.size() < std::size_t(cellWidth) * std::size_t(cellHeight))
            return;
        std::size_t cell = std::size_t(cellWidth) * std::size_t(cellHeight);
        if (cellWidth == m_cellWidth && cellHeight == m_cellHeight) {
            std::copy_n(m_glyphs.begin() + std::ptrdiff_t(cell * ch), cell, mask.begin());
            return;
        }
        std::lock_guard lock(m_drawMutex);
        draw(ch, cellWidth, cellHeight, mask);
    }

private:
    void draw(unsigned char ch, int cellWidth, int cellHeight, std::span<std::uint8_t> mask) const
    {
        char32_t c = characterOf(ch);
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || cellWidth <= 0 || cellHeight <= 0)
            return;
        QFontMetrics fm(m_font);
        if (!fm.inFontUcs4(uint(c)))
            return;
        QImage image(cellWidth, cellHeight, QImage::Format_Grayscale8);
        image.fill(0);
        {
            QPainter painter(&image);
            painter.setFont(m_font);
            painter.setPen(QColor(255, 255, 255));
            painter.drawText(QPoint(0, m_ascent), QString::fromUcs4(&c, 1));
        }
        for (int y = 0; y < cellHeight; ++y)
            std::copy_n(image.constScanLine(y), cellWidth, mask.begin() + std::ptrdiff_t(y) * cellWidth);
    }

    QFont m_font;
    FontMetrics m_metrics;
    int m_ascent;
    int m_cellWidth;
    int m_cellHeight;
    std::vector<std::uint8_t> m_glyphs;
    mutable std::mutex m_drawMutex;
};

std::unique_ptr<Font> makeFont(const FontRequest& request)
{
    if (request.cellWidth <= 0 || request.cellHeight <= 0 || request.cellHeight > 512)
        return nullptr;
    QString face = toQString(request.face);
    // Debian's Liberation Mono has Courier New's metrics.
    if (face.isEmpty() || face.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        face = QStringLiteral("Liberation Mono");
    QFont font(face);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setWeight(QFont::Weight(std::clamp(request.weight, 1, 1000)));
    font.setItalic(request.italic);
    font.setUnderline(request.underline);

    // The pixel size whose cell height (height plus external leading) is nearest the request,
    // then whose average width is nearest.
    int bestSize = 0;
    std::pair<int, int> bestMiss{INT_MAX, INT_MAX};
    int low = std::max(1, request.cellHeight / 3);
    int high = request.cellHeight * 2 + 4;
    for (int size = low; size <= high; ++size) {
        font.setPixelSize(size);
        QFontMetrics fm(font);
        int height = fm.height() + std::max(0, fm.leading());
        std::pair<int, int> miss{std::abs(height - request.cellHeight),
                                 std::abs(fm.averageCharWidth() - request.cellWidth)};
        if (miss < bestMiss) {
            bestMiss = miss;
            bestSize = size;
        }
        if (miss == std::pair<int, int>{0, 0})
            break;
    }
    font.setPixelSize(bestSize);
    QFontMetrics fm(font);
    FontMetrics metrics{fm.averageCharWidth(), fm.height(), std::max(0, fm.leading())};
    if (metrics.averageCharWidth <= 0 || metrics.height <= 0)
        return nullptr;
    return std::make_unique<QtFont>(font, metrics, fm.ascent());
}

} // namespace

DisplayInfo QtPlatform::Impl::measureDisplay()
{
    DisplayInfo info;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QSize size = screen->size();
        if (size.width() > 0 && size.height() > 0) {
            info.screenWidth = size.width();
            info.screenHeight = size.height();
        }
        if (screen->depth() > 0)
            info.bitsPerPixel = screen->depth();
    }
    info.planes = 1;
    // The sub-window frame as this style draws it: its contents margins are the border on
    // three sides and the caption plus border on top. They are set once it is shown in an area.
    auto* probe = new ChildSubWindow;
    probe->setWidget(new QWidget);
    mdi->addSubWindow(probe);
    probe->resize(InitialChildSize);
    probe->show();
    QMargins margins = probe->contentsMargins();
    if (margins.left() > 0)
        info.frameBorder = margins.left();
    if (margins.top() > margins.bottom())
        info.captionHeight = margins.top() - margins.bottom();
    int probeMinimumWidth = probe->minimumSizeHint().width();
    mdi->removeSubWindow(probe);
    delete probe;
    info.minWindowHeight = info.captionHeight + 2 * info.frameBorder;
    info.minWindowWidth = std::max(info.minWindowWidth, probeMinimumWidth);
    QStyle* style = QApplication::style();
    int extent = style->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (extent > 0)
        info.verticalScrollWidth = info.horizontalScrollHeight = extent;
    int menuHeight = frame->menuBar()->sizeHint().height();
    if (menuHeight > 0)
        info.menuBarHeight = menuHeight;
    return info;
}

DisplayInfo QtPlatform::display() const { return d->display; }

std::unique_ptr<Font> QtPlatform::createFont(const FontRequest& request)
{
    // Fonts are made on the GUI thread, which owns the font database.
    return d->invoker.run([&] { return makeFont(request); });
}

} // namespace platform
