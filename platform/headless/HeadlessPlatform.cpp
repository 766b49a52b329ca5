#include "platform/headless/HeadlessPlatform.h"

#include "platform/headless/BuiltinGlyphs.h"

#include <algorithm>

namespace platform {

namespace {

const char* stateName(ShowState state)
{
    switch (state) {
    case ShowState::Minimised: return "minimised";
    case ShowState::Maximised: return "maximised";
    case ShowState::Normal: break;
    }
    return "normal";
}

const char* axisName(ScrollAxis axis) { return axis == ScrollAxis::Horizontal ? "h" : "v"; }

std::string rectText(Rect r)
{
    return std::to_string(r.x) + " " + std::to_string(r.y) + " " + std::to_string(r.width) + " "
        + std::to_string(r.height);
}

// The headless font draws with the program's built-in glyphs and reports fixed measurements.
class HeadlessFont final : public Font {
public:
    explicit HeadlessFont(FontMetrics metrics) : m_metrics(metrics) {}
    FontMetrics metrics() const override { return m_metrics; }
    void renderGlyph(unsigned char ch, int cellWidth, int cellHeight, std::span<std::uint8_t> mask) const override
    {
        m_glyphs.renderGlyph(ch, cellWidth, cellHeight, mask);
    }

private:
    FontMetrics m_metrics;
    BuiltinGlyphs m_glyphs;
};

} // namespace

HeadlessPlatform::HeadlessPlatform(DisplayInfo display)
    : m_display(display), m_frameRect{0, 0, display.screenWidth, display.screenHeight}
{
}

HeadlessPlatform::~HeadlessPlatform() = default;

void HeadlessPlatform::setMessageThread(std::thread::id id)
{
    std::lock_guard lock(m_mutex);
    m_messageThread = id;
}

void HeadlessPlatform::setFrameExists(bool exists)
{
    std::lock_guard lock(m_mutex);
    m_frameExists = exists;
}

void HeadlessPlatform::queueMessageAnswer(MessageAnswer answer)
{
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

void HeadlessPlatform::setFontMeasurement(FontMeasurement measure)
{
    std::lock_guard lock(m_mutex);
    m_measure = std::move(measure);
}

void HeadlessPlatform::setFontCreationFails(bool fails)
{
    std::lock_guard lock(m_mutex);
    m_fontFails = fails;
}

void HeadlessPlatform::setWindowCreationFails(bool fails)
{
    std::lock_guard lock(m_mutex);
    m_windowFails = fails;
}

std::optional<HeadlessPlatform::ChildWindow> HeadlessPlatform::child(WindowId window) const
{
    std::lock_guard lock(m_mutex);
    if (const ChildWindow* c = find(window))
        return *c;
    return std::nullopt;
}

int HeadlessPlatform::childCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_children.size());
}

Rect HeadlessPlatform::frameRect() const
{
    std::lock_guard lock(m_mutex);
    return m_frameRect;
}

std::vector<MessageBoxRequest> HeadlessPlatform::messageBoxes() const
{
    std::lock_guard lock(m_mutex);
    return m_messageBoxes;
}

std::vector<FontRequest> HeadlessPlatform::fontRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_fontRequests;
}

std::vector<std::string> HeadlessPlatform::log() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

void HeadlessPlatform::clearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

FontMetrics HeadlessPlatform::measure(const FontRequest& request)
{
    return {std::clamp(request.cellWidth, MinCellWidth, MaxCellWidth),
            std::clamp(request.cellHeight, MinCellHeight, MaxCellHeight), 0};
}

DisplayInfo HeadlessPlatform::display() const { return m_display; }

std::unique_ptr<Font> HeadlessPlatform::createFont(const FontRequest& request)
{
    FontMeasurement measureFn;
    {
        std::lock_guard lock(m_mutex);
        m_fontRequests.push_back(request);
        if (m_fontFails)
            return nullptr;
        measureFn = m_measure;
    }
    return std::make_unique<HeadlessFont>(measureFn ? measureFn(request) : measure(request));
}

bool HeadlessPlatform::isMessageThread() const
{
    std::lock_guard lock(m_mutex);
    return m_messageThread != std::thread::id{} && m_messageThread == std::this_thread::get_id();
}

WindowId HeadlessPlatform::createChildWindow(std::string_view title)
{
    std::lock_guard lock(m_mutex);
    if (m_windowFails)
        return {};
    WindowId id{m_nextId++};
    ChildWindow& c = m_children[id.value];
    c.title = std::string(title);
    record("create " + std::to_string(id.value) + " " + c.title);
    return id;
}

void HeadlessPlatform::destroyWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    if (m_children.erase(window.value) == 0)
        return;
    if (m_active == window)
        m_active = {};
    if (m_focus == window)
        m_focus = {};
    record("destroy " + std::to_string(window.value));
}

void HeadlessPlatform::setWindowTitle(WindowId window, std::string_view title)
{
    std::lock_guard lock(m_mutex);
    if (ChildWindow* c = find(window)) {
        c->title = std::string(title);
        record("title " + std::to_string(window.value) + " " + c->title);
    }
}

void HeadlessPlatform::showWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    if (ChildWindow* c = find(window)) {
        c->visible = true;
        record("show " + std::to_string(window.value));
    }
}

void HeadlessPlatform::hideWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    if (ChildWindow* c = find(window)) {
        c->visible = false;
        if (m_active == window)
            m_active = {};
        record("hide " + std::to_string(window.value));
    }
}

void HeadlessPlatform::activateWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    if (find(window)) {
        m_active = window;
        record("activate " + std::to_string(window.value));
    }
}

void HeadlessPlatform::focusWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    if (find(window)) {
        m_focus = window;
        record("focus " + std::to_string(window.value));
    }
}

WindowId HeadlessPlatform::activeChild() const
{
    std::lock_guard lock(m_mutex);
    return m_active;
}

void HeadlessPlatform::setWindowState(WindowId window, ShowState state)
{
    std::lock_guard lock(m_mutex);
    if (ChildWindow* c = find(window)) {
        c->state = state;
        record("state " + std::to_string(window.value) + " " + stateName(state));
    }
}

ShowState HeadlessPlatform::windowState(WindowId window) const
{
    std::lock_guard lock(m_mutex);
    const ChildWindow* c = find(window);
    return c ? c->state : ShowState::Normal;
}

void HeadlessPlatform::moveWindow(WindowId window, Rect outer)
{
    std::lock_guard lock(m_mutex);
    if (ChildWindow* c = find(window)) {
        outer.width = std::max(outer.width, 0);
        outer.height = std::max(outer.height, 0);
        c->outer = outer;
        record("move " + std::to_string(window.value) + " " + rectText(outer));
    }
}

Rect HeadlessPlatform::windowRect(WindowId window) const
{
    std::lock_guard lock(m_mutex);
    const ChildWindow* c = find(window);
    return c ? c->outer : Rect{};
}

Size HeadlessPlatform::clientSize(WindowId window) const
{
    std::lock_guard lock(m_mutex);
    const ChildWindow* c = find(window);
    if (!c || c->state == ShowState::Minimised)
        return {};
    // The client area is what the borders, the caption and any scroll bar leave of the outer size.
    int width = c->outer.width - 2 * m_display.frameBorder - (c->verticalRange > 0 ? m_display.verticalScrollWidth : 0);
    int height = c->outer.height - 2 * m_display.frameBorder - m_display.captionHeight
        - (c->horizontalRange > 0 ? m_display.horizontalScrollHeight : 0);
    return {std::max(width, 0), std::max(height, 0)};
}

void HeadlessPlatform::setScrollRange(WindowId window, ScrollAxis axis, int maximum)
{
    std::lock_guard lock(m_mutex);
    if (ChildWindow* c = find(window)) {
        maximum = std::max(maximum, 0);
        (axis == ScrollAxis::Horizontal ? c->horizontalRange : c->verticalRange) = maximum;
        record("range " + std::to_string(window.value) + " " + axisName(axis) + " " + std::to_string(maximum));
    }
}

void HeadlessPlatform::setScrollPosition(WindowId window, ScrollAxis axis, int position)
{
    std::lock_guard lock(m_mutex);
    if (ChildWindow* c = find(window)) {
        (axis == ScrollAxis::Horizontal ? c->horizontalPosition : c->verticalPosition) = position;
        record("position " + std::to_string(window.value) + " " + axisName(axis) + " " + std::to_string(position));
    }
}

void HeadlessPlatform::invalidate(WindowId window, Rect area)
{
    std::lock_guard lock(m_mutex);
    if (ChildWindow* c = find(window)) {
        ++c->invalidations;
        c->lastInvalidated = area;
    }
}

void HeadlessPlatform::refreshWindowMenu()
{
    std::lock_guard lock(m_mutex);
    record("window-menu");
}

void HeadlessPlatform::allowClose(WindowId window)
{
    std::lock_guard lock(m_mutex);
    if (ChildWindow* c = find(window)) {
        c->closable = true;
        record("allow-close " + std::to_string(window.value));
    }
}

Size HeadlessPlatform::clientAreaSize() const
{
    std::lock_guard lock(m_mutex);
    const DisplayInfo& d = m_display;
    // The status bar is as high as a caption.
    return Size{std::max(m_frameRect.width - 2 * d.frameBorder, 0),
                std::max(m_frameRect.height - 2 * d.frameBorder - 2 * d.captionHeight - d.menuBarHeight, 0)};
}

bool HeadlessPlatform::frameExists() const
{
    std::lock_guard lock(m_mutex);
    return m_frameExists;
}

ShowState HeadlessPlatform::frameState() const
{
    std::lock_guard lock(m_mutex);
    return m_frameState;
}

void HeadlessPlatform::setFrameState(ShowState state)
{
    std::lock_guard lock(m_mutex);
    m_frameState = state;
    record(std::string("frame-state ") + stateName(state));
}

void HeadlessPlatform::placeFrame(const FramePlacement& placement)
{
    std::lock_guard lock(m_mutex);
    m_frameRect.x = placement.x.value_or(m_frameRect.x);
    m_frameRect.y = placement.y.value_or(m_frameRect.y);
    m_frameRect.width = std::max(placement.width.value_or(m_frameRect.width), 0);
    m_frameRect.height = std::max(placement.height.value_or(m_frameRect.height), 0);
    record("frame-place " + rectText(m_frameRect));
}

void HeadlessPlatform::tileChildren() { record("tile"); }

void HeadlessPlatform::arrangeIcons() { record("arrange icons"); }

void HeadlessPlatform::cascadeChildren()
{
    std::lock_guard lock(m_mutex);
    // Each window one caption lower and to the right of the one before, sizes kept.
    int step = m_display.captionHeight + m_display.frameBorder;
    int k = 0;
    for (auto& [id, c] : m_children) {
        if (c.state == ShowState::Minimised)
            continue;
        c.state = ShowState::Normal;
        c.outer.x = k * step;
        c.outer.y = k * step;
        ++k;
    }
    record("cascade");
}

MessageAnswer HeadlessPlatform::messageBox(const MessageBoxRequest& request)
{
    std::lock_guard lock(m_mutex);
    m_messageBoxes.push_back(request);
    record("message-box " + request.caption + ": " + request.text);
    if (!m_answers.empty()) {
        MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    if (request.defaultAnswer)
        return *request.defaultAnswer;
    switch (request.buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel: return MessageAnswer::Yes;
    case MessageButtons::Ok:
    case MessageButtons::OkCancel: break;
    }
    return MessageAnswer::Ok;
}

void HeadlessPlatform::record(std::string line) { m_log.push_back(std::move(line)); }

HeadlessPlatform::ChildWindow* HeadlessPlatform::find(WindowId window)
{
    auto it = m_children.find(window.value);
    return it == m_children.end() ? nullptr : &it->second;
}

const HeadlessPlatform::ChildWindow* HeadlessPlatform::find(WindowId window) const
{
    auto it = m_children.find(window.value);
    return it == m_children.end() ? nullptr : &it->second;
}

void HeadlessPlatform::setFrameEvents(FrameEvents* events)
{
    std::lock_guard lock(m_mutex);
    m_events = events;
}

void HeadlessPlatform::setFrameTitle(std::string_view title)
{
    std::lock_guard lock(m_mutex);
    m_frameTitle = std::string(title);
}

void HeadlessPlatform::setMenuBar(const MenuBar& bar)
{
    std::lock_guard lock(m_mutex);
    m_menuBar = bar;
}

void HeadlessPlatform::setStatusText(int pane, std::string_view text)
{
    std::lock_guard lock(m_mutex);
    if (pane == 0 || pane == 1)
        m_status[pane] = std::string(text);
}

void HeadlessPlatform::setStatusBarVisible(bool visible)
{
    std::lock_guard lock(m_mutex);
    m_statusVisible = visible;
}

void HeadlessPlatform::setViewMode(WindowId window, ViewMode mode)
{
    std::lock_guard lock(m_mutex);
    m_viewModes[window.value] = mode;
}

void HeadlessPlatform::setFullScreen(WindowId window)
{
    std::lock_guard lock(m_mutex);
    m_fullScreen = window;
}

void HeadlessPlatform::openHelp(const std::string& file, std::optional<int> topic)
{
    std::lock_guard lock(m_mutex);
    m_help.emplace_back(file, topic);
}

void HeadlessPlatform::closeFrame()
{
    std::lock_guard lock(m_mutex);
    m_frameClosed = true;
}

void HeadlessPlatform::beep()
{
    std::lock_guard lock(m_mutex);
    ++m_beeps;
}

FrameEvents* HeadlessPlatform::frameEvents() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::string HeadlessPlatform::frameTitle() const
{
    std::lock_guard lock(m_mutex);
    return m_frameTitle;
}

MenuBar HeadlessPlatform::menuBar() const
{
    std::lock_guard lock(m_mutex);
    return m_menuBar;
}

std::string HeadlessPlatform::statusText(int pane) const
{
    std::lock_guard lock(m_mutex);
    return pane == 0 || pane == 1 ? m_status[pane] : std::string();
}

bool HeadlessPlatform::statusBarVisible() const
{
    std::lock_guard lock(m_mutex);
    return m_statusVisible;
}

ViewMode HeadlessPlatform::viewMode(WindowId window) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_viewModes.find(window.value);
    return it == m_viewModes.end() ? ViewMode::Normal : it->second;
}

WindowId HeadlessPlatform::fullScreenWindow() const
{
    std::lock_guard lock(m_mutex);
    return m_fullScreen;
}

std::vector<std::pair<std::string, std::optional<int>>> HeadlessPlatform::helpRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_help;
}

bool HeadlessPlatform::frameClosed() const
{
    std::lock_guard lock(m_mutex);
    return m_frameClosed;
}

int HeadlessPlatform::beeps() const
{
    std::lock_guard lock(m_mutex);
    return m_beeps;
}

// A job records its steps in the platform's list of jobs; the platform outlives it.
class HeadlessPlatform::Job final : public PrintJob {
public:
    Job(HeadlessPlatform& platform, size_t index, PrinterFacts facts, std::optional<PrintStep> failing,
        std::optional<int> cancelAt)
        : m_platform(platform), m_index(index), m_facts(facts), m_failing(failing), m_cancelAt(cancelAt)
    {
    }
    ~Job() override { step("release"); }

    PrinterFacts facts() const override { return m_facts; }
    bool startDocument(std::string_view name, int copies) override
    {
        {
            std::lock_guard lock(m_platform.m_mutex);
            auto& job = m_platform.m_printJobs[m_index];
            job.documentName = std::string(name);
            job.copies = copies;
        }
        return step("start-document", PrintStep::StartDocument);
    }
    bool startPage() override { return step("start-page", PrintStep::StartPage); }
    bool drawPicture(const IndexedPicture& picture, Rect target) override
    {
        {
            std::lock_guard lock(m_platform.m_mutex);
            auto& job = m_platform.m_printJobs[m_index];
            job.picture = picture;
            job.target = target;
        }
        return step("draw", PrintStep::DrawPicture);
    }
    bool endPage() override { return step("end-page", PrintStep::EndPage); }
    bool endDocument() override { return step("end-document", PrintStep::EndDocument); }
    void abortDocument() override { step("abort"); }
    void serviceMessages() override
    {
        step("service");
        if (m_cancelAt && ++m_services == *m_cancelAt)
            m_platform.pressAbortCancel();
    }

private:
    bool step(const char* name, std::optional<PrintStep> which = std::nullopt)
    {
        std::lock_guard lock(m_platform.m_mutex);
        m_platform.m_printJobs[m_index].steps.emplace_back(name);
        return !which || which != m_failing;
    }

    HeadlessPlatform& m_platform;
    size_t m_index;
    PrinterFacts m_facts;
    std::optional<PrintStep> m_failing;
    std::optional<int> m_cancelAt;
    int m_services = 0;
};

void HeadlessPlatform::queueSaveFileAnswer(std::optional<std::string> path)
{
    std::lock_guard lock(m_mutex);
    m_saveAnswers.push_back(std::move(path));
}

void HeadlessPlatform::setClipboardFails(bool fails)
{
    std::lock_guard lock(m_mutex);
    m_clipboardFails = fails;
}

void HeadlessPlatform::setPrinterFacts(PrinterFacts facts)
{
    std::lock_guard lock(m_mutex);
    m_printer = facts;
}

void HeadlessPlatform::queuePrintDialogOutcome(PrintDialogOutcome outcome)
{
    std::lock_guard lock(m_mutex);
    m_printOutcomes.push_back(outcome);
}

void HeadlessPlatform::setFailingPrintStep(std::optional<PrintStep> step)
{
    std::lock_guard lock(m_mutex);
    m_failingStep = step;
}

void HeadlessPlatform::cancelPrintingAtService(std::optional<int> n)
{
    std::lock_guard lock(m_mutex);
    m_cancelAtService = n;
}

void HeadlessPlatform::setAbortBoxFails(bool fails)
{
    std::lock_guard lock(m_mutex);
    m_abortBoxFails = fails;
}

std::vector<SaveFileRequest> HeadlessPlatform::saveFileRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_saveRequests;
}

std::optional<std::string> HeadlessPlatform::clipboardTextValue() const
{
    std::lock_guard lock(m_mutex);
    return m_clipboardText;
}

std::optional<IndexedPicture> HeadlessPlatform::clipboardImage() const
{
    std::lock_guard lock(m_mutex);
    return m_clipboardImage;
}

void HeadlessPlatform::putClipboardText(std::string text)
{
    std::lock_guard lock(m_mutex);
    m_clipboardImage.reset();
    m_clipboardText = std::move(text);
}

int HeadlessPlatform::printDialogs() const
{
    std::lock_guard lock(m_mutex);
    return m_printDialogs;
}

std::vector<HeadlessPlatform::PrintRecord> HeadlessPlatform::printJobs() const
{
    std::lock_guard lock(m_mutex);
    return m_printJobs;
}

bool HeadlessPlatform::abortBoxShown() const
{
    std::lock_guard lock(m_mutex);
    return m_abortBoxShown;
}

int HeadlessPlatform::abortBoxesShown() const
{
    std::lock_guard lock(m_mutex);
    return m_abortBoxes;
}

bool HeadlessPlatform::frameEnabled() const
{
    std::lock_guard lock(m_mutex);
    return m_frameEnabled;
}

void HeadlessPlatform::pressAbortCancel()
{
    std::function<void()> cancel;
    {
        std::lock_guard lock(m_mutex);
        if (!m_abortBoxShown)
            return;
        cancel = m_abortCancel;
    }
    if (cancel)
        cancel();
}

void HeadlessPlatform::queueOpenFileAnswer(std::optional<std::string> path)
{
    std::lock_guard lock(m_mutex);
    m_openAnswers.push_back(std::move(path));
}

std::optional<std::string> HeadlessPlatform::openFileDialog(const OpenFileRequest&)
{
    std::lock_guard lock(m_mutex);
    record("open-file-dialog");
    if (m_openAnswers.empty())
        return std::nullopt;
    std::optional<std::string> answer = std::move(m_openAnswers.front());
    m_openAnswers.pop_front();
    if (!answer || answer->empty())
        return std::nullopt;
    return answer;
}

std::optional<std::string> HeadlessPlatform::saveFileDialog(const SaveFileRequest& request)
{
    std::lock_guard lock(m_mutex);
    m_saveRequests.push_back(request);
    record("save-file-dialog");
    if (m_saveAnswers.empty())
        return std::nullopt;
    const std::optional<std::string> answer = std::move(m_saveAnswers.front());
    m_saveAnswers.pop_front();
    if (!answer || answer->empty())
        return std::nullopt;
    return *answer;
}

bool HeadlessPlatform::setClipboardText(std::string_view text)
{
    std::lock_guard lock(m_mutex);
    if (m_clipboardFails)
        return false;
    m_clipboardImage.reset();
    m_clipboardText = std::string(text);
    return true;
}

bool HeadlessPlatform::setClipboardImage(const IndexedPicture& picture)
{
    std::lock_guard lock(m_mutex);
    if (m_clipboardFails)
        return false;
    m_clipboardText.reset();
    m_clipboardImage = picture;
    return true;
}

std::optional<std::string> HeadlessPlatform::clipboardText()
{
    std::lock_guard lock(m_mutex);
    return m_clipboardText;
}

PrintDialogResult HeadlessPlatform::printDialog()
{
    std::lock_guard lock(m_mutex);
    ++m_printDialogs;
    record("print-dialog");
    PrintDialogResult result;
    result.outcome = PrintDialogOutcome::Accepted;
    if (!m_printOutcomes.empty()) {
        result.outcome = m_printOutcomes.front();
        m_printOutcomes.pop_front();
    }
    if (result.outcome == PrintDialogOutcome::Accepted) {
        m_printJobs.emplace_back();
        result.job = std::make_unique<Job>(*this, m_printJobs.size() - 1, m_printer, m_failingStep, m_cancelAtService);
    }
    return result;
}

bool HeadlessPlatform::showPrintAbortBox(std::function<void()> onCancel)
{
    std::lock_guard lock(m_mutex);
    if (m_abortBoxFails)
        return false;
    m_abortCancel = std::move(onCancel);
    m_abortBoxShown = true;
    ++m_abortBoxes;
    record("abort-box shown");
    return true;
}

void HeadlessPlatform::closePrintAbortBox()
{
    std::function<void()> cancel;
    {
        std::lock_guard lock(m_mutex);
        if (m_abortBoxShown)
            record("abort-box closed");
        m_abortBoxShown = false;
        cancel.swap(m_abortCancel); // released outside the lock
    }
}

void HeadlessPlatform::setFrameEnabled(bool enabled)
{
    std::lock_guard lock(m_mutex);
    m_frameEnabled = enabled;
    record(enabled ? "frame enabled" : "frame disabled");
}

} // namespace platform
