#include "winrt/WindowRuntime.h"

#include <algorithm>
#include <condition_variable>
#include <new>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace winrt {

namespace {

constexpr int MaxCanvasSide = 32767; // canvas sides and record fields are 16-bit
constexpr int16_t KeepField = std::numeric_limits<int16_t>::min();

std::atomic<uint64_t> g_nextSerial{1};

// A window's canvas together with the font its glyphs come from; handed out through an
// aliasing pointer so that the font lives as long as anyone holds the canvas.
struct CanvasBundle {
    CanvasBundle(std::unique_ptr<platform::Font> f, Canvas c) : font(std::move(f)), canvas(std::move(c)) {}
    std::unique_ptr<platform::Font> font;
    WindowCanvas canvas;
};

// A character cell in pixels; -1 asks for the default font's.
struct Cell {
    int width = -1;
    int height = -1;
};

bool badSizeField(int16_t value) { return value == 0 || value < -1; }

// A positive font_size value whose two halves are both usable cell sides.
bool validCellValue(int32_t value)
{
    return value > 0 && (value >> 16) >= 1 && (value & 0xFFFF) >= 1 && (value & 0xFFFF) <= MaxCanvasSide;
}

Cell cellOf(int32_t value)
{
    if (value == -1)
        return {};
    return {value >> 16, value & 0xFFFF};
}

// Sizes one axis: canvas pixels, grid count and cell, any of them -1 for "choose". Returns the
// cell used. Marks changed when a given count does not fit the given pixels.
int sizeAxis(int& pixels, int& count, int cell, int screen, int defaultCell, bool& changed)
{
    if (cell == -1) {
        if (pixels != -1) {
            if (count == -1) {
                cell = defaultCell;
                count = pixels / cell;
            } else {
                cell = std::max(1, pixels / count);
            }
        } else {
            cell = defaultCell;
            if (count == -1) {
                pixels = screen;
                count = screen / cell;
            } else {
                pixels = cell * count;
            }
        }
    } else if (pixels == -1) {
        if (count == -1)
            count = std::max(1, screen / cell);
        pixels = cell * count;
    } else {
        int fit = pixels / cell;
        if (count == -1)
            count = fit;
        else if (fit != count) {
            count = fit;
            changed = true;
        }
    }
    // A canvas holds at least one cell and stays within 16-bit sides.
    if (count < 1) {
        count = 1;
        pixels = std::max(pixels, cell);
        changed = true;
    }
    if (pixels > MaxCanvasSide) {
        count = std::max(1, MaxCanvasSide / cell);
        pixels = std::min(cell * count, MaxCanvasSide);
        changed = true;
    }
    return cell;
}

// Sizes both axes of the record for the cell, raising a canvas below the smallest window to
// it and sizing again until both sides reach it. The raised value stays in the record, so that
// a second call with the record succeeds.
void sizeCanvas(WindowConfig& config, Cell& cell, const platform::DisplayInfo& display, bool& changed)
{
    int pw = config.pixel_width, ph = config.pixel_height;
    int columns = config.text_columns, rows = config.text_rows;
    int screenWidth = std::min(display.screenWidth, MaxCanvasSide);
    int screenHeight = std::min(display.screenHeight, MaxCanvasSide);
    int minWidth = std::min(display.minWindowWidth, MaxCanvasSide);
    int minHeight = std::min(display.minWindowHeight, MaxCanvasSide);
    for (int pass = 0; pass < 3; ++pass) {
        if (pw != -1 && pw < minWidth) {
            pw = minWidth;
            changed = true;
        }
        if (ph != -1 && ph < minHeight) {
            ph = minHeight;
            changed = true;
        }
        cell.width = sizeAxis(pw, columns, cell.width, screenWidth, display.defaultCellWidth, changed);
        cell.height = sizeAxis(ph, rows, cell.height, screenHeight, display.defaultCellHeight, changed);
        if (pw >= minWidth && ph >= minHeight)
            break;
    }
    config.pixel_width = int16_t(pw);
    config.pixel_height = int16_t(ph);
    config.text_columns = int16_t(columns);
    config.text_rows = int16_t(rows);
}

std::string fixedText(const char* data, size_t size)
{
    size_t n = 0;
    while (n < size && data[n] != '\0')
        ++n;
    return std::string(data, n);
}

platform::FontRequest fontRequest(const WindowConfig& config, Cell cell)
{
    platform::FontRequest request;
    request.cellWidth = cell.width;
    request.cellHeight = cell.height;
    if (config.font_size == -2) {
        std::string face = fixedText(config.font_name.data(), config.font_name.size());
        face.erase(face.find_last_not_of(' ') + 1);
        if (!face.empty())
            request.face = face;
        int32_t attributes = config.font_attributes;
        if (attributes != PlainFontAttributes) {
            request.weight = (attributes & 1) ? 700 : 400;
            request.underline = (attributes & 2) != 0;
            request.italic = (attributes & 4) != 0;
        }
    }
    return request;
}

} // namespace

void WindowConfig::setTitle(std::string_view text)
{
    title.fill(' ');
    std::copy_n(text.begin(), std::min(text.size(), title.size()), title.begin());
}

// The scroll offset of a window, read by the damage hook without the table lock.
struct ScrollOffset {
    std::atomic<int> x{0};
    std::atomic<int> y{0};
};

struct WindowRuntime::Window {
    platform::WindowId id;
    // Fields below are guarded by the table lock.
    bool ready = false; // false while the slot is held for a window being created
    std::string title;
    bool configured = false;
    bool shown = false;
    bool closed = false;
    bool sticky = false;
    bool userClosable = false; // by hiding it (a window kept on screen closed goes for good)
    bool hidden = false;
    std::function<void(platform::Size)> resized;
    int rangeX = 0;
    int rangeY = 0;
    std::shared_ptr<WindowCanvas> canvas;
    const std::shared_ptr<ScrollOffset> scroll = std::make_shared<ScrollOffset>();
    // One configuration or size change of this window at a time.
    std::mutex configuring;
};

struct WindowRuntime::ThreadRecord {
    int32_t current = -1;
};

// Keys and pasted text on their way to a read, and the read that waits for them.
struct WindowRuntime::LineInput {
    mutable std::mutex mutex;
    std::condition_variable changed;
    int32_t reader = -1;
    std::string typed;
    std::string pasted;
    bool cancelled = false;
    std::function<void()> listener; // guarded by mutex; copied out before the call
};

WindowRuntime::WindowRuntime(WindowRoles platform)
    : m_platform(platform), m_display(platform.display.display()), m_serial(g_nextSerial++),
      m_input(std::make_unique<LineInput>())
{
}

WindowRuntime::~WindowRuntime()
{
    for (auto& window : m_slots)
        if (window && window->ready)
            m_platform.children.destroyWindow(window->id);
}

WindowRuntime::ThreadRecord& WindowRuntime::threadRecord()
{
    // Keyed by the runtime's serial number, not its address, so that a runtime made later at
    // the same address starts with fresh records.
    thread_local std::unordered_map<uint64_t, ThreadRecord> records;
    // The runtime asked last, remembered: progress output asks once per dot. Records are never
    // erased, so the pointer stays valid.
    thread_local std::pair<uint64_t, ThreadRecord*> last{0, nullptr};
    if (last.second && last.first == m_serial)
        return *last.second;
    auto [it, inserted] = records.try_emplace(m_serial);
    if (inserted)
        it->second.current = ensureFocusWindow();
    last = {m_serial, &it->second};
    return it->second;
}

std::shared_ptr<WindowRuntime::Window> WindowRuntime::lookup(int32_t handle) const
{
    if (handle < FirstWindowHandle || handle >= FirstWindowHandle + MaxWindows)
        return nullptr;
    std::lock_guard lock(m_table);
    const auto& window = m_slots[size_t(handle - FirstWindowHandle)];
    return window && window->ready ? window : nullptr;
}

std::shared_ptr<WindowRuntime::Window> WindowRuntime::usableWindow(int32_t handle) const
{
    auto window = lookup(handle);
    std::lock_guard lock(m_table);
    return window && !window->closed ? window : nullptr;
}

bool WindowRuntime::isConfigured(const Window& window) const
{
    std::lock_guard lock(m_table);
    return window.configured;
}

int32_t WindowRuntime::ensureFocusWindow()
{
    std::lock_guard opening(m_focusOpen);
    {
        std::lock_guard lock(m_table);
        if (m_focus != -1) {
            const auto& window = m_slots[size_t(m_focus - FirstWindowHandle)];
            if (window && window->ready && !window->closed)
                return m_focus;
        }
    }
    int32_t handle = open_unit_window();
    if (handle != -1) {
        std::lock_guard lock(m_table);
        m_focus = handle;
    }
    return handle;
}

void WindowRuntime::makeCurrent(ThreadRecord& record, int32_t handle)
{
    record.current = handle;
    if (handle != -1)
        m_last = handle;
}

void WindowRuntime::reportError(std::string_view message, int line)
{
    platform::MessageBoxRequest box;
    box.caption = "Window Runtime Error";
    box.text = std::string(message) + "\nfile \"window\", line " + std::to_string(line);
    box.icon = platform::MessageIcon::Error;
    m_platform.dialogs.messageBox(box);
}

int32_t WindowRuntime::open_unit_window(std::optional<std::string_view> title, OpenFocus focus)
{
    auto window = std::make_shared<Window>();
    int slot = -1;
    {
        std::lock_guard lock(m_table);
        for (int i = 0; i < MaxWindows; ++i) {
            if (!m_slots[size_t(i)]) {
                slot = i;
                m_slots[size_t(i)] = window; // held, not yet ready, while the platform creates it
                break;
            }
        }
    }
    if (slot < 0) {
        setGraphicsStatus(status::failed);
        return -1;
    }
    std::string caption = title ? std::string(*title) : "Graphic" + std::to_string(slot + 1);
    platform::WindowId id = m_platform.children.createChildWindow(caption);
    if (!id.isValid()) {
        {
            std::lock_guard lock(m_table);
            m_slots[size_t(slot)].reset();
        }
        reportError("Internal Error - unexpected error", __LINE__);
        setGraphicsStatus(status::failed);
        return -1;
    }
    int32_t handle = FirstWindowHandle + slot;
    {
        std::lock_guard lock(m_table);
        window->id = id;
        window->title = caption;
        window->sticky = focus == OpenFocus::Take;
        window->ready = true;
    }
    if (focus == OpenFocus::Take)
        makeCurrent(threadRecord(), handle);
    return handle;
}

bool WindowRuntime::set_current_window(int32_t handle)
{
    ThreadRecord& record = threadRecord();
    if (!usableWindow(handle)) {
        setGraphicsStatus(status::failed);
        return false;
    }
    makeCurrent(record, handle);
    return true;
}

int32_t WindowRuntime::currentWindow() { return threadRecord().current; }

int32_t WindowRuntime::focusWindow() const
{
    std::lock_guard lock(m_table);
    return m_focus;
}

int32_t WindowRuntime::lastWindow() const { return m_last; }

int32_t WindowRuntime::unitWindow(int unit)
{
    if (unit != 0 && unit != 5 && unit != 6)
        return -1;
    threadRecord(); // the focus window exists once any thread has used the runtime
    return focusWindow();
}

bool WindowRuntime::set_window_config(WindowConfig& config)
{
    auto window = usableWindow(threadRecord().current);
    if (!window) {
        setGraphicsStatus(status::failed);
        return false;
    }
    std::lock_guard configuring(window->configuring);
    return configure(window, config);
}

bool WindowRuntime::configureWithDefaults(const std::shared_ptr<Window>& window)
{
    std::lock_guard configuring(window->configuring);
    if (isConfigured(*window))
        return true;
    WindowConfig config; // every size -1, the default font, the caption kept
    return configure(window, config) || configure(window, config);
}

// The caller holds window->configuring.
bool WindowRuntime::configure(const std::shared_ptr<Window>& window, WindowConfig& config)
{
    // Values that can mean nothing are set to "default" and the call goes no further.
    bool invalid = false;
    for (int16_t* field :
         {&config.pixel_width, &config.pixel_height, &config.text_columns, &config.text_rows, &config.colour_count}) {
        if (badSizeField(*field)) {
            *field = -1;
            invalid = true;
        }
    }
    if (config.font_size != -1 && config.font_size != -2 && !validCellValue(config.font_size)) {
        config.font_size = -1;
        invalid = true;
    }
    if (invalid)
        return false;

    bool changed = false;
    bool extended = config.font_size == -2;
    if (extended) {
        int32_t& attributes = config.font_attributes;
        if (attributes != PlainFontAttributes && (attributes < 0 || (attributes & 7) == 0)) {
            attributes = PlainFontAttributes;
            changed = true;
        }
        if (config.font_size_ext != -1 && !validCellValue(config.font_size_ext)) {
            config.font_size_ext = -1;
            changed = true;
        }
    }

    int displayColours = m_display.colourCount();
    if (config.colour_count == -1)
        config.colour_count = int16_t(displayColours);
    else if (config.colour_count > displayColours) {
        config.colour_count = int16_t(displayColours);
        changed = true;
    } else if (config.colour_count < 2) {
        config.colour_count = 2; // a palette needs two entries
        changed = true;
    }

    const WindowConfig requested = config;
    int32_t& fontField = extended ? config.font_size_ext : config.font_size;
    Cell cell = cellOf(fontField);
    sizeCanvas(config, cell, m_display, changed);

    std::unique_ptr<platform::Font> font = m_platform.display.createFont(fontRequest(config, cell));
    if (!font) {
        reportError("Internal Error - unexpected error", __LINE__);
        setGraphicsStatus(status::failed);
        return false;
    }
    platform::FontMetrics metrics = font->metrics();
    int measuredWidth = metrics.averageCharWidth;
    int measuredHeight = metrics.height + metrics.externalLeading;
    bool accepted = measuredWidth >= 1 && measuredHeight >= 1 && measuredWidth >= cell.width - 2
        && measuredWidth <= cell.width + 1 && measuredHeight >= cell.height - 2 && measuredHeight <= cell.height + 2;
    if (!accepted) {
        // Offer the cell the system has: the record is sized again for it.
        Cell offered{std::clamp(measuredWidth, 1, MaxCanvasSide), std::clamp(measuredHeight, 1, MaxCanvasSide)};
        config = requested;
        (extended ? config.font_size_ext : config.font_size) = fontCell(offered.width, offered.height);
        bool ignored = false;
        sizeCanvas(config, offered, m_display, ignored);
        changed = true;
    }

    config.bits_per_pixel = int16_t(m_display.bitsPerPixel);
    config.reserved_a = 0;
    config.reserved_b = -1;
    config.reserved_c = {};
    if (changed)
        return false;

    CanvasOptions options;
    options.displayBitsPerPixel = m_display.bitsPerPixel * m_display.planes;
    auto made = Canvas::create(config.pixel_width, config.pixel_height, config.colour_count, measuredWidth,
                               measuredHeight, *font, options);
    if (!made) {
        reportError(made.error().message == CanvasOutOfMemory ? "Out of Memory" : "Internal Error - unexpected error",
                    __LINE__);
        setGraphicsStatus(status::failed);
        return false;
    }
    auto bundle = std::make_shared<CanvasBundle>(std::move(font), std::move(*made));
    std::shared_ptr<WindowCanvas> canvas(bundle, &bundle->canvas);
    // What is drawn on the canvas is shown by repainting that part of the window, at the
    // window's scroll offset.
    platform::ChildWindows* target = &m_platform.children;
    platform::WindowId id = window->id;
    std::shared_ptr<ScrollOffset> scroll = window->scroll;
    canvas->setDamageHook([target, id, scroll](Rect r) {
        target->invalidate(id, {r.x - scroll->x, r.y - scroll->y, r.width, r.height});
    });
    {
        std::lock_guard lock(m_table);
        canvas->setOperationGate(m_gate);
    }

    std::optional<std::string> caption;
    if (config.title[0] != '\0')
        caption = fixedText(config.title.data(), config.title.size());
    bool firstTime;
    bool hidden;
    std::shared_ptr<WindowCanvas> previous;
    {
        std::lock_guard lock(m_table);
        previous = std::move(window->canvas);
        window->canvas = canvas;
        window->configured = true;
        window->scroll->x = 0;
        window->scroll->y = 0;
        if (caption)
            window->title = *caption;
        firstTime = !window->shown;
        window->shown = true;
        hidden = window->hidden;
    }
    previous.reset(); // the old canvas goes once its last user lets it go

    if (caption)
        m_platform.children.setWindowTitle(id, *caption);
    if (firstTime) {
        m_platform.children.focusWindow(id);
        if (!m_platform.children.activeChild().isValid())
            m_platform.children.activateWindow(id);
    }
    platform::Size client = m_platform.children.clientSize(id);
    if (client.width < config.pixel_width || client.height < config.pixel_height) {
        if (m_platform.children.windowState(id) == platform::ShowState::Maximised) {
            m_platform.children.setWindowState(id, platform::ShowState::Normal);
        } else {
            platform::Rect outer = m_platform.children.windowRect(id);
            outer.width = config.pixel_width + 2 * m_display.frameBorder;
            outer.height = config.pixel_height + 2 * m_display.frameBorder + m_display.captionHeight - 1;
            m_platform.children.moveWindow(id, outer);
        }
    }
    // A window the user closed stays hidden until it is brought to the front.
    if (!hidden)
        m_platform.children.showWindow(id);
    m_platform.children.refreshWindowMenu();
    updateScrollBars(window);
    client = m_platform.children.clientSize(id);
    m_platform.children.invalidate(id, {0, 0, client.width, client.height});
    return true;
}

int WindowRuntime::sizeFrame(const WindowSizeRecord& record)
{
    if (record.kind < 1 || record.kind > 4) {
        setGraphicsStatus(status::invalid);
        return -1;
    }
    if (!m_platform.frame.frameExists()) {
        std::lock_guard lock(m_table);
        m_pendingFrame = record;
        setGraphicsStatus(status::ok);
        return 0;
    }
    if (m_platform.frame.frameState() != platform::ShowState::Normal)
        m_platform.frame.setFrameState(platform::ShowState::Normal);
    switch (record.kind) {
    case 1: m_platform.frame.setFrameState(platform::ShowState::Minimised); break;
    case 2: m_platform.frame.setFrameState(platform::ShowState::Maximised); break;
    case 3: break; // restored above
    default: {
        // The status bar is as high as a caption.
        auto keep = [](int16_t field, int value) -> std::optional<int> {
            return field == KeepField ? std::nullopt : std::optional<int>(value);
        };
        const auto& d = m_display;
        platform::FramePlacement placement;
        placement.x = keep(record.x, record.x);
        placement.y = keep(record.y, record.y);
        placement.width = keep(record.width, record.width + 2 * d.frameBorder);
        placement.height = keep(
            record.height, record.height + d.menuBarHeight + d.captionHeight + 2 * d.frameBorder + d.captionHeight);
        m_platform.frame.placeFrame(placement);
        break;
    }
    }
    m_platform.children.cascadeChildren();
    setGraphicsStatus(status::ok);
    return 0;
}

int WindowRuntime::set_window_size(int32_t unit, const WindowSizeRecord& record)
{
    if (unit == FrameHandle)
        return sizeFrame(record);
    int32_t handle = unitWindow(unit);
    auto window = usableWindow(handle);
    if (!window) {
        setGraphicsStatus(status::failed);
        return -1;
    }
    if (record.kind < 1 || record.kind > 4) {
        setGraphicsStatus(status::invalid);
        return -1;
    }
    if (!isConfigured(*window)) {
        // Only the program thread may give the window its default configuration here.
        if (m_platform.children.isMessageThread() || !configureWithDefaults(window)) {
            setGraphicsStatus(status::failed);
            return -1;
        }
    }
    std::lock_guard configuring(window->configuring);
    platform::WindowId id = window->id;
    switch (record.kind) {
    case 1: m_platform.children.setWindowState(id, platform::ShowState::Minimised); break;
    case 2: m_platform.children.setWindowState(id, platform::ShowState::Maximised); break;
    case 3: m_platform.children.setWindowState(id, platform::ShowState::Normal); break;
    default: {
        if (m_platform.children.windowState(id) != platform::ShowState::Normal)
            m_platform.children.setWindowState(id, platform::ShowState::Normal);
        int cellWidth, cellHeight;
        {
            std::lock_guard lock(m_table);
            cellWidth = window->canvas->canvas().cellWidth();
            cellHeight = window->canvas->canvas().cellHeight();
        }
        const auto& d = m_display;
        int border = 2 * ((d.minWindowHeight - d.captionHeight) / 2);
        platform::Rect outer{record.x * cellWidth, record.y * cellHeight,
                             record.width * cellWidth + d.verticalScrollWidth + border,
                             record.height * cellHeight + d.captionHeight + d.horizontalScrollHeight + border + 1};
        m_platform.children.moveWindow(id, outer);
        break;
    }
    }
    updateScrollBars(window);
    setGraphicsStatus(status::ok);
    return 0;
}

int32_t WindowRuntime::write_window_text(int32_t handle, std::string_view text)
{
    auto window = lookup(handle);
    if (!window) {
        platform::MessageBoxRequest box;
        box.caption = "ERROR";
        box.text = "InvalidHandle";
        box.icon = platform::MessageIcon::Error;
        m_platform.dialogs.messageBox(box);
        return -1;
    }
    if (!usableWindow(handle)) {
        setGraphicsStatus(status::failed);
        return -1;
    }
    int16_t savedStatus = graphicsStatus();
    ThreadRecord& record = threadRecord();
    int32_t previous = record.current;
    makeCurrent(record, handle);
    std::shared_ptr<WindowCanvas> canvas = currentCanvas();
    bool sticky;
    {
        std::lock_guard lock(m_table);
        sticky = window->sticky;
    }
    if (!sticky)
        makeCurrent(record, previous);
    if (!canvas) {
        setGraphicsStatus(status::failed);
        return -1;
    }
    canvas->out_text(text.empty() ? std::string_view(" ") : text);
    setGraphicsStatus(savedStatus);
    return int32_t(std::min<size_t>(text.size(), size_t(std::numeric_limits<int32_t>::max())));
}

bool WindowRuntime::closeWindow(int32_t handle, CloseMode mode)
{
    auto window = lookup(handle);
    if (!window)
        return false;
    if (mode == CloseMode::Destroy) {
        {
            std::lock_guard lock(m_table);
            m_slots[size_t(handle - FirstWindowHandle)].reset();
        }
        m_platform.children.destroyWindow(window->id);
        m_platform.children.refreshWindowMenu();
        return true;
    }
    std::string title;
    {
        std::lock_guard lock(m_table);
        if (window->closed)
            return true;
        window->closed = true;
        window->title += "-Closed";
        title = window->title;
    }
    m_platform.children.setWindowTitle(window->id, title);
    m_platform.children.allowClose(window->id);
    return true;
}

bool WindowRuntime::allowUserClose(int32_t handle)
{
    auto window = lookup(handle);
    if (!window)
        return false;
    {
        std::lock_guard lock(m_table);
        window->userClosable = true;
    }
    m_platform.children.allowClose(window->id);
    return true;
}

bool WindowRuntime::userClose(int32_t handle)
{
    auto window = lookup(handle);
    if (!window)
        return false;
    bool closed;
    {
        std::lock_guard lock(m_table);
        // A window kept on screen after its unit closed goes for good, and its slot with it.
        closed = window->closed;
        if (!closed && !window->userClosable)
            return false;
        window->hidden = !closed;
    }
    if (closed)
        return closeWindow(handle, CloseMode::Destroy);
    m_platform.children.hideWindow(window->id);
    m_platform.children.refreshWindowMenu();
    return true;
}

bool WindowRuntime::bringToFront(int32_t handle)
{
    auto window = lookup(handle);
    std::vector<platform::WindowId> others;
    {
        std::lock_guard lock(m_table);
        if (!window || !window->shown)
            return false;
        for (const auto& other : m_slots)
            if (other && other != window && other->ready && other->shown)
                others.push_back(other->id);
    }
    {
        std::lock_guard lock(m_table);
        window->hidden = false;
    }
    auto& children = m_platform.children;
    const platform::WindowId id = window->id;
    for (const platform::WindowId other : others)
        if (children.windowState(other) == platform::ShowState::Maximised)
            children.setWindowState(other, platform::ShowState::Normal);
    if (children.windowState(id) == platform::ShowState::Minimised)
        children.setWindowState(id, platform::ShowState::Normal);
    if (children.windowState(id) == platform::ShowState::Normal) {
        const platform::Size area = children.clientAreaSize();
        const platform::Rect outer = children.windowRect(id);
        platform::Rect inside = outer;
        inside.x = std::max(0, std::min(outer.x, area.width - outer.width));
        inside.y = std::max(0, std::min(outer.y, area.height - outer.height));
        if (area.width > 0 && area.height > 0 && !(inside == outer))
            children.moveWindow(id, inside);
    }
    children.showWindow(id);
    children.activateWindow(id);
    children.focusWindow(id);
    return true;
}

std::shared_ptr<WindowCanvas> WindowRuntime::currentCanvas()
{
    const int32_t handle = threadRecord().current;
    if (handle >= FirstWindowHandle && handle < FirstWindowHandle + MaxWindows) {
        // The usual case, a configured window, in one look at the table: progress output asks
        // for the canvas once per dot.
        std::lock_guard lock(m_table);
        const auto& window = m_slots[size_t(handle - FirstWindowHandle)];
        if (window && window->ready && !window->closed && window->configured)
            return window->canvas;
    }
    auto window = usableWindow(handle);
    if (!window || (!isConfigured(*window) && !configureWithDefaults(window))) {
        setGraphicsStatus(status::failed);
        return nullptr;
    }
    std::lock_guard lock(m_table);
    return window->canvas;
}

std::shared_ptr<WindowCanvas> WindowRuntime::windowCanvas(int32_t handle) const
{
    auto window = lookup(handle);
    if (!window)
        return nullptr;
    std::lock_guard lock(m_table);
    return window->canvas;
}

std::optional<WindowInfo> WindowRuntime::windowInfo(int32_t handle) const
{
    auto window = lookup(handle);
    if (!window)
        return std::nullopt;
    std::lock_guard lock(m_table);
    return WindowInfo{window->id,     window->title,  window->configured, window->shown,    window->closed,
                      window->sticky, window->hidden, window->scroll->x,  window->scroll->y};
}

std::optional<WindowSizeRecord> WindowRuntime::pendingFrameRequest() const
{
    std::lock_guard lock(m_table);
    return m_pendingFrame;
}

void WindowRuntime::updateScrollBars(int32_t handle)
{
    if (auto window = lookup(handle))
        updateScrollBars(window);
}

// Neither lock is held while the platform is called, and the drawing lock is never taken
// inside the table lock: a repaint holds the drawing lock and may look a window up.
void WindowRuntime::updateScrollBars(const std::shared_ptr<Window>& window)
{
    platform::WindowId id = window->id;
    if (m_platform.children.windowState(id) == platform::ShowState::Minimised)
        return;
    std::shared_ptr<WindowCanvas> canvas;
    {
        std::lock_guard lock(m_table);
        canvas = window->canvas;
    }
    if (!canvas)
        return;
    // A scroll bar takes room from the client area, which may call for the other bar: settle.
    int rangeX = -1, rangeY = -1;
    for (int pass = 0; pass < 3; ++pass) {
        platform::Size client = m_platform.children.clientSize(id);
        int x = canvas->canvas().width() - client.width;
        int y = canvas->canvas().height() - client.height;
        x = x > 2 ? x : 0;
        y = y > 2 ? y : 0;
        if (x == rangeX && y == rangeY)
            break;
        rangeX = x;
        rangeY = y;
        m_platform.children.setScrollRange(id, platform::ScrollAxis::Horizontal, rangeX);
        m_platform.children.setScrollRange(id, platform::ScrollAxis::Vertical, rangeY);
    }
    {
        std::lock_guard lock(m_table);
        window->rangeX = rangeX;
        window->rangeY = rangeY;
    }
    int positionX, positionY;
    {
        auto drawing = canvas->lockDrawing();
        positionX = std::clamp(window->scroll->x.load(), 0, rangeX);
        positionY = std::clamp(window->scroll->y.load(), 0, rangeY);
        window->scroll->x = positionX;
        window->scroll->y = positionY;
    }
    m_platform.children.setScrollPosition(id, platform::ScrollAxis::Horizontal, positionX);
    m_platform.children.setScrollPosition(id, platform::ScrollAxis::Vertical, positionY);
}

int WindowRuntime::scrollWindow(int32_t handle, platform::ScrollAxis axis, platform::WindowScroll request, int position)
{
    auto window = lookup(handle);
    if (!window)
        return -1;
    bool horizontal = axis == platform::ScrollAxis::Horizontal;
    platform::Size client = m_platform.children.clientSize(window->id);
    std::shared_ptr<WindowCanvas> canvas;
    int range;
    {
        std::lock_guard lock(m_table);
        canvas = window->canvas;
        range = horizontal ? window->rangeX : window->rangeY;
    }
    if (!canvas)
        return 0;
    int line = horizontal ? canvas->canvas().cellWidth() : canvas->canvas().cellHeight();
    int page = horizontal ? client.width : client.height;
    std::atomic<int>& offset = horizontal ? window->scroll->x : window->scroll->y;
    int now;
    {
        auto drawing = canvas->lockDrawing();
        int target = offset;
        switch (request) {
        case platform::WindowScroll::LineBack: target -= line; break;
        case platform::WindowScroll::LineForward: target += line; break;
        case platform::WindowScroll::PageBack: target -= page; break;
        case platform::WindowScroll::PageForward: target += page; break;
        case platform::WindowScroll::ToPosition: target = position; break;
        case platform::WindowScroll::ToStart: target = 0; break;
        case platform::WindowScroll::ToEnd: target = range; break;
        }
        now = std::clamp(target, 0, range);
        offset = now;
    }
    m_platform.children.setScrollPosition(window->id, axis, now);
    m_platform.children.invalidate(window->id, {0, 0, client.width, client.height});
    return now;
}

void WindowRuntime::setOperationGate(std::function<void()> gate)
{
    std::lock_guard lock(m_table);
    m_gate = std::move(gate);
}

void WindowRuntime::windowResized(int32_t handle)
{
    auto window = lookup(handle);
    if (!window)
        return;
    updateScrollBars(window);
    std::function<void(platform::Size)> listener;
    {
        std::lock_guard lock(m_table);
        listener = window->resized;
    }
    if (listener)
        listener(m_platform.children.clientSize(window->id));
}

void WindowRuntime::setResizeListener(int32_t handle, std::function<void(platform::Size client)> listener)
{
    auto window = lookup(handle);
    if (!window)
        return;
    std::lock_guard lock(m_table);
    window->resized = std::move(listener);
}

int32_t WindowRuntime::handleOf(platform::WindowId window) const
{
    std::lock_guard lock(m_table);
    for (int slot = 0; slot < MaxWindows; ++slot)
        if (m_slots[slot] && m_slots[slot]->ready && m_slots[slot]->id == window)
            return FirstWindowHandle + slot;
    return -1;
}

int32_t WindowRuntime::activeWindow() const
{
    const int32_t active = handleOf(m_platform.children.activeChild());
    return active >= 0 ? active : focusWindow();
}

void WindowRuntime::setInputListener(std::function<void()> listener)
{
    std::lock_guard lock(m_input->mutex);
    m_input->listener = std::move(listener);
}

void WindowRuntime::notifyInput()
{
    std::function<void()> listener;
    {
        std::lock_guard lock(m_input->mutex);
        listener = m_input->listener;
    }
    if (listener)
        listener();
}

int32_t WindowRuntime::readingWindow() const
{
    std::lock_guard lock(m_input->mutex);
    return m_input->reader;
}

bool WindowRuntime::typeKey(int32_t handle, char ch)
{
    {
        std::lock_guard lock(m_input->mutex);
        if (m_input->reader == -1 || m_input->reader != handle)
            return false;
        m_input->typed.push_back(ch);
    }
    m_input->changed.notify_all();
    return true;
}

void WindowRuntime::pasteInput(std::string_view text)
{
    if (text.empty())
        return;
    {
        std::lock_guard lock(m_input->mutex);
        m_input->pasted.append(text);
    }
    m_input->changed.notify_all();
    notifyInput();
}

void WindowRuntime::clearPaste()
{
    bool had;
    {
        std::lock_guard lock(m_input->mutex);
        had = !m_input->pasted.empty();
        m_input->pasted.clear();
    }
    if (had)
        notifyInput();
}

bool WindowRuntime::pastePending() const
{
    std::lock_guard lock(m_input->mutex);
    return !m_input->pasted.empty();
}

void WindowRuntime::cancelReads()
{
    {
        std::lock_guard lock(m_input->mutex);
        m_input->cancelled = true;
    }
    m_input->changed.notify_all();
}

int32_t WindowRuntime::read_window_line(int32_t handle, std::span<char> buffer)
{
    if (!usableWindow(handle)) {
        setGraphicsStatus(status::failed);
        return -1;
    }
    ThreadRecord& record = threadRecord();
    makeCurrent(record, handle);
    std::shared_ptr<WindowCanvas> canvas = currentCanvas();
    if (!canvas)
        return -1;
    LineInput& in = *m_input;
    {
        std::unique_lock lock(in.mutex);
        in.changed.wait(lock, [&] { return in.cancelled || in.reader == -1; });
        if (in.cancelled)
            return -1;
        in.reader = handle;
        in.typed.clear();
    }
    notifyInput();

    const int16_t savedStatus = graphicsStatus();
    std::string line;
    bool ended = false;
    while (!ended) {
        char ch;
        bool pasteUsedUp = false;
        {
            std::unique_lock lock(in.mutex);
            in.changed.wait(lock, [&] { return in.cancelled || !in.pasted.empty() || !in.typed.empty(); });
            if (in.cancelled)
                break;
            std::string& source = in.pasted.empty() ? in.typed : in.pasted;
            const bool fromPaste = &source == &in.pasted;
            ch = source.front();
            // A CR LF pair is one line end, taken whole so that the LF never starts the next line.
            const size_t taken = ch == '\r' && source.size() > 1 && source[1] == '\n' ? 2 : 1;
            source.erase(0, taken);
            pasteUsedUp = fromPaste && in.pasted.empty();
        }
        if (pasteUsedUp)
            notifyInput();
        if (ch == '\r' || ch == '\n') {
            canvas->out_text("\r\n");
            ended = true;
        } else if (ch == '\b') {
            if (line.empty())
                continue;
            line.pop_back();
            // Blank the last echoed cell and step back onto it, within the row.
            const TextCell at = canvas->canvas().textPosition();
            if (at.column > 1) {
                canvas->setTextPosition(int16_t(at.row), int16_t(at.column - 1));
                canvas->out_text(" ");
                canvas->setTextPosition(int16_t(at.row), int16_t(at.column - 1));
            }
        } else if ((static_cast<unsigned char>(ch) >= 0x20 || ch == '\t') && ch != 0x7F
                   && line.size() < buffer.size()) {
            line.push_back(ch);
            canvas->out_text(std::string_view(&ch, 1));
        }
    }
    setGraphicsStatus(savedStatus);
    {
        std::lock_guard lock(in.mutex);
        in.reader = -1;
        in.typed.clear();
    }
    in.changed.notify_all();
    notifyInput();
    if (!ended)
        return -1;
    std::copy(line.begin(), line.end(), buffer.begin());
    return int32_t(line.size());
}

} // namespace winrt
