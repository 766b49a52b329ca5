#include "platform/headless/HeadlessDialogHost.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

const char* requestName(ScrollRequest r)
{
    static const char* const names[] = {"LineUp",     "LineDown", "PageUp", "PageDown", "ThumbPosition",
                                        "ThumbTrack", "Top",      "Bottom", "EndScroll"};
    const auto i = static_cast<std::size_t>(r);
    return i < std::size(names) ? names[i] : "?";
}

bool isButton(const HeadlessDialogHost::Control& c)
{
    const ControlType t = c.layout.type;
    return t == ControlType::PushButton || t == ControlType::CheckBox || t == ControlType::RadioButton;
}

bool isList(const HeadlessDialogHost::Control& c)
{
    return c.layout.type == ControlType::ListBox || c.layout.type == ControlType::ComboBox;
}

bool hasEditField(const HeadlessDialogHost::Control& c)
{
    return c.layout.type == ControlType::Edit || (c.layout.type == ControlType::ComboBox && c.layout.editable);
}

bool multipleSelection(const HeadlessDialogHost::Control& c)
{
    return c.layout.type == ControlType::ListBox && c.layout.selection != ListSelection::Single;
}

} // namespace

std::string keyName(DialogKeyPress key)
{
    static const char* const names[] = {"Enter", "Escape", "Tab", "Up", "Down", "Left", "Right"};
    std::string name = key.alt ? "Alt+" : "";
    if (key.shift)
        name += "Shift+";
    if (key.key == DialogKey::Character)
        return name + key.character;
    return name + names[static_cast<std::size_t>(key.key)];
}

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

HeadlessDialogHost::Live* HeadlessDialogHost::find(DialogWindow dialog) const
{
    for (const auto& live : m_open)
        if (live->record.window == dialog)
            return live.get();
    return nullptr;
}

HeadlessDialogHost::Control* HeadlessDialogHost::findControl(DialogWindow dialog, int id) const
{
    if (Live* live = find(dialog))
        for (Control& c : live->record.controls)
            if (c.layout.id == id)
                return &c;
    return nullptr;
}

const HeadlessDialogHost::Control* HeadlessDialogHost::control(DialogWindow dialog, int id) const
{
    return findControl(dialog, id);
}

int HeadlessDialogHost::focusedId(DialogWindow dialog) const
{
    const Live* live = find(dialog);
    if (live == nullptr || live->record.focus < 0)
        return 0;
    return live->record.controls[static_cast<std::size_t>(live->record.focus)].layout.id;
}

std::string HeadlessDialogHost::selectedText(DialogWindow dialog, int id) const
{
    const Control* c = control(dialog, id);
    if (c == nullptr)
        return {};
    const std::size_t from = std::min(c->selectionStart, c->text.size());
    return c->text.substr(from, std::clamp(c->selectionEnd, from, c->text.size()) - from);
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

int HeadlessDialogHost::runModal(const DialogLayout& layout, DialogWindow owner, DialogInput& input)
{
    if (m_creationFails) {
        m_notifications.push_back("0 creation failed");
        return -1;
    }
    auto live = std::make_unique<Live>();
    live->input = &input;
    DialogRecord& d = live->record;
    d.window = DialogWindow{m_nextWindow++};
    d.owner = owner;
    d.caption = layout.caption;
    d.closeBox = layout.closeBox;
    for (const ControlLayout& item : layout.controls) {
        Control c;
        c.layout = item;
        c.text = item.type == ControlType::ListBox || item.type == ControlType::ComboBox ? "" : item.caption;
        c.enabled = item.enabled;
        d.controls.push_back(std::move(c));
    }
    const DialogWindow window = d.window;
    m_open.push_back(std::move(live));
    Live& self = *m_open.back();
    note(window, "created owner " + std::to_string(owner.value));

    input.onCreated(window);
    while (!self.record.ended) {
        if (m_script.empty()) {
            note(window, "escape at end of script");
            key(self, DialogKeyPress{DialogKey::Escape});
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

// Keys go where a screen would send them: the focused control keeps what it handles itself.
void HeadlessDialogHost::key(Live& live, DialogKeyPress k)
{
    DialogRecord& d = live.record;
    const Control* f = d.focus < 0 ? nullptr : &d.controls[static_cast<std::size_t>(d.focus)];
    const bool arrow =
        k.key == DialogKey::Up || k.key == DialogKey::Down || k.key == DialogKey::Left || k.key == DialogKey::Right;
    if (f != nullptr
        && ((arrow && f->layout.keepsArrows)
            || (k.key == DialogKey::Character && !k.alt && f->layout.keepsCharacters))) {
        if (k.key == DialogKey::Character)
            type(live, k.character);
        return;
    }
    const int focusId = f == nullptr ? 0 : f->layout.id;
    note(d.window, "key " + std::to_string(focusId) + " " + keyName(k));
    live.input->onKey(focusId, k);
}

// One character typed at the focused control: an edit box replaces its selection with it.
void HeadlessDialogHost::type(Live& live, char ch)
{
    DialogRecord& d = live.record;
    Control* c = d.focus < 0 ? nullptr : &d.controls[static_cast<std::size_t>(d.focus)];
    if (c == nullptr || !hasEditField(*c)) {
        if (std::isalnum(static_cast<unsigned char>(ch)))
            key(live,
                DialogKeyPress{DialogKey::Character, static_cast<char>(std::toupper(static_cast<unsigned char>(ch)))});
        return;
    }
    const std::size_t from = std::min(c->selectionStart, c->text.size());
    const std::size_t to = std::clamp(c->selectionEnd, from, c->text.size());
    c->text.replace(from, to - from, 1, ch);
    c->selectionStart = c->selectionEnd = from + 1;
    note(d.window, "edited " + std::to_string(c->layout.id));
    live.input->onTextEdited(c->layout.id);
}

void HeadlessDialogHost::play(Live& live, const Step& step)
{
    DialogRecord& d = live.record;
    const DialogWindow w = d.window;
    // A control the user can reach: present, visible and enabled.
    auto reachable = [&](int id, const char* what) -> Control* {
        Control* c = findControl(w, id);
        if (c == nullptr || !c->layout.visible || !c->enabled) {
            note(w, std::string(what) + " " + std::to_string(id) + ": not reachable");
            return nullptr;
        }
        return c;
    };
    auto focusOn = [&](const Control* c) {
        if (c->layout.type != ControlType::GroupBox && c->layout.type != ControlType::Static)
            d.focus = static_cast<int>(c - d.controls.data());
    };

    if (const auto* s = std::get_if<Click>(&step)) {
        Control* c = reachable(s->id, "click");
        if (c == nullptr || !isButton(*c))
            return;
        focusOn(c);
        note(w, "click " + std::to_string(s->id));
        live.input->onClick(s->id);
    } else if (const auto* s = std::get_if<Type>(&step)) {
        Control* c = reachable(s->id, "type");
        if (c == nullptr || !hasEditField(*c))
            return;
        focusOn(c);
        c->text = s->text;
        c->selectionStart = c->selectionEnd = c->text.size();
        note(w, "edited " + std::to_string(s->id));
        live.input->onTextEdited(s->id);
    } else if (const auto* s = std::get_if<Keys>(&step)) {
        for (const char ch : s->text)
            if (!d.ended)
                type(live, ch);
    } else if (const auto* s = std::get_if<Key>(&step)) {
        key(live, s->key);
    } else if (const auto* s = std::get_if<Focus>(&step)) {
        if (const Control* c = reachable(s->id, "focus"))
            focusOn(c);
    } else if (std::holds_alternative<Enter>(step)) {
        key(live, DialogKeyPress{DialogKey::Enter});
    } else if (std::holds_alternative<Escape>(step)) {
        key(live, DialogKeyPress{DialogKey::Escape});
    } else if (std::holds_alternative<Close>(step)) {
        note(w, "close");
        live.input->onCloseBox();
    } else if (const auto* s = std::get_if<Scroll>(&step)) {
        Control* c = reachable(s->id, "scroll");
        if (c == nullptr || c->layout.type != ControlType::ScrollBar)
            return;
        note(w, "scroll " + std::to_string(s->id) + " " + requestName(s->request) + " " + std::to_string(s->thumb));
        live.input->onScroll(s->id, s->request, s->thumb);
    } else if (const auto* s = std::get_if<Select>(&step)) {
        Control* c = reachable(s->id, "select");
        if (c == nullptr || !isList(*c) || s->index < 0 || s->index >= static_cast<int>(c->items.size()))
            return;
        const auto k = static_cast<std::size_t>(s->index);
        if (multipleSelection(*c)) {
            c->selected[k] = !c->selected[k];
        } else {
            std::fill(c->selected.begin(), c->selected.end(), false);
            c->selected[k] = true;
        }
        c->current = s->index;
        if (hasEditField(*c))
            c->text = c->items[k];
        note(w, "select " + std::to_string(s->id) + " " + std::to_string(s->index));
        live.input->onListSelection(s->id);
    } else if (const auto* s = std::get_if<DoubleClick>(&step)) {
        Control* c = reachable(s->id, "double click");
        if (c == nullptr || !isList(*c))
            return;
        note(w, "double click " + std::to_string(s->id) + " " + std::to_string(s->index));
        live.input->onListDoubleClick(s->id);
    } else if (const auto* s = std::get_if<Inspect>(&step)) {
        if (*s)
            (*s)(*this, w);
    }
}

// --- Control operations --------------------------------------------------------------------

HeadlessDialogHost::Control* HeadlessDialogHost::logged(DialogWindow dialog, int id, const std::string& operation)
{
    log(dialog,
        operation.substr(0, operation.find(' ')) + " " + std::to_string(id)
            + (operation.find(' ') == std::string::npos ? "" : operation.substr(operation.find(' '))));
    return findControl(dialog, id);
}

std::string HeadlessDialogHost::text(DialogWindow dialog, int id)
{
    const Control* c = logged(dialog, id, "text");
    return c != nullptr ? c->text : std::string();
}

void HeadlessDialogHost::setText(DialogWindow dialog, int id, std::string_view text)
{
    if (Control* c = logged(dialog, id, "setText " + quoted(text))) {
        c->text = std::string(text);
        c->selectionStart = c->selectionEnd = 0; // a set text leaves the caret at its start
    }
}

bool HeadlessDialogHost::isEnabled(DialogWindow dialog, int id)
{
    const Control* c = logged(dialog, id, "isEnabled");
    return c != nullptr && c->enabled;
}

void HeadlessDialogHost::setEnabled(DialogWindow dialog, int id, bool enabled)
{
    if (Control* c = logged(dialog, id, std::string("setEnabled ") + (enabled ? "1" : "0")))
        c->enabled = enabled;
}

int HeadlessDialogHost::focus(DialogWindow dialog) { return focusedId(dialog); }

void HeadlessDialogHost::setFocus(DialogWindow dialog, int id)
{
    if (const Control* c = logged(dialog, id, "setFocus"))
        find(dialog)->record.focus = static_cast<int>(c - find(dialog)->record.controls.data());
}

void HeadlessDialogHost::selectText(DialogWindow dialog, int id, int start, int end)
{
    Control* c = logged(dialog, id, "selectText " + std::to_string(start) + " " + std::to_string(end));
    if (c != nullptr && hasEditField(*c)) {
        const std::size_t size = c->text.size();
        c->selectionStart = std::min(static_cast<std::size_t>(std::max(start, 0)), size);
        c->selectionEnd = end < 0 ? size : std::clamp(static_cast<std::size_t>(end), c->selectionStart, size);
    }
}

int HeadlessDialogHost::checkState(DialogWindow dialog, int id)
{
    const Control* c = logged(dialog, id, "checkState");
    return c != nullptr ? c->check : Unchecked;
}

void HeadlessDialogHost::setCheckState(DialogWindow dialog, int id, int state)
{
    if (Control* c = logged(dialog, id, "setCheckState " + std::to_string(state)))
        c->check = state;
}

void HeadlessDialogHost::setScrollRange(DialogWindow dialog, int id, int minimum, int maximum)
{
    if (Control* c = logged(dialog, id, "setScrollRange " + std::to_string(minimum) + " " + std::to_string(maximum))) {
        c->scrollMin = minimum;
        c->scrollMax = maximum;
        c->scrollPosition = std::clamp(c->scrollPosition, minimum, std::max(minimum, maximum));
    }
}

int HeadlessDialogHost::scrollRangeMax(DialogWindow dialog, int id)
{
    const Control* c = logged(dialog, id, "scrollRangeMax");
    return c != nullptr ? c->scrollMax : 0;
}

int HeadlessDialogHost::scrollPosition(DialogWindow dialog, int id)
{
    const Control* c = logged(dialog, id, "scrollPosition");
    return c != nullptr ? c->scrollPosition : 0;
}

void HeadlessDialogHost::setScrollPosition(DialogWindow dialog, int id, int position)
{
    if (Control* c = logged(dialog, id, "setScrollPosition " + std::to_string(position)))
        c->scrollPosition = std::clamp(position, c->scrollMin, std::max(c->scrollMin, c->scrollMax));
}

void HeadlessDialogHost::clearItems(DialogWindow dialog, int id)
{
    if (Control* c = logged(dialog, id, "clearItems")) {
        c->items.clear();
        c->selected.clear();
        c->current = -1;
    }
}

void HeadlessDialogHost::addItem(DialogWindow dialog, int id, std::string_view text)
{
    if (Control* c = logged(dialog, id, "addItem " + quoted(text))) {
        c->items.emplace_back(text);
        c->selected.push_back(false);
    }
}

int HeadlessDialogHost::itemCount(DialogWindow dialog, int id)
{
    const Control* c = logged(dialog, id, "itemCount");
    return c != nullptr ? static_cast<int>(c->items.size()) : 0;
}

std::string HeadlessDialogHost::itemText(DialogWindow dialog, int id, int index)
{
    const Control* c = logged(dialog, id, "itemText " + std::to_string(index));
    if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size()))
        return {};
    return c->items[static_cast<std::size_t>(index)];
}

int HeadlessDialogHost::currentSelection(DialogWindow dialog, int id)
{
    const Control* c = logged(dialog, id, "currentSelection");
    return c != nullptr ? c->current : -1;
}

bool HeadlessDialogHost::isItemSelected(DialogWindow dialog, int id, int index)
{
    const Control* c = logged(dialog, id, "isItemSelected " + std::to_string(index));
    return c != nullptr && index >= 0 && index < static_cast<int>(c->selected.size())
        && c->selected[static_cast<std::size_t>(index)];
}

void HeadlessDialogHost::selectItem(DialogWindow dialog, int id, int index)
{
    Control* c = logged(dialog, id, "selectItem " + std::to_string(index));
    if (c == nullptr)
        return;
    const bool inRange = index >= 0 && index < static_cast<int>(c->items.size());
    if (!multipleSelection(*c) || index < 0)
        std::fill(c->selected.begin(), c->selected.end(), false);
    if (inRange) {
        c->selected[static_cast<std::size_t>(index)] = true;
        c->current = index;
        if (c->layout.type == ControlType::ComboBox)
            c->text = c->items[static_cast<std::size_t>(index)];
    } else if (!multipleSelection(*c)) {
        c->current = -1;
    }
}

} // namespace platform
