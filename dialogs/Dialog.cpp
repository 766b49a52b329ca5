#include "dialogs/Dialog.h"

#include "dialogs/DialogLayout.h"
#include "dialogs/DialogManager.h"

#include "runtime/Runtime.h"

#include <algorithm>
#include <limits>
#include <span>

namespace dialogs {
namespace {

using platform::DialogWindow;

// The most items a list, combo box or drop-down list may be given: the system's list controls
// hold no more, and a larger count would only allocate texts that can never be shown.
constexpr std::int32_t MaxListItems = 32767;

std::string padded(std::string_view text, std::size_t length = TextLength)
{
    std::string s(text.substr(0, length));
    s.resize(length, ' ');
    return s;
}

// What a text looks like in the window: trailing blanks removed; a full-length text loses its
// last character, as the window takes at most TextLength - 1 characters.
std::string shown(std::string_view text)
{
    const std::size_t end = text.find_last_not_of(' ');
    std::string s(end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1));
    if (s.size() >= TextLength)
        s.resize(TextLength - 1);
    return s;
}

// A text read from the window: cut at a zero, at most TextLength - 1 characters, padded.
std::string fromWindow(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    return padded(text.substr(0, TextLength - 1));
}

void doNothing(Dialog&, std::int32_t, std::int32_t) {}

// The push button's own routine: the button's id becomes the end code and the dialog ends.
void endWithButtonId(Dialog& dialog, std::int32_t id, std::int32_t)
{
    DialogSetEndCode(dialog, id);
    DialogEnd(dialog);
}

bool running(const Dialog& dialog) { return dialog.window.isValid() && dialog.runtime != nullptr; }

DialogControl* findRecord(Dialog& dialog, std::int32_t id)
{
    for (DialogControl& c : dialog.controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

// The record a set, get or attach call may use: known and not a duplicate.
DialogControl* usableRecord(Dialog& dialog, std::int32_t id)
{
    DialogControl* c = findRecord(dialog, id);
    return c != nullptr && !isTrue(c->duplicate) ? c : nullptr;
}

std::int32_t itemCountOf(const DialogControl& c)
{
    switch (c.kind) {
    case ControlKind::ListBox:
    case ControlKind::ComboBox:
    case ControlKind::DropDownList: return c.integers[0];
    default: return 0;
    }
}

bool isItemNumber(ValueIndex selector, const DialogControl& c)
{
    const auto k = static_cast<std::int32_t>(selector);
    return k >= 1 && k <= itemCountOf(c);
}

bool is(ValueIndex selector, ValueIndex a) { return selector == a; }
bool is(ValueIndex selector, ValueIndex a, ValueIndex b) { return selector == a || selector == b; }

constexpr ValueIndex Default = ValueIndex::Default;

enum class Access {
    Set,
    Get
};

// The scroll bar's integers.
constexpr std::size_t ScrollPosition = 0;
constexpr std::size_t ScrollRangeMax = 1;
constexpr std::size_t ScrollLineStep = 2;
constexpr std::size_t ScrollPageStep = 3;

// A selector and the index of the value (or routine) it addresses.
struct Slot {
    ValueIndex selector;
    std::size_t index;
};

// A command notification and the routine it calls, with the event code passed to it.
struct Notification {
    int code;
    std::size_t routine;
    ValueIndex event;
};

// Everything that differs between the kinds of control: which value or routine each selector
// reaches, which routine each notification calls, and the values a record starts with.
struct KindTable {
    std::span<const Slot> texts;     // set and get
    std::span<const Slot> readTexts; // get only
    bool itemTexts;                  // item numbers 1..n address the item texts
    std::span<const Slot> logicals;
    std::span<const Slot> integers; // the scroll bar's; lists have their own rules
    std::span<const Slot> routines;
    std::span<const Notification> notifications;
    std::span<const std::int32_t> initialIntegers;
    bool checkable; // logical [2]: checked
    bool hasText;   // text [1]: the template's text
    std::size_t routineCount;
};

using V = ValueIndex;
namespace n = notify;
constexpr Slot CaptionTexts[] = {{V::Default, 0}, {V::Caption, 0}};
constexpr Slot StateTexts[] = {{V::Default, 0}, {V::State, 0}};
constexpr Slot PlainLogicals[] = {{V::Enabled, 0}, {V::Default, 0}};
constexpr Slot CheckLogicals[] = {{V::Enabled, 0}, {V::Default, 1}, {V::State, 1}};
constexpr Slot ScrollIntegers[] = {{V::Default, ScrollPosition},
                                   {V::Position, ScrollPosition},
                                   {V::RangeMax, ScrollRangeMax},
                                   {V::LineStep, ScrollLineStep},
                                   {V::PageStep, ScrollPageStep}};
constexpr Slot ClickRoutines[] = {{V::Default, 0}, {V::Clicked, 0}};
constexpr Slot EditRoutines[] = {{V::Default, 0}, {V::Changed, 0}, {V::Updated, 1}};
constexpr Slot ScrollRoutines[] = {{V::Default, 0}, {V::Changed, 0}};
constexpr Slot ListRoutines[] = {{V::Default, 0}, {V::SelectionChanged, 0}, {V::DoubleClicked, 1}};
constexpr Slot ComboRoutines[] = {
    {V::Default, 0}, {V::SelectionChanged, 0}, {V::DoubleClicked, 1}, {V::Changed, 2}, {V::Updated, 3}};
constexpr Notification ClickNotifications[] = {{n::ButtonClicked, 0, V::Clicked}};
constexpr Notification EditNotifications[] = {{n::EditChange, 0, V::Changed}, {n::EditUpdate, 1, V::Updated}};
constexpr Notification ListNotifications[] = {{n::ListSelectionChange, 0, V::SelectionChanged},
                                              {n::ListDoubleClick, 1, V::DoubleClicked}};
constexpr Notification ComboNotifications[] = {{n::ListSelectionChange, 0, V::SelectionChanged},
                                               {n::ListDoubleClick, 1, V::DoubleClicked},
                                               {n::ComboEditChange, 2, V::Changed},
                                               {n::ComboEditUpdate, 3, V::Updated}};
constexpr std::int32_t TwoZeros[] = {0, 0};
constexpr std::int32_t OneZero[] = {0};
constexpr std::int32_t ScrollStart[] = {0, 100, 1, 10}; // position, range maximum, line and page step

// Indexed by ControlKind - 1.
constexpr KindTable KindTables[] = {
    /* StaticText */ {CaptionTexts, {}, false, PlainLogicals, {}, {}, {}, {}, false, true, 0},
    /* GroupBox */ {CaptionTexts, {}, false, PlainLogicals, {}, {}, {}, {}, false, true, 0},
    /* PushButton */
    {CaptionTexts, {}, false, PlainLogicals, {}, ClickRoutines, ClickNotifications, {}, false, true, 1},
    /* CheckBox */ {CaptionTexts, {}, false, CheckLogicals, {}, ClickRoutines, ClickNotifications, {}, true, true, 1},
    /* RadioButton */
    {CaptionTexts, {}, false, CheckLogicals, {}, ClickRoutines, ClickNotifications, TwoZeros, true, true, 1},
    /* EditBox */ {StateTexts, {}, false, PlainLogicals, {}, EditRoutines, EditNotifications, {}, false, true, 2},
    /* ScrollBar */ {{}, {}, false, PlainLogicals, ScrollIntegers, ScrollRoutines, {}, ScrollStart, false, false, 1},
    /* ListBox */ {{}, StateTexts, true, PlainLogicals, {}, ListRoutines, ListNotifications, TwoZeros, false, true, 2},
    /* ComboBox */
    {StateTexts, {}, true, PlainLogicals, {}, ComboRoutines, ComboNotifications, OneZero, false, true, 4},
    /* DropDownList */
    {{}, StateTexts, true, PlainLogicals, {}, ListRoutines, ListNotifications, TwoZeros, false, true, 2},
};

const KindTable& tableOf(ControlKind kind) { return KindTables[static_cast<std::size_t>(kind) - 1]; }

std::optional<std::size_t> find(std::span<const Slot> slots, ValueIndex s)
{
    for (const Slot& slot : slots)
        if (slot.selector == s)
            return slot.index;
    return std::nullopt;
}

// Which text a selector addresses, as an index into texts.
std::optional<std::size_t> textSlot(const DialogControl& c, ValueIndex s, Access access)
{
    const KindTable& t = tableOf(c.kind);
    if (t.itemTexts && isItemNumber(s, c))
        return static_cast<std::size_t>(s);
    if (const auto slot = find(t.texts, s))
        return slot;
    return access == Access::Get ? find(t.readTexts, s) : std::nullopt;
}

std::optional<std::size_t> logicalSlot(const DialogControl& c, ValueIndex s)
{
    return find(tableOf(c.kind).logicals, s);
}
std::optional<std::size_t> routineSlot(const DialogControl& c, ValueIndex s)
{
    return find(tableOf(c.kind).routines, s);
}
std::optional<std::size_t> scrollSlot(ValueIndex s) { return find(ScrollIntegers, s); }

// Gives a list n items: texts become n + 1 entries (existing ones kept), a list box's
// selection list is emptied (n entries and the terminating 0).
void setItemCount(DialogControl& c, std::int32_t n)
{
    c.texts.resize(static_cast<std::size_t>(n) + 1, std::string(TextLength, ' '));
    if (c.kind == ControlKind::ListBox)
        c.integers.assign(static_cast<std::size_t>(n) + 2, 0);
    c.integers[0] = n;
}

// --- Value transfer ------------------------------------------------------------------------

void pull(Dialog& dialog, DialogControl& c)
{
    if (!running(dialog) || isTrue(c.duplicate))
        return;
    platform::DialogHost& host = dialog.runtime->host();
    const DialogWindow w = dialog.window;
    const int id = c.id;
    c.logicals[0] = toLogical(host.isEnabled(w, id));

    auto pullItems = [&] {
        const std::int32_t n = c.integers[0];
        for (std::int32_t i = 0; i < n; ++i)
            c.texts[static_cast<std::size_t>(i) + 1] = fromWindow(host.itemText(w, id, i));
    };
    auto itemText = [&](std::int32_t number) {
        return number >= 1 && number <= c.integers[0] ? c.texts[static_cast<std::size_t>(number)]
                                                      : std::string(TextLength, ' ');
    };

    switch (c.kind) {
    case ControlKind::StaticText:
    case ControlKind::GroupBox:
    case ControlKind::PushButton:
    case ControlKind::EditBox: c.texts[0] = fromWindow(host.text(w, id)); break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        c.texts[0] = fromWindow(host.text(w, id));
        c.logicals[1] = toLogical(host.checkState(w, id) != platform::Unchecked);
        break;
    case ControlKind::ScrollBar:
        c.integers[ScrollPosition] = host.scrollPosition(w, id);
        c.integers[ScrollRangeMax] = host.scrollRangeMax(w, id);
        break;
    case ControlKind::ListBox: {
        pullItems();
        const std::int32_t n = c.integers[0];
        std::fill(c.integers.begin() + 1, c.integers.end(), 0);
        std::size_t next = 1;
        for (std::int32_t i = 0; i < n; ++i)
            if (host.isItemSelected(w, id, i))
                c.integers[next++] = i + 1;
        c.texts[0] = itemText(c.integers[1]);
        break;
    }
    case ControlKind::ComboBox:
        pullItems();
        if (isTrue(dialog.comboTextFromEdit))
            c.texts[0] = fromWindow(host.text(w, id));
        else
            c.texts[0] = itemText(host.currentSelection(w, id) + 1);
        break;
    case ControlKind::DropDownList:
        pullItems();
        c.integers[1] = std::max(host.currentSelection(w, id), -1) + 1;
        c.texts[0] = itemText(c.integers[1]);
        break;
    }
}

void push(Dialog& dialog, DialogControl& c)
{
    platform::DialogHost& host = dialog.runtime->host();
    const DialogWindow w = dialog.window;
    const int id = c.id;
    const bool enabled = isTrue(c.logicals[0]);

    auto pushItems = [&] {
        host.setEnabled(w, id, enabled);
        host.clearItems(w, id);
        for (std::int32_t i = 1; i <= c.integers[0]; ++i)
            host.addItem(w, id, shown(c.texts[static_cast<std::size_t>(i)]));
    };

    switch (c.kind) {
    case ControlKind::StaticText:
    case ControlKind::GroupBox:
    case ControlKind::PushButton:
    case ControlKind::EditBox:
        host.setText(w, id, shown(c.texts[0]));
        host.setEnabled(w, id, enabled);
        break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        host.setText(w, id, shown(c.texts[0]));
        host.setEnabled(w, id, enabled);
        host.setCheckState(w, id, isTrue(c.logicals[1]) ? platform::Checked : platform::Unchecked);
        break;
    case ControlKind::ScrollBar:
        host.setEnabled(w, id, enabled);
        host.setScrollRange(w, id, 1, c.integers[ScrollRangeMax]);
        host.setScrollPosition(w, id, c.integers[ScrollPosition]);
        break;
    case ControlKind::ListBox:
        pushItems();
        for (std::size_t k = 1; k < c.integers.size() && c.integers[k] != 0; ++k)
            host.selectItem(w, id, c.integers[k] - 1);
        break;
    case ControlKind::ComboBox:
        pushItems();
        host.setText(w, id, shown(c.texts[0]));
        break;
    case ControlKind::DropDownList:
        pushItems();
        host.selectItem(w, id, c.integers[1] - 1);
        break;
    }
}

void pushAll(Dialog& dialog)
{
    if (!running(dialog))
        return;
    dialog.pushing = True;
    if (isTrue(dialog.dirty)) {
        dialog.dirty = False;
        // Indexing, not iterators: a host may call back into the dialog while values are written.
        for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
            DialogControl& c = dialog.controls[i];
            if (isTrue(c.dirty) && !isTrue(c.duplicate)) {
                push(dialog, c);
                c.dirty = False;
            }
        }
    }
    dialog.pushing = False;
}

// Before a set or get on a running dialog: the window holds the newer value unless the record
// has changes of its own still to show.
void refresh(Dialog& dialog, DialogControl& c)
{
    if (running(dialog) && !isTrue(c.dirty))
        pull(dialog, c);
}

void markChanged(Dialog& dialog, DialogControl& c)
{
    if (running(dialog)) {
        c.dirty = True;
        dialog.dirty = True;
    }
}

// --- The dialog procedure ------------------------------------------------------------------

class Procedure final : public DialogEvents {
public:
    explicit Procedure(Dialog& dialog) : m_dialog(dialog) {}

    bool created() const { return m_created; }
    bool hasEnded() const override { return m_created && !m_dialog.window.isValid(); }

    void onInit(DialogWindow window) override
    {
        m_created = true;
        m_dialog.window = window;
        pushAll(m_dialog);
        DialogCallback start = m_dialog.startRoutine;
        if (start)
            start(m_dialog, m_dialog.resourceId, 0);
        // Values the start routine set must reach the window before the user sees it.
        pushAll(m_dialog);
    }

    bool onCommand(int controlId, int code) override
    {
        Dialog& d = m_dialog;
        if (controlId == 0 || isTrue(d.pushing))
            return false;
        DialogControl* c = findRecord(d, controlId);
        if (c == nullptr)
            return false;
        const Notification* choice = nullptr;
        for (const Notification& entry : tableOf(c->kind).notifications)
            if (entry.code == code)
                choice = &entry;
        if (choice == nullptr || choice->routine >= c->routines.size())
            return false;
        // A copy: the routine may release the dialog and with it this record.
        const DialogCallback routine = c->routines[choice->routine];
        const bool comboSelection = c->kind == ControlKind::ComboBox && choice->event == ValueIndex::SelectionChanged;
        if (comboSelection)
            d.comboTextFromEdit = False;
        if (routine)
            routine(d, controlId, static_cast<std::int32_t>(choice->event));
        if (comboSelection)
            d.comboTextFromEdit = True;
        pushAll(d);
        return true;
    }

    bool onScroll(int controlId, platform::ScrollRequest request, int thumbPosition) override
    {
        Dialog& d = m_dialog;
        if (isTrue(d.pushing))
            return false;
        DialogControl* c = findRecord(d, controlId);
        if (c == nullptr || c->kind != ControlKind::ScrollBar || isTrue(c->duplicate))
            return false;
        refresh(d, *c);
        if (!isTrue(c->logicals[0]))
            return false;

        // Wide arithmetic: a step added to a position near the limits must not overflow.
        const std::int64_t position = c->integers[ScrollPosition];
        const std::int64_t rangeMax = c->integers[ScrollRangeMax];
        std::int64_t p = 0;
        using R = platform::ScrollRequest;
        switch (request) {
        case R::LineUp: p = position - c->integers[ScrollLineStep]; break;
        case R::LineDown: p = position + c->integers[ScrollLineStep]; break;
        case R::PageUp: p = position - c->integers[ScrollPageStep]; break;
        case R::PageDown: p = position + c->integers[ScrollPageStep]; break;
        case R::ThumbPosition:
        case R::ThumbTrack: p = thumbPosition; break;
        case R::Top: p = 1; break;
        case R::Bottom: p = rangeMax; break;
        default: return false;
        }
        if (p < 1)
            p = 1;
        if (p > rangeMax)
            p = rangeMax;
        c->integers[ScrollPosition] = static_cast<std::int32_t>(p);
        c->dirty = True;
        d.dirty = True;
        d.runtime->host().setScrollPosition(d.window, controlId, static_cast<int>(p));

        const DialogCallback routine = c->routines[0];
        if (routine)
            routine(d, controlId, static_cast<std::int32_t>(ValueIndex::Changed));
        pushAll(d);
        return true;
    }

private:
    Dialog& m_dialog;
    bool m_created = false;
};

// --- Loading -------------------------------------------------------------------------------

DialogControl initialRecord(ControlKind kind, const TemplateItem& item)
{
    const KindTable& t = tableOf(kind);
    DialogControl c;
    c.kind = kind;
    c.id = item.id;
    c.integers.assign(t.initialIntegers.begin(), t.initialIntegers.end());
    // A control the template creates disabled starts disabled: the first push would otherwise
    // enable it behind the template's back. A check box starts checked; a radio button's group
    // decides.
    c.logicals = {toLogical(!(item.style & style::Disabled))};
    if (t.checkable)
        c.logicals.push_back(toLogical(kind == ControlKind::CheckBox));
    if (t.hasText)
        c.texts = {padded(item.title.ordinal ? std::string_view{} : std::string_view(item.title.name))};
    c.routines.assign(t.routineCount, kind == ControlKind::PushButton ? endWithButtonId : doNothing);
    return c;
}

bool isAutoRadioButton(const TemplateItem& item)
{
    return item.windowClass.ordinal == control_class::Button
        && (item.style & style::ButtonTypeMask) == style::AutoRadioButton;
}

} // namespace

// --- DialogRuntime -------------------------------------------------------------------------

DialogRuntime::DialogRuntime(platform::DialogHost& host, const DialogResources& resources, rt::Runtime& runtime,
                             platform::DialogWindow frame)
    : m_host(host), m_resources(resources), m_runtime(runtime), m_frame(frame)
{
}

Dialog* DialogRuntime::currentDialog() const
{
    std::lock_guard lock(m_lock);
    const auto it = m_current.find(std::this_thread::get_id());
    return it == m_current.end() ? nullptr : it->second;
}

Dialog* DialogRuntime::exchangeCurrentDialog(Dialog* dialog)
{
    std::lock_guard lock(m_lock);
    const auto id = std::this_thread::get_id();
    const auto it = m_current.find(id);
    Dialog* previous = it == m_current.end() ? nullptr : it->second;
    if (dialog != nullptr)
        m_current[id] = dialog;
    else if (it != m_current.end())
        m_current.erase(it);
    return previous;
}

// --- Classification ------------------------------------------------------------------------

std::optional<ControlKind> classifyItem(const TemplateItem& item)
{
    if (!item.windowClass.ordinal || !rejectedStyleName(item).empty())
        return std::nullopt;
    const std::uint32_t s = item.style;
    switch (*item.windowClass.ordinal) {
    case control_class::Static: return ControlKind::StaticText;
    case control_class::Button:
        switch (s & style::ButtonTypeMask) {
        case style::PushButton:
        case style::DefaultPushButton: return ControlKind::PushButton;
        case style::AutoCheckBox: return ControlKind::CheckBox;
        case style::RadioButton:
        case style::ThreeState:
        case style::AutoThreeState:
        case style::AutoRadioButton: return ControlKind::RadioButton;
        case style::GroupBox: return ControlKind::GroupBox;
        }
        return std::nullopt;
    case control_class::Edit: return ControlKind::EditBox;
    case control_class::ScrollBar: return ControlKind::ScrollBar;
    case control_class::ListBox: return ControlKind::ListBox;
    case control_class::ComboBox:
        return (s & style::ComboTypeMask) == style::ComboDropDownList ? ControlKind::DropDownList
                                                                      : ControlKind::ComboBox;
    }
    return std::nullopt;
}

std::string_view rejectedStyleName(const TemplateItem& item)
{
    if (!item.windowClass.ordinal)
        return {};
    const std::uint32_t s = item.style;
    switch (*item.windowClass.ordinal) {
    case control_class::Button:
        switch (s & style::ButtonTypeMask) {
        case style::PushButton:
        case style::DefaultPushButton:
        case style::AutoCheckBox:
        case style::RadioButton:
        case style::ThreeState:
        case style::AutoThreeState:
        case style::GroupBox:
        case style::AutoRadioButton: return {};
        case style::OwnerDrawButton: return "BS_OWNERDRAW";
        case style::UserButton: return "BS_USERBUTTON";
        default: return "<unknown>";
        }
    case control_class::Edit: return (s & style::EditMultiLine) ? "ES_MULTILINE" : "";
    case control_class::ListBox:
        if (s & style::ListOwnerDrawFixed)
            return "LBS_OWNERDRAWFIXED";
        if (s & style::ListOwnerDrawVariable)
            return "LBS_OWNERDRAWVARIABLE";
        return {};
    case control_class::ComboBox:
        if (s & style::ComboOwnerDrawFixed)
            return "CBS_OWNERDRAWFIXED";
        if (s & style::ComboOwnerDrawVariable)
            return "CBS_OWNERDRAWVARIABLE";
        return {};
    }
    return {};
}

// --- Loading -------------------------------------------------------------------------------

bool DialogLoad(std::int32_t resourceId, Dialog& dialog, DialogRuntime& runtime)
{
    dialog.resourceId = resourceId;
    dialog.window = {};
    dialog.endCode = 1;
    dialog.dirty = True;
    dialog.pushing = False;
    dialog.comboTextFromEdit = True;
    dialog.startRoutine = doNothing;
    dialog.controls.clear();
    dialog.runtime = &runtime;
    dialog.loaded = false;

    const auto bytes = runtime.resources().dialogTemplate(resourceId);
    if (!bytes)
        return false;
    auto parsed = parseDialogTemplate(*bytes);
    if (!parsed)
        return false;
    auto dialogTemplate = std::make_shared<const DialogTemplate>(std::move(parsed).value());
    const std::vector<TemplateItem>& items = dialogTemplate->items;

    std::vector<DialogControl> controls;
    controls.reserve(items.size());
    bool groupOpen = false;
    std::size_t groupFirst = 0;    // record index of the open group's first button
    std::size_t groupLastItem = 0; // template index of its last member

    for (std::size_t i = 0; i < items.size(); ++i) {
        const TemplateItem& item = items[i];
        bool duplicate = false;
        for (DialogControl& earlier : controls) {
            if (earlier.id == item.id) {
                earlier.duplicate = True;
                duplicate = true;
            }
        }

        if (const std::string_view name = rejectedStyleName(item); !name.empty()) {
            std::string idField = std::to_string(item.id);
            idField.resize(20, ' ');
            rt::Runtime& r = runtime.runtime();
            r.writeList(6,
                        {std::string_view("Invalid style "), name, std::string_view(" used for control "),
                         std::string_view(idField)});
            r.request_stop();
            return false; // reached only where the stop returns (tests)
        }

        const auto kind = classifyItem(item);
        if (!kind)
            continue;
        DialogControl c = initialRecord(*kind, item);
        c.duplicate = toLogical(duplicate);

        if (*kind == ControlKind::RadioButton) {
            if (!groupOpen) {
                groupOpen = true;
                groupFirst = controls.size();
                c.logicals[1] = True;
                // The group runs to the next item that starts a group; its last member is the
                // last automatic radio button before that, else this button alone.
                groupLastItem = i;
                for (std::size_t j = i + 1; j < items.size() && !(items[j].style & style::Group); ++j)
                    if (isAutoRadioButton(items[j]))
                        groupLastItem = j;
            }
        }
        controls.push_back(std::move(c));

        if (groupOpen && i == groupLastItem) {
            const auto first = static_cast<std::int32_t>(groupFirst + 1);
            const auto last = static_cast<std::int32_t>(controls.size());
            for (std::size_t k = groupFirst; k < controls.size(); ++k)
                if (controls[k].kind == ControlKind::RadioButton)
                    controls[k].integers = {first, last};
            groupOpen = false;
        }
    }

    dialog.controls = std::move(controls);
    dialog.dialogTemplate = std::move(dialogTemplate);
    dialog.loaded = true;
    return true;
}

// --- Sets ----------------------------------------------------------------------------------

bool DialogSetText(Dialog& dialog, std::int32_t id, std::string_view text, ValueIndex selector)
{
    DialogControl* c = usableRecord(dialog, id);
    if (c == nullptr)
        return false;
    refresh(dialog, *c);
    const auto slot = textSlot(*c, selector, Access::Set);
    if (!slot)
        return false;
    c->texts[*slot] = padded(text);
    markChanged(dialog, *c);
    return true;
}

bool DialogSetInteger(Dialog& dialog, std::int32_t id, std::int32_t value, ValueIndex selector)
{
    DialogControl* c = usableRecord(dialog, id);
    if (c == nullptr)
        return false;
    refresh(dialog, *c);
    switch (c->kind) {
    case ControlKind::ScrollBar: {
        const auto slot = scrollSlot(selector);
        if (!slot)
            return false;
        c->integers[*slot] = value;
        break;
    }
    case ControlKind::ListBox:
    case ControlKind::ComboBox:
    case ControlKind::DropDownList:
        if (is(selector, Default, ValueIndex::ItemCount)) {
            if (value < 0 || value > MaxListItems)
                return false;
            setItemCount(*c, value);
        } else if (c->kind == ControlKind::ListBox && isItemNumber(selector, *c)) {
            c->integers[static_cast<std::size_t>(selector)] = value;
        } else if (c->kind == ControlKind::DropDownList && is(selector, ValueIndex::State)) {
            c->integers[1] = value;
        } else {
            return false;
        }
        break;
    default: return false;
    }
    markChanged(dialog, *c);
    return true;
}

bool DialogSetLogical(Dialog& dialog, std::int32_t id, Logical value, ValueIndex selector)
{
    DialogControl* c = usableRecord(dialog, id);
    if (c == nullptr)
        return false;
    const auto slot = logicalSlot(*c, selector);
    if (!slot)
        return false;
    refresh(dialog, *c);

    if (c->kind == ControlKind::RadioButton && *slot == 1) {
        // One button of a group is checked: this one, or the group's first for false.
        const std::int32_t first = c->integers[0];
        const std::int32_t last = c->integers[1];
        const auto self = static_cast<std::int32_t>(c - dialog.controls.data()) + 1;
        const bool grouped = first >= 1 && first <= last && last <= static_cast<std::int32_t>(dialog.controls.size());
        const std::int32_t from = grouped ? first : self;
        const std::int32_t to = grouped ? last : self;
        for (std::int32_t k = from; k <= to; ++k) {
            DialogControl& member = dialog.controls[static_cast<std::size_t>(k) - 1];
            if (member.kind != ControlKind::RadioButton)
                continue;
            refresh(dialog, member);
            member.logicals[1] = False;
            markChanged(dialog, member);
        }
        DialogControl& chosen = dialog.controls[static_cast<std::size_t>(isTrue(value) ? self : from) - 1];
        chosen.logicals[1] = True;
        markChanged(dialog, chosen);
        return true;
    }

    c->logicals[*slot] = toLogical(isTrue(value));
    markChanged(dialog, *c);
    return true;
}

bool DialogSetCallback(Dialog& dialog, std::int32_t id, DialogCallback routine, ValueIndex selector)
{
    if (!routine)
        routine = doNothing;
    if (id == dialog.resourceId && findRecord(dialog, id) == nullptr) {
        dialog.startRoutine = std::move(routine);
        return true;
    }
    DialogControl* c = usableRecord(dialog, id);
    if (c == nullptr || running(dialog))
        return false;
    const auto slot = routineSlot(*c, selector);
    if (!slot)
        return false;
    c->routines[*slot] = std::move(routine);
    return true;
}

// --- Gets ----------------------------------------------------------------------------------

bool DialogGetText(Dialog& dialog, std::int32_t id, std::string& text, ValueIndex selector)
{
    DialogControl* c = usableRecord(dialog, id);
    if (c == nullptr)
        return false;
    refresh(dialog, *c);
    const auto slot = textSlot(*c, selector, Access::Get);
    if (!slot)
        return false;
    text = padded(c->texts[*slot], text.size());
    return true;
}

bool DialogGetInteger(Dialog& dialog, std::int32_t id, std::int32_t& value, ValueIndex selector)
{
    DialogControl* c = usableRecord(dialog, id);
    if (c == nullptr)
        return false;
    refresh(dialog, *c);
    const auto k = static_cast<std::int32_t>(selector);
    switch (c->kind) {
    case ControlKind::ScrollBar: {
        const auto slot = scrollSlot(selector);
        if (!slot)
            return false;
        value = c->integers[*slot];
        return true;
    }
    case ControlKind::ListBox:
        if (is(selector, Default, ValueIndex::ItemCount)) {
            value = c->integers[0];
            return true;
        }
        if (k >= 1) {
            value = k <= c->integers[0] ? c->integers[static_cast<std::size_t>(k)] : 0;
            return true;
        }
        return false;
    case ControlKind::ComboBox:
        if (!is(selector, Default, ValueIndex::ItemCount))
            return false;
        value = c->integers[0];
        return true;
    case ControlKind::DropDownList:
        if (is(selector, Default, ValueIndex::ItemCount)) {
            value = c->integers[0];
            return true;
        }
        if (is(selector, ValueIndex::State)) {
            value = c->integers[1];
            return true;
        }
        return false;
    default: return false;
    }
}

bool DialogGetLogical(Dialog& dialog, std::int32_t id, Logical& value, ValueIndex selector)
{
    DialogControl* c = usableRecord(dialog, id);
    if (c == nullptr)
        return false;
    const auto slot = logicalSlot(*c, selector);
    if (!slot)
        return false;
    refresh(dialog, *c);
    value = c->logicals[*slot];
    return true;
}

// --- Running -------------------------------------------------------------------------------

std::int32_t DialogRunModal(Dialog& dialog)
{
    if (!dialog.loaded || dialog.runtime == nullptr || dialog.window.isValid() || !dialog.dialogTemplate)
        return -1;
    DialogRuntime& runtime = *dialog.runtime;
    // A copy: a routine may release the dialog while it runs.
    const std::shared_ptr<const DialogTemplate> dialogTemplate = dialog.dialogTemplate;
    const platform::DialogLayout layout = buildDialogLayout(*dialogTemplate);

    // Every record reaches the new window, also when the object has run before.
    dialog.dirty = True;
    for (DialogControl& c : dialog.controls)
        c.dirty = True;

    Dialog* previous = runtime.exchangeCurrentDialog(&dialog);
    const platform::DialogWindow owner =
        previous != nullptr && previous->window.isValid() ? previous->window : runtime.frameWindow();
    Procedure procedure(dialog);
    DialogManager manager(runtime.host(), *dialogTemplate, layout, procedure);
    const int result = runtime.host().runModal(layout, owner, manager);
    runtime.exchangeCurrentDialog(previous);

    // A box the dialog manager closed by itself leaves no window behind either.
    dialog.window = {};
    dialog.pushing = False;
    if (!procedure.created() || result == -1)
        return -1;
    return dialog.endCode;
}

void DialogEnd(Dialog& dialog)
{
    if (!running(dialog))
        return;
    // Records with changes not yet shown keep them: the window holds older values.
    for (DialogControl& c : dialog.controls)
        if (!isTrue(c.dirty))
            pull(dialog, c);
    dialog.runtime->host().endDialog(dialog.window, 0);
    dialog.window = {};
}

void DialogSetEndCode(Dialog& dialog, std::int32_t code) { dialog.endCode = code; }

void DialogRelease(Dialog& dialog)
{
    dialog.controls.clear();
    dialog.controls.shrink_to_fit();
    dialog.dialogTemplate.reset();
    dialog.loaded = false;
}

} // namespace dialogs
