#include "platform/qt/QtPlatform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStringDecoder>
#include <QStyle>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <type_traits>

namespace platform {

namespace {

// Outer size of a child window when it is created.
constexpr QSize InitialChildSize{400, 300};

// Program texts are UTF-8 where they are valid UTF-8, else single-byte Latin-1.
QString toQString(std::string_view text)
{
    QByteArrayView bytes(text.data(), qsizetype(text.size()));
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString s = decoder(bytes);
    if (decoder.hasError())
        return QString::fromLatin1(bytes);
    return s;
}

// A palette entry 0x00BBGGRR as Qt's 0xAARRGGBB.
QRgb toRgb(std::uint32_t colour)
{
    return qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

// The character a single-byte code stands for: Windows-1252, whose 0x80-0x9F range differs
// from Latin-1. Unassigned codes give 0.
constexpr char16_t HighCharacters[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                         0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t characterOf(unsigned char ch)
{
    if (ch >= 0x80 && ch < 0xA0)
        return HighCharacters[ch - 0x80];
    return ch;
}

// Single-byte program text (the characters of the window's grid) as a string, and back;
// characters without a single-byte code become '?'.
QString fromSingleByte(std::string_view text)
{
    QString out;
    out.reserve(qsizetype(text.size()));
    for (unsigned char ch : text) {
        char32_t c = characterOf(ch);
        out.append(c ? QChar(char16_t(c)) : QChar(u'?'));
    }
    return out;
}

std::string toSingleByte(const QString& text)
{
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (QChar qc : text) {
        char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            out.push_back(char(c));
            continue;
        }
        char code = '?';
        for (int i = 0; i < 32; ++i)
            if (HighCharacters[i] == c && c != 0)
                code = char(0x80 + i);
        out.push_back(code);
    }
    return out;
}

// An indexed picture as a Qt image whose colour table holds the palette exactly.
QImage toImage(const IndexedPicture& picture)
{
    if (picture.width <= 0 || picture.height <= 0
        || picture.pixels.size() < std::size_t(picture.width) * std::size_t(picture.height))
        return {};
    QImage image(picture.width, picture.height, QImage::Format_Indexed8);
    if (image.isNull())
        return {};
    QList<QRgb> table(256, qRgb(0, 0, 0));
    for (std::size_t i = 0; i < std::min<std::size_t>(256, picture.palette.size()); ++i)
        table[qsizetype(i)] = toRgb(picture.palette[i]);
    image.setColorTable(table);
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.pixels.data() + std::size_t(y) * std::size_t(picture.width), picture.width,
                    image.scanLine(y));
    return image;
}

std::optional<KeyPress> translateKey(const QKeyEvent& event)
{
    KeyPress press;
    Qt::KeyboardModifiers mods = event.modifiers();
    press.ctrl = mods.testFlag(Qt::ControlModifier);
    press.shift = mods.testFlag(Qt::ShiftModifier);
    press.alt = mods.testFlag(Qt::AltModifier);
    int key = event.key();
    switch (key) {
    case Qt::Key_Escape: press.key = Key::Escape; return press;
    case Qt::Key_Return:
    case Qt::Key_Enter: press.key = Key::Enter; return press;
    case Qt::Key_Left: press.key = Key::Left; return press;
    case Qt::Key_Right: press.key = Key::Right; return press;
    case Qt::Key_Up: press.key = Key::Up; return press;
    case Qt::Key_Down: press.key = Key::Down; return press;
    case Qt::Key_PageUp: press.key = Key::PageUp; return press;
    case Qt::Key_PageDown: press.key = Key::PageDown; return press;
    case Qt::Key_Home: press.key = Key::Home; return press;
    case Qt::Key_End: press.key = Key::End; return press;
    case Qt::Key_Insert: press.key = Key::Insert; return press;
    case Qt::Key_F1: press.key = Key::F1; return press;
    case Qt::Key_Backspace: press.character = U'\b'; return press;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: press.character = U'\t'; return press;
    default: break;
    }
    // With Ctrl or Alt the text is a control code or empty: report the letter itself, in
    // lower case unless Shift is held.
    if (key >= Qt::Key_A && key <= Qt::Key_Z && (press.ctrl || press.alt)) {
        press.character = char32_t((press.shift ? 'A' : 'a') + (key - Qt::Key_A));
        return press;
    }
    QString text = event.text();
    if (!text.isEmpty()) {
        char32_t c = text.toUcs4().value(0);
        if (c >= 0x20 && c != 0x7F) {
            press.character = c;
            return press;
        }
    }
    if (key >= 0x20 && key < 0x7F) {
        press.character = char32_t(key);
        return press;
    }
    return std::nullopt; // modifiers alone and keys the window runtime has no name for
}

// What a paint shows, copied out of the picture while the window runtime holds its lock, so
// that converting and drawing happen after the lock is released.
struct PaintCopy {
    QImage image; // indexed, with the palette as its colour table
    QPoint at;    // where the image's top left corner goes (unscaled view)
    QSize pictureSize;
    std::optional<QRect> caret; // in client pixels of the unscaled view, else picture pixels
    std::vector<QRect> marked;  // the same
};

bool capture(const PictureView& view, ViewMode mode, QSize client, PaintCopy& out)
{
    if (view.width <= 0 || view.height <= 0 || view.pixels.size() < std::size_t(view.width) * std::size_t(view.height))
        return false;
    QImage whole(view.pixels.data(), view.width, view.height, view.width, QImage::Format_Indexed8);
    QRect source = whole.rect();
    QPoint scroll(view.scrollX, view.scrollY);
    if (mode == ViewMode::Normal)
        source = QRect(scroll, client) & whole.rect();
    out.pictureSize = whole.size();
    out.at = mode == ViewMode::Normal ? source.topLeft() - scroll : QPoint();
    if (!source.isEmpty()) {
        out.image = whole.copy(source);
        QList<QRgb> table(256, qRgb(0, 0, 0));
        std::size_t entries = std::min<std::size_t>(256, view.palette.size());
        for (std::size_t i = 0; i < entries; ++i)
            table[qsizetype(i)] = toRgb(view.palette[i]);
        out.image.setColorTable(table);
    }
    if (view.caret) {
        QRect caret(view.caret->x, view.caret->y, view.caret->width, view.caret->height);
        out.caret = mode == ViewMode::Normal ? caret.translated(-scroll) : caret;
    }
    for (const Rect& r : view.marked) {
        QRect area = QRect(r.x, r.y, r.width, r.height) & whole.rect();
        if (!area.isEmpty())
            out.marked.push_back(mode == ViewMode::Normal ? area.translated(-scroll) : area);
    }
    return true;
}

// Draws a captured picture: unscaled at its offset, or stretched over the whole client area.
void render(QPainter& painter, const PaintCopy& copy, ViewMode mode, QSize client, const QRegion& exposed,
            const QColor& background)
{
    QRect target;
    if (mode == ViewMode::Normal)
        target = QRect(copy.at, copy.image.size());
    else
        target = QRect(QPoint(), client);
    QRegion uncovered = exposed - (copy.image.isNull() ? QRect() : target);
    for (const QRect& r : uncovered)
        painter.fillRect(r, background);
    if (!copy.image.isNull())
        painter.drawImage(target, copy.image); // nearest-neighbour: no smooth transform hint
    // A picture rectangle in client pixels: as it is unscaled, else stretched with the picture.
    auto toClient = [&](QRect r) {
        if (mode == ViewMode::Normal || copy.pictureSize.width() <= 0 || copy.pictureSize.height() <= 0)
            return r;
        double sx = double(client.width()) / copy.pictureSize.width();
        double sy = double(client.height()) / copy.pictureSize.height();
        QPoint from(int(r.left() * sx), int(r.top() * sy));
        QPoint to(int((r.right() + 1) * sx), int((r.bottom() + 1) * sy));
        return QRect(from, QSize(std::max(1, to.x() - from.x()), std::max(1, to.y() - from.y())));
    };
    if (!copy.marked.empty()) {
        // Inverted: white xor each pixel; the picture itself is not touched.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        for (const QRect& r : copy.marked)
            painter.fillRect(toClient(r), Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (copy.caret) {
        QRect bar = *copy.caret;
        bar.setWidth(std::min(2, std::max(1, bar.width())));
        if (mode != ViewMode::Normal && copy.pictureSize.width() > 0 && copy.pictureSize.height() > 0) {
            double sx = double(client.width()) / copy.pictureSize.width();
            double sy = double(client.height()) / copy.pictureSize.height();
            bar = QRect(int(bar.x() * sx), int(bar.y() * sy), std::max(1, int(bar.width() * sx)),
                        std::max(1, int(bar.height() * sy)));
        }
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(bar, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

// Carries calls from other threads over to the GUI thread and waits for their results. Unlike
// a blocking queued connection, a waiting call can be released when the GUI thread stops
// serving (the message loop has ended), so that a program thread still calling in returns.
class GuiInvoker {
public:
    explicit GuiInvoker(QObject* context) : m_context(context), m_thread(context->thread()) {}

    bool onGuiThread() const { return QThread::currentThread() == m_thread; }

    // Runs work on the GUI thread and returns its result; once the GUI thread has stopped
    // serving, a call from another thread does nothing and returns a value-initialised result.
    template <class F> auto run(F&& work) -> decltype(work())
    {
        using R = decltype(work());
        if constexpr (std::is_void_v<R>) {
            if (onGuiThread())
                work();
            else
                wait([&] { work(); });
        } else {
            return runOr(R{}, std::forward<F>(work));
        }
    }

    // As run, with the result to give when the GUI thread no longer serves.
    template <class R, class F> R runOr(R fallback, F&& work)
    {
        if (onGuiThread())
            return work();
        R result = std::move(fallback);
        wait([&] { result = work(); });
        return result;
    }

    // Posts work to the GUI thread without waiting; false after stop.
    template <class F> bool post(F&& work)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopped)
                return false;
        }
        return QMetaObject::invokeMethod(m_context, std::forward<F>(work), Qt::QueuedConnection);
    }

    void stop()
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        for (const auto& call : m_pending) {
            std::lock_guard callLock(call->mutex);
            if (call->state == Call::Waiting) {
                call->state = Call::Abandoned;
                call->done.notify_all();
            }
        }
        m_pending.clear();
    }

    bool stopped() const
    {
        std::lock_guard lock(m_mutex);
        return m_stopped;
    }

private:
    struct Call {
        enum State {
            Waiting,
            Running,
            Finished,
            Abandoned
        };
        std::mutex mutex;
        std::condition_variable done;
        State state = Waiting;
    };

    // Runs work on the GUI thread; work refers to the caller's frame, so it runs only while
    // the caller still waits (never once the call has been abandoned).
    void wait(const std::function<void()>& work)
    {
        auto call = std::make_shared<Call>();
        {
            std::lock_guard lock(m_mutex);
            if (m_stopped)
                return;
            m_pending.insert(call);
        }
        const std::function<void()>* job = &work;
        bool posted = QMetaObject::invokeMethod(
            m_context,
            [this, call, job] {
                {
                    std::lock_guard lock(call->mutex);
                    if (call->state != Call::Waiting)
                        return;
                    call->state = Call::Running;
                }
                (*job)();
                {
                    std::lock_guard lock(call->mutex);
                    call->state = Call::Finished;
                }
                call->done.notify_all();
            },
            Qt::QueuedConnection);
        if (posted) {
            std::unique_lock lock(call->mutex);
            call->done.wait(lock, [&] { return call->state == Call::Finished || call->state == Call::Abandoned; });
        }
        std::lock_guard lock(m_mutex);
        m_pending.erase(call);
    }

    QObject* m_context;
    QThread* m_thread;
    mutable std::mutex m_mutex;
    bool m_stopped = false;
    std::set<std::shared_ptr<Call>> m_pending;
};

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

class PictureWidget;
class ChildView;

// Keeps a widget hidden that its owner would show.
class StayHidden final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Sent whenever the widget is made visible, shown on screen or not yet.
        if (event->type() == QEvent::ShowToParent)
            if (auto* widget = qobject_cast<QWidget*>(watched))
                QTimer::singleShot(0, widget, [widget] { widget->hide(); });
        return false;
    }
};

// A child window's sub-window: the user cannot close it (it has no close button, and its
// system menu no Close item); only destroyWindow removes it.
class ChildSubWindow final : public QMdiSubWindow {
public:
    static constexpr Qt::WindowFlags Flags{Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                           | Qt::WindowMinMaxButtonsHint};

    // The title bar's styles draw a close button wherever the system-menu hint is set, and a
    // sub-window adds that hint to any flags it is given: it is taken out again afterwards.
    void dropCloseButton() { setWindowFlag(Qt::WindowSystemMenuHint, false); }

    ChildSubWindow()
    {
        setWindowFlags(Flags);
        dropCloseButton();
        setAttribute(Qt::WA_DeleteOnClose, false);
        if (QMenu* menu = systemMenu()) {
            QList<QAction*> actions = menu->actions();
            for (QAction* action : actions)
                if (action->shortcuts().contains(QKeySequence(QKeySequence::Close))
                    || action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_F4))
                    menu->removeAction(action);
            actions = menu->actions();
            if (!actions.isEmpty() && actions.back()->isSeparator())
                menu->removeAction(actions.back());
        }
    }
    bool m_mayClose = false;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (m_mayClose)
            event->accept();
        else
            event->ignore();
    }
};

} // namespace

// --- The shared state -------------------------------------------------------------------------

struct QtPlatform::Impl {
    struct Child {
        std::uint64_t id = 0;
        ChildSubWindow* sub = nullptr;
        ChildView* view = nullptr;
        ViewMode mode = ViewMode::Normal;
        int range[2] = {0, 0};
        bool activateOnShow = false;
        bool focusOnShow = false;
        bool resizePending = false;
    };

    Impl();
    ~Impl();

    Child* find(WindowId window);
    const Child* find(WindowId window) const;
    Child* findByView(const ChildView* view);
    void paint(std::uint64_t id, QPainter& painter, ViewMode mode, QSize client, const QRegion& exposed,
               const QColor& background);
    void key(std::uint64_t id, const QKeyEvent& event);
    void mouse(std::uint64_t id, MouseAction action, QPoint at);
    PrintDialogResult printDialog();
    bool showAbortBox(std::function<void()> onCancel);
    void closeAbortBox();
    void scrolled(std::uint64_t id, ScrollAxis axis, QScrollBar* bar, int action);
    void resized(std::uint64_t id);
    void command(int id);
    void helpOnMenuItem(int id);
    void frameClosing();
    void buildMenuBar(const MenuBar& bar);
    void fillWindowList();
    void flushInvalid();
    MessageAnswer messageBox(const MessageBoxRequest& request);
    void openHelp(const std::string& file, std::optional<int> topic);
    void setFullScreen(WindowId window);
    DisplayInfo measureDisplay();

    std::unique_ptr<QObject> context;
    GuiInvoker invoker;
    QMainWindow* frame = nullptr;
    QMdiArea* mdi = nullptr;
    QLabel* panes[2] = {nullptr, nullptr};
    std::map<std::uint64_t, Child> children;
    std::uint64_t nextId = 1;
    FrameEvents* events = nullptr;
    QWidget* menuHolder = nullptr;
    QPointer<QMenu> windowMenu;
    QPointer<QWidget> fullScreen;
    std::uint64_t fullScreenId = 0;
    QPointer<QTextBrowser> help;
    QObject* menuHelpFilter = nullptr;
    DisplayInfo display;
    std::function<void(bool)> closeHook;
    bool closed = false;
    // The printer and its settings, kept from one print dialog to the next.
    std::unique_ptr<QPrinter> printer;
    std::function<bool(QPrinter&)> printDialogHook;
    QPointer<QDialog> abortBox;
    std::function<void()> abortCancel;

    // Repaint requests from any thread, merged per window until the GUI thread takes them.
    std::mutex dirtyMutex;
    std::map<std::uint64_t, QRect> dirty;
    bool flushPosted = false;
};

namespace {

// The painting area of a child window or the full-screen view.
class PictureWidget : public QWidget {
public:
    PictureWidget(QtPlatform::Impl& impl, std::uint64_t id, QWidget* parent, Qt::WindowFlags flags = {})
        : QWidget(parent, flags), m_impl(impl), m_id(id)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::StrongFocus);
    }
    QtPlatform::Impl& m_impl;
    std::uint64_t m_id;
    ViewMode m_mode = ViewMode::Normal;
    QColor m_background = QColor(192, 192, 192);
    bool m_reportsResize = true;
    bool m_reportsMouse = true;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        m_impl.paint(m_id, painter, m_mode, size(), event->region(), m_background);
    }
    void keyPressEvent(QKeyEvent* event) override { m_impl.key(m_id, *event); }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (m_reportsMouse && event->button() == Qt::LeftButton)
            m_impl.mouse(m_id, MouseAction::Press, event->position().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (m_reportsMouse && event->buttons().testFlag(Qt::LeftButton))
            m_impl.mouse(m_id, MouseAction::Move, event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (m_reportsMouse && event->button() == Qt::LeftButton)
            m_impl.mouse(m_id, MouseAction::Release, event->position().toPoint());
    }
    void resizeEvent(QResizeEvent*) override
    {
        if (m_reportsResize)
            m_impl.resized(m_id);
    }
    // Tab is a character for the window, not a focus move.
    bool focusNextPrevChild(bool) override { return false; }
};

class FullScreenView final : public PictureWidget {
public:
    FullScreenView(QtPlatform::Impl& impl, std::uint64_t id, QWidget* owner)
        : PictureWidget(impl, id, owner, Qt::Window | Qt::FramelessWindowHint)
    {
        m_mode = ViewMode::SizeToFit;
        m_background = Qt::black;
        m_reportsResize = false;
        m_reportsMouse = false;
        setAttribute(Qt::WA_DeleteOnClose);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::black);
        setPalette(pal);
        setAutoFillBackground(true);
        setWindowTitle(QStringLiteral("Full Screen"));
    }
};

// A child window's contents: the painting area and the window's own scroll bars.
class ChildView final : public QWidget {
public:
    ChildView(QtPlatform::Impl& impl, std::uint64_t id)
        : m_picture(new PictureWidget(impl, id, this)), m_bars{new QScrollBar(Qt::Horizontal, this),
                                                               new QScrollBar(Qt::Vertical, this)},
          m_corner(new QWidget(this))
    {
        for (int axis = 0; axis < 2; ++axis) {
            QScrollBar* bar = m_bars[axis];
            bar->setFocusPolicy(Qt::NoFocus);
            bar->hide();
            QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [&impl, id, axis, bar](int action) {
                impl.scrolled(id, axis == 0 ? ScrollAxis::Horizontal : ScrollAxis::Vertical, bar, action);
            });
        }
        m_corner->setAutoFillBackground(true);
        m_corner->hide();
        setFocusProxy(m_picture);
    }

    int barExtent() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this); }

    // Which bars show for the given ranges and mode.
    static bool shows(const QtPlatform::Impl::Child& child, int axis)
    {
        return child.mode == ViewMode::Normal && child.range[axis] > 0;
    }

    void relayout(const QtPlatform::Impl::Child& child)
    {
        bool h = shows(child, 0);
        bool v = shows(child, 1);
        int extent = barExtent();
        int w = std::max(0, width() - (v ? extent : 0));
        int ht = std::max(0, height() - (h ? extent : 0));
        m_picture->m_mode = child.mode;
        m_picture->setGeometry(0, 0, w, ht);
        m_bars[0]->setGeometry(0, ht, w, extent);
        m_bars[1]->setGeometry(w, 0, extent, ht);
        m_corner->setGeometry(w, ht, extent, extent);
        m_bars[0]->setPageStep(std::max(1, w));
        m_bars[1]->setPageStep(std::max(1, ht));
        m_bars[0]->setVisible(h);
        m_bars[1]->setVisible(v);
        m_corner->setVisible(h && v);
        m_picture->update();
    }

    PictureWidget* m_picture;
    QScrollBar* m_bars[2];
    QWidget* m_corner;
    QtPlatform::Impl* m_impl = nullptr;
    std::uint64_t m_id = 0;

protected:
    void resizeEvent(QResizeEvent*) override
    {
        if (m_impl)
            if (QtPlatform::Impl::Child* child = m_impl->findByView(this))
                relayout(*child);
    }
};

class MainFrame final : public QMainWindow {
public:
    explicit MainFrame(QtPlatform::Impl& impl) : m_impl(impl) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        m_impl.frameClosing();
        event->accept();
        // Closing the frame ends the message loop, whatever other top-level windows (a dialog
        // of the program thread, the help window) are still open.
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }

private:
    QtPlatform::Impl& m_impl;
};

// F1 on a highlighted menu item asks for help on that item instead of the key going nowhere.
class MenuHelpFilter final : public QObject {
public:
    explicit MenuHelpFilter(QtPlatform::Impl& impl) : m_impl(impl) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        auto* menu = qobject_cast<QMenu*>(watched);
        QAction* action = menu ? menu->activeAction() : nullptr;
        if (!action || !action->data().isValid())
            return false;
        int id = action->data().toInt();
        // Close the open menus first, as choosing an item would.
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        m_impl.helpOnMenuItem(id);
        return true;
    }

private:
    QtPlatform::Impl& m_impl;
};

} // namespace

QtPlatform::Impl::Impl() : context(std::make_unique<QObject>()), invoker(context.get())
{
    auto* window = new MainFrame(*this);
    frame = window;
    mdi = new QMdiArea(frame);
    mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    frame->setCentralWidget(mdi);
    QStatusBar* status = frame->statusBar();
    int charWidth = status->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int pane = 0; pane < 2; ++pane) {
        panes[pane] = new QLabel(status);
        panes[pane]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panes[pane]->setTextFormat(Qt::PlainText);
    }
    panes[0]->setFixedWidth(charWidth * 10);
    status->addWidget(panes[0]);
    status->addWidget(panes[1], 1);
    menuHelpFilter = new MenuHelpFilter(*this);
    display = measureDisplay();
}

QtPlatform::Impl::~Impl()
{
    invoker.stop();
    events = nullptr;
    closed = true;
    abortCancel = nullptr;
    delete abortBox.data();
    delete fullScreen.data();
    delete frame;
    delete menuHolder;
    delete menuHelpFilter;
}

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

QtPlatform::Impl::Child* QtPlatform::Impl::find(WindowId window)
{
    auto it = children.find(window.value);
    return it == children.end() ? nullptr : &it->second;
}

const QtPlatform::Impl::Child* QtPlatform::Impl::find(WindowId window) const
{
    auto it = children.find(window.value);
    return it == children.end() ? nullptr : &it->second;
}

QtPlatform::Impl::Child* QtPlatform::Impl::findByView(const ChildView* view)
{
    Child* child = find(WindowId{view->m_id});
    return child && child->view == view ? child : nullptr;
}

void QtPlatform::Impl::paint(std::uint64_t id, QPainter& painter, ViewMode mode, QSize client, const QRegion& exposed,
                             const QColor& background)
{
    PaintCopy copy;
    bool captured = false;
    if (events && !closed)
        events->paint(WindowId{id}, [&](const PictureView& view) { captured = capture(view, mode, client, copy); });
    if (!captured) {
        for (const QRect& r : exposed)
            painter.fillRect(r, background);
        return;
    }
    render(painter, copy, mode, client, exposed, background);
}

void QtPlatform::Impl::key(std::uint64_t id, const QKeyEvent& event)
{
    std::optional<KeyPress> press = translateKey(event);
    if (press && events)
        events->key(WindowId{id}, *press);
}

void QtPlatform::Impl::mouse(std::uint64_t id, MouseAction action, QPoint at)
{
    if (events && !closed)
        events->mouse(WindowId{id}, MouseEvent{action, at.x(), at.y()});
}

void QtPlatform::Impl::scrolled(std::uint64_t id, ScrollAxis axis, QScrollBar* bar, int action)
{
    WindowScroll request;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: request = WindowScroll::LineForward; break;
    case QAbstractSlider::SliderSingleStepSub: request = WindowScroll::LineBack; break;
    case QAbstractSlider::SliderPageStepAdd: request = WindowScroll::PageForward; break;
    case QAbstractSlider::SliderPageStepSub: request = WindowScroll::PageBack; break;
    case QAbstractSlider::SliderToMinimum: request = WindowScroll::ToStart; break;
    case QAbstractSlider::SliderToMaximum: request = WindowScroll::ToEnd; break;
    case QAbstractSlider::SliderMove: request = WindowScroll::ToPosition; break;
    default: return;
    }
    int proposed = bar->sliderPosition();
    // The bar shows only what the window runtime sets: undo the bar's own step, then report.
    bar->setSliderPosition(bar->value());
    if (events)
        events->scroll(WindowId{id}, axis, request, request == WindowScroll::ToPosition ? proposed : bar->value());
}

void QtPlatform::Impl::resized(std::uint64_t id)
{
    Child* child = find(WindowId{id});
    if (!child || child->resizePending)
        return;
    // Reported from the event loop, not from inside the layout change that caused it, so that
    // the window runtime's handler never runs inside one of its own calls.
    child->resizePending = true;
    QTimer::singleShot(0, context.get(), [this, id] {
        Child* c = find(WindowId{id});
        if (!c)
            return;
        c->resizePending = false;
        if (events && !closed)
            events->resized(WindowId{id});
    });
}

void QtPlatform::Impl::command(int id)
{
    if (events && !closed)
        events->command(id);
}

void QtPlatform::Impl::helpOnMenuItem(int id)
{
    if (events && !closed)
        events->helpOnMenuItem(id);
}

void QtPlatform::Impl::frameClosing()
{
    if (closed)
        return;
    if (closeHook)
        closeHook(frame->isMaximized());
    if (events)
        events->frameClosing();
    closed = true;
    if (fullScreen)
        fullScreen->close();
    if (help)
        help->close();
    // Does nothing when no event loop runs (tests); ends QApplication::exec otherwise.
    QCoreApplication::quit();
}

void QtPlatform::Impl::buildMenuBar(const MenuBar& bar)
{
    QMenuBar* menuBar = frame->menuBar();
    menuBar->clear();
    // The old menus may be the ones whose command is running now: delete them later.
    if (menuHolder)
        menuHolder->deleteLater();
    menuHolder = new QWidget;
    windowMenu = nullptr;
    for (const Menu& menu : bar) {
        if (menu.items.empty() && menu.id != 0) {
            auto* action = new QAction(toQString(menu.text), menuHolder);
            action->setData(menu.id);
            int id = menu.id;
            QObject::connect(action, &QAction::triggered, context.get(), [this, id] { command(id); });
            menuBar->addAction(action);
            continue;
        }
        auto* qmenu = new QMenu(toQString(menu.text), menuHolder);
        qmenu->installEventFilter(menuHelpFilter);
        for (const MenuItem& item : menu.items) {
            if (item.separator) {
                qmenu->addSeparator();
                continue;
            }
            // Text after a tab shows as the item's shortcut text; it is not a Qt shortcut:
            // the window runtime handles the keys it names.
            QAction* action = qmenu->addAction(toQString(item.text));
            action->setData(item.id);
            action->setEnabled(!item.grayed);
            if (item.checked) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            int id = item.id;
            bool checked = item.checked;
            QObject::connect(action, &QAction::triggered, context.get(), [this, action, id, checked] {
                if (checked)
                    action->setChecked(true); // the window runtime owns the check mark
                command(id);
            });
            if (item.windowList)
                windowMenu = qmenu;
        }
        menuBar->addMenu(qmenu);
    }
    if (windowMenu)
        QObject::connect(windowMenu, &QMenu::aboutToShow, context.get(), [this] { fillWindowList(); });
}

// Appends the visible child windows to the Window menu, the current one checked.
void QtPlatform::Impl::fillWindowList()
{
    if (!windowMenu)
        return;
    for (QAction* action : windowMenu->actions())
        if (action->property("windowList").toBool()) {
            windowMenu->removeAction(action);
            action->deleteLater();
        }
    QList<QMdiSubWindow*> subs = mdi->subWindowList(QMdiArea::CreationOrder);
    QMdiSubWindow* current = mdi->currentSubWindow();
    int number = 0;
    for (QMdiSubWindow* sub : subs) {
        if (!sub->isVisible())
            continue;
        if (number == 0) {
            QAction* separator = windowMenu->addSeparator();
            separator->setProperty("windowList", true);
        }
        ++number;
        QString text = number <= 9 ? QStringLiteral("&%1 %2").arg(number).arg(sub->windowTitle()) : sub->windowTitle();
        QAction* action = windowMenu->addAction(text);
        action->setProperty("windowList", true);
        action->setCheckable(true);
        action->setChecked(sub == current);
        QPointer<QMdiSubWindow> target(sub);
        QObject::connect(action, &QAction::triggered, context.get(), [this, target] {
            if (target) {
                // A minimised window chosen from the list comes back as it was.
                if (target->isMinimized())
                    target->showNormal();
                mdi->setActiveSubWindow(target);
                target->widget()->setFocus();
            }
        });
    }
}

void QtPlatform::Impl::flushInvalid()
{
    std::map<std::uint64_t, QRect> areas;
    {
        std::lock_guard lock(dirtyMutex);
        areas.swap(dirty);
        flushPosted = false;
    }
    for (const auto& [id, area] : areas) {
        if (fullScreen && fullScreenId == id)
            fullScreen->update();
        Child* child = find(WindowId{id});
        if (!child || area.isEmpty())
            continue;
        PictureWidget* picture = child->view->m_picture;
        if (child->mode == ViewMode::Normal)
            picture->update(area);
        else
            picture->update();
    }
}

MessageAnswer QtPlatform::Impl::messageBox(const MessageBoxRequest& request)
{
    QMessageBox box(frame);
    box.setWindowTitle(toQString(request.caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(toQString(request.text));
    switch (request.icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    std::vector<std::pair<MessageAnswer, QMessageBox::StandardButton>> buttons;
    switch (request.buttons) {
    case MessageButtons::Ok: buttons = {{MessageAnswer::Ok, QMessageBox::Ok}}; break;
    case MessageButtons::OkCancel:
        buttons = {{MessageAnswer::Ok, QMessageBox::Ok}, {MessageAnswer::Cancel, QMessageBox::Cancel}};
        break;
    case MessageButtons::YesNo:
        buttons = {{MessageAnswer::Yes, QMessageBox::Yes}, {MessageAnswer::No, QMessageBox::No}};
        break;
    case MessageButtons::YesNoCancel:
        buttons = {{MessageAnswer::Yes, QMessageBox::Yes},
                   {MessageAnswer::No, QMessageBox::No},
                   {MessageAnswer::Cancel, QMessageBox::Cancel}};
        break;
    }
    QPushButton* defaultButton = nullptr;
    for (const auto& [answer, standard] : buttons) {
        QPushButton* button = box.addButton(standard);
        if (!defaultButton || (request.defaultAnswer && *request.defaultAnswer == answer))
            defaultButton = button;
        if (answer == MessageAnswer::Cancel || request.buttons == MessageButtons::Ok)
            box.setEscapeButton(button);
    }
    box.setDefaultButton(defaultButton);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    QMessageBox::StandardButton chosen = box.standardButton(box.clickedButton());
    for (const auto& [answer, standard] : buttons)
        if (standard == chosen)
            return answer;
    // Closed without a button (a yes/no box has no escape button): the most cautious answer.
    return buttons.size() > 1 ? buttons[1].first : buttons[0].first;
}

void QtPlatform::Impl::openHelp(const std::string& file, std::optional<int> topic)
{
    QFileInfo info(toQString(file));
    if (file.empty() || !info.isFile() || !info.isReadable()) {
        messageBox({frame->windowTitle().toStdString(), "The help file \"" + file + "\" was not found.",
                    MessageIcon::Warning, MessageButtons::Ok, std::nullopt});
        return;
    }
    if (!help) {
        help = new QTextBrowser(frame);
        help->setWindowFlag(Qt::Window);
        help->setAttribute(Qt::WA_DeleteOnClose);
        help->resize(640, 480);
    }
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    if (topic)
        url.setFragment(QStringLiteral("topic%1").arg(*topic));
    help->setSource(url);
    help->setWindowTitle(frame->windowTitle() + QStringLiteral(" Help"));
    help->show();
    help->raise();
    help->activateWindow();
}

void QtPlatform::Impl::setFullScreen(WindowId window)
{
    if (!window.isValid()) {
        if (fullScreen)
            fullScreen->close();
        fullScreen = nullptr;
        fullScreenId = 0;
        return;
    }
    if (!find(window))
        return;
    if (!fullScreen) {
        fullScreen = new FullScreenView(*this, window.value, frame);
        if (QScreen* screen = frame->screen())
            fullScreen->setGeometry(screen->geometry());
    }
    fullScreenId = window.value;
    static_cast<PictureWidget*>(fullScreen.data())->m_id = window.value;
    fullScreen->showFullScreen();
    fullScreen->raise();
    fullScreen->activateWindow();
    fullScreen->setFocus(Qt::OtherFocusReason);
    fullScreen->update();
}

// --- Printing ---------------------------------------------------------------------------------

namespace {

// A job on the kept printer: the document is a painter on it, one page drawn with the picture.
// Used on the GUI thread (the frame's commands run there).
class QtPrintJob final : public PrintJob {
public:
    explicit QtPrintJob(QPrinter& printer) : m_printer(printer) {}
    ~QtPrintJob() override
    {
        if (m_painter.isActive())
            abortDocument();
    }

    PrinterFacts facts() const override
    {
        return {m_printer.width(), m_printer.height(), m_printer.logicalDpiX(), m_printer.logicalDpiY()};
    }
    bool startDocument(std::string_view name, int copies) override
    {
        m_printer.setDocName(toQString(name));
        m_printer.setCopyCount(copies);
        return m_painter.begin(&m_printer);
    }
    bool startPage() override
    {
        // The document opens on its first page; later pages are asked for.
        if (!m_painter.isActive())
            return false;
        return m_pages++ == 0 || m_printer.newPage();
    }
    bool drawPicture(const IndexedPicture& picture, Rect target) override
    {
        QImage image = toImage(picture);
        if (image.isNull() || !m_painter.isActive() || target.width <= 0 || target.height <= 0)
            return false;
        // A plain copy of the picture: no smoothing, and stored losslessly (the PDF writer would
        // otherwise compress it as JPEG and blur the balls' edges).
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        m_painter.setRenderHint(QPainter::LosslessImageRendering, true);
        m_painter.drawImage(QRect(target.x, target.y, target.width, target.height), image);
        return m_painter.isActive();
    }
    bool endPage() override { return m_painter.isActive(); }
    bool endDocument() override { return m_painter.end(); }
    void abortDocument() override
    {
        if (!m_painter.isActive())
            return;
        const bool toFile = m_printer.outputFormat() == QPrinter::PdfFormat;
        const QString file = m_printer.outputFileName();
        m_printer.abort();
        m_painter.end();
        // A file printer cannot take a document back: remove what was written of it.
        if (toFile && !file.isEmpty())
            QFile::remove(file);
    }
    void serviceMessages() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }

private:
    QPrinter& m_printer;
    QPainter m_painter;
    int m_pages = 0;
};

// The modeless box of a running print job; Cancel (or closing it) cancels the job.
class AbortBox final : public QDialog {
public:
    AbortBox(QWidget* owner, std::function<void()> cancel) : QDialog(owner), m_cancel(std::move(cancel))
    {
        setWindowTitle(QStringLiteral("Printing "));
        setModal(false);
        // 100 x 60 dialog units, its controls at their places in dialog units (base units 6 x 13).
        auto px = [](int x) { return (x * 6 + 2) / 4; };
        auto py = [](int y) { return (y * 13 + 4) / 8; };
        setFixedSize(px(100), py(60));
        auto* text = new QLabel(QStringLiteral("Printing In Progress..."), this);
        text->setObjectName(QStringLiteral("text"));
        text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        text->setGeometry(px(0), py(15), px(100), py(20));
        auto* button = new QPushButton(QStringLiteral("Cancel"), this);
        button->setObjectName(QStringLiteral("cancel"));
        button->setGeometry(px(30), py(40), px(40), py(14));
        connect(button, &QPushButton::clicked, this, [this] { reject(); });
        if (QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
            // ((screen - box) / 5) in dialog units.
            const QSize size = screen->size();
            const int duWidth = size.width() * 4 / 6, duHeight = size.height() * 8 / 13;
            move(px((duWidth - 100) / 5), py((duHeight - 60) / 5));
        }
    }

    void reject() override
    {
        // The handler closes the box; it runs once.
        if (auto cancel = std::exchange(m_cancel, nullptr))
            cancel();
    }

private:
    std::function<void()> m_cancel;
};

} // namespace

PrintDialogResult QtPlatform::Impl::printDialog()
{
    PrintDialogResult result;
    if (!printer)
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    bool accepted;
    if (printDialogHook) {
        accepted = printDialogHook(*printer);
    } else {
        QPrintDialog dialog(printer.get(), frame);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        // The whole picture prints on one page: the options panel offers no range of pages. The
        // dialog shows that group again as it opens, so it is hidden whenever it shows.
        StayHidden stayHidden;
        if (auto* range = dialog.findChild<QWidget*>(QStringLiteral("gbPrintRange"))) {
            range->installEventFilter(&stayHidden);
            range->hide();
        }
        dialog.setWindowModality(Qt::ApplicationModal);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted) {
        result.outcome = PrintDialogOutcome::Cancelled;
        return result;
    }
    // The dialog offers a file printer always: only a printer that is not even that fails.
    if (!printer->isValid()) {
        result.outcome = PrintDialogOutcome::NoPrinter;
        return result;
    }
    if (printer->outputFormat() == QPrinter::PdfFormat && printer->outputFileName().isEmpty()) {
        result.outcome = PrintDialogOutcome::Failed;
        return result;
    }
    result.outcome = PrintDialogOutcome::Accepted;
    result.job = std::make_unique<QtPrintJob>(*printer);
    return result;
}

bool QtPlatform::Impl::showAbortBox(std::function<void()> onCancel)
{
    closeAbortBox();
    abortCancel = std::move(onCancel);
    abortBox = new AbortBox(frame, [this] {
        if (auto cancel = abortCancel)
            cancel();
    });
    abortBox->setAttribute(Qt::WA_DeleteOnClose, false);
    abortBox->show();
    return true;
}

void QtPlatform::Impl::closeAbortBox()
{
    abortCancel = nullptr;
    if (abortBox) {
        abortBox->hide();
        // Later: Cancel's own click handler may be what closes it.
        abortBox->deleteLater();
        abortBox = nullptr;
    }
}

// --- QtPlatform -------------------------------------------------------------------------------

QtPlatform::QtPlatform() : d(std::make_unique<Impl>()) {}

QtPlatform::~QtPlatform() = default;

QMainWindow* QtPlatform::frameWindow() const { return d->frame; }
QMdiArea* QtPlatform::mdiArea() const { return d->mdi; }

QMdiSubWindow* QtPlatform::subWindow(WindowId window) const
{
    const Impl::Child* child = d->find(window);
    return child ? child->sub : nullptr;
}

QWidget* QtPlatform::pictureWidget(WindowId window) const
{
    const Impl::Child* child = d->find(window);
    return child ? child->view->m_picture : nullptr;
}

QScrollBar* QtPlatform::scrollBar(WindowId window, ScrollAxis axis) const
{
    const Impl::Child* child = d->find(window);
    return child ? child->view->m_bars[axis == ScrollAxis::Horizontal ? 0 : 1] : nullptr;
}

QLabel* QtPlatform::statusPane(int pane) const { return pane == 0 || pane == 1 ? d->panes[pane] : nullptr; }

QWidget* QtPlatform::fullScreenWidget() const { return d->fullScreen.data(); }
QTextBrowser* QtPlatform::helpWindow() const { return d->help.data(); }

void QtPlatform::setCloseHook(std::function<void(bool)> hook) { d->closeHook = std::move(hook); }

void QtPlatform::stopServing() { d->invoker.stop(); }

DisplayInfo QtPlatform::display() const { return d->display; }

std::unique_ptr<Font> QtPlatform::createFont(const FontRequest& request)
{
    // Fonts are made on the GUI thread, which owns the font database.
    return d->invoker.run([&] { return makeFont(request); });
}

bool QtPlatform::isMessageThread() const { return d->invoker.onGuiThread(); }

WindowId QtPlatform::createChildWindow(std::string_view title)
{
    return d->invoker.run([&]() -> WindowId {
        if (d->closed)
            return {};
        std::uint64_t id = d->nextId++;
        auto* view = new ChildView(*d, id);
        auto* sub = new ChildSubWindow;
        sub->setWidget(view);
        sub->setWindowTitle(toQString(title));
        sub->setWindowIcon(d->frame->windowIcon());
        sub->hide();
        // The area sets a sub-window's flags as it adds it: the child's own go in with it.
        d->mdi->addSubWindow(sub, ChildSubWindow::Flags);
        sub->dropCloseButton();
        sub->hide();
        sub->resize(InitialChildSize);
        Impl::Child& child = d->children[id];
        child.id = id;
        child.sub = sub;
        child.view = view;
        view->m_id = id;
        view->m_impl = d.get();
        return WindowId{id};
    });
}

void QtPlatform::destroyWindow(WindowId window)
{
    d->invoker.run([&] {
        auto it = d->children.find(window.value);
        if (it == d->children.end())
            return;
        ChildSubWindow* sub = it->second.sub;
        it->second.view->m_impl = nullptr;
        d->children.erase(it);
        if (d->fullScreenId == window.value)
            d->setFullScreen({});
        sub->m_mayClose = true;
        sub->hide();
        d->mdi->removeSubWindow(sub);
        // Later: the call may come from one of the window's own event handlers.
        sub->deleteLater();
    });
}

void QtPlatform::setWindowTitle(WindowId window, std::string_view title)
{
    d->invoker.run([&] {
        if (Impl::Child* child = d->find(window))
            child->sub->setWindowTitle(toQString(title));
    });
}

void QtPlatform::showWindow(WindowId window)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        child->sub->show();
        child->view->relayout(*child);
        if (child->activateOnShow)
            d->mdi->setActiveSubWindow(child->sub);
        if (child->focusOnShow)
            child->view->m_picture->setFocus(Qt::OtherFocusReason);
        child->activateOnShow = child->focusOnShow = false;
    });
}

void QtPlatform::activateWindow(WindowId window)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        if (child->sub->isHidden())
            child->activateOnShow = true; // a hidden sub-window cannot be active yet
        else
            d->mdi->setActiveSubWindow(child->sub);
    });
}

void QtPlatform::focusWindow(WindowId window)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        if (child->sub->isHidden())
            child->focusOnShow = true;
        else
            child->view->m_picture->setFocus(Qt::OtherFocusReason);
    });
}

WindowId QtPlatform::activeChild() const
{
    return d->invoker.run([&]() -> WindowId {
        // The current sub-window stays current while the frame itself is inactive.
        QMdiSubWindow* current = d->mdi->currentSubWindow();
        for (const auto& [id, child] : d->children)
            if (child.sub == current)
                return WindowId{id};
        return {};
    });
}

void QtPlatform::setWindowState(WindowId window, ShowState state)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        switch (state) {
        case ShowState::Minimised: child->sub->showMinimized(); break;
        case ShowState::Maximised: child->sub->showMaximized(); break;
        case ShowState::Normal: child->sub->showNormal(); break;
        }
    });
}

ShowState QtPlatform::windowState(WindowId window) const
{
    return d->invoker.run([&] {
        const Impl::Child* child = d->find(window);
        if (!child)
            return ShowState::Normal;
        if (child->sub->isMinimized())
            return ShowState::Minimised;
        if (child->sub->isMaximized())
            return ShowState::Maximised;
        return ShowState::Normal;
    });
}

void QtPlatform::moveWindow(WindowId window, Rect outer)
{
    d->invoker.run([&] {
        if (Impl::Child* child = d->find(window))
            child->sub->setGeometry(outer.x, outer.y, std::max(outer.width, 0), std::max(outer.height, 0));
    });
}

Rect QtPlatform::windowRect(WindowId window) const
{
    return d->invoker.run([&] {
        const Impl::Child* child = d->find(window);
        if (!child)
            return Rect{};
        QRect r = child->sub->geometry();
        return Rect{r.x(), r.y(), r.width(), r.height()};
    });
}

Size QtPlatform::clientSize(WindowId window) const
{
    return d->invoker.run([&] {
        const Impl::Child* child = d->find(window);
        if (!child || child->sub->isMinimized())
            return Size{};
        // From the sub-window's own geometry, which is up to date even while it is hidden
        // and its contents are not laid out yet.
        QSize inner = child->sub->contentsRect().size();
        int extent = child->view->barExtent();
        int width = inner.width() - (ChildView::shows(*child, 1) ? extent : 0);
        int height = inner.height() - (ChildView::shows(*child, 0) ? extent : 0);
        return Size{std::max(width, 0), std::max(height, 0)};
    });
}

void QtPlatform::setScrollRange(WindowId window, ScrollAxis axis, int maximum)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        int index = axis == ScrollAxis::Horizontal ? 0 : 1;
        child->range[index] = std::max(maximum, 0);
        child->view->m_bars[index]->setRange(0, child->range[index]);
        child->view->relayout(*child);
    });
}

void QtPlatform::setScrollPosition(WindowId window, ScrollAxis axis, int position)
{
    d->invoker.run([&] {
        if (Impl::Child* child = d->find(window)) {
            QScrollBar* bar = child->view->m_bars[axis == ScrollAxis::Horizontal ? 0 : 1];
            QSignalBlocker block(bar);
            bar->setValue(position);
        }
    });
}

void QtPlatform::invalidate(WindowId window, Rect area)
{
    // Never waits: the GUI thread may itself be waiting, in a paint, for the drawing lock that
    // the caller holds.
    QRect rect(area.x, area.y, std::max(area.width, 0), std::max(area.height, 0));
    bool post = false;
    {
        std::lock_guard lock(d->dirtyMutex);
        auto [it, inserted] = d->dirty.try_emplace(window.value, rect);
        if (!inserted)
            it->second = it->second.united(rect);
        if (!d->flushPosted) {
            d->flushPosted = true;
            post = true;
        }
    }
    if (post) {
        Impl* impl = d.get();
        if (!d->invoker.post([impl] { impl->flushInvalid(); })) {
            std::lock_guard lock(d->dirtyMutex);
            d->flushPosted = false;
        }
    }
}

void QtPlatform::refreshWindowMenu()
{
    // The Window menu lists the child windows afresh each time it opens.
}

bool QtPlatform::frameExists() const
{
    return d->invoker.run([&] { return !d->closed; });
}

ShowState QtPlatform::frameState() const
{
    return d->invoker.run([&] {
        if (d->frame->isMinimized())
            return ShowState::Minimised;
        if (d->frame->isMaximized())
            return ShowState::Maximised;
        return ShowState::Normal;
    });
}

void QtPlatform::setFrameState(ShowState state)
{
    d->invoker.run([&] {
        switch (state) {
        case ShowState::Minimised: d->frame->showMinimized(); break;
        case ShowState::Maximised: d->frame->showMaximized(); break;
        case ShowState::Normal: d->frame->showNormal(); break;
        }
    });
}

void QtPlatform::placeFrame(const FramePlacement& placement)
{
    d->invoker.run([&] {
        QMainWindow* frame = d->frame;
        QRect outer = frame->frameGeometry();
        QSize decoration = outer.size() - frame->geometry().size();
        frame->move(placement.x.value_or(outer.x()), placement.y.value_or(outer.y()));
        int width = placement.width.value_or(outer.width()) - decoration.width();
        int height = placement.height.value_or(outer.height()) - decoration.height();
        frame->resize(std::max(width, 1), std::max(height, 1));
    });
}

void QtPlatform::cascadeChildren()
{
    d->invoker.run([&] {
        // Each window keeps its size and steps down and right by the height of a title bar;
        // the area's own cascade sizes the windows from their size hints and would shrink a
        // picture to a bare title strip.
        int step = 0;
        for (QMdiSubWindow* sub : d->mdi->subWindowList(QMdiArea::StackingOrder)) {
            if (!sub->isVisible() || sub->isMinimized())
                continue;
            if (sub->isMaximized())
                sub->showNormal();
            const int offset = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub) + 4;
            sub->move(step * offset, step * offset);
            sub->raise();
            ++step;
        }
        if (QMdiSubWindow* active = d->mdi->activeSubWindow())
            active->raise();
    });
}

void QtPlatform::tileChildren()
{
    d->invoker.run([&] { d->mdi->tileSubWindows(); });
}

void QtPlatform::arrangeIcons()
{
    d->invoker.run([&] {
        // Minimised windows in a row along the bottom edge, left to right.
        int x = 0;
        const int bottom = d->mdi->viewport()->height();
        for (QMdiSubWindow* sub : d->mdi->subWindowList(QMdiArea::CreationOrder)) {
            if (!sub->isMinimized())
                continue;
            const QSize size = sub->size();
            sub->move(x, bottom - size.height());
            x += size.width();
        }
    });
}

void QtPlatform::setFrameEvents(FrameEvents* events)
{
    d->invoker.run([&] { d->events = events; });
}

void QtPlatform::setFrameTitle(std::string_view title)
{
    d->invoker.run([&] { d->frame->setWindowTitle(toQString(title)); });
}

void QtPlatform::setMenuBar(const MenuBar& bar)
{
    d->invoker.run([&] { d->buildMenuBar(bar); });
}

void QtPlatform::setStatusText(int pane, std::string_view text)
{
    d->invoker.run([&] {
        if (pane == 0 || pane == 1)
            d->panes[pane]->setText(toQString(text));
    });
}

void QtPlatform::setStatusBarVisible(bool visible)
{
    d->invoker.run([&] { d->frame->statusBar()->setVisible(visible); });
}

void QtPlatform::setViewMode(WindowId window, ViewMode mode)
{
    d->invoker.run([&] {
        if (Impl::Child* child = d->find(window)) {
            child->mode = mode;
            child->view->relayout(*child);
        }
    });
}

void QtPlatform::setFullScreen(WindowId window)
{
    d->invoker.run([&] { d->setFullScreen(window); });
}

void QtPlatform::openHelp(const std::string& file, std::optional<int> topic)
{
    d->invoker.run([&] { d->openHelp(file, topic); });
}

void QtPlatform::closeFrame()
{
    d->invoker.run([&] {
        d->frameClosing();
        d->frame->close();
    });
}

void QtPlatform::beep()
{
    d->invoker.run([] { QApplication::beep(); });
}

MessageAnswer QtPlatform::messageBox(const MessageBoxRequest& request)
{
    // When the GUI thread no longer serves (the loop has ended), the box cannot be shown: the
    // answer is the one a cautious user would give, as for a box closed without a button.
    MessageAnswer cautious = MessageAnswer::Ok;
    switch (request.buttons) {
    case MessageButtons::Ok: break;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel: cautious = MessageAnswer::Cancel; break;
    case MessageButtons::YesNo: cautious = MessageAnswer::No; break;
    }
    return d->invoker.runOr(cautious, [&] { return d->messageBox(request); });
}

std::optional<std::string> QtPlatform::saveFileDialog(const SaveFileRequest& request)
{
    return d->invoker.run([&]() -> std::optional<std::string> {
        QFileDialog dialog(d->frame);
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        QStringList filters;
        for (const FileFilter& f : request.filters) {
            QString text = toQString(f.description);
            if (!text.contains(QLatin1Char('(')))
                text += QStringLiteral(" (%1)").arg(toQString(f.pattern));
            filters << text;
        }
        dialog.setNameFilters(filters);
        if (!filters.isEmpty())
            dialog.selectNameFilter(filters.front());
        dialog.setDefaultSuffix(toQString(request.defaultExtension));
        // A name typed without an extension takes the one of the filter the user chose.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &request, filters](const QString& chosen) {
                             const auto index = filters.indexOf(chosen);
                             if (index < 0 || std::size_t(index) >= request.filters.size())
                                 return;
                             const std::string& pattern = request.filters[std::size_t(index)].pattern;
                             if (pattern.rfind("*.", 0) == 0 && pattern.find_first_of("*?", 2) == std::string::npos)
                                 dialog.setDefaultSuffix(toQString(pattern.substr(2)));
                         });
        dialog.setWindowModality(Qt::ApplicationModal);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty() || files.front().isEmpty())
            return std::nullopt;
        return QFile::encodeName(files.front()).toStdString();
    });
}

bool QtPlatform::setClipboardText(std::string_view text)
{
    return d->invoker.run([&] {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard)
            return false;
        clipboard->setText(fromSingleByte(text));
        return true;
    });
}

bool QtPlatform::setClipboardImage(const IndexedPicture& picture)
{
    return d->invoker.run([&] {
        QClipboard* clipboard = QGuiApplication::clipboard();
        QImage image = toImage(picture);
        if (!clipboard || image.isNull())
            return false;
        clipboard->setImage(image);
        return true;
    });
}

std::optional<std::string> QtPlatform::clipboardText()
{
    return d->invoker.run([&]() -> std::optional<std::string> {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard)
            return std::nullopt;
        const QString text = clipboard->text();
        if (text.isEmpty())
            return std::nullopt;
        return toSingleByte(text);
    });
}

PrintDialogResult QtPlatform::printDialog()
{
    return d->invoker.runOr(PrintDialogResult{PrintDialogOutcome::Cancelled, nullptr},
                            [&] { return d->printDialog(); });
}

bool QtPlatform::showPrintAbortBox(std::function<void()> onCancel)
{
    return d->invoker.run([&] { return d->showAbortBox(std::move(onCancel)); });
}

void QtPlatform::closePrintAbortBox()
{
    d->invoker.run([&] { d->closeAbortBox(); });
}

void QtPlatform::setFrameEnabled(bool enabled)
{
    d->invoker.run([&] {
        d->frame->setEnabled(enabled);
        // The abort box belongs to the frame but must stay usable while the frame is not.
        if (d->abortBox)
            d->abortBox->setEnabled(true);
    });
}

QPrinter* QtPlatform::keptPrinter()
{
    if (!d->printer)
        d->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return d->printer.get();
}

void QtPlatform::setPrintDialogHook(std::function<bool(QPrinter&)> hook) { d->printDialogHook = std::move(hook); }

QDialog* QtPlatform::printAbortBox() const { return d->abortBox.data(); }

} // namespace platform
