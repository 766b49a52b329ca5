#include "platform/headless/HeadlessDialogHost.h"

#include "platform/headless/HeadlessUser.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

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
    m_open.push_back(std::move(live));
    Live& self = *m_open.back();
    HeadlessUser user(*this, self.record, input, m_notifications);
    user.note("created owner " + std::to_string(owner.value));

    input.onCreated(self.record.window);
    while (!self.record.ended) {
        if (m_script.empty()) {
            user.note("escape at end of script");
            user.press(DialogKeyPress{DialogKey::Escape});
            if (!self.record.ended) {
                user.note("forced end");
                ++m_forcedEnds;
                self.record.ended = true;
                self.record.result = -1;
            }
            break;
        }
        Step step = std::move(m_script.front());
        m_script.pop_front();
        user.play(step);
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
    if (c != nullptr && c->hasEditField()) {
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
        const int count = static_cast<int>(c->items.size());
        const int at = c->layout.sorted
            ? sortedItemPosition(text, count, [&](int i) { return c->items[static_cast<std::size_t>(i)]; })
            : count;
        c->items.emplace(c->items.begin() + at, text);
        c->selected.insert(c->selected.begin() + at, false);
        if (c->current >= at)
            ++c->current;
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
    if (!c->multipleSelection() || index < 0)
        std::fill(c->selected.begin(), c->selected.end(), false);
    if (inRange) {
        c->selected[static_cast<std::size_t>(index)] = true;
        c->current = index;
        if (c->layout.type == ControlType::ComboBox)
            c->text = c->items[static_cast<std::size_t>(index)];
    } else if (!c->multipleSelection()) {
        c->current = -1;
    }
}

} // namespace platform
