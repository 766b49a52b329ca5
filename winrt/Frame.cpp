#include "winrt/Frame.h"

#include <cstdlib>
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
    bar.push_back(Menu{"&File", {item("&Print...", command::Print), item("&Save...", command::Save),
                                 item("E&xit\tCtrl+C", command::Exit)}});
    bar.push_back(Menu{"&Edit",
                       {item("Select &Text", command::SelectText), item("Select &Graphics", command::SelectGraphics),
                        item("Select &All", command::SelectAll), item("&Copy\tCtrl+Ins", command::Copy),
                        item("&Paste", command::Paste)}});
    bar.push_back(Menu{"&View", {item("&Size To Fit", command::SizeToFit),
                                 item("&Full Screen\tAlt+Enter", command::FullScreen)}});
    bar.push_back(Menu{"&State", {item("&Pause\tCtrl+S", command::Pause)}});
    platform::MenuItem input = item("&Input", command::Input);
    input.grayed = true;
    platform::MenuItem statusBar = item("&Status Bar", command::StatusBar);
    statusBar.checked = true;
    bar.push_back(Menu{"&Window", {item("&Cascade", command::Cascade), item("&Tile", command::Tile),
                                   item("&Arrange Icons", command::ArrangeIcons), input,
                                   item("C&lear Paste", command::ClearPaste), statusBar}});
    bar.push_back(Menu{"&Help", {item("&Contents", command::Contents), item("Using &Help", command::UsingHelp),
                                 item("&About", command::About)}});
    // Copy has nothing to copy until something is selected.
    bar[1].items[3].grayed = true;
    return bar;
}

std::optional<int> helpTopic(int id)
{
    static const std::pair<int, int> topics[] = {
        {1000, 1000}, {1004, 1002}, {1006, 1015}, {1007, 1016}, {1008, 1012}, {1009, 1013},
        {1010, 1010}, {1011, 1011}, {1012, 1009}, {1015, 1008}, {1018, 1001}, {1019, 1017},
        {1020, 1018}, {1021, 1007}, {1022, 1014}, {1023, 1004},
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

FrameRuntime::FrameRuntime(platform::Platform& platform, WindowRuntime& windows, std::string programName,
                           std::string programDirectory)
    : m_platform(platform), m_windows(windows), m_programName(std::move(programName)),
      m_programDirectory(std::move(programDirectory)), m_gate([&platform] { return platform.isMessageThread(); }),
      m_bar(defaultMenuBar())
{
}

FrameRuntime::~FrameRuntime()
{
    m_gate.resume();
    m_platform.setFrameEvents(nullptr);
}

void FrameRuntime::start()
{
    m_windows.set_operation_gate([this] { m_gate.enter(); });
    m_platform.setFrameEvents(this);
    publishMenu();
    setRunState(RunState::Running);
    m_platform.setStatusText(1, "");
}

std::string FrameRuntime::banner() { return "FACETOR window runtime, version 1.0"; }

RunState FrameRuntime::run_state() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

std::string FrameRuntime::status_message() const
{
    std::lock_guard lock(m_mutex);
    return m_message;
}

void FrameRuntime::set_status_message(std::string_view text)
{
    {
        std::lock_guard lock(m_mutex);
        m_message = std::string(text);
    }
    m_platform.setStatusText(1, text);
}

platform::MenuBar FrameRuntime::menu_bar() const
{
    std::lock_guard lock(m_mutex);
    return m_bar;
}

void FrameRuntime::publishMenu()
{
    platform::MenuBar bar;
    {
        std::lock_guard lock(m_mutex);
        bar = m_bar;
    }
    m_platform.setMenuBar(bar);
}

platform::MenuItem* FrameRuntime::findItem(int id)
{
    for (auto& menu : m_bar)
        for (auto& i : menu.items)
            if (!i.separator && i.id == id)
                return &i;
    return nullptr;
}

void FrameRuntime::setRunState(RunState state)
{
    {
        std::lock_guard lock(m_mutex);
        m_state = state;
    }
    m_platform.setStatusText(0, runStateText(state));
}

void FrameRuntime::setUserItemsGrayed(bool grayed)
{
    {
        std::lock_guard lock(m_mutex);
        for (auto& menu : m_bar) {
            if (menu.items.empty() && menu.id >= command::FirstUser)
                continue;
            for (auto& i : menu.items)
                if (i.id >= command::FirstUser)
                    i.grayed = grayed;
        }
    }
    publishMenu();
}

bool FrameRuntime::append_menu_item(int menu, int flags, std::string_view text, MenuCallback callback)
{
    if (!m_platform.isMessageThread() && !m_windows.current_canvas())
        return false;
    {
        std::lock_guard lock(m_mutex);
        if (menu < 1 || menu > int(m_bar.size()) + 1)
            return false;
        platform::MenuItem entry;
        entry.separator = (flags & menuflag::Separator) != 0;
        if (!entry.separator) {
            entry.text = withAccessKey(text);
            entry.id = command::FirstUser + int(m_userItems.size());
            entry.grayed = (flags & (menuflag::Grayed | menuflag::Disabled)) != 0 || m_state != RunState::Running;
            entry.checked = (flags & menuflag::Checked) != 0;
            if (m_userItems.size() + 1 > m_userCapacity)
                m_userCapacity += 10;
            m_userItems.push_back(UserItem{std::move(callback)});
        }
        if (menu == int(m_bar.size()) + 1) {
            m_bar.push_back(platform::Menu{entry.text, {}, entry.id});
        } else {
            platform::Menu& target = m_bar[size_t(menu - 1)];
            if (target.items.empty() && target.id != 0)
                target.id = 0; // a plain command of the bar becomes a menu of the same text
            entry.newColumn = !target.items.empty() && target.items.size() % 20 == 0;
            target.items.push_back(entry);
        }
    }
    publishMenu();
    return true;
}

bool FrameRuntime::delete_menu_item(int menu, int item)
{
    if (!m_platform.isMessageThread() && !m_windows.current_canvas())
        return false;
    bool refused = false;
    {
        std::lock_guard lock(m_mutex);
        if (menu < 1 || menu > int(m_bar.size()))
            return false;
        platform::Menu& target = m_bar[size_t(menu - 1)];
        if (item == 0) {
            m_bar.erase(m_bar.begin() + (menu - 1));
        } else {
            if (item < 1 || item > int(target.items.size()))
                return false;
            const int id = target.items[size_t(item - 1)].id;
            const bool user = id >= command::FirstUser && id < command::FirstUser + int(m_userItems.size());
            if (!user && !isRuntimeCommand(id))
                refused = true;
            else
                target.items.erase(target.items.begin() + (item - 1));
        }
    }
    if (refused) {
        m_platform.messageBox({"Window Runtime Error", "Internal Error - unexpected error\nfile \"frame\", line 1",
                               platform::MessageIcon::Error, platform::MessageButtons::Ok, std::nullopt});
        return false;
    }
    publishMenu();
    return true;
}

int FrameRuntime::set_exit_behaviour(int behaviour)
{
    if (behaviour < 1 || behaviour > 3)
        return -1;
    std::lock_guard lock(m_mutex);
    m_exitBehaviour = ExitBehaviour(behaviour);
    return 0;
}

void FrameRuntime::program_ended(int code)
{
    ExitBehaviour behaviour;
    {
        std::lock_guard lock(m_mutex);
        behaviour = m_exitBehaviour;
        m_nestedPauses = 0;
        m_finished = true;
        if (auto* p = findItem(command::Resume)) {
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
        if (m_platform.messageBox(box) == platform::MessageAnswer::Yes)
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
        if (auto* p = findItem(command::Pause)) {
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
        publishMenu();
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
        if (auto* p = findItem(command::Resume)) {
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
        publishMenu();
        return;
    }
    setRunState(RunState::Running);
    setUserItemsGrayed(false);
}

void FrameRuntime::closeFrame()
{
    m_closed = true;
    m_gate.resume();
    m_platform.closeFrame();
}

void FrameRuntime::toggleSizeToFit()
{
    bool on;
    {
        std::lock_guard lock(m_mutex);
        on = m_sizeToFit = !m_sizeToFit;
        if (auto* i = findItem(command::SizeToFit))
            i->checked = on;
    }
    if (auto info = m_windows.window_info(m_windows.active_window()))
        m_platform.setViewMode(info->platformWindow, on ? platform::ViewMode::SizeToFit : platform::ViewMode::Normal);
    publishMenu();
}

void FrameRuntime::toggleFullScreen()
{
    int32_t shown;
    {
        std::lock_guard lock(m_mutex);
        shown = m_fullScreen;
    }
    if (shown >= 0) {
        m_platform.setFullScreen({});
        std::lock_guard lock(m_mutex);
        m_fullScreen = -1;
        return;
    }
    const int32_t handle = m_windows.active_window();
    if (auto info = m_windows.window_info(handle)) {
        m_platform.setFullScreen(info->platformWindow);
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
    case command::Resume: resume(); return;
    case command::Cascade: m_platform.cascadeChildren(); return;
    case command::Tile: m_platform.tileChildren(); return;
    case command::ArrangeIcons: m_platform.arrangeIcons(); return;
    case command::StatusBar: {
        bool shown;
        {
            std::lock_guard lock(m_mutex);
            shown = m_statusBarShown = !m_statusBarShown;
            if (auto* i = findItem(command::StatusBar))
                i->checked = shown;
        }
        m_platform.setStatusBarVisible(shown);
        publishMenu();
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
        m_platform.openHelp(file, id == command::UsingHelp ? std::optional<int>(0) : std::nullopt);
        return;
    }
    case command::About:
        m_platform.messageBox({m_programName, banner(), platform::MessageIcon::Information,
                               platform::MessageButtons::Ok, std::nullopt});
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
        if (auto* i = findItem(id)) {
            if (i->grayed)
                return;
            checked = i->checked ? 1 : 0;
        }
        callback = m_userItems[index].callback;
    }
    if (callback)
        callback(checked);
}

void FrameRuntime::helpOnMenuItem(int id)
{
    const auto topic = helpTopic(id);
    if (!topic) {
        m_platform.messageBox({m_programName, "Help not available for menu item", platform::MessageIcon::None,
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
    m_platform.openHelp(file, topic);
}

void FrameRuntime::paint(platform::WindowId window, const std::function<void(const platform::PictureView&)>& draw)
{
    const int32_t handle = m_windows.handle_of(window);
    auto canvas = m_windows.window_canvas(handle);
    auto info = m_windows.window_info(handle);
    if (!canvas || !info)
        return;
    std::vector<uint32_t> palette;
    auto lock = canvas->lockDrawing();
    palette.reserve(size_t(canvas->colourCount()));
    for (int i = 0; i < canvas->colourCount(); ++i)
        palette.push_back(canvas->paletteEntry(i).toColorRef());
    platform::PictureView view;
    view.width = canvas->width();
    view.height = canvas->height();
    view.pixels = canvas->pixels();
    view.palette = palette;
    view.scrollX = info->scrollX;
    view.scrollY = info->scrollY;
    draw(view);
}

namespace {

ScrollRequest toWindowRequest(platform::WindowScroll r)
{
    switch (r) {
    case platform::WindowScroll::LineBack: return ScrollRequest::LineBack;
    case platform::WindowScroll::LineForward: return ScrollRequest::LineForward;
    case platform::WindowScroll::PageBack: return ScrollRequest::PageBack;
    case platform::WindowScroll::PageForward: return ScrollRequest::PageForward;
    case platform::WindowScroll::ToPosition: return ScrollRequest::ToPosition;
    case platform::WindowScroll::ToStart: return ScrollRequest::ToStart;
    case platform::WindowScroll::ToEnd: return ScrollRequest::ToEnd;
    }
    return ScrollRequest::ToPosition;
}

} // namespace

void FrameRuntime::scroll(platform::WindowId window, platform::ScrollAxis axis, platform::WindowScroll request,
                          int position)
{
    const int32_t handle = m_windows.handle_of(window);
    if (handle >= 0)
        m_windows.scroll_window(handle, axis, toWindowRequest(request), position);
}

void FrameRuntime::resized(platform::WindowId window)
{
    const int32_t handle = m_windows.handle_of(window);
    if (handle >= 0)
        m_windows.update_scroll_bars(handle);
}

void FrameRuntime::key(platform::WindowId window, const platform::KeyPress& k)
{
    using platform::Key;
    using platform::ScrollAxis;
    if (k.key == Key::Character && k.ctrl) {
        switch (k.character) {
        case 'c': case 'C': command(command::Exit); return;
        case 's': case 'S': command(command::Pause); return;
        case 'q': case 'Q': command(command::Resume); return;
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
    const int32_t handle = m_windows.handle_of(window);
    auto scrollBy = [&](ScrollAxis axis, ScrollRequest r) {
        if (handle >= 0)
            m_windows.scroll_window(handle, axis, r);
    };
    switch (k.key) {
    case Key::Left: scrollBy(ScrollAxis::Horizontal, ScrollRequest::LineBack); return;
    case Key::Right: scrollBy(ScrollAxis::Horizontal, ScrollRequest::LineForward); return;
    case Key::Up: scrollBy(ScrollAxis::Vertical, ScrollRequest::LineBack); return;
    case Key::Down: scrollBy(ScrollAxis::Vertical, ScrollRequest::LineForward); return;
    case Key::PageUp: scrollBy(k.ctrl ? ScrollAxis::Horizontal : ScrollAxis::Vertical, ScrollRequest::PageBack); return;
    case Key::PageDown:
        scrollBy(k.ctrl ? ScrollAxis::Horizontal : ScrollAxis::Vertical, ScrollRequest::PageForward);
        return;
    case Key::Home:
        scrollBy(ScrollAxis::Horizontal, ScrollRequest::ToStart);
        if (k.ctrl)
            scrollBy(ScrollAxis::Vertical, ScrollRequest::ToStart);
        return;
    case Key::End:
        scrollBy(ScrollAxis::Horizontal, ScrollRequest::ToEnd);
        if (k.ctrl)
            scrollBy(ScrollAxis::Vertical, ScrollRequest::ToEnd);
        return;
    case Key::F1: return;
    default: break;
    }
    // No read is ever pending in this program: typed characters have nowhere to go.
    m_platform.beep();
}

void FrameRuntime::frameClosing()
{
    m_closed = true;
    m_gate.resume();
}

} // namespace winrt
