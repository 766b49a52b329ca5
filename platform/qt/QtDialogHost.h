#pragma once
// The dialog manager on Qt Widgets. Dialog boxes are built from the parsed binary template on
// the GUI thread (the thread of the QApplication): positions and sizes in dialog units with
// base units 6 x 13, Liberation Sans at 11 px, one widget per template item in template order.
//
// Threads. runModal called on another thread (the program thread) creates the widgets with
// blocking calls posted to the GUI thread, turns what the user does there into notifications
// on a queue, and drains the queue on the calling thread, where every DialogEvents callback
// runs. Control operations made on the calling thread are forwarded to the GUI thread and wait
// for their result. runModal called on the GUI thread runs a nested event loop there and
// delivers the queued notifications from it, never from inside a widget's event handler.
// Programmatic changes raise no notifications.
//
// Keys follow the system's dialog manager: Enter sends a click from the focused push button,
// else from the default push button when it is enabled, else from id 1; Escape sends a click
// from id 2; the close box does so when the template asks for one and a control 2, if present,
// is enabled. None of them closes the box: only endDialog does. Automatic radio buttons check
// themselves and uncheck the other automatic radio buttons of their group; the other check box
// and radio button styles leave their state to the program. Scroll bars report requests and
// move only when the program sets their position.
//
// When the application quits (QCoreApplication::aboutToQuit) or a dialog box is destroyed by
// someone else (its owner closed), the runs concerned return -1, and a host that saw the quit
// refuses new dialogs.

#include "platform/DialogHost.h"

#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QWidget;

namespace platform {

class QtDialogHost final : public DialogHost {
public:
    // frame gives the window that owns dialogs whose owner is 0 (null: no owner); it is called
    // on the GUI thread. Needs a QApplication; construct and destroy on the GUI thread, the
    // latter when no dialog runs.
    explicit QtDialogHost(std::function<QWidget*()> frame = {});
    ~QtDialogHost() override;
    QtDialogHost(const QtDialogHost&) = delete;
    QtDialogHost& operator=(const QtDialogHost&) = delete;

    // The dialogs open now, outermost first. Any thread.
    std::vector<DialogWindow> openDialogs() const;
    // The box of an open dialog, null when there is none. GUI thread only.
    QDialog* dialogWidget(DialogWindow dialog) const;
    // A control's widget by template id (the first with that id), null when unknown. GUI
    // thread only.
    QWidget* controlWidget(DialogWindow dialog, int controlId) const;

    // --- DialogHost -----------------------------------------------------------------------

    int runModal(std::span<const std::uint8_t> templateBytes, DialogWindow owner, DialogEvents& events) override;
    void endDialog(DialogWindow dialog, int result) override;

    std::string text(DialogWindow dialog, int controlId) override;
    void setText(DialogWindow dialog, int controlId, std::string_view text) override;
    bool isEnabled(DialogWindow dialog, int controlId) override;
    void setEnabled(DialogWindow dialog, int controlId, bool enabled) override;
    int checkState(DialogWindow dialog, int controlId) override;
    void setCheckState(DialogWindow dialog, int controlId, int state) override;
    void setScrollRange(DialogWindow dialog, int controlId, int minimum, int maximum) override;
    int scrollRangeMax(DialogWindow dialog, int controlId) override;
    int scrollPosition(DialogWindow dialog, int controlId) override;
    void setScrollPosition(DialogWindow dialog, int controlId, int position) override;
    void clearItems(DialogWindow dialog, int controlId) override;
    void addItem(DialogWindow dialog, int controlId, std::string_view text) override;
    int itemCount(DialogWindow dialog, int controlId) override;
    std::string itemText(DialogWindow dialog, int controlId, int index) override;
    int currentSelection(DialogWindow dialog, int controlId) override;
    bool isItemSelected(DialogWindow dialog, int controlId, int index) override;
    void selectItem(DialogWindow dialog, int controlId, int index) override;

    // Dialog units to pixels with the fixed base units (6 x 13), rounded half away from zero
    // as the system rounds them.
    static int unitsToPixelsX(int x);
    static int unitsToPixelsY(int y);

    struct Impl; // shared with the GUI thread's queued calls

private:
    std::shared_ptr<Impl> m_impl;
};

} // namespace platform
