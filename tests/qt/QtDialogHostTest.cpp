// The Qt dialog host on the offscreen plugin: boxes from layouts, the input it reports, its
// threads. A std::thread plays the program thread and runs the dialogs; the test's main thread
// is the GUI thread and plays the user with QTest.

#include "platform/qt/QtDialogHost.h"

#include "app/DialogTemplates.h"
#include "dialogs/Dialog.h"
#include "dialogs/DialogLayout.h"
#include "runtime/Runtime.h"
#include "tests/runtime/FakeFileSystem.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace platform;
using namespace std::chrono_literals;

// Serves the GUI thread until pred holds; false after timeoutMs.
bool pumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Serves the GUI thread for a while (to let something that must not happen have its chance).
void pumpFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    pumpUntil([&] { return timer.elapsed() >= ms; }, ms + 1000);
}

const char* requestName(ScrollRequest r)
{
    switch (r) {
    case ScrollRequest::LineUp: return "LineUp";
    case ScrollRequest::LineDown: return "LineDown";
    case ScrollRequest::PageUp: return "PageUp";
    case ScrollRequest::PageDown: return "PageDown";
    case ScrollRequest::ThumbPosition: return "ThumbPosition";
    case ScrollRequest::ThumbTrack: return "ThumbTrack";
    case ScrollRequest::Top: return "Top";
    case ScrollRequest::Bottom: return "Bottom";
    case ScrollRequest::EndScroll: return "EndScroll";
    }
    return "?";
}

// Records every input as a line ("init", "click 1005", "edited 1002", "key 1001 Alt+B",
// "scroll 1007 LineDown 0", "select 300", "double 300", "close") with the thread it arrived
// on, then lets the test react on that thread.
class Recorder final : public DialogInput {
public:
    explicit Recorder(DialogHost& host) : host(host) {}

    DialogHost& host;
    std::function<void(Recorder&)> init;                      // after "init" is logged
    std::function<void(Recorder&, const std::string&)> react; // after any other line

    DialogWindow window() const
    {
        std::lock_guard lock(m_lock);
        return m_window;
    }
    std::vector<std::string> log() const
    {
        std::lock_guard lock(m_lock);
        return m_log;
    }
    std::size_t size() const
    {
        std::lock_guard lock(m_lock);
        return m_log.size();
    }
    std::set<std::thread::id> threads() const
    {
        std::lock_guard lock(m_lock);
        return m_threads;
    }
    // Adds a line of the test's own (e.g. a value read inside a callback).
    void note(const std::string& line) { add(line); }

    void onCreated(DialogWindow dialog) override
    {
        {
            std::lock_guard lock(m_lock);
            m_window = dialog;
        }
        add("init");
        if (init)
            init(*this);
    }
    void onClick(int id) override { line("click " + std::to_string(id)); }
    void onTextEdited(int id) override { line("edited " + std::to_string(id)); }
    void onKey(int focus, DialogKeyPress k) override
    {
        static const char* const names[] = {"Enter", "Escape", "Tab", "Up", "Down", "Left", "Right"};
        std::string name = std::string(k.alt ? "Alt+" : "") + (k.shift ? "Shift+" : "");
        name += k.key == DialogKey::Character ? std::string(1, k.character) : names[static_cast<int>(k.key)];
        line("key " + std::to_string(focus) + " " + name);
    }
    void onScroll(int id, ScrollRequest request, int thumb) override
    {
        line("scroll " + std::to_string(id) + " " + requestName(request) + " " + std::to_string(thumb));
    }
    void onListSelection(int id) override { line("select " + std::to_string(id)); }
    void onListDoubleClick(int id) override { line("double " + std::to_string(id)); }
    void onCloseBox() override { line("close"); }

private:
    void line(const std::string& text)
    {
        add(text);
        if (react)
            react(*this, text);
    }
    void add(const std::string& text)
    {
        std::lock_guard lock(m_lock);
        m_log.push_back(text);
        m_threads.insert(std::this_thread::get_id());
    }

    mutable std::mutex m_lock;
    DialogWindow m_window;
    std::vector<std::string> m_log;
    std::set<std::thread::id> m_threads;
};

// runModal on a program thread. Ends what is still open when the test leaves early.
class ProgramRun {
public:
    ProgramRun(QtDialogHost& host, DialogLayout layout, DialogInput& input)
        : m_host(host), m_thread([this, layout = std::move(layout), &input] {
              m_result = m_host.runModal(layout, {}, input);
              m_done = true;
          })
    {
    }
    explicit ProgramRun(QtDialogHost& host, std::function<int()> body)
        : m_host(host), m_thread([this, body] {
              m_result = body();
              m_done = true;
          })
    {
    }
    ~ProgramRun()
    {
        if (!m_done)
            for (DialogWindow w : m_host.openDialogs())
                m_host.endDialog(w, -99);
        pumpUntil([this] { return m_done.load(); });
        m_thread.join();
    }
    bool finish()
    {
        return pumpUntil([this] { return m_done.load(); });
    }
    bool done() const { return m_done; }
    int result() const { return m_result; }
    std::thread::id id() const { return m_thread.get_id(); }

private:
    QtDialogHost& m_host;
    std::atomic<bool> m_done{false};
    std::atomic<int> m_result{0};
    std::thread m_thread;
};

// The innermost open dialog once it is on screen, null after the timeout.
QDialog* shownBox(QtDialogHost& host, std::size_t depth = 1)
{
    QDialog* box = nullptr;
    pumpUntil([&] {
        const auto open = host.openDialogs();
        if (open.size() < depth)
            return false;
        box = host.dialogWidget(open[depth - 1]);
        return box != nullptr && box->isVisible();
    });
    return box;
}

DialogWindow innermost(QtDialogHost& host)
{
    const auto open = host.openDialogs();
    return open.empty() ? DialogWindow{} : open.back();
}

template <class T> T* control(QtDialogHost& host, int id)
{
    return qobject_cast<T*>(host.controlWidget(innermost(host), id));
}

// Waits until the recorder holds n lines.
bool waitLines(const Recorder& r, std::size_t n)
{
    return pumpUntil([&] { return r.size() >= n; });
}

// The layout of a template.
DialogLayout layoutOf(std::span<const std::uint8_t> bytes)
{
    return dialogs::buildDialogLayout(dialogs::parseDialogTemplate(bytes).value());
}

TEST(QtDialogHostTest, AboutBoxLayoutFocusAndKeys)
{
    QtDialogHost host;
    Recorder events(host);
    events.init = [](Recorder& r) { r.host.setFocus(r.window(), 1); };
    events.react = [](Recorder& r, const std::string& line) {
        if (line == "key 1 Enter")
            r.host.endDialog(r.window(), 7);
    };
    ProgramRun run(host, layoutOf(app::AboutTemplate), events);
    QPointer<QDialog> box = shownBox(host);
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(box->windowTitle(), QStringLiteral("About FACETOR"));
    EXPECT_EQ(box->size(), QSize(284, 189)); // 189 x 116 units
    EXPECT_EQ(box->font().family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(box->font().pixelSize(), 11);
    // A title bar only: no close box, never a minimise or maximise button.
    EXPECT_FALSE(box->windowFlags()
                 & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    auto* ok = control<QPushButton>(host, 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->geometry(), QRect(104, 154, 75, 23)); // 50 x 14 at (69, 95)
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(box->focusWidget(), ok); // set before the box was shown

    QLabel* icon = nullptr;
    QLabel* blurb = nullptr;
    for (QLabel* label : box->findChildren<QLabel*>()) {
        if (label->pos() == QPoint(9, 62))
            icon = label;
        if (label->text().startsWith(QStringLiteral("FACETOR calculates")))
            blurb = label;
    }
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->size(), QSize(32, 32));
    ASSERT_NE(blurb, nullptr);
    EXPECT_EQ(blurb->geometry(), QRect(47, 11, 191, 42));
    EXPECT_TRUE(blurb->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(blurb->text().count(QLatin1Char('\n')), 2);

    // A window manager that minimises the box anyway is undone.
    box->showMinimized();
    EXPECT_TRUE(box->isMinimized());
    EXPECT_TRUE(pumpUntil([&] { return box->isVisible() && !box->isMinimized(); }));

    // Escape is reported and closes nothing by itself.
    QTest::keyClick(box, Qt::Key_Escape);
    ASSERT_TRUE(waitLines(events, 2));
    pumpFor(30);
    EXPECT_TRUE(box && box->isVisible());
    EXPECT_FALSE(run.done());

    QTest::keyClick(ok, Qt::Key_Return);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.result(), 7);
    EXPECT_EQ(events.log(), (std::vector<std::string>{"init", "key 1 Escape", "key 1 Enter"}));
    EXPECT_EQ(events.threads(), (std::set<std::thread::id>{run.id()}));
    EXPECT_TRUE(pumpUntil([&] { return box.isNull(); }));
    EXPECT_TRUE(host.openDialogs().empty());
}

TEST(QtDialogHostTest, SurfaceDialogReportsTheUsersInputOnly)
{
    QtDialogHost host;
    Recorder events(host);
    events.init = [](Recorder& r) {
        const DialogWindow w = r.window();
        r.host.setText(w, 1001, "1");
        r.host.setText(w, 1002, "  0");
        r.host.setText(w, 1007, "  0");
        r.host.setText(w, 1008, "A");
        r.host.setEnabled(w, 1008, false);
        r.host.setCheckState(w, 1003, Checked);
        r.host.setFocus(w, 1001);
        r.host.selectText(w, 1001, 0, -1);
        r.note("1008 enabled " + std::to_string(r.host.isEnabled(w, 1008)) + ", focus "
               + std::to_string(r.host.focus(w)));
    };
    events.react = [](Recorder& r, const std::string& line) {
        const DialogWindow w = r.window();
        if (line == "edited 1002") {
            r.note("1002 reads \"" + r.host.text(w, 1002) + "\"");
            r.host.setText(w, 1007, "  9"); // reports nothing
        } else if (line == "click 1005") {
            r.note("1003 " + std::to_string(r.host.checkState(w, 1003)) + " 1005 "
                   + std::to_string(r.host.checkState(w, 1005)));
        } else if (line.ends_with("Escape")) {
            r.host.endDialog(w, 2);
        }
    };
    ProgramRun run(host, layoutOf(app::SurfaceTemplate), events);
    QPointer<QDialog> box = shownBox(host);
    ASSERT_NE(box, nullptr);

    auto* h = control<QLineEdit>(host, 1001);
    auto* k = control<QLineEdit>(host, 1002);
    auto* l = control<QLineEdit>(host, 1007);
    auto* termination = control<QLineEdit>(host, 1008);
    auto* fcc = control<QRadioButton>(host, 1003);
    auto* hcp = control<QRadioButton>(host, 1005);
    auto* cancel = control<QPushButton>(host, 2);
    ASSERT_TRUE(h && k && l && termination && fcc && hcp && cancel);
    EXPECT_EQ(k->text(), QStringLiteral("  0"));
    EXPECT_FALSE(termination->isEnabled());
    EXPECT_TRUE(fcc->isChecked());
    EXPECT_FALSE(cancel->isVisibleTo(box));          // no visible style in the template
    EXPECT_FALSE(fcc->focusPolicy() & Qt::TabFocus); // radio buttons have no tab stop
    EXPECT_EQ(box->focusWidget(), h);
    EXPECT_EQ(h->selectedText(), QStringLiteral("1")); // the selection survives the box's activation
    EXPECT_TRUE(box->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(box->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(events.log(),
              (std::vector<std::string>{"init", "1008 enabled 0, focus 1001"})); // the sets report nothing

    // Typing: one report per key; a text the program sets reports nothing.
    QTest::keyClicks(k, "2"); // a set text leaves the caret at its start
    ASSERT_TRUE(waitLines(events, 4));
    EXPECT_TRUE(pumpUntil([&] { return l->text() == QStringLiteral("  9"); }));
    // A click on a radio button is reported; its check mark is the program's to set.
    QTest::mouseClick(hcp, Qt::LeftButton);
    ASSERT_TRUE(waitLines(events, 6));
    EXPECT_FALSE(hcp->isChecked());
    // Alt+letter in an edit box is the dialog's: the box types nothing. A plain letter, an
    // arrow are the box's own; Tab is the dialog's.
    EXPECT_EQ(box->focusWidget(), hcp); // the click gave the radio button the focus
    h->setFocus();
    QTest::keyClick(h, Qt::Key_B, Qt::AltModifier);
    QTest::keyClick(h, Qt::Key_Right);
    QTest::keyClicks(h, "b");
    QTest::keyClick(h, Qt::Key_Tab);
    ASSERT_TRUE(waitLines(events, 9));
    EXPECT_EQ(h->text(), QStringLiteral("1b"));
    EXPECT_EQ(box->focusWidget(), h); // only the program moves the focus
    // The close box is reported and closes nothing.
    box->close();
    ASSERT_TRUE(waitLines(events, 10));
    pumpFor(30);
    EXPECT_TRUE(box && box->isVisible());
    QTest::keyClick(h, Qt::Key_Escape);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.result(), 2);
    EXPECT_EQ(events.log(),
              (std::vector<std::string>{"init", "1008 enabled 0, focus 1001", "edited 1002", "1002 reads \"2  0\"",
                                        "click 1005", "1003 1 1005 0", "key 1001 Alt+B", "edited 1001", "key 1001 Tab",
                                        "close", "key 1001 Escape"}));
    EXPECT_EQ(events.threads(), (std::set<std::thread::id>{run.id()}));
}

TEST(QtDialogHostTest, ViewDialogScrollRequests)
{
    QtDialogHost host;
    Recorder events(host);
    events.init = [](Recorder& r) {
        const DialogWindow w = r.window();
        for (int bar : {1007, 1008}) {
            r.host.setScrollRange(w, bar, 1, 100);
            r.host.setScrollPosition(w, bar, 50);
        }
        r.host.setScrollPosition(w, 1008, 500); // kept within the range
        r.host.setFocus(w, 1003);
    };
    events.react = [](Recorder& r, const std::string& line) {
        const DialogWindow w = r.window();
        if (line == "scroll 1007 LineDown 0")
            r.host.setScrollPosition(w, 1007, r.host.scrollPosition(w, 1007) + 1);
        if (line.ends_with("Escape"))
            r.host.endDialog(w, 2);
    };
    ProgramRun run(host, layoutOf(app::ViewTemplate), events);
    QPointer<QDialog> box = shownBox(host);
    ASSERT_NE(box, nullptr);
    auto* rotate = control<QPushButton>(host, 1001);
    auto* rotation = control<QScrollBar>(host, 1007);
    auto* tilt = control<QScrollBar>(host, 1008);
    ASSERT_TRUE(rotate && rotation && tilt);
    EXPECT_EQ(rotation->orientation(), Qt::Horizontal);
    EXPECT_EQ(tilt->orientation(), Qt::Vertical);
    EXPECT_EQ(rotation->value(), 50);
    EXPECT_EQ(tilt->value(), 100);
    EXPECT_TRUE(rotate->text().contains(QLatin1Char('\n'))); // a multi-line caption wraps
    EXPECT_EQ(host.text(innermost(host), 1001), "Click Here To &Rotate");
    EXPECT_FALSE(box->windowFlags() & Qt::WindowCloseButtonHint);

    // A line request is reported; the bar moves only when the program moves it.
    rotation->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(rotation->value(), 50);
    ASSERT_TRUE(waitLines(events, 2));
    EXPECT_TRUE(pumpUntil([&] { return rotation->value() == 51; }));
    tilt->triggerAction(QAbstractSlider::SliderPageStepSub);
    tilt->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(tilt->value(), 100);
    // Dragging the thumb: track requests while it moves, then its position when released.
    rotation->setSliderDown(true);
    rotation->setSliderPosition(30);
    rotation->setSliderDown(false);
    EXPECT_EQ(rotation->value(), 51);
    ASSERT_TRUE(waitLines(events, 6));
    QTest::keyClick(box, Qt::Key_Escape);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.result(), 2);
    EXPECT_EQ(
        events.log(),
        (std::vector<std::string>{"init", "scroll 1007 LineDown 0", "scroll 1008 PageUp 0", "scroll 1008 Top 0",
                                  "scroll 1007 ThumbTrack 30", "scroll 1007 ThumbPosition 30", "key 1003 Escape"}));
}

TEST(QtDialogHostTest, MouseOnScrollBarArrowReportsLineAndEndScroll)
{
    QtDialogHost host;
    Recorder events(host);
    events.react = [](Recorder& r, const std::string& line) {
        if (line.ends_with("Escape"))
            r.host.endDialog(r.window(), 0);
    };
    ProgramRun run(host, layoutOf(app::ViewTemplate), events);
    QDialog* box = shownBox(host);
    ASSERT_NE(box, nullptr);
    auto* rotation = control<QScrollBar>(host, 1007);
    ASSERT_NE(rotation, nullptr);
    // The right arrow of the horizontal bar.
    QTest::mouseClick(rotation, Qt::LeftButton, {}, QPoint(rotation->width() - 3, rotation->height() / 2));
    ASSERT_TRUE(waitLines(events, 3));
    EXPECT_EQ(events.log()[1], "scroll 1007 LineDown 0");
    EXPECT_EQ(events.log()[2], "scroll 1007 EndScroll 0");
    EXPECT_EQ(rotation->value(), 0);
    QTest::keyClick(box, Qt::Key_Escape);
    ASSERT_TRUE(run.finish());
}

TEST(QtDialogHostTest, RunOnTheGuiThreadUsesANestedLoop)
{
    QtDialogHost host;
    Recorder events(host);
    events.react = [](Recorder& r, const std::string& line) {
        if (line == "click 1")
            r.host.endDialog(r.window(), 5);
    };
    // The user, from the nested loop.
    QTimer user;
    QPointer<QDialog> seen;
    QObject::connect(&user, &QTimer::timeout, [&] {
        const auto open = host.openDialogs();
        if (open.empty())
            return;
        QDialog* box = host.dialogWidget(open.back());
        if (box == nullptr || !box->isVisible() || seen)
            return;
        seen = box;
        QTest::mouseClick(host.controlWidget(open.back(), 1), Qt::LeftButton);
    });
    user.start(5);
    QTimer guard; // ends the run should the click not arrive
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        for (DialogWindow w : host.openDialogs())
            host.endDialog(w, -99);
    });
    guard.start(5000);
    const int result = host.runModal(layoutOf(app::AboutTemplate), {}, events);
    EXPECT_EQ(result, 5);
    EXPECT_EQ(events.log(), (std::vector<std::string>{"init", "click 1"}));
    EXPECT_EQ(events.threads(), (std::set<std::thread::id>{std::this_thread::get_id()}));
    EXPECT_TRUE(pumpUntil([&] { return seen.isNull(); }));
}

TEST(QtDialogHostTest, QuitWhileADialogRunsReturnsMinusOne)
{
    QtDialogHost host;
    Recorder events(host);
    ProgramRun run(host, layoutOf(app::AboutTemplate), events);
    QPointer<QDialog> box = shownBox(host);
    ASSERT_NE(box, nullptr);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec(); // leaving it emits aboutToQuit
    // The closed box may have left a quit request of its own behind: it would end the next
    // test's event loops.
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.result(), -1);
    EXPECT_TRUE(pumpUntil([&] { return box.isNull(); }));
    // The host takes no new dialogs after the quit.
    Recorder later(host);
    EXPECT_EQ(host.runModal(layoutOf(app::AboutTemplate), {}, later), -1);
    EXPECT_TRUE(later.log().empty());
}

TEST(QtDialogHostTest, DestroyedBoxEndsTheRunWithMinusOne)
{
    // The frame that owns the box goes away on the GUI thread.
    auto* frame = new QWidget;
    frame->show();
    QtDialogHost host([frame] { return frame; });
    Recorder events(host);
    ProgramRun run(host, layoutOf(app::AboutTemplate), events);
    QDialog* box = shownBox(host);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), frame);
    EXPECT_EQ(box->windowModality(), Qt::NonModal) << "a program dialog leaves the frame usable";
    delete frame;
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.result(), -1);

    // On the GUI thread: the box deleted from inside the nested loop.
    QtDialogHost local;
    Recorder gui(local);
    QTimer::singleShot(0, [&] {
        if (QDialog* b = shownBox(local))
            delete b;
    });
    EXPECT_EQ(local.runModal(layoutOf(app::AboutTemplate), {}, gui), -1);
    EXPECT_EQ(gui.log(), (std::vector<std::string>{"init"}));
}

TEST(QtDialogHostTest, UnknownDialogsAreIgnored)
{
    QtDialogHost host;
    EXPECT_TRUE(host.openDialogs().empty());
    // Operations on a dialog that does not exist are ignored and read as empty.
    EXPECT_EQ(host.text(DialogWindow{12345}, 1), "");
    EXPECT_EQ(host.itemCount(DialogWindow{12345}, 1), 0);
    EXPECT_EQ(host.currentSelection(DialogWindow{12345}, 1), -1);
    EXPECT_EQ(host.focus(DialogWindow{12345}), 0);
    host.setText(DialogWindow{12345}, 1, "x");
    host.endDialog(DialogWindow{12345}, 3);
}

TEST(QtDialogHostTest, ListsCombosCheckBoxesAndPlainRadioButtons)
{
    namespace s = dialogs::style;
    namespace k = dialogs::control_class;
    constexpr std::uint32_t cv = s::Child | s::Visible;
    const std::vector<dialogs::ControlSpec> controls = {
        {300, k::ListBox, cv | s::TabStop | s::ListNotify | 0x2 /* sorted */, 5, 5, 60, 40, ""},
        {301, k::ComboBox, cv | s::TabStop | s::ComboDropDown, 70, 5, 60, 50, ""},
        {302, k::ComboBox, cv | s::TabStop | s::ComboDropDownList, 70, 25, 60, 50, ""},
        {303, k::Button, cv | s::TabStop | s::AutoCheckBox, 5, 50, 60, 10, "&Check"},
        {304, k::Button, cv | s::Group | s::RadioButton, 5, 62, 60, 10, "Plain"},
        {305, k::Button, cv | s::AutoThreeState, 5, 74, 60, 10, "Three"},
    };
    const dialogs::DialogSpec spec{s::Popup | s::Caption | s::ModalFrame, 10, 10, 140, 100, "Lists", 0, "", controls};
    const std::vector<std::uint8_t> bytes = dialogs::buildDialogTemplate(spec);

    QtDialogHost host;
    Recorder events(host);
    events.init = [](Recorder& r) {
        const DialogWindow w = r.window();
        for (const char* t : {"pear", "apple", "Banana"})
            r.host.addItem(w, 300, t);
        r.host.selectItem(w, 300, 1);
        r.host.addItem(w, 301, "one");
        r.host.addItem(w, 301, "two");
        r.host.addItem(w, 302, "red");
        r.host.addItem(w, 302, "green");
        r.host.selectItem(w, 302, 1);
        r.host.setCheckState(w, 303, Unchecked);
        r.note("items " + std::to_string(r.host.itemCount(w, 300)) + " " + r.host.itemText(w, 300, 0) + " "
               + r.host.itemText(w, 300, 2) + " [" + r.host.itemText(w, 300, 3) + "] selected "
               + std::to_string(r.host.currentSelection(w, 300)) + " combo [" + r.host.text(w, 301) + "] "
               + std::to_string(r.host.currentSelection(w, 301)) + " list [" + r.host.text(w, 302) + "]");
    };
    events.react = [](Recorder& r, const std::string& line) {
        const DialogWindow w = r.window();
        if (line.ends_with("Escape")) {
            r.note("end " + std::to_string(r.host.currentSelection(w, 300)) + " "
                   + std::to_string(r.host.isItemSelected(w, 300, 2)) + " [" + r.host.text(w, 301) + "] "
                   + std::to_string(r.host.currentSelection(w, 302)) + " " + std::to_string(r.host.checkState(w, 303))
                   + " " + std::to_string(r.host.checkState(w, 304)) + " " + std::to_string(r.host.checkState(w, 305)));
            r.host.endDialog(w, 4);
        }
    };
    ProgramRun run(host, layoutOf(bytes), events);
    QDialog* box = shownBox(host);
    ASSERT_NE(box, nullptr);
    auto* list = control<QListWidget>(host, 300);
    auto* combo = control<QComboBox>(host, 301);
    auto* dropDown = control<QComboBox>(host, 302);
    auto* check = control<QCheckBox>(host, 303);
    auto* plain = control<QRadioButton>(host, 304);
    auto* three = control<QCheckBox>(host, 305);
    ASSERT_TRUE(list && combo && dropDown && check && plain && three);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_FALSE(dropDown->isEditable());
    ASSERT_EQ(events.size(), 2u); // nothing the program did was reported
    EXPECT_EQ(events.log()[1], "items 3 apple pear [] selected 1 combo [] -1 list [green]");

    // The user picks the last list item, double-clicks it, types into the combo box, moves
    // the drop-down list and clicks the buttons.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    ASSERT_TRUE(waitLines(events, 3));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    ASSERT_TRUE(waitLines(events, 4));
    QTest::keyClicks(combo->lineEdit(), "x");
    ASSERT_TRUE(waitLines(events, 5));
    QTest::keyClick(dropDown, Qt::Key_Up); // a drop-down list keeps the arrows
    ASSERT_TRUE(waitLines(events, 6));
    // Clicks are reported; the check marks are the program's to set.
    QTest::mouseClick(check, Qt::LeftButton);
    QTest::mouseClick(plain, Qt::LeftButton);
    QTest::mouseClick(three, Qt::LeftButton);
    QTest::mouseClick(three, Qt::LeftButton);
    ASSERT_TRUE(waitLines(events, 10));
    EXPECT_FALSE(check->isChecked() || plain->isChecked());
    EXPECT_EQ(three->checkState(), Qt::Unchecked);
    // A plain letter on a button is the dialog's.
    QTest::keyClick(box, Qt::Key_C);
    ASSERT_TRUE(waitLines(events, 11));

    QTest::keyClick(box, Qt::Key_Escape);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.result(), 4);
    const std::vector<std::string> log = events.log();
    EXPECT_EQ(
        std::vector<std::string>(log.begin() + 2, log.end()),
        (std::vector<std::string>{"select 300", "double 300", "edited 301", "select 302", "click 303", "click 304",
                                  "click 305", "click 305", "key 305 C", "key 305 Escape", "end 2 1 [x] 0 0 0 0"}));
}

TEST(QtDialogHostTest, NestedDialogIsOwnedByTheOuterOne)
{
    QtDialogHost host;
    Recorder inner(host);
    inner.react = [](Recorder& r, const std::string& line) {
        if (line.ends_with("Enter"))
            r.host.endDialog(r.window(), 11);
    };
    Recorder outer(host);
    outer.react = [&inner](Recorder& r, const std::string& line) {
        if (line.ends_with("Enter")) {
            r.note("inner " + std::to_string(r.host.runModal(layoutOf(app::AboutTemplate), r.window(), inner)));
        } else if (line.ends_with("Escape")) {
            r.host.endDialog(r.window(), 12);
        }
    };
    ProgramRun run(host, layoutOf(app::AboutTemplate), outer);
    QDialog* first = shownBox(host);
    ASSERT_NE(first, nullptr);
    QTest::keyClick(first, Qt::Key_Return);
    QDialog* second = shownBox(host, 2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->parentWidget(), first);
    QTest::keyClick(second, Qt::Key_Return);
    ASSERT_TRUE(waitLines(outer, 3));
    QTest::keyClick(first, Qt::Key_Escape);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.result(), 12);
    EXPECT_EQ(outer.log(), (std::vector<std::string>{"init", "key 0 Enter", "inner 11", "key 0 Escape"}));
    EXPECT_EQ(inner.log(), (std::vector<std::string>{"init", "key 0 Enter"}));
}

// --- One whole run through the dialog runtime --------------------------------------------------

class Silent final : public rt::ReportSink {
public:
    void showReport(uint32_t, std::string_view) override {}
};
class NoEnd final : public rt::ProgramEnd {
public:
    void programEnded(int) override {}
    void exitProcess(uint32_t) override {}
};

TEST(QtDialogHostTest, DialogRuntimeRunsTheViewDialogOnTheProgramThread)
{
    using namespace dialogs;
    rt::test::FakeFileSystem files;
    Silent reports;
    NoEnd end;
    rt::Runtime runtime(files, reports, end);
    QtDialogHost host;
    DialogRuntime context(host, app::applicationDialogResources(), runtime);

    std::string angleAfter;
    std::int32_t positionAfter = 0;
    ProgramRun run(host, [&] {
        Dialog d;
        if (!DialogLoad(app::ViewDialogId, d, context))
            return -100;
        DialogSetInteger(d, 1007, 100, ValueIndex::RangeMax);
        DialogSetText(d, 1003, "0");
        DialogSetInteger(d, 1007, 50);
        // The bar and the box follow each other.
        DialogSetCallback(d, 1007, [](Dialog& dialog, std::int32_t, std::int32_t) {
            std::int32_t p = 0;
            DialogGetInteger(dialog, 1007, p);
            DialogSetText(dialog, 1003, std::to_string(p - 50));
        });
        DialogSetCallback(d, 1003, [](Dialog& dialog, std::int32_t, std::int32_t) {
            std::string text(20, ' ');
            DialogGetText(dialog, 1003, text);
            DialogSetInteger(dialog, 1007, std::stoi(text) + 50);
        });
        const int result = DialogRunModal(d);
        angleAfter.resize(4);
        DialogGetText(d, 1003, angleAfter);
        DialogGetInteger(d, 1007, positionAfter);
        DialogRelease(d);
        return result;
    });
    QDialog* box = shownBox(host);
    ASSERT_NE(box, nullptr);
    auto* angle = control<QLineEdit>(host, 1003);
    auto* rotation = control<QScrollBar>(host, 1007);
    ASSERT_TRUE(angle && rotation);
    EXPECT_EQ(angle->text(), QStringLiteral("0"));
    EXPECT_EQ(rotation->value(), 50);
    EXPECT_EQ(rotation->minimum(), 1);
    EXPECT_EQ(rotation->maximum(), 100);

    rotation->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(pumpUntil([&] { return rotation->value() == 51 && angle->text() == QStringLiteral("1"); }));
    angle->setFocus();
    angle->setCursorPosition(1);
    QTest::keyClicks(angle, "7"); // "17"
    EXPECT_TRUE(pumpUntil([&] { return rotation->value() == 67; }));
    EXPECT_EQ(angle->text(), QStringLiteral("17")); // the box keeps what was typed

    QTest::mouseClick(control<QPushButton>(host, 1), Qt::LeftButton);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.result(), 1);
    EXPECT_EQ(angleAfter, "17  ");
    EXPECT_EQ(positionAfter, 67);
}

} // namespace
