#pragma once
// A dialog host on Qt Widgets. Boxes are built from the layout on the GUI thread (the thread
// of the QApplication): one widget per control in layout order (QtDialogControls makes each
// kind), Liberation Sans at 11 px.
//
// Threads. runModal called on another thread (the program thread) creates the widgets with
// blocking calls posted to the GUI thread (GuiInvoker), queues what the user does there, and
// drains the queue on the calling thread (QtDialogInputQueue), where every DialogInput call runs. Control operations made on
// the calling thread are forwarded to the GUI thread and wait for their result. runModal
// called on the GUI thread runs a nested event loop there and delivers the queued input from
// it, never from inside a widget's event handler. Programmatic changes report nothing.
//
// Keys the dialog handles (reachesDialog) are taken before the focused widget or Qt's
// shortcuts see them; buttons change no check state and scroll bars do not move by
// themselves: the program decides both.
//
// When the application quits (QCoreApplication::aboutToQuit) or a box is destroyed by someone
// else (its owner closed), the runs concerned return -1, and a host that saw the quit refuses
// new dialogs.

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
    // A control's widget by id (the first with that id), null when unknown. GUI thread only.
    QWidget* controlWidget(DialogWindow dialog, int controlId) const;
    // Every input reported so far has been delivered and handled. Any thread.
    bool settled() const;

    int runModal(const DialogLayout& layout, DialogWindow owner, DialogInput& input) override;
    void endDialog(DialogWindow dialog, int result) override;

    std::string text(DialogWindow dialog, int controlId) override;
    void setText(DialogWindow dialog, int controlId, std::string_view text) override;
    bool isEnabled(DialogWindow dialog, int controlId) override;
    void setEnabled(DialogWindow dialog, int controlId, bool enabled) override;
    int focus(DialogWindow dialog) override;
    void setFocus(DialogWindow dialog, int controlId) override;
    void selectText(DialogWindow dialog, int controlId, int start, int end) override;
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

    struct Impl; // shared with the GUI thread's queued calls

private:
    std::shared_ptr<Impl> m_impl;
};

} // namespace platform
