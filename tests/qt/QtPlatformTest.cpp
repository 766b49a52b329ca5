// The Qt platform on the offscreen platform plugin: menus, status panes, child windows that
// paint indexed pictures, scroll bars, keys, message boxes, fonts and calls from another thread.

#include "platform/qt/QtPlatform.h"

#include "platform/qt/GuiInvoker.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

using namespace platform;

namespace {

struct ScrollEvent {
    WindowId window;
    ScrollAxis axis;
    WindowScroll request;
    int position;
    bool operator==(const ScrollEvent&) const = default;
};

struct KeyEvent {
    WindowId window;
    Key key;
    char32_t character;
    bool ctrl, shift, alt;
    bool operator==(const KeyEvent&) const = default;
};

// Records what the platform reports and paints one picture for every window.
class Recorder : public FrameEvents {
public:
    void command(int id) override { commands.push_back(id); }
    void helpOnMenuItem(int id) override { helpIds.push_back(id); }
    void paint(WindowId window, const std::function<void(const PictureView&)>& draw) override
    {
        paintThreads.push_back(std::this_thread::get_id());
        ++paints;
        if (beforePaint)
            beforePaint();
        std::lock_guard lock(drawingLock);
        PictureView view;
        view.width = width;
        view.height = height;
        view.pixels = pixels;
        view.palette = palette;
        view.scrollX = scrollX;
        view.scrollY = scrollY;
        view.caret = caret;
        lastPainted = window;
        draw(view);
    }
    void scroll(WindowId window, ScrollAxis axis, WindowScroll request, int position) override
    {
        scrolls.push_back({window, axis, request, position});
    }
    void resized(WindowId window) override { resizes.push_back(window); }
    void key(WindowId window, const KeyPress& k) override
    {
        keys.push_back({window, k.key, k.character, k.ctrl, k.shift, k.alt});
    }
    void frameClosing() override { ++closings; }
    void windowChosen(WindowId window) override { chosen.push_back(window); }

    // A picture whose pixel (x, y) holds index (x / 8 + y / 8) % 4.
    void checkerPicture(int w, int h)
    {
        width = w;
        height = h;
        pixels.assign(std::size_t(w * h), 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels[std::size_t(y * w + x)] = std::uint8_t((x / 8 + y / 8) % 4);
    }
    std::uint8_t index(int x, int y) const { return pixels[std::size_t(y * width + x)]; }

    std::vector<int> commands;
    std::vector<int> helpIds;
    std::vector<ScrollEvent> scrolls;
    std::vector<WindowId> resizes;
    std::vector<WindowId> chosen;
    std::vector<KeyEvent> keys;
    std::vector<std::thread::id> paintThreads;
    int paints = 0;
    int closings = 0;
    WindowId lastPainted;
    std::function<void()> beforePaint;
    std::mutex drawingLock;

    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    // Index 1 pure red, 2 pure blue, 3 a mixed colour that shows a byte swap.
    std::vector<Rgb> palette{Rgb{0, 0, 0}, Rgb{255, 0, 0}, Rgb{0, 0, 255}, Rgb{0x90, 0x60, 0x30}};
    int scrollX = 0;
    int scrollY = 0;
    std::optional<Rect> caret;
};

QColor paletteColour(Rgb c) { return QColor(c.red, c.green, c.blue); }

QAction* findAction(QWidget* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

// Runs action on the next message box once it is up (the box's own loop serves the timer).
void whenMessageBoxShows(std::function<void(QMessageBox*)> action)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (!box->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            action(box);
        }
    });
    timer->start(10);
}

// Pumps events until done() or about five seconds have passed.
template <class F> bool pumpUntil(F done)
{
    for (int i = 0; i < 500 && !done(); ++i)
        QTest::qWait(10);
    return done();
}

// Ends the process if a test that could deadlock has not finished in time.
class Watchdog {
public:
    explicit Watchdog(const char* what)
        : m_thread([this, what] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, std::chrono::seconds(30), [this] { return m_finished; })) {
                  std::fprintf(stderr, "deadlock: %s did not finish\n", what);
                  std::_Exit(3);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

// A shown frame with one shown child window of the given outer size at the top left.
struct Fixture {
    QtPlatform platform;
    Recorder events;
    WindowId child;

    explicit Fixture(QSize outer = {300, 200})
    {
        platform.setFrameEvents(&events);
        platform.frameWindow()->resize(800, 600);
        platform.frameWindow()->show();
        child = platform.createChildWindow("planes");
        platform.moveWindow(child, {0, 0, outer.width(), outer.height()});
        platform.showWindow(child);
        QCoreApplication::processEvents();
    }
    QWidget* picture() const { return platform.pictureWidget(child); }
};

} // namespace

TEST(QtPlatform, MenuBarFromValue)
{
    QtPlatform platform;
    Recorder events;
    platform.setFrameEvents(&events);
    MenuBar bar{
        {"&File", {{"&Print...", 1019}, {"", 0, true}, {"E&xit\tCtrl+C", 1000}}, 0},
        {"&Window", {{"&Cascade", 1010}, {"&Input", 1023, false, true}, {"&Status Bar", 1015, false, false, true}}, 0},
        {"&Run", {}, 1101},
    };
    platform.setMenuBar(bar);
    QMenuBar* menuBar = platform.frameWindow()->menuBar();
    QList<QAction*> top = menuBar->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[0]->text(), "&File");
    EXPECT_EQ(top[1]->text(), "&Window");
    EXPECT_EQ(top[2]->text(), "&Run");
    ASSERT_NE(top[0]->menu(), nullptr);
    EXPECT_EQ(top[2]->menu(), nullptr); // a command of the bar itself

    QList<QAction*> file = top[0]->menu()->actions();
    ASSERT_EQ(file.size(), 3);
    EXPECT_EQ(file[0]->text(), "&Print...");
    EXPECT_TRUE(file[1]->isSeparator());
    EXPECT_EQ(file[2]->text(), "E&xit\tCtrl+C");
    // The accelerator's name is only shown: the keys go to the child window.
    EXPECT_TRUE(file[2]->shortcut().isEmpty());

    QList<QAction*> window = top[1]->menu()->actions();
    ASSERT_EQ(window.size(), 3);
    EXPECT_TRUE(window[0]->isEnabled());
    EXPECT_FALSE(window[1]->isEnabled());
    EXPECT_FALSE(window[0]->isChecked());
    EXPECT_TRUE(window[2]->isCheckable());
    EXPECT_TRUE(window[2]->isChecked());

    file[2]->trigger();
    window[2]->trigger();
    top[2]->trigger();
    EXPECT_EQ(events.commands, (std::vector<int>{1000, 1015, 1101}));
    // The check mark is the window runtime's to change, not the click's.
    EXPECT_TRUE(window[2]->isChecked());

    // F1 on the highlighted item of an open menu asks for help on that item.
    QMenu* fileMenu = top[0]->menu();
    fileMenu->popup(QPoint(10, 10));
    ASSERT_TRUE(pumpUntil([&] { return fileMenu->isVisible(); }));
    fileMenu->setActiveAction(file[2]);
    QTest::keyClick(fileMenu, Qt::Key_F1);
    EXPECT_EQ(events.helpIds, std::vector<int>{1000});
    EXPECT_FALSE(fileMenu->isVisible());

    // A new bar replaces the old one whole.
    platform.setMenuBar({{"&File", {{"E&xit\tCtrl+C", 1000}}, 0}});
    ASSERT_EQ(menuBar->actions().size(), 1);
    EXPECT_EQ(menuBar->actions()[0]->menu()->actions().size(), 1);
}

TEST(QtPlatform, WindowMenuListsChildWindows)
{
    Fixture f;
    WindowId second = f.platform.createChildWindow("Unit 7");
    f.platform.showWindow(second);
    WindowId hidden = f.platform.createChildWindow("never shown");
    MenuItem cascade{"&Cascade", 1010};
    cascade.windowList = true; // the list follows this item's menu
    f.platform.setMenuBar({{"&Window", {cascade, {"&Tile", 1011}}, 0}});
    QMenu* menu = f.platform.frameWindow()->menuBar()->actions()[0]->menu();
    f.platform.activateWindow(second);
    emit menu->aboutToShow();
    ASSERT_NE(findAction(menu, "&1 planes"), nullptr);
    QAction* item = findAction(menu, "&2 Unit 7");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(menu->actions().size(), 5); // two commands, a separator, two windows
    // A minimised window chosen from the list comes back and becomes the active one.
    f.platform.setWindowState(f.child, ShowState::Minimised);
    findAction(menu, "&1 planes")->trigger();
    EXPECT_EQ(f.platform.activeChild(), f.child);
    EXPECT_EQ(f.platform.windowState(f.child), ShowState::Normal);
    EXPECT_EQ(f.events.chosen, std::vector<WindowId>{f.child}) << "the window runtime hears the choice";
    emit menu->aboutToShow(); // rebuilt, not appended twice
    EXPECT_EQ(menu->actions().size(), 5);
    (void)hidden;
}

TEST(QtPlatform, StatusPanes)
{
    QtPlatform platform;
    platform.setStatusText(0, "Running");
    platform.setStatusText(1, "Input pending in planes");
    platform.setStatusText(2, "ignored");
    EXPECT_EQ(platform.statusPane(0)->text(), "Running");
    EXPECT_EQ(platform.statusPane(1)->text(), "Input pending in planes");
    EXPECT_EQ(platform.statusPane(2), nullptr);
    EXPECT_EQ(platform.statusPane(0)->frameShadow(), QFrame::Sunken);
    // The run-state pane is about ten characters wide, the message pane takes the rest.
    platform.frameWindow()->resize(800, 600);
    platform.frameWindow()->show();
    QCoreApplication::processEvents();
    int ten = platform.statusPane(0)->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 10;
    EXPECT_EQ(platform.statusPane(0)->width(), ten);
    EXPECT_GT(platform.statusPane(1)->width(), 400);
    platform.setStatusBarVisible(false);
    EXPECT_TRUE(platform.frameWindow()->statusBar()->isHidden());
    platform.setStatusBarVisible(true);
    EXPECT_FALSE(platform.frameWindow()->statusBar()->isHidden());
}

TEST(QtPlatform, ChildPaintsPaletteColoursAtScrollOffset)
{
    Fixture f;
    f.events.checkerPicture(400, 300);
    f.platform.setScrollRange(f.child, ScrollAxis::Horizontal, 200);
    f.platform.setScrollRange(f.child, ScrollAxis::Vertical, 150);
    f.events.scrollX = 16;
    f.events.scrollY = 8;
    f.platform.setScrollPosition(f.child, ScrollAxis::Horizontal, 16);
    f.platform.setScrollPosition(f.child, ScrollAxis::Vertical, 8);
    f.events.caret = Rect{40, 36, 10, 18};
    QCoreApplication::processEvents();

    Size client = f.platform.clientSize(f.child);
    ASSERT_EQ(QSize(client.width, client.height), f.picture()->size());
    EXPECT_TRUE(f.platform.scrollBar(f.child, ScrollAxis::Horizontal)->isVisible());
    EXPECT_EQ(f.platform.scrollBar(f.child, ScrollAxis::Vertical)->value(), 8);

    QImage shot = f.picture()->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(client.width, client.height));
    EXPECT_EQ(f.events.lastPainted, f.child);
    for (QPoint p : {QPoint(0, 0), QPoint(5, 3), QPoint(100, 60), QPoint(client.width - 1, client.height - 1)}) {
        std::uint8_t index = f.events.index(p.x() + 16, p.y() + 8);
        EXPECT_EQ(QColor(shot.pixel(p)), paletteColour(f.events.palette[index])) << "at " << p.x() << "," << p.y();
    }
    // The caret is a thin bar that inverts the picture at its cell's left edge.
    QPoint onCaret(40 - 16, 36 - 8 + 5);
    QColor under = paletteColour(f.events.palette[f.events.index(40, 41)]);
    QColor caret(shot.pixel(onCaret));
    EXPECT_EQ(caret, QColor(255 - under.red(), 255 - under.green(), 255 - under.blue()));
    QPoint besideCaret(40 - 16 + 4, 36 - 8 + 5);
    EXPECT_EQ(QColor(shot.pixel(besideCaret)), paletteColour(f.events.palette[f.events.index(44, 41)]));

    // All paints ran on the GUI thread.
    for (std::thread::id id : f.events.paintThreads)
        EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(QtPlatform, PictureSmallerThanClientLeavesTheRestBackground)
{
    Fixture f;
    f.events.checkerPicture(20, 10);
    QImage shot = f.picture()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(19, 9)), paletteColour(f.events.palette[f.events.index(19, 9)]));
    QColor outside(shot.pixel(30, 30));
    for (Rgb c : f.events.palette)
        EXPECT_NE(outside, paletteColour(c));
    // A picture view with too few pixels is not drawn from.
    f.events.pixels.resize(5);
    shot = f.picture()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(0, 0)), outside);
}

TEST(QtPlatform, SizeToFitStretchesWholePicture)
{
    Fixture f;
    // Four columns of colours 0..3, two rows (second row reversed).
    f.events.width = 4;
    f.events.height = 2;
    f.events.pixels = {0, 1, 2, 3, 3, 2, 1, 0};
    f.events.scrollX = 1; // ignored when fitting
    f.platform.setScrollRange(f.child, ScrollAxis::Horizontal, 50);
    f.platform.setViewMode(f.child, ViewMode::SizeToFit);
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.platform.scrollBar(f.child, ScrollAxis::Horizontal)->isVisible());
    Size client = f.platform.clientSize(f.child);
    EXPECT_EQ(QSize(client.width, client.height), f.picture()->size());
    QImage shot = f.picture()->grab().toImage();
    int w = shot.width();
    int h = shot.height();
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 2; ++row) {
            QPoint p(w * col / 4 + w / 8, h * row / 2 + h / 4);
            EXPECT_EQ(QColor(shot.pixel(p)), paletteColour(f.events.palette[f.events.index(col, row)]))
                << col << "," << row;
        }
    f.platform.setViewMode(f.child, ViewMode::Normal);
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.platform.scrollBar(f.child, ScrollAxis::Horizontal)->isVisible());
}

TEST(QtPlatform, ScrollBarMovesReportRequests)
{
    Fixture f;
    f.events.checkerPicture(600, 400);
    f.platform.setScrollRange(f.child, ScrollAxis::Vertical, 120);
    f.platform.setScrollRange(f.child, ScrollAxis::Horizontal, 0);
    f.platform.setScrollPosition(f.child, ScrollAxis::Vertical, 30);
    QCoreApplication::processEvents();
    QScrollBar* v = f.platform.scrollBar(f.child, ScrollAxis::Vertical);
    EXPECT_FALSE(f.platform.scrollBar(f.child, ScrollAxis::Horizontal)->isVisible());
    ASSERT_TRUE(v->isVisible());
    EXPECT_EQ(v->maximum(), 120);

    v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    v->triggerAction(QAbstractSlider::SliderSingleStepSub);
    v->triggerAction(QAbstractSlider::SliderPageStepAdd);
    v->triggerAction(QAbstractSlider::SliderPageStepSub);
    v->triggerAction(QAbstractSlider::SliderToMinimum);
    v->triggerAction(QAbstractSlider::SliderToMaximum);
    v->setSliderPosition(77); // a thumb drag
    const WindowId w = f.child;
    const auto V = ScrollAxis::Vertical;
    std::vector<ScrollEvent> expected{
        {w, V, WindowScroll::LineForward, 30}, {w, V, WindowScroll::LineBack, 30},
        {w, V, WindowScroll::PageForward, 30}, {w, V, WindowScroll::PageBack, 30},
        {w, V, WindowScroll::ToStart, 30},     {w, V, WindowScroll::ToEnd, 30},
        {w, V, WindowScroll::ToPosition, 77},
    };
    EXPECT_EQ(f.events.scrolls, expected);
    // The bar shows the position the window runtime sets, not its own step.
    EXPECT_EQ(v->value(), 30);

    // A real click on the bar's lower arrow.
    f.events.scrolls.clear();
    QTest::mouseClick(v, Qt::LeftButton, {}, QPoint(v->width() / 2, v->height() - 3));
    ASSERT_EQ(f.events.scrolls.size(), 1u);
    EXPECT_EQ(f.events.scrolls[0].request, WindowScroll::LineForward);

    // Resizing the window is reported once the event loop runs.
    f.events.resizes.clear();
    f.platform.moveWindow(f.child, {0, 0, 350, 260});
    ASSERT_TRUE(pumpUntil([&] { return !f.events.resizes.empty(); }));
    EXPECT_EQ(f.events.resizes.front(), f.child);
}

TEST(QtPlatform, KeysReportedWithModifiers)
{
    Fixture f;
    f.platform.setMenuBar({{"&File", {{"E&xit\tCtrl+C", 1000}}, 0}});
    f.platform.focusWindow(f.child);
    QWidget* picture = f.picture();
    QTest::keyClick(picture, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(picture, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(picture, Qt::Key_Return, Qt::AltModifier);
    QTest::keyClick(picture, Qt::Key_A);
    QTest::keyClick(picture, Qt::Key_Tab);
    QTest::keyClick(picture, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(picture, Qt::Key_F1);
    QTest::keyClick(picture, Qt::Key_Escape);
    QTest::keyClick(picture, Qt::Key_Shift); // a modifier alone is no key
    const WindowId w = f.child;
    std::vector<KeyEvent> expected{
        {w, Key::Character, U'c', true, false, false},
        {w, Key::Insert, 0, false, true, false},
        {w, Key::Enter, 0, false, false, true},
        {w, Key::Character, U'a', false, false, false},
        {w, Key::Character, U'\t', false, false, false},
        {w, Key::PageDown, 0, true, false, false},
        {w, Key::F1, 0, false, false, false},
        {w, Key::Escape, 0, false, false, false},
    };
    EXPECT_EQ(f.events.keys, expected);
    EXPECT_TRUE(f.events.commands.empty()); // Ctrl+C is the runtime's to map, not a shortcut
}

TEST(QtPlatform, MessageBoxReturnsAnswer)
{
    QtPlatform platform;
    MessageBoxRequest request{"planes", "Program Terminated with exit code 0\nExit Window?", MessageIcon::Warning,
                              MessageButtons::YesNo, MessageAnswer::No};
    QString seenText;
    QString seenCaption;
    whenMessageBoxShows([&](QMessageBox* box) {
        seenText = box->text();
        seenCaption = box->windowTitle();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_TRUE(box->isModal());
        QTest::keyClick(box, Qt::Key_Return); // the default button, No
    });
    EXPECT_EQ(platform.messageBox(request), MessageAnswer::No);
    EXPECT_EQ(seenCaption, "planes");
    EXPECT_EQ(seenText, "Program Terminated with exit code 0\nExit Window?");

    whenMessageBoxShows([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(platform.messageBox({"c", "t", MessageIcon::Question, MessageButtons::YesNoCancel, {}}),
              MessageAnswer::Yes);

    whenMessageBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(platform.messageBox({"c", "t", MessageIcon::Error, MessageButtons::OkCancel, {}}), MessageAnswer::Cancel);

    // Without a default answer Enter presses the first button.
    whenMessageBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(platform.messageBox({"c", "t", MessageIcon::None, MessageButtons::OkCancel, {}}), MessageAnswer::Ok);
}

TEST(QtPlatform, CallsFromAnotherThreadRunOnGuiThread)
{
    Watchdog watchdog("cross-thread calls");
    Fixture f;
    f.events.checkerPicture(100, 100);
    std::atomic<bool> done{false};
    bool wasMessageThread = true;
    WindowId made;
    Size client;
    std::unique_ptr<Font> font;
    MessageAnswer answer = MessageAnswer::Cancel;
    std::thread program([&] {
        wasMessageThread = f.platform.isMessageThread();
        made = f.platform.createChildWindow("Unit 11");
        f.platform.moveWindow(made, {10, 10, 250, 180});
        f.platform.showWindow(made);
        f.platform.setWindowTitle(made, "Unit 11 renamed");
        f.platform.setStatusText(1, "from the program thread");
        client = f.platform.clientSize(made);
        font = f.platform.createFont({"Courier New", 10, 18});
        answer = f.platform.messageBox({"c", "from a thread", MessageIcon::None, MessageButtons::YesNo, {}});
        f.platform.invalidate(made, {0, 0, 50, 50});
        done = true;
    });
    whenMessageBoxShows([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    bool finished = pumpUntil([&] { return done.load(); });
    program.join();
    ASSERT_TRUE(finished);
    EXPECT_FALSE(wasMessageThread);
    EXPECT_TRUE(f.platform.isMessageThread());
    ASSERT_NE(f.platform.subWindow(made), nullptr);
    EXPECT_EQ(f.platform.subWindow(made)->windowTitle(), "Unit 11 renamed");
    EXPECT_EQ(f.platform.subWindow(made)->thread(), QThread::currentThread());
    EXPECT_EQ(f.platform.statusPane(1)->text(), "from the program thread");
    EXPECT_EQ(QSize(client.width, client.height), f.platform.pictureWidget(made)->size());
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->metrics().averageCharWidth, 10);
    EXPECT_EQ(answer, MessageAnswer::No);
    QCoreApplication::processEvents();
    for (std::thread::id id : f.events.paintThreads)
        EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(QtPlatform, InvalidateNeverWaitsForThePaintingGuiThread)
{
    Watchdog watchdog("invalidate while the GUI thread waits for the drawing lock");
    Fixture f;
    f.events.checkerPicture(100, 100);
    std::atomic<bool> inPaint{false};
    f.events.beforePaint = [&] { inPaint = true; };
    std::atomic<bool> locked{false};
    std::thread program([&] {
        // The program thread draws: it holds the drawing lock and, from the drawing's damage
        // hook, asks for a repaint, while the GUI thread waits for that lock in a paint.
        std::lock_guard lock(f.events.drawingLock);
        locked = true;
        while (!inPaint)
            std::this_thread::yield();
        for (int i = 0; i < 100; ++i)
            f.platform.invalidate(f.child, {i, i, 10, 10});
    });
    while (!locked)
        std::this_thread::yield();
    f.picture()->repaint(); // paints now, waiting for the program thread's lock
    program.join();
    f.events.beforePaint = nullptr;

    // The posted requests arrive, merged into few repaints.
    int before = f.events.paints;
    ASSERT_TRUE(pumpUntil([&] { return f.events.paints > before; }));
    QTest::qWait(50);
    EXPECT_LE(f.events.paints - before, 3);
}

TEST(QtPlatform, FontsMatchTheAskedCell)
{
    QtPlatform platform;
    std::unique_ptr<Font> font = platform.createFont({"Courier New", 10, 18});
    ASSERT_NE(font, nullptr);
    FontMetrics m = font->metrics();
    EXPECT_EQ(m.averageCharWidth, 10);
    EXPECT_EQ(m.height + m.externalLeading, 18);

    std::vector<std::uint8_t> mask(10 * 18, 7);
    font->renderGlyph('A', 10, 18, mask);
    int inked = 0;
    for (std::uint8_t v : mask)
        inked += v > 128;
    EXPECT_GT(inked, 10);
    // Ink in both halves: a glyph, not a stray line.
    int top = 0;
    for (int i = 0; i < 10 * 9; ++i)
        top += mask[std::size_t(i)] > 128;
    EXPECT_GT(top, 0);
    EXPECT_LT(top, inked);

    font->renderGlyph(' ', 10, 18, mask);
    EXPECT_EQ(std::count(mask.begin(), mask.end(), 0), 10 * 18);
    font->renderGlyph(1, 10, 18, mask);
    EXPECT_EQ(std::count(mask.begin(), mask.end(), 0), 10 * 18);

    // Another cell size draws on the calling thread.
    std::vector<std::uint8_t> big(14 * 24, 0);
    std::thread([&] { font->renderGlyph('W', 14, 24, big); }).join();
    EXPECT_GT(std::count_if(big.begin(), big.end(), [](std::uint8_t v) { return v > 128; }), 10);
    // A mask too small for the cell is left untouched rather than overrun.
    std::vector<std::uint8_t> small(5, 9);
    font->renderGlyph('A', 10, 18, small);
    EXPECT_EQ(std::count(small.begin(), small.end(), 0), 5);

    std::unique_ptr<Font> bold = platform.createFont({"Courier New", 10, 18, 700});
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(bold->metrics().height + bold->metrics().externalLeading, 18);
    std::unique_ptr<Font> small8 = platform.createFont({"Courier New", 8, 16});
    ASSERT_NE(small8, nullptr);
    EXPECT_NEAR(small8->metrics().height + small8->metrics().externalLeading, 16, 2);
    EXPECT_EQ(platform.createFont({"Courier New", 0, 18}), nullptr);
}

TEST(QtPlatform, ChildWindowGeometryStateAndLifetime)
{
    Fixture f({320, 240});
    QMdiSubWindow* sub = f.platform.subWindow(f.child);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(f.platform.windowRect(f.child), (Rect{0, 0, 320, 240}));
    f.platform.moveWindow(f.child, {20, 30, 300, 220});
    EXPECT_EQ(f.platform.windowRect(f.child), (Rect{20, 30, 300, 220}));
    QCoreApplication::processEvents();
    DisplayInfo display = f.platform.display();
    Size client = f.platform.clientSize(f.child);
    EXPECT_EQ(client.width, 300 - 2 * display.frameBorder);
    EXPECT_EQ(client.height, 220 - 2 * display.frameBorder - display.captionHeight);
    EXPECT_EQ(QSize(client.width, client.height), f.picture()->size());

    // A new window is hidden until shown; activation asked for meanwhile happens on show.
    WindowId second = f.platform.createChildWindow("second");
    EXPECT_TRUE(f.platform.subWindow(second)->isHidden());
    f.platform.activateWindow(second);
    f.platform.showWindow(second);
    EXPECT_EQ(f.platform.activeChild(), second);
    f.platform.activateWindow(f.child);
    EXPECT_EQ(f.platform.activeChild(), f.child);

    f.platform.setWindowState(f.child, ShowState::Maximised);
    EXPECT_EQ(f.platform.windowState(f.child), ShowState::Maximised);
    f.platform.setWindowState(f.child, ShowState::Minimised);
    EXPECT_EQ(f.platform.windowState(f.child), ShowState::Minimised);
    EXPECT_EQ(f.platform.clientSize(f.child), (Size{0, 0}));
    f.platform.setWindowState(f.child, ShowState::Normal);
    EXPECT_EQ(f.platform.windowState(f.child), ShowState::Normal);

    // The user cannot close a child window: its title bar has no close button.
    QStyleOptionTitleBar bar;
    bar.initFrom(sub);
    bar.rect = QRect(0, 0, 300, 22);
    bar.subControls = QStyle::SC_All;
    bar.titleBarFlags = sub->windowFlags();
    EXPECT_TRUE(sub->style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarCloseButton, sub).isEmpty());
    EXPECT_FALSE(sub->style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarMinButton, sub).isEmpty());
    sub->close();
    EXPECT_FALSE(sub->isHidden());
    for (QAction* a : sub->systemMenu()->actions())
        EXPECT_FALSE(a->text().contains("Close")) << a->text().toStdString();

    // Cascade staggers the windows and keeps their sizes.
    f.platform.moveWindow(second, {50, 60, 200, 150});
    f.platform.cascadeChildren();
    EXPECT_NE(f.platform.windowRect(f.child).y, f.platform.windowRect(second).y);
    EXPECT_EQ(f.platform.windowRect(f.child).width, 300);
    EXPECT_EQ(f.platform.windowRect(f.child).height, 220);
    EXPECT_EQ(f.platform.windowRect(second).width, 200);
    EXPECT_EQ(f.platform.windowRect(second).height, 150);

    f.platform.destroyWindow(second);
    EXPECT_EQ(f.platform.subWindow(second), nullptr);
    // Unknown ids are ignored everywhere.
    f.platform.destroyWindow(second);
    f.platform.setWindowTitle(second, "x");
    f.platform.invalidate(second, {0, 0, 5, 5});
    EXPECT_EQ(f.platform.windowRect(second), Rect{});
    EXPECT_EQ(f.platform.clientSize(WindowId{999}), Size{});
    QCoreApplication::processEvents();
}

TEST(QtPlatform, FullScreenShowsPictureAndTakesKeys)
{
    Fixture f;
    f.events.width = 2;
    f.events.height = 1;
    f.events.pixels = {1, 2};
    f.platform.setFullScreen(f.child);
    QWidget* full = f.platform.fullScreenWidget();
    ASSERT_NE(full, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return full->isVisible(); }));
    EXPECT_TRUE(full->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(full->parentWidget(), f.platform.frameWindow());
    QImage shot = full->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(shot.width() / 4, shot.height() / 2)), paletteColour(f.events.palette[1]));
    EXPECT_EQ(QColor(shot.pixel(shot.width() * 3 / 4, shot.height() / 2)), paletteColour(f.events.palette[2]));

    QTest::keyClick(full, Qt::Key_Return, Qt::AltModifier);
    ASSERT_EQ(f.events.keys.size(), 1u);
    EXPECT_EQ(f.events.keys[0], (KeyEvent{f.child, Key::Enter, 0, false, false, true}));

    // Drawing in the window repaints the full-screen view too, even while the window is minimised.
    f.platform.setWindowState(f.child, ShowState::Minimised);
    QCoreApplication::processEvents();
    int before = f.events.paints;
    f.platform.invalidate(f.child, {0, 0, 0, 0});
    ASSERT_TRUE(pumpUntil([&] { return f.events.paints > before; }));

    QPointer<QWidget> guard(full);
    f.platform.setFullScreen({});
    EXPECT_EQ(f.platform.fullScreenWidget(), nullptr);
    ASSERT_TRUE(pumpUntil([&] { return guard.isNull(); }));
}

TEST(QtPlatform, HelpOpensTopicOrReportsMissingFile)
{
    QtPlatform platform;
    QTemporaryDir dir;
    QString path = dir.filePath("winrt.html");
    {
        std::ofstream html(path.toStdString());
        html << "<html><body><h1>Contents</h1><a name=\"topic1010\"></a><p>Cascade</p></body></html>";
    }
    platform.openHelp(path.toStdString(), 1010);
    QTextBrowser* help = platform.helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->source().fragment(), "topic1010");
    EXPECT_EQ(help->source().toLocalFile(), path);
    EXPECT_TRUE(help->toPlainText().contains("Cascade"));

    QString text;
    whenMessageBoxShows([&](QMessageBox* box) {
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    platform.openHelp(dir.filePath("missing.html").toStdString(), std::nullopt);
    EXPECT_TRUE(text.contains("missing.html"));
    EXPECT_TRUE(text.contains("not found"));
}

TEST(QtPlatform, ClosingTheFrame)
{
    QtPlatform platform;
    Recorder events;
    platform.setFrameEvents(&events);
    std::optional<bool> hookSaw;
    platform.setCloseHook([&](bool maximised) { hookSaw = maximised; });
    platform.frameWindow()->show();
    platform.setFrameState(ShowState::Maximised);
    EXPECT_EQ(platform.frameState(), ShowState::Maximised);
    EXPECT_TRUE(platform.frameExists());
    // The close box.
    platform.frameWindow()->close();
    EXPECT_EQ(events.closings, 1);
    ASSERT_TRUE(hookSaw.has_value());
    EXPECT_TRUE(*hookSaw);
    EXPECT_FALSE(platform.frameExists());
    // Closing again from code does not report twice.
    platform.closeFrame();
    EXPECT_EQ(events.closings, 1);
    EXPECT_FALSE(platform.createChildWindow("late").isValid());
}

TEST(QtPlatform, StoppedServiceReleasesOtherThreads)
{
    Watchdog watchdog("calls after the loop ended");
    QtPlatform platform;
    platform.stopServing();
    MessageAnswer answer = MessageAnswer::Yes;
    WindowId made{5};
    std::thread program([&] {
        answer = platform.messageBox({"c", "t", MessageIcon::None, MessageButtons::YesNo, {}});
        made = platform.createChildWindow("late");
        platform.invalidate(WindowId{1}, {0, 0, 1, 1});
    });
    program.join(); // the GUI thread serves no events here: nothing may wait for it
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_FALSE(made.isValid());
}

// Calls the function for every event the watched object receives, before the object does.
class SeeEvents final : public QObject {
public:
    explicit SeeEvents(std::function<void(QEvent*)> see) : m_see(std::move(see)) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        m_see(event);
        return false;
    }

private:
    std::function<void(QEvent*)> m_see;
};

TEST(GuiInvoker, GoingAwayReleasesAWaitingCallerAndItsWorkNeverRuns)
{
    Watchdog watchdog("invoker going away");
    QObject context;
    auto invoker = std::make_unique<GuiInvoker>(&context);
    GuiInvoker* calledOn = invoker.get();
    // The invoker goes as its queued call reaches the GUI thread, before the call runs, while the
    // caller still waits.
    SeeEvents goes([&](QEvent* event) {
        if (event->type() == QEvent::MetaCall)
            invoker.reset();
    });
    context.installEventFilter(&goes);
    std::atomic<bool> finished{false};
    std::atomic<bool> ran{false};
    bool served = true;
    std::thread caller([&] {
        served = calledOn->call([&] { ran = true; });
        finished = true;
    });
    const bool released = pumpUntil([&] { return finished.load(); });
    caller.join();
    ASSERT_TRUE(released);
    EXPECT_EQ(invoker, nullptr);
    EXPECT_FALSE(served);
    EXPECT_FALSE(ran);
}

TEST(QtPlatform, DisplayFacts)
{
    QtPlatform platform;
    DisplayInfo d = platform.display();
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(d.screenWidth, screen->size().width());
    EXPECT_EQ(d.screenHeight, screen->size().height());
    EXPECT_EQ(d.colourCount(), screen->depth() >= 8 ? 256 : 1 << screen->depth());
    EXPECT_EQ(d.defaultCellWidth, 8);
    EXPECT_EQ(d.defaultCellHeight, 16);
    EXPECT_GT(d.captionHeight, 0);
    EXPECT_GT(d.frameBorder, 0);
    EXPECT_EQ(d.minWindowHeight, d.captionHeight + 2 * d.frameBorder);
    EXPECT_EQ(d.verticalScrollWidth, QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}
