// The dialog table on the Qt host (offscreen): a program thread runs each row's dialog through
// the dialog runtime while QTest plays the row's input on the widgets, as a user would.

#include "platform/qt/QtDialogHost.h"
#include "runtime/Runtime.h"
#include "tests/dialogs/DialogConformance.h"
#include "tests/runtime/FakeFileSystem.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <atomic>
#include <thread>

namespace dialogs::conformance {
namespace {

using platform::DialogWindow;
using platform::QtDialogHost;

// Serves the GUI thread until pred holds; false after timeoutMs.
bool pumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class QtDriver final : public Driver {
public:
    explicit QtDriver(QtDialogHost& host) : m_host(host) {}

    std::int32_t run(Dialog& dialog, const std::vector<Act>& acts, Log& log) override
    {
        m_ids.clear();
        for (const DialogControl& c : dialog.controls)
            m_ids.push_back(c.id);
        std::atomic<bool> done{false};
        std::int32_t result = 0;
        std::thread program([&] {
            result = DialogRunModal(dialog);
            done = true;
        });
        QDialog* box = nullptr;
        pumpUntil([&] {
            const auto open = m_host.openDialogs();
            box = open.empty() ? nullptr : m_host.dialogWidget(open.back());
            return box != nullptr && box->isVisible();
        });
        if (box != nullptr) {
            m_window = m_host.openDialogs().back();
            for (const Act& a : acts) {
                if (done)
                    break;
                play(a, box, log);
            }
        }
        if (!pumpUntil([&] { return done.load(); }))
            for (DialogWindow w : m_host.openDialogs())
                m_host.endDialog(w, -99);
        pumpUntil([&] { return done.load(); });
        program.join();
        return result;
    }

private:
    // Waits until the program thread has handled everything the last input reported.
    void settle()
    {
        pumpUntil([&] { return m_host.settled(); });
    }

    QWidget* widget(int id) const { return m_host.controlWidget(m_window, id); }

    void play(const Act& a, QDialog* box, Log& log)
    {
        QWidget* focus = box->focusWidget() != nullptr ? box->focusWidget() : box;
        switch (a.kind) {
        case Act::Kind::Click: QTest::mouseClick(widget(a.id), Qt::LeftButton); break;
        case Act::Kind::Type:
            for (const char ch : a.text) {
                QTest::keyClick(box->focusWidget() != nullptr ? box->focusWidget() : box, ch);
                settle();
            }
            break;
        case Act::Kind::Key: {
            static constexpr Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab,  Qt::Key_Up,
                                               Qt::Key_Down,   Qt::Key_Left,   Qt::Key_Right};
            const Qt::Key k = a.key.key == DialogKey::Character
                ? static_cast<Qt::Key>(Qt::Key_A + (a.key.character - 'A'))
                : a.key.key == DialogKey::Tab && a.key.shift ? Qt::Key_Backtab
                                                             : keys[static_cast<int>(a.key.key)];
            Qt::KeyboardModifiers mods = a.key.alt ? Qt::AltModifier : Qt::NoModifier;
            if (a.key.shift)
                mods |= Qt::ShiftModifier;
            QTest::keyClick(focus, k, mods);
            break;
        }
        case Act::Kind::Close: box->close(); break;
        case Act::Kind::Scroll: {
            // The arrow at the end the request goes to.
            auto* bar = static_cast<QScrollBar*>(widget(a.id));
            const bool down = a.request == ScrollRequest::LineDown;
            QTest::mouseClick(bar, Qt::LeftButton, {},
                              bar->orientation() == Qt::Horizontal
                                  ? QPoint(down ? bar->width() - 3 : 3, bar->height() / 2)
                                  : QPoint(bar->width() / 2, down ? bar->height() - 3 : 3));
            break;
        }
        case Act::Kind::LookFocus: {
            int id = 0;
            for (int candidate : m_ids)
                if (QWidget* w = widget(candidate); w != nullptr && (w == focus || w->isAncestorOf(focus)))
                    id = candidate;
            log.add(focusLine(id));
            break;
        }
        case Act::Kind::LookText:
            log.add(textLine(a.id, static_cast<QLineEdit*>(widget(a.id))->text().toStdString()));
            break;
        case Act::Kind::LookSelected:
            log.add(selectedLine(a.id, static_cast<QLineEdit*>(widget(a.id))->selectedText().toStdString()));
            break;
        case Act::Kind::LookCheck: {
            const auto* button = static_cast<QAbstractButton*>(widget(a.id));
            const auto* check = qobject_cast<const QCheckBox*>(button);
            log.add(checkLine(a.id, check && check->checkState() == Qt::PartiallyChecked ? 2 : button->isChecked()));
            break;
        }
        case Act::Kind::LookPosition:
            log.add(positionLine(a.id, static_cast<QScrollBar*>(widget(a.id))->value()));
            break;
        }
        settle();
    }

    QtDialogHost& m_host;
    DialogWindow m_window;
    std::vector<int> m_ids;
};

class Silent final : public rt::ReportSink {
public:
    void showReport(uint32_t, std::string_view) override {}
};
class NoEnd final : public rt::ProgramEnd {
public:
    void programEnded(int) override {}
    void exitProcess(uint32_t) override {}
};

TEST(DialogConformance, TheTableOnTheQtHost)
{
    rt::test::FakeFileSystem files;
    Silent reports;
    NoEnd end;
    rt::Runtime runtime(files, reports, end);
    QtDialogHost host;
    TableResources table;
    DialogRuntime context(host, table, runtime);
    QtDriver driver(host);
    runTable(driver, context);
}

} // namespace
} // namespace dialogs::conformance
