#include "winrt/Frame.h"

#include "winrt/PrintLayout.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <filesystem>
#include <sstream>

namespace winrt {

namespace {

platform::MenuItem item(std::string text, int id) { return platform::MenuItem{std::move(text), id}; }

const char* runStateText(RunState s)
{
    switch (s) {
    case RunState::Running: return "Running";
    case RunState::Paused: return "Paused";
    case RunState::Finished: return "Finished";
    }
    return "";
}

bool isRuntimeCommand(int id) { return id >= command::Exit && id <= command::Input; }

// Holds the program at its next operation for as long as a save or a print reads the picture.
// The message thread does not hold the drawing lock across the command's dialogs: it paints
// from the canvas under that lock while a dialog is up.
class ProgramHold {
public:
    explicit ProgramHold(PauseGate& gate) : m_gate(gate) { m_gate.hold(); }
    ~ProgramHold() { m_gate.release(); }
    ProgramHold(const ProgramHold&) = delete;
    ProgramHold& operator=(const ProgramHold&) = delete;

private:
    PauseGate& m_gate;
};

std::string withAccessKey(std::string_view text)
{
    if (text.find('&') != std::string_view::npos)
        return std::string(text);
    return "&" + std::string(text);
}

} // namespace

platform::MenuBar defaultMenuBar()
{
    using platform::Menu;
    platform::MenuBar bar;
    bar.push_back(Menu{
        "&File",
        {item("&Print...", command::Print), item("&Save...", command::Save), item("E&xit\tCtrl+C", command::Exit)}});
    bar.push_back(Menu{"&Edit",
                       {item("Select &Text", command::SelectText), item("Select &Graphics", command::SelectGraphics),
                        item("Select &All", command::SelectAll), item("&Copy\tCtrl+Ins", command::Copy),
                        item("&Paste", command::Paste)}});
    bar.push_back(Menu{
        "&View", {item("&Size To Fit", command::SizeToFit), item("&Full Screen\tAlt+Enter", command::FullScreen)}});
    bar.push_back(Menu{"&State", {item("&Pause\tCtrl+S", command::Pause)}});
    platform::MenuItem input = item("&Input", command::Input);
    input.grayed = true;
    platform::MenuItem statusBar = item("&Status Bar", command::StatusBar);
    statusBar.checked = true;
    platform::MenuItem cascade = item("&Cascade", command::Cascade);
    cascade.windowList = true;
    bar.push_back(Menu{"&Window",
                       {cascade, item("&Tile", command::Tile), item("&Arrange Icons", command::ArrangeIcons), input,
                        item("C&lear Paste", command::ClearPaste), statusBar}});
    bar.push_back(Menu{"&Help",
                       {item("&Contents", command::Contents), item("Using &Help", command::UsingHelp),
                        item("&About", command::About)}});
    // Copy has nothing to copy until something is selected.
    bar[1].items[3].grayed = true;
    return bar;
}

std::string_view printMessageText(int number)
{
    switch (number) {
    case 0: return "Error! Printing Aborted";
    case 1: return "Error! Loading printer driver";
    case 2: return "No Default Printer";
    case 3: return "No Printer Driver";
    case 4: return "Print: Printing Error";
    case 9: return "Print: Internal Error";
    default: return {};
    }
}

std::optional<int> printDialogMessage(platform::PrintDialogOutcome outcome)
{
    using Outcome = platform::PrintDialogOutcome;
    // Accepted appears here only when the dialog gave no job after all.
    static constexpr std::pair<Outcome, int> messages[] = {
        {Outcome::Accepted, 0},         {Outcome::Failed, 0},    {Outcome::DriverLoadFailed, 1},
        {Outcome::NoDefaultPrinter, 2}, {Outcome::NoPrinter, 3},
    };
    for (const auto& [from, number] : messages)
        if (from == outcome)
            return number;
    return std::nullopt;
}

std::optional<int> helpTopic(int id)
{
    // Each command's topic number in the help file.
    static constexpr std::pair<int, int> topics[] = {
        {command::Exit, 1000},       {command::Copy, 1002},  {command::SizeToFit, 1015},
        {command::FullScreen, 1016}, {command::Pause, 1012}, {command::Resume, 1013},
        {command::Cascade, 1010},    {command::Tile, 1011},  {command::ArrangeIcons, 1009},
        {command::StatusBar, 1008},  {command::About, 1001}, {command::Print, 1017},
        {command::Save, 1018},       {command::Paste, 1007}, {command::ClearPaste, 1014},
        {command::Input, 1004},
    };
    for (auto [item, topic] : topics)
        if (item == id)
            return topic;
    return std::nullopt;
}

std::string findHelpFile(const std::string& programDirectory)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (const char* env = std::getenv("WINRT_HELP")) {
        fs::path p(env);
        if (fs::is_directory(p, ec))
            p /= "WINRT";
        if (!p.has_extension())
            p += ".html";
        if (fs::exists(p, ec))
            return p.string();
    } else {
        std::vector<fs::path> places;
        if (!programDirectory.empty())
            places.emplace_back(programDirectory);
        places.emplace_back(fs::current_path(ec));
        if (const char* path = std::getenv("PATH")) {
            std::stringstream ss(path);
            for (std::string dir; std::getline(ss, dir, ':');)
                if (!dir.empty())
                    places.emplace_back(dir);
        }
        for (const auto& dir : places)
            if (fs::exists(dir / "WINRT.html", ec))
                return (dir / "WINRT.html").string();
    }
    return "WINRT.html";
}

FrameRuntime::FrameRuntime(FrameRoles platform, WindowRuntime& windows, std::string programName,
                           std::string programDirectory)
    : m_platform(platform), m_windows(windows), m_programName(std::move(programName)),
      m_programDirectory(std::move(programDirectory)),
      m_gate([&children = platform.children] { return children.isMessageThread(); }),
      m_menu(m_mutex, platform.frame, defaultMenuBar()),
      m_selection(m_mutex, m_sizeToFit, m_menu, windows, platform.children, platform.clipboard,
                  {[this] { pause(); }, [this] { resume(); }, [this] { refreshStatus(); },
                   [this](int32_t handle) { invalidateWindow(handle); },
                   [this](std::string_view message, int line) { reportError(message, line); }})
{
}

FrameRuntime::~FrameRuntime()
{
    m_windows.setInputListener({});
    m_windows.cancelReads();
    m_gate.resume();
    m_platform.frame.setFrameEvents(nullptr);
}

void FrameRuntime::start()
{
    m_windows.setOperationGate([this] { m_gate.enter(); });
    m_windows.setInputListener([this] { inputChanged(); });
    m_platform.frame.setFrameEvents(this);
    m_menu.publish();
    setRunState(RunState::Running);
    m_platform.frame.setStatusText(1, "");
}

std::string FrameRuntime::banner() { return "FACETOR window runtime, version 1.0"; }

RunState FrameRuntime::runState() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

std::string FrameRuntime::statusMessage() const
{
    std::lock_guard lock(m_mutex);
    return m_message;
}

void FrameRuntime::setStatusMessage(std::string_view text)
{
    {
        std::lock_guard lock(m_mutex);
        m_message = std::string(text);
    }
    m_platform.frame.setStatusText(1, text);
}

platform::MenuBar FrameRuntime::menuBar() const
{
    std::lock_guard lock(m_mutex);
    return m_menu.bar();
}

void FrameRuntime::setRunState(RunState state)
{
    {
        std::lock_guard lock(m_mutex);
        m_state = state;
    }
    m_platform.frame.setStatusText(0, runStateText(state));
}

void FrameRuntime::setUserItemsGrayed(bool grayed)
{
    m_menu.update([this, grayed](MenuModel& menu) {
        for (auto& m : menu.bar()) {
            if (m.items.empty() && m.id >= command::FirstUser)
                continue;
            for (auto& i : m.items)
                if (i.id >= command::FirstUser)
                    i.grayed = grayed || m_userItems[std::size_t(i.id - command::FirstUser)].grayed;
        }
    });
}

bool FrameRuntime::setMenuItemGrayed(int menu, int item, bool grayed)
{
    return m_menu.update([&](MenuModel& model) {
        platform::MenuBar& bar = model.bar();
        if (menu < 1 || menu > int(bar.size()))
            return false;
        auto& items = bar[std::size_t(menu - 1)].items;
        if (item < 0 || item > int(items.size()))
            return false;
        for (int k = 1; k <= int(items.size()); ++k) {
            platform::MenuItem& entry = items[std::size_t(k - 1)];
            if ((item == 0 || k == item) && entry.id >= command::FirstUser) {
                m_userItems[std::size_t(entry.id - command::FirstUser)].grayed = grayed;
                entry.grayed = grayed || m_state != RunState::Running;
            }
        }
        return true;
    });
}

bool FrameRuntime::append_menu_item(int menu, int flags, std::string_view text, MenuCallback callback)
{
    if (!m_platform.children.isMessageThread() && !m_windows.currentCanvas())
        return false;
    return m_menu.update([&](MenuModel& model) {
        platform::MenuBar& bar = model.bar();
        if (menu < 1 || menu > int(bar.size()) + 1)
            return false;
        platform::MenuItem entry;
        entry.separator = (flags & menuflag::Separator) != 0;
        if (!entry.separator) {
            entry.text = withAccessKey(text);
            entry.id = command::FirstUser + int(m_userItems.size());
            const bool grayed = (flags & (menuflag::Grayed | menuflag::Disabled)) != 0;
            entry.grayed = grayed || m_state != RunState::Running;
            entry.checked = (flags & menuflag::Checked) != 0;
            m_userItems.push_back(UserItem{std::move(callback), grayed});
        }
        if (menu == int(bar.size()) + 1) {
            bar.push_back(platform::Menu{entry.text, {}, entry.id});
        } else {
            platform::Menu& target = bar[size_t(menu - 1)];
            if (target.items.empty() && target.id != 0)
                target.id = 0; // a plain command of the bar becomes a menu of the same text
            entry.newColumn = !target.items.empty() && target.items.size() % 20 == 0;
            target.items.push_back(entry);
        }
        return true;
    });
}

bool FrameRuntime::delete_menu_item(int menu, int item)
{
    if (!m_platform.children.isMessageThread() && !m_windows.currentCanvas())
        return false;
    bool refused = false;
    const bool deleted = m_menu.update([&](MenuModel& model) {
        platform::MenuBar& bar = model.bar();
        if (menu < 1 || menu > int(bar.size()))
            return false;
        platform::Menu& target = bar[size_t(menu - 1)];
        if (item == 0) {
            bar.erase(bar.begin() + (menu - 1));
            return true;
        }
        if (item < 1 || item > int(target.items.size()))
            return false;
        const int id = target.items[size_t(item - 1)].id;
        const bool user = id >= command::FirstUser && id < command::FirstUser + int(m_userItems.size());
        if (!user && !isRuntimeCommand(id)) {
            refused = true;
            return false;
        }
        target.items.erase(target.items.begin() + (item - 1));
        return true;
    });
    if (refused) {
        m_platform.dialogs.messageBox({"Window Runtime Error",
                                       "Internal Error - unexpected error\nfile \"frame\", line 1",
                                       platform::MessageIcon::Error, platform::MessageButtons::Ok, std::nullopt});
        return false;
    }
    return deleted;
}

int FrameRuntime::set_exit_behaviour(int behaviour)
{
    if (behaviour < 1 || behaviour > 3)
        return -1;
    std::lock_guard lock(m_mutex);
    m_exitBehaviour = ExitBehaviour(behaviour);
    return 0;
}

void FrameRuntime::programEnded(int code)
{
    ExitBehaviour behaviour;
    {
        std::lock_guard lock(m_mutex);
        behaviour = m_exitBehaviour;
        m_nestedPauses = 0;
        m_finished = true;
        if (auto* p = m_menu.find(command::Resume)) {
            p->text = "&Pause\tCtrl+S";
            p->id = command::Pause;
        }
    }
    setRunState(RunState::Finished);
    m_gate.resume();
    setUserItemsGrayed(true);
    if (m_closed)
        return;
    switch (behaviour) {
    case ExitBehaviour::Ask: {
        platform::MessageBoxRequest box;
        box.caption = m_programName;
        box.text = "Program Terminated with exit code " + std::to_string(code) + "\nExit Window?";
        box.icon = platform::MessageIcon::Warning;
        box.buttons = platform::MessageButtons::YesNo;
        box.defaultAnswer = platform::MessageAnswer::No;
        if (m_platform.dialogs.messageBox(box) == platform::MessageAnswer::Yes)
            closeFrame();
        break;
    }
    case ExitBehaviour::Close: closeFrame(); break;
    case ExitBehaviour::KeepOpen: break;
    }
}

void FrameRuntime::pause()
{
    bool finished;
    {
        std::lock_guard lock(m_mutex);
        if (m_state == RunState::Paused) {
            ++m_nestedPauses;
            return;
        }
        finished = m_finished;
        if (auto* p = m_menu.find(command::Pause)) {
            p->text = "&Resume\tCtrl+Q";
            p->id = command::Resume;
        }
    }
    // The program thread stops at the start of its next drawing or text operation.
    m_gate.pause();
    setRunState(RunState::Paused);
    if (!finished)
        setUserItemsGrayed(true);
    else
        m_menu.publish();
}

void FrameRuntime::resume()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state != RunState::Paused)
            return;
        if (m_nestedPauses > 0) {
            --m_nestedPauses;
            return;
        }
        if (auto* p = m_menu.find(command::Resume)) {
            p->text = "&Pause\tCtrl+S";
            p->id = command::Pause;
        }
    }
    m_gate.resume();
    bool finished;
    {
        std::lock_guard lock(m_mutex);
        finished = m_finished;
    }
    if (finished) {
        setRunState(RunState::Finished);
        m_menu.publish();
        return;
    }
    setRunState(RunState::Running);
    setUserItemsGrayed(false);
}

void FrameRuntime::closeFrame()
{
    m_closed = true;
    m_windows.cancelReads();
    m_gate.resume();
    m_platform.frame.closeFrame();
}

void FrameRuntime::toggleSizeToFit()
{
    bool on;
    {
        std::lock_guard lock(m_mutex);
        on = m_sizeToFit = !m_sizeToFit;
        if (auto* i = m_menu.find(command::SizeToFit))
            i->checked = on;
    }
    if (auto info = m_windows.windowInfo(m_windows.activeWindow()))
        m_platform.children.setViewMode(info->platformWindow,
                                        on ? platform::ViewMode::SizeToFit : platform::ViewMode::Normal);
    m_menu.publish();
}

void FrameRuntime::toggleFullScreen()
{
    int32_t shown;
    {
        std::lock_guard lock(m_mutex);
        shown = m_fullScreen;
    }
    if (shown >= 0) {
        m_platform.frame.setFullScreen({});
        std::lock_guard lock(m_mutex);
        m_fullScreen = -1;
        return;
    }
    const int32_t handle = m_windows.activeWindow();
    if (auto info = m_windows.windowInfo(handle)) {
        m_platform.frame.setFullScreen(info->platformWindow);
        std::lock_guard lock(m_mutex);
        m_fullScreen = handle;
    }
}

void FrameRuntime::command(int id)
{
    switch (id) {
    case command::Exit: closeFrame(); return;
    case command::SizeToFit: toggleSizeToFit(); return;
    case command::FullScreen: toggleFullScreen(); return;
    case command::Pause: pause(); return;
    case command::Resume:
        m_selection.end();
        resume();
        return;
    case command::SelectText: m_selection.begin(SelectionKind::Text, false); return;
    case command::SelectGraphics: m_selection.begin(SelectionKind::Graphics, false); return;
    case command::SelectAll: m_selection.begin(SelectionKind::Text, true); return;
    case command::Copy: m_selection.copy(); return;
    case command::Save: save(); return;
    case command::Print: print(); return;
    case command::Paste: paste(); return;
    case command::ClearPaste: m_windows.clearPaste(); return;
    case command::Input: activateReader(); return;
    case command::Cascade: m_platform.children.cascadeChildren(); return;
    case command::Tile: m_platform.children.tileChildren(); return;
    case command::ArrangeIcons: m_platform.children.arrangeIcons(); return;
    case command::StatusBar: {
        bool shown;
        {
            std::lock_guard lock(m_mutex);
            shown = m_statusBarShown = !m_statusBarShown;
            if (auto* i = m_menu.find(command::StatusBar))
                i->checked = shown;
        }
        m_platform.frame.setStatusBarVisible(shown);
        m_menu.publish();
        return;
    }
    case command::Contents:
    case command::UsingHelp: {
        std::string file;
        {
            std::lock_guard lock(m_mutex);
            if (!m_helpFile)
                m_helpFile = findHelpFile(m_programDirectory);
            file = *m_helpFile;
        }
        m_platform.frame.openHelp(file, id == command::UsingHelp ? std::optional<int>(0) : std::nullopt);
        return;
    }
    case command::About:
        m_platform.dialogs.messageBox(
            {m_programName, banner(), platform::MessageIcon::Information, platform::MessageButtons::Ok, std::nullopt});
        return;
    default: break;
    }
    if (id < command::FirstUser)
        return;
    MenuCallback callback;
    int32_t checked = 0;
    {
        std::lock_guard lock(m_mutex);
        const size_t index = size_t(id - command::FirstUser);
        if (m_state == RunState::Paused || index >= m_userItems.size())
            return;
        if (auto* i = m_menu.find(id)) {
            if (i->grayed)
                return;
            checked = i->checked ? 1 : 0;
        }
        callback = m_userItems[index].callback;
    }
    if (!callback)
        return;
    const int32_t before = checked;
    callback(checked);
    // The routine ticks or unticks its item by the value it leaves.
    if (checked != before)
        m_menu.update([&](MenuModel& menu) {
            platform::MenuItem* i = menu.find(id);
            if (i)
                i->checked = checked != 0;
            return i != nullptr;
        });
}

void FrameRuntime::helpOnMenuItem(int id)
{
    const auto topic = helpTopic(id);
    if (!topic) {
        m_platform.dialogs.messageBox({m_programName, "Help not available for menu item", platform::MessageIcon::None,
                                       platform::MessageButtons::Ok, std::nullopt});
        return;
    }
    std::string file;
    {
        std::lock_guard lock(m_mutex);
        if (!m_helpFile)
            m_helpFile = findHelpFile(m_programDirectory);
        file = *m_helpFile;
    }
    m_platform.frame.openHelp(file, topic);
}

void FrameRuntime::paint(platform::WindowId window, const std::function<void(const platform::PictureView&)>& draw)
{
    const int32_t handle = m_windows.handleOf(window);
    auto canvas = m_windows.windowCanvas(handle);
    auto info = m_windows.windowInfo(handle);
    if (!canvas || !info)
        return;
    auto lock = canvas->lockDrawing();
    const std::vector<Rgb> palette = paletteOf(canvas->canvas());
    platform::PictureView view;
    view.width = canvas->canvas().width();
    view.height = canvas->canvas().height();
    view.pixels = canvas->canvas().pixels();
    view.palette = palette;
    view.scrollX = info->scrollX;
    view.scrollY = info->scrollY;
    const std::vector<platform::Rect> marked = m_selection.marked(handle, canvas->canvas());
    view.marked = marked;
    // Once text has been written to the window, a caret marks the cell where the next text
    // goes, after a clear too.
    if (canvas->canvas().textShown()) {
        const TextWindow tw = canvas->canvas().textWindow();
        const TextCell at = canvas->canvas().textPosition();
        const int column = std::min(tw.left + at.column - 1, canvas->canvas().gridColumns());
        const int row = std::min(tw.top + at.row - 1, canvas->canvas().gridRows());
        view.caret =
            platform::Rect{(column - 1) * canvas->canvas().cellWidth(), (row - 1) * canvas->canvas().cellHeight(),
                           canvas->canvas().cellWidth(), canvas->canvas().cellHeight()};
    }
    draw(view);
}

void FrameRuntime::scroll(platform::WindowId window, platform::ScrollAxis axis, platform::WindowScroll request,
                          int position)
{
    const int32_t handle = m_windows.handleOf(window);
    if (handle >= 0)
        m_windows.scrollWindow(handle, axis, request, position);
}

void FrameRuntime::resized(platform::WindowId window)
{
    const int32_t handle = m_windows.handleOf(window);
    if (handle >= 0)
        m_windows.windowResized(handle);
}

void FrameRuntime::key(platform::WindowId window, const platform::KeyPress& k)
{
    using platform::Key;
    using platform::ScrollAxis;
    using platform::WindowScroll;
    if (k.key == Key::Character && k.ctrl) {
        switch (k.character) {
        case 'c':
        case 'C': command(command::Exit); return;
        case 's':
        case 'S': command(command::Pause); return;
        case 'q':
        case 'Q': command(command::Resume); return;
        default: break;
        }
    }
    if (k.key == Key::Escape) {
        command(command::Resume);
        return;
    }
    if (k.key == Key::Enter && k.alt) {
        command(command::FullScreen);
        return;
    }
    if (k.key == Key::Insert && (k.ctrl || k.shift)) {
        const int id = k.ctrl ? command::Copy : command::Paste;
        bool enabled;
        {
            std::lock_guard lock(m_mutex);
            const auto* i = m_menu.find(id);
            enabled = i && !i->grayed;
        }
        if (enabled)
            command(id);
        return;
    }
    const int32_t handle = m_windows.handleOf(window);
    auto scrollBy = [&](ScrollAxis axis, WindowScroll r) {
        if (handle >= 0)
            m_windows.scrollWindow(handle, axis, r);
    };
    switch (k.key) {
    case Key::Left: scrollBy(ScrollAxis::Horizontal, WindowScroll::LineBack); return;
    case Key::Right: scrollBy(ScrollAxis::Horizontal, WindowScroll::LineForward); return;
    case Key::Up: scrollBy(ScrollAxis::Vertical, WindowScroll::LineBack); return;
    case Key::Down: scrollBy(ScrollAxis::Vertical, WindowScroll::LineForward); return;
    case Key::PageUp: scrollBy(k.ctrl ? ScrollAxis::Horizontal : ScrollAxis::Vertical, WindowScroll::PageBack); return;
    case Key::PageDown:
        scrollBy(k.ctrl ? ScrollAxis::Horizontal : ScrollAxis::Vertical, WindowScroll::PageForward);
        return;
    case Key::Home:
        scrollBy(ScrollAxis::Horizontal, WindowScroll::ToStart);
        if (k.ctrl)
            scrollBy(ScrollAxis::Vertical, WindowScroll::ToStart);
        return;
    case Key::End:
        scrollBy(ScrollAxis::Horizontal, WindowScroll::ToEnd);
        if (k.ctrl)
            scrollBy(ScrollAxis::Vertical, WindowScroll::ToEnd);
        return;
    case Key::F1: return;
    default: break;
    }
    // Other characters are input for a read waiting in this window.
    char ch = 0;
    if (k.key == Key::Enter)
        ch = '\r';
    else if (k.key == Key::Character && !k.ctrl && !k.alt && k.character > 0 && k.character < 0x100)
        ch = char(k.character);
    if (ch == 0 || runState() == RunState::Paused || !m_windows.typeKey(handle, ch))
        m_platform.frame.beep();
}

void FrameRuntime::mouse(platform::WindowId window, const platform::MouseEvent& event)
{
    m_selection.mouse(window, event);
}

void FrameRuntime::frameClosing()
{
    m_closed = true;
    m_windows.cancelReads();
    m_gate.resume();
}

void FrameRuntime::windowChosen(platform::WindowId window) { m_windows.bringToFront(m_windows.handleOf(window)); }

void FrameRuntime::closeRequested(platform::WindowId window) { m_windows.userClose(m_windows.handleOf(window)); }

void FrameRuntime::reportError(std::string_view message, int line)
{
    m_platform.dialogs.messageBox({"Window Runtime Error",
                                   std::string(message) + "\nfile \"frame\", line " + std::to_string(line),
                                   platform::MessageIcon::Error, platform::MessageButtons::Ok, std::nullopt});
}

void FrameRuntime::invalidateWindow(int32_t handle)
{
    if (auto info = m_windows.windowInfo(handle)) {
        const platform::Size client = m_platform.children.clientSize(info->platformWindow);
        m_platform.children.invalidate(info->platformWindow, {0, 0, client.width, client.height});
    }
}

// The message of the status bar's right pane, from the most pressing state: a selection,
// pasted input not yet read, a read waiting for a line.
void FrameRuntime::refreshStatus()
{
    const std::optional<SelectionState> selection = m_selection.state();
    std::string text;
    if (selection) {
        const auto info = m_windows.windowInfo(selection->window);
        const std::string title = info ? info->title : std::string();
        const bool isText = selection->selection.kind == SelectionKind::Text;
        if (selection->marking)
            text = (isText ? "Mark Text - " : "Mark Graphics - ") + title;
        else
            text = (isText ? "Select Text - " : "Select graphics in ") + title;
    } else if (m_windows.pastePending()) {
        text = "Paste input pending";
    } else if (const int32_t reader = m_windows.readingWindow(); reader >= 0) {
        const auto info = m_windows.windowInfo(reader);
        text = "Input pending in " + (info ? info->title : std::string());
    }
    setStatusMessage(text);
}

void FrameRuntime::inputChanged()
{
    const bool waiting = m_windows.readingWindow() >= 0;
    m_menu.update([waiting](MenuModel& menu) { menu.setGrayed(command::Input, !waiting); });
    refreshStatus();
}

void FrameRuntime::save()
{
    const int32_t handle = m_windows.activeWindow();
    auto canvas = m_windows.windowCanvas(handle);
    if (!canvas)
        return;
    ProgramHold hold(m_gate);
    platform::SaveFileRequest request;
    request.filters = {{"Bitmap Files(*.bmp)", "*.bmp"}, {"All Files(*.*)", "*.*"}};
    request.defaultExtension = "bmp";
    request.confirmOverwrite = true;
    const auto path = m_platform.dialogs.saveFileDialog(request);
    if (!path)
        return;
    std::vector<uint8_t> bitmap;
    try {
        auto lock = canvas->lockDrawing();
        bitmap = capturePictureFile(canvas->canvas(), pictureFormatOfPath(*path));
    } catch (const std::bad_alloc&) {
        bitmap.clear();
    }
    if (bitmap.empty() || writeBitmapFile(bitmap, *path, *m_files) != SaveError::None)
        reportError("Internal Error - unexpected error", __LINE__);
    else
        setStatusMessage("Wrote " + path->substr(path->find_last_of('/') + 1));
}

void FrameRuntime::print()
{
    const int32_t handle = m_windows.activeWindow();
    auto canvas = m_windows.windowCanvas(handle);
    const auto info = m_windows.windowInfo(handle);
    if (!canvas || !info)
        return;
    {
        std::lock_guard lock(m_mutex);
        if (m_printing)
            return;
        m_printing = true;
    }
    struct Done {
        FrameRuntime& frame;
        ~Done()
        {
            std::lock_guard lock(frame.m_mutex);
            frame.m_printing = false;
        }
    } done{*this};
    ProgramHold hold(m_gate);

    // At most one message a job; shown once the frame is usable again.
    auto message = [this](int number) {
        m_platform.dialogs.messageBox({m_programName, std::string(printMessageText(number)),
                                       platform::MessageIcon::Information, platform::MessageButtons::Ok, std::nullopt});
    };

    platform::PrintDialogResult dialog = m_platform.dialogs.printDialog();
    if (dialog.outcome != platform::PrintDialogOutcome::Accepted || !dialog.job) {
        if (const auto number = printDialogMessage(dialog.outcome))
            message(*number);
        return;
    }
    platform::PrintJob& job = *dialog.job;
    if (!job.startDocument(info->title, 1)) {
        message(9);
        return;
    }
    // The abort box's Cancel: the job is abandoned at once and the frame is usable again.
    auto cancelled = std::make_shared<bool>(false);
    auto onCancel = [this, &job, cancelled] {
        if (*cancelled)
            return;
        *cancelled = true;
        job.abortDocument();
        m_platform.frame.setFrameEnabled(true);
        m_platform.dialogs.closePrintAbortBox();
    };
    if (!m_platform.dialogs.showPrintAbortBox(onCancel)) {
        job.abortDocument();
        message(9);
        return;
    }
    m_platform.frame.setFrameEnabled(false);
    auto finish = [&] {
        if (!*cancelled) {
            m_platform.frame.setFrameEnabled(true);
            m_platform.dialogs.closePrintAbortBox();
        }
    };
    // A failed step abandons the document (nothing half-made is printed) and ends the job.
    auto fail = [&](int number) {
        job.abortDocument();
        finish();
        message(number);
    };

    job.serviceMessages();
    if (*cancelled)
        return;
    if (!job.startPage()) {
        fail(9);
        return;
    }
    const platform::PrinterFacts facts = job.facts();
    platform::IndexedPicture picture;
    try {
        picture = pictureOf(*canvas, Rect{0, 0, canvas->canvas().width(), canvas->canvas().height()});
    } catch (const std::bad_alloc&) {
        job.abortDocument();
        finish();
        reportError("Out of Memory", __LINE__);
        return;
    }
    const auto target = printTarget(picture.width, picture.height, {facts.printableWidth, facts.dpiX, facts.dpiY});
    const bool drawn = target && job.drawPicture(picture, *target);
    job.serviceMessages();
    if (*cancelled)
        return;
    if (!drawn || !job.endPage()) {
        fail(4);
        return;
    }
    job.serviceMessages();
    if (*cancelled)
        return;
    if (!job.endDocument()) {
        finish();
        message(4);
        return;
    }
    finish();
}

void FrameRuntime::paste()
{
    const auto text = m_platform.clipboard.clipboardText();
    if (text && !text->empty())
        m_windows.pasteInput(*text);
}

void FrameRuntime::activateReader()
{
    if (const auto info = m_windows.windowInfo(m_windows.readingWindow())) {
        m_platform.children.activateWindow(info->platformWindow);
        m_platform.children.focusWindow(info->platformWindow);
    }
}

} // namespace winrt
