#pragma once
// A platform without a screen, for tests and the batch front end: windows are records in
// memory, fonts measure what was asked for, message boxes take scripted answers, and every
// call that changes something is written to a log that tests can read.

#include "platform/Platform.h"

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

class HeadlessPlatform final : public Platform {
public:
    // Cells the headless font accepts as asked; a request outside is measured as the nearest.
    static constexpr int MinCellWidth = 4;
    static constexpr int MaxCellWidth = 64;
    static constexpr int MinCellHeight = 6;
    static constexpr int MaxCellHeight = 96;
    // Outer size of a child window when it is created.
    static constexpr Rect InitialChildRect{0, 0, 400, 300};

    // What the headless platform remembers of a child window.
    struct ChildWindow {
        std::string title;
        bool visible = false;
        ShowState state = ShowState::Normal;
        Rect outer = InitialChildRect;
        int horizontalRange = 0;
        int verticalRange = 0;
        int horizontalPosition = 0;
        int verticalPosition = 0;
        int invalidations = 0;
        Rect lastInvalidated;
        bool closable = false;
    };

    // Measures a font request; replaces the built-in measurement (see setFontMeasurement).
    using FontMeasurement = std::function<FontMetrics(const FontRequest&)>;

    explicit HeadlessPlatform(DisplayInfo display = {});
    ~HeadlessPlatform() override;

    // --- Scripting ------------------------------------------------------------------------

    // The thread that counts as the message thread; by default no thread does.
    void setMessageThread(std::thread::id id);
    // Whether the frame exists (it does from construction unless told otherwise).
    void setFrameExists(bool exists);
    // The next message box returns this answer; without a queued answer a box returns its
    // default button, else its first.
    void queueMessageAnswer(MessageAnswer answer);
    void setFontMeasurement(FontMeasurement measure);
    // Makes createFont fail (return null) until set back.
    void setFontCreationFails(bool fails);
    // Makes createChildWindow fail until set back.
    void setWindowCreationFails(bool fails);
    // The next save-file dialog returns this path (empty: the user cancels); without a queued
    // answer the dialog is cancelled.
    void queueSaveFileAnswer(std::optional<std::string> path);
    // The answer of the next open-file dialog (none: the dialog is cancelled).
    void queueOpenFileAnswer(std::optional<std::string> path);
    // Makes setting the clipboard fail until set back.
    void setClipboardFails(bool fails);
    // The printer the print dialog offers.
    void setPrinterFacts(PrinterFacts facts);
    // The next print dialog ends this way; without a queued outcome it is accepted.
    void queuePrintDialogOutcome(PrintDialogOutcome outcome);
    // The steps of a print job, for making one of them fail.
    enum class PrintStep {
        StartDocument,
        StartPage,
        DrawPicture,
        EndPage,
        EndDocument
    };
    // Makes that step of every later job fail until set back (empty: none fails).
    void setFailingPrintStep(std::optional<PrintStep> step);
    // The n-th time (from 1) a job serves messages, the user presses Cancel in the abort box.
    void cancelPrintingAtService(std::optional<int> n);
    void setAbortBoxFails(bool fails);

    // What a print job did: its steps in order ("start-document", "start-page", "draw",
    // "end-page", "end-document", "abort", "service", "release") and the page drawn.
    struct PrintRecord {
        std::string documentName;
        int copies = 0;
        std::vector<std::string> steps;
        IndexedPicture picture;
        Rect target;
    };

    // --- Inspection -----------------------------------------------------------------------

    // The window's record, or empty for an id never created or destroyed.
    std::optional<ChildWindow> child(WindowId window) const;
    int childCount() const;
    Rect frameRect() const;
    std::vector<MessageBoxRequest> messageBoxes() const;
    std::vector<FontRequest> fontRequests() const;
    // One line per call that changed something, in order (repaint requests are counted per
    // window instead).
    std::vector<std::string> log() const;
    void clearLog();
    std::vector<SaveFileRequest> saveFileRequests() const;
    // What the clipboard holds: text or a picture (setting one clears the other).
    std::optional<std::string> clipboardTextValue() const;
    std::optional<IndexedPicture> clipboardImage() const;
    // Puts text on the clipboard as another program would.
    void putClipboardText(std::string text);
    int printDialogs() const;
    std::vector<PrintRecord> printJobs() const;
    bool abortBoxShown() const;
    int abortBoxesShown() const;
    bool frameEnabled() const;
    // Presses Cancel in the abort box now, as the user would (runs its handler).
    void pressAbortCancel();

    // The built-in measurement: the cell as asked within the accepted bounds, else the nearest.
    static FontMetrics measure(const FontRequest& request);

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
    // The frame's outer size less its borders, caption, menu bar and status bar.
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

    // --- Frame inspection -----------------------------------------------------------------

    FrameEvents* frameEvents() const;
    std::string frameTitle() const;
    MenuBar menuBar() const;
    std::string statusText(int pane) const;
    bool statusBarVisible() const;
    ViewMode viewMode(WindowId window) const;
    WindowId fullScreenWindow() const;
    // Help requests: the file and the topic (empty for the contents).
    std::vector<std::pair<std::string, std::optional<int>>> helpRequests() const;
    bool frameClosed() const;
    int beeps() const;

private:
    class Job;
    void record(std::string line);
    ChildWindow* find(WindowId window);
    const ChildWindow* find(WindowId window) const;

    const DisplayInfo m_display;
    mutable std::mutex m_mutex;
    std::thread::id m_messageThread;
    bool m_frameExists = true;
    ShowState m_frameState = ShowState::Normal;
    Rect m_frameRect;
    std::map<std::uint64_t, ChildWindow> m_children;
    std::uint64_t m_nextId = 1;
    WindowId m_active;
    WindowId m_focus;
    std::deque<MessageAnswer> m_answers;
    std::vector<MessageBoxRequest> m_messageBoxes;
    std::vector<FontRequest> m_fontRequests;
    FontMeasurement m_measure;
    bool m_fontFails = false;
    bool m_windowFails = false;
    std::vector<std::string> m_log;
    FrameEvents* m_events = nullptr;
    std::string m_frameTitle;
    MenuBar m_menuBar;
    std::string m_status[2];
    bool m_statusVisible = true;
    std::map<std::uint64_t, ViewMode> m_viewModes;
    WindowId m_fullScreen;
    std::vector<std::pair<std::string, std::optional<int>>> m_help;
    bool m_frameClosed = false;
    int m_beeps = 0;
    std::deque<std::optional<std::string>> m_saveAnswers;
    std::deque<std::optional<std::string>> m_openAnswers;
    std::vector<SaveFileRequest> m_saveRequests;
    bool m_clipboardFails = false;
    std::optional<std::string> m_clipboardText;
    std::optional<IndexedPicture> m_clipboardImage;
    PrinterFacts m_printer{4800, 6600, 600, 600};
    std::deque<PrintDialogOutcome> m_printOutcomes;
    std::optional<PrintStep> m_failingStep;
    std::optional<int> m_cancelAtService;
    bool m_abortBoxFails = false;
    int m_printDialogs = 0;
    std::vector<PrintRecord> m_printJobs;
    std::function<void()> m_abortCancel;
    bool m_abortBoxShown = false;
    int m_abortBoxes = 0;
    bool m_frameEnabled = true;
};

} // namespace platform
