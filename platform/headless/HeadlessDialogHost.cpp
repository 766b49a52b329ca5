#include "platform/headless/HeadlessDialogHost.h"

#include "dialogs/DialogTemplate.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace platform {
namespace {

namespace st = dialogs::style;
namespace cls = dialogs::control_class;

bool isClass(const HeadlessDialogHost::Control& c, std::uint16_t ordinal)
{
    return c.classOrdinal == ordinal;
}

std::uint32_t buttonType(const HeadlessDialogHost::Control& c) { return c.style & st::ButtonTypeMask; }

bool isPushButton(const HeadlessDialogHost::Control& c)
{
    return isClass(c, cls::Button) &&
           (buttonType(c) == st::PushButton || buttonType(c) == st::DefaultPushButton);
}

bool isMultipleSelection(const HeadlessDialogHost::Control& c)
{
    return isClass(c, cls::ListBox) && (c.style & (st::ListMultipleSelection | st::ListExtendedSelection));
}

bool hasEditField(const HeadlessDialogHost::Control& c)
{
    return isClass(c, cls::Edit) ||
           (isClass(c, cls::ComboBox) && (c.style & st::ComboTypeMask) != st::ComboDropDownList);
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::string hex(int code)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", static_cast<unsigned>(code));
    return buf;
}

const char* requestName(ScrollRequest r)
{
    switch (r) {
    case ScrollRequest::LineUp: return "LineUp";
    case ScrollRequest::LineDown: return "LineDown";
    case ScrollRequest::PageUp: return "PageUp";
    case ScrollRequest::PageDown: return "PageDown";
    case ScrollRequest::ThumbPosition: return "ThumbPosition";
    case ScrollRequest::ThumbTrack: return "ThumbTrack";
    case ScrollRequest::Top: return "Top";
    case ScrollRequest::Bottom: return "Bottom";
    case ScrollRequest::EndScroll: return "EndScroll";
    }
    return "?";
}

} // namespace

void HeadlessDialogHost::addSteps(std::vector<Step> steps)
{
    for (Step& s : steps)
        m_script.push_back(std::move(s));
}

void HeadlessDialogHost::clearLogs()
{
    m_operations.clear();
    m_notifications.clear();
}

HeadlessDialogHost::DialogRecord* HeadlessDialogHost::activeDialog()
{
    return m_open.empty() ? nullptr : &m_open.back()->record;
}

HeadlessDialogHost::Live* HeadlessDialogHost::find(DialogWindow dialog)
{
    for (auto& live : m_open)
        if (live->record.window == dialog)
            return live.get();
    return nullptr;
}

const HeadlessDialogHost::Live* HeadlessDialogHost::find(DialogWindow dialog) const
{
    for (const auto& live : m_open)
        if (live->record.window == dialog)
            return live.get();
    return nullptr;
}

const HeadlessDialogHost::Control* HeadlessDialogHost::control(DialogWindow dialog, int id) const
{
    const Live* live = find(dialog);
    if (live == nullptr)
        return nullptr;
    for (const Control& c : live->record.controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

HeadlessDialogHost::Control* HeadlessDialogHost::findControl(DialogWindow dialog, int id)
{
    return const_cast<Control*>(std::as_const(*this).control(dialog, id));
}

int HeadlessDialogHost::focusedId(DialogWindow dialog) const
{
    const Live* live = find(dialog);
    if (live == nullptr || live->record.focus < 0)
        return 0;
    return live->record.controls[static_cast<std::size_t>(live->record.focus)].id;
}

void HeadlessDialogHost::log(DialogWindow dialog, const std::string& line)
{
    m_operations.push_back(std::to_string(dialog.value) + " " + line);
}

void HeadlessDialogHost::note(DialogWindow dialog, const std::string& line)
{
    m_notifications.push_back(std::to_string(dialog.value) + " " + line);
}

// --- The modal run -------------------------------------------------------------------------

int HeadlessDialogHost::runModal(std::span<const std::uint8_t> templateBytes, DialogWindow owner,
                                 DialogEvents& events)
{
    const dialogs::ParsedTemplate parsed = dialogs::parseDialogTemplate(templateBytes);
    if (m_creationFails || !parsed) {
        m_notifications.push_back("0 creation failed");
        return -1;
    }

    auto live = std::make_unique<Live>();
    live->events = &events;
    DialogRecord& d = live->record;
    d.window = DialogWindow{m_nextWindow++};
    d.owner = owner;
    d.caption = parsed.value->title.name;
    d.style = parsed.value->style;
    for (const dialogs::TemplateItem& item : parsed.value->items) {
        Control c;
        c.id = item.id;
        c.classOrdinal = item.windowClass.ordinal;
        c.className = item.windowClass.name;
        c.style = item.style;
        c.text = item.title.ordinal ? std::string() : item.title.name;
        c.enabled = !(item.style & st::Disabled);
        c.visible = (item.style & st::Visible) != 0;
        if (isClass(c, cls::ScrollBar))
            c.scrollMax = 100;
        d.controls.push_back(std::move(c));
    }
    const DialogWindow window = d.window;
    m_open.push_back(std::move(live));
    Live& self = *m_open.back();
    note(window, "created owner " + std::to_string(owner.value));

    events.onInit(window);
    // The system gives the focus to the first visible, enabled control with a tab stop.
    for (std::size_t i = 0; i < self.record.controls.size(); ++i) {
        const Control& c = self.record.controls[i];
        if ((c.style & st::TabStop) && c.visible && c.enabled) {
            self.record.focus = static_cast<int>(i);
            // An edit box given the focus so has its whole text selected.
            if (isClass(c, cls::Edit)) {
                Control& edit = self.record.controls[i];
                edit.selectionStart = 0;
                edit.selectionEnd = edit.text.size();
            }
            break;
        }
    }

    while (!self.record.ended) {
        if (m_script.empty()) {
            note(window, "escape at end of script");
            escape(self);
            if (!self.record.ended) {
                note(window, "forced end");
                ++m_forcedEnds;
                self.record.ended = true;
                self.record.result = -1;
            }
            break;
        }
        Step step = std::move(m_script.front());
        m_script.pop_front();
        play(self, step);
    }

    const int result = self.record.result;
    m_finished.push_back(self.record);
    m_open.pop_back();
    return result;
}

void HeadlessDialogHost::endDialog(DialogWindow dialog, int result)
{
    log(dialog, "endDialog " + std::to_string(result));
    if (Live* live = find(dialog); live != nullptr && !live->record.ended) {
        live->record.ended = true;
        live->record.result = result;
    }
}

void HeadlessDialogHost::command(Live& live, int id, int code)
{
    const bool handled = live.events->onCommand(id, code);
    note(live.record.window, "command " + std::to_string(id) + " " + hex(code) + " -> " + (handled ? "1" : "0"));
}

void HeadlessDialogHost::enter(Live& live)
{
    DialogRecord& d = live.record;
    if (d.focus >= 0 && isPushButton(d.controls[static_cast<std::size_t>(d.focus)])) {
        command(live, d.controls[static_cast<std::size_t>(d.focus)].id, notify::ButtonClicked);
        return;
    }
    for (const Control& c : d.controls) {
        if (isClass(c, cls::Button) && buttonType(c) == st::DefaultPushButton) {
            if (c.enabled)
                command(live, c.id, notify::ButtonClicked);
            else
                note(d.window, "enter: default button disabled");
            return;
        }
    }
    command(live, 1, notify::ButtonClicked);
}

void HeadlessDialogHost::escape(Live& live) { command(live, 2, notify::ButtonClicked); }

void HeadlessDialogHost::close(Live& live)
{
    DialogRecord& d = live.record;
    if (!(d.style & st::SystemMenu)) {
        note(d.window, "close: no close box");
        return;
    }
    if (const Control* cancel = control(d.window, 2); cancel != nullptr && !cancel->enabled) {
        note(d.window, "close: control 2 disabled");
        return;
    }
    command(live, 2, notify::ButtonClicked);
}

void HeadlessDialogHost::play(Live& live, const Step& step)
{
    DialogRecord& d = live.record;
    const DialogWindow w = d.window;
    auto indexOf = [&](int id) -> int {
        for (std::size_t i = 0; i < d.controls.size(); ++i)
            if (d.controls[i].id == id)
                return static_cast<int>(i);
        return -1;
    };
    // A control the user can reach: present, visible and enabled.
    auto reachable = [&](int id, const char* what) -> Control* {
        const int i = indexOf(id);
        Control* c = i < 0 ? nullptr : &d.controls[static_cast<std::size_t>(i)];
        if (c == nullptr || !c->visible || !c->enabled) {
            note(w, std::string(what) + " " + std::to_string(id) + ": not reachable");
            return nullptr;
        }
        return c;
    };

    if (const auto* s = std::get_if<Click>(&step)) {
        Control* c = reachable(s->id, "click");
        if (c == nullptr || !isClass(*c, cls::Button))
            return;
        const std::uint32_t type = buttonType(*c);
        if (type == st::GroupBox)
            return;
        if (isPushButton(*c))
            d.focus = indexOf(s->id);
        if (type == st::AutoCheckBox)
            c->check = c->check == Checked ? Unchecked : Checked;
        if (type == st::AutoRadioButton) {
            // The group: from the last control at or before this one that starts a group to the
            // control before the next one that does.
            const int self = indexOf(s->id);
            int first = self;
            while (first > 0 && !(d.controls[static_cast<std::size_t>(first)].style & st::Group))
                --first;
            int last = self;
            while (last + 1 < static_cast<int>(d.controls.size()) &&
                   !(d.controls[static_cast<std::size_t>(last) + 1].style & st::Group))
                ++last;
            for (int i = first; i <= last; ++i) {
                Control& m = d.controls[static_cast<std::size_t>(i)];
                if (isClass(m, cls::Button) && buttonType(m) == st::AutoRadioButton)
                    m.check = Unchecked;
            }
            c->check = Checked;
        }
        command(live, s->id, notify::ButtonClicked);
    } else if (const auto* s = std::get_if<Type>(&step)) {
        Control* c = reachable(s->id, "type");
        if (c == nullptr || !hasEditField(*c))
            return;
        d.focus = indexOf(s->id);
        c->text = s->text;
        c->selectionStart = c->selectionEnd = c->text.size();
        const bool edit = isClass(*c, cls::Edit);
        command(live, s->id, edit ? notify::EditUpdate : notify::ComboEditUpdate);
        if (!d.ended)
            command(live, s->id, edit ? notify::EditChange : notify::ComboEditChange);
    } else if (const auto* s = std::get_if<Keys>(&step)) {
        Control* c = d.focus < 0 ? nullptr : &d.controls[static_cast<std::size_t>(d.focus)];
        if (c == nullptr || !isClass(*c, cls::Edit))
            return;
        const int id = c->id;
        // Each character replaces the selection and leaves the caret after it.
        for (const char ch : s->text) {
            Control* edit = findControl(w, id);
            if (edit == nullptr || d.ended)
                return;
            const std::size_t from = std::min(edit->selectionStart, edit->text.size());
            const std::size_t to = std::clamp(edit->selectionEnd, from, edit->text.size());
            edit->text.replace(from, to - from, 1, ch);
            edit->selectionStart = edit->selectionEnd = from + 1;
            command(live, id, notify::EditUpdate);
            if (!d.ended)
                command(live, id, notify::EditChange);
        }
    } else if (const auto* s = std::get_if<Focus>(&step)) {
        if (reachable(s->id, "focus") != nullptr)
            d.focus = indexOf(s->id);
    } else if (std::holds_alternative<Enter>(step)) {
        enter(live);
    } else if (std::holds_alternative<Escape>(step)) {
        escape(live);
    } else if (std::holds_alternative<Close>(step)) {
        close(live);
    } else if (const auto* s = std::get_if<Scroll>(&step)) {
        Control* c = reachable(s->id, "scroll");
        if (c == nullptr || !isClass(*c, cls::ScrollBar))
            return;
        const bool handled = live.events->onScroll(s->id, s->request, s->thumb);
        note(w, "scroll " + std::to_string(s->id) + " " + requestName(s->request) + " " + std::to_string(s->thumb) +
                    " -> " + (handled ? "1" : "0"));
    } else if (const auto* s = std::get_if<Select>(&step)) {
        Control* c = reachable(s->id, "select");
        const bool list = c != nullptr && isClass(*c, cls::ListBox);
        const bool combo = c != nullptr && isClass(*c, cls::ComboBox);
        if ((!list && !combo) || s->index < 0 || s->index >= static_cast<int>(c->items.size()))
            return;
        const auto k = static_cast<std::size_t>(s->index);
        if (isMultipleSelection(*c)) {
            c->selected[k] = !c->selected[k];
        } else {
            std::fill(c->selected.begin(), c->selected.end(), false);
            c->selected[k] = true;
        }
        c->current = s->index;
        if (combo && hasEditField(*c))
            c->text = c->items[k];
        // A list box tells its dialog only when its style asks for notifications.
        if (combo || (c->style & st::ListNotify))
            command(live, s->id, notify::ListSelectionChange);
    } else if (const auto* s = std::get_if<DoubleClick>(&step)) {
        Control* c = reachable(s->id, "double click");
        if (c == nullptr || (!isClass(*c, cls::ListBox) && !isClass(*c, cls::ComboBox)))
            return;
        if (isClass(*c, cls::ListBox) && !(c->style & st::ListNotify))
            return;
        command(live, s->id, notify::ListDoubleClick);
    } else if (const auto* s = std::get_if<Inspect>(&step)) {
        if (*s)
            (*s)(*this, w);
    }
}

// --- Control operations --------------------------------------------------------------------

std::string HeadlessDialogHost::text(DialogWindow dialog, int id)
{
    log(dialog, "text " + std::to_string(id));
    const Control* c = findControl(dialog, id);
    return c != nullptr ? c->text : std::string();
}

void HeadlessDialogHost::setText(DialogWindow dialog, int id, std::string_view text)
{
    log(dialog, "setText " + std::to_string(id) + " " + quoted(text));
    Control* c = findControl(dialog, id);
    if (c == nullptr)
        return;
    c->text = std::string(text);
    c->selectionStart = c->selectionEnd = 0; // a set text leaves the caret at its start
    // The system's edit control reports a set text as a change, at once.
    if (m_echoEdits && isClass(*c, cls::Edit)) {
        Live* live = find(dialog);
        command(*live, id, notify::EditUpdate);
        command(*live, id, notify::EditChange);
    }
}

bool HeadlessDialogHost::isEnabled(DialogWindow dialog, int id)
{
    log(dialog, "isEnabled " + std::to_string(id));
    const Control* c = findControl(dialog, id);
    return c != nullptr && c->enabled;
}

void HeadlessDialogHost::setEnabled(DialogWindow dialog, int id, bool enabled)
{
    log(dialog, "setEnabled " + std::to_string(id) + " " + (enabled ? "1" : "0"));
    if (Control* c = findControl(dialog, id))
        c->enabled = enabled;
}

int HeadlessDialogHost::checkState(DialogWindow dialog, int id)
{
    log(dialog, "checkState " + std::to_string(id));
    const Control* c = findControl(dialog, id);
    return c != nullptr ? c->check : Unchecked;
}

void HeadlessDialogHost::setCheckState(DialogWindow dialog, int id, int state)
{
    log(dialog, "setCheckState " + std::to_string(id) + " " + std::to_string(state));
    if (Control* c = findControl(dialog, id))
        c->check = state;
}

void HeadlessDialogHost::setScrollRange(DialogWindow dialog, int id, int minimum, int maximum)
{
    log(dialog, "setScrollRange " + std::to_string(id) + " " + std::to_string(minimum) + " " + std::to_string(maximum));
    if (Control* c = findControl(dialog, id)) {
        c->scrollMin = minimum;
        c->scrollMax = maximum;
        c->scrollPosition = std::clamp(c->scrollPosition, minimum, std::max(minimum, maximum));
    }
}

int HeadlessDialogHost::scrollRangeMax(DialogWindow dialog, int id)
{
    log(dialog, "scrollRangeMax " + std::to_string(id));
    const Control* c = findControl(dialog, id);
    return c != nullptr ? c->scrollMax : 0;
}

int HeadlessDialogHost::scrollPosition(DialogWindow dialog, int id)
{
    log(dialog, "scrollPosition " + std::to_string(id));
    const Control* c = findControl(dialog, id);
    return c != nullptr ? c->scrollPosition : 0;
}

void HeadlessDialogHost::setScrollPosition(DialogWindow dialog, int id, int position)
{
    log(dialog, "setScrollPosition " + std::to_string(id) + " " + std::to_string(position));
    if (Control* c = findControl(dialog, id))
        c->scrollPosition = std::clamp(position, c->scrollMin, std::max(c->scrollMin, c->scrollMax));
}

void HeadlessDialogHost::clearItems(DialogWindow dialog, int id)
{
    log(dialog, "clearItems " + std::to_string(id));
    if (Control* c = findControl(dialog, id)) {
        c->items.clear();
        c->selected.clear();
        c->current = -1;
    }
}

void HeadlessDialogHost::addItem(DialogWindow dialog, int id, std::string_view text)
{
    log(dialog, "addItem " + std::to_string(id) + " " + quoted(text));
    if (Control* c = findControl(dialog, id)) {
        c->items.emplace_back(text);
        c->selected.push_back(false);
    }
}

int HeadlessDialogHost::itemCount(DialogWindow dialog, int id)
{
    log(dialog, "itemCount " + std::to_string(id));
    const Control* c = findControl(dialog, id);
    return c != nullptr ? static_cast<int>(c->items.size()) : 0;
}

std::string HeadlessDialogHost::itemText(DialogWindow dialog, int id, int index)
{
    log(dialog, "itemText " + std::to_string(id) + " " + std::to_string(index));
    const Control* c = findControl(dialog, id);
    if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size()))
        return {};
    return c->items[static_cast<std::size_t>(index)];
}

int HeadlessDialogHost::currentSelection(DialogWindow dialog, int id)
{
    log(dialog, "currentSelection " + std::to_string(id));
    const Control* c = findControl(dialog, id);
    return c != nullptr ? c->current : -1;
}

bool HeadlessDialogHost::isItemSelected(DialogWindow dialog, int id, int index)
{
    log(dialog, "isItemSelected " + std::to_string(id) + " " + std::to_string(index));
    const Control* c = findControl(dialog, id);
    return c != nullptr && index >= 0 && index < static_cast<int>(c->selected.size()) &&
           c->selected[static_cast<std::size_t>(index)];
}

void HeadlessDialogHost::selectItem(DialogWindow dialog, int id, int index)
{
    log(dialog, "selectItem " + std::to_string(id) + " " + std::to_string(index));
    Control* c = findControl(dialog, id);
    if (c == nullptr)
        return;
    const bool inRange = index >= 0 && index < static_cast<int>(c->items.size());
    if (!isMultipleSelection(*c) || index < 0)
        std::fill(c->selected.begin(), c->selected.end(), false);
    if (inRange) {
        c->selected[static_cast<std::size_t>(index)] = true;
        c->current = index;
        if (isClass(*c, cls::ComboBox))
            c->text = c->items[static_cast<std::size_t>(index)];
    } else if (!isMultipleSelection(*c)) {
        c->current = -1;
    }
}

} // namespace platform
