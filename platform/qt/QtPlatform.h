#pragma once
// The platform on Qt Widgets: a main window holding a multiple-document area and a two-pane
// status bar, child windows that paint the window runtime's indexed pictures, a full-screen
// view, fixed-pitch fonts, message boxes and an HTML help viewer.
//
// Threads: the object is created on the GUI thread, which owns every widget and is the message
// thread. A call from another thread is carried out on the GUI thread while the caller waits;
// invalidate never waits (repaints are posted and coalesced), and Font::renderGlyph draws on the
// calling thread. A caller must therefore not hold a lock that the GUI thread may wait for
// (such as a picture's drawing lock, which paint takes) across any other call. After
// stopServing, calls from other threads no longer wait: they do nothing and return a default.

#include "platform/Platform.h"

#include <functional>
#include <memory>

class QDialog;
class QLabel;
class QPrinter;
class QMainWindow;
class QMdiArea;
class QMdiSubWindow;
class QScrollBar;
class QTextBrowser;
class QWidget;

namespace platform {

class QtPlatform final : public Platform {
public:
    // Creates the (hidden) frame. Needs a QApplication; call on the GUI thread.
    QtPlatform();
    ~QtPlatform() override;
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    // --- Qt side: for the desktop start-up and for tests (GUI thread only) -------------------

    QMainWindow* frameWindow() const;
    QMdiArea* mdiArea() const;
    // The child window's sub-window, its painting area and its scroll bars; null for unknown ids.
    QMdiSubWindow* subWindow(WindowId window) const;
    QWidget* pictureWidget(WindowId window) const;
    QScrollBar* scrollBar(WindowId window, ScrollAxis axis) const;
    // Status bar pane 0 (run state) or 1 (message); null for another number.
    QLabel* statusPane(int pane) const;
    // The full-screen view while one is open, else null.
    QWidget* fullScreenWidget() const;
    // The help viewer once help has been opened, else null.
    QTextBrowser* helpWindow() const;
    // Called on the GUI thread when the frame closes, before FrameEvents::frameClosing, with
    // whether the frame was maximised.
    void setCloseHook(std::function<void(bool maximised)> hook);
    // The printer whose settings the print dialog keeps from job to job (made on first use).
    QPrinter* keptPrinter();
    // Replaces the print dialog (tests): the hook sets up the printer and returns whether the
    // dialog was accepted.
    void setPrintDialogHook(std::function<bool(QPrinter&)> hook);
    // The abort box of the running print job, else null.
    QDialog* printAbortBox() const;
    // Ends service to other threads (GUI thread, once the message loop has ended): calls that
    // wait for the GUI thread are released with a default result, and later ones return at once.
    void stopServing();

    // --- Display -------------------------------------------------------------------------

    DisplayInfo display() const override;
    std::unique_ptr<Font> createFont(const FontRequest& request) override;

    // --- Child windows -------------------------------------------------------------------

    bool isMessageThread() const override;
    WindowId createChildWindow(std::string_view title) override;
    void destroyWindow(WindowId window) override;
    void setWindowTitle(WindowId window, std::string_view title) override;
    void showWindow(WindowId window) override;
    void hideWindow(WindowId window) override;
    void activateWindow(WindowId window) override;
    void focusWindow(WindowId window) override;
    WindowId activeChild() const override;
    void setWindowState(WindowId window, ShowState state) override;
    ShowState windowState(WindowId window) const override;
    void moveWindow(WindowId window, Rect outer) override;
    Rect windowRect(WindowId window) const override;
    Size clientSize(WindowId window) const override;
    void setScrollRange(WindowId window, ScrollAxis axis, int maximum) override;
    void setScrollPosition(WindowId window, ScrollAxis axis, int position) override;
    void setViewMode(WindowId window, ViewMode mode) override;
    void invalidate(WindowId window, Rect area) override;
    void refreshWindowMenu() override;
    void allowClose(WindowId window) override;
    Size clientAreaSize() const override;
    void cascadeChildren() override;
    void tileChildren() override;
    void arrangeIcons() override;

    // --- Frame window --------------------------------------------------------------------

    bool frameExists() const override;
    ShowState frameState() const override;
    void setFrameState(ShowState state) override;
    void placeFrame(const FramePlacement& placement) override;
    void setFrameEvents(FrameEvents* events) override;
    void setFrameTitle(std::string_view title) override;
    void setMenuBar(const MenuBar& bar) override;
    void setStatusText(int pane, std::string_view text) override;
    void setStatusBarVisible(bool visible) override;
    void setFullScreen(WindowId window) override;
    void openHelp(const std::string& file, std::optional<int> topic) override;
    void setFrameEnabled(bool enabled) override;
    void closeFrame() override;
    void beep() override;

    // --- System dialogs ------------------------------------------------------------------

    MessageAnswer messageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> saveFileDialog(const SaveFileRequest& request) override;
    std::optional<std::string> openFileDialog(const OpenFileRequest& request) override;
    PrintDialogResult printDialog() override;
    bool showPrintAbortBox(std::function<void()> onCancel) override;
    void closePrintAbortBox() override;

    // --- Clipboard -----------------------------------------------------------------------

    bool setClipboardText(std::string_view text) override;
    bool setClipboardImage(const IndexedPicture& picture) override;
    std::optional<std::string> clipboardText() override;

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

} // namespace platform
