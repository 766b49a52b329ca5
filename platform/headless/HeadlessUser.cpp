#include "platform/headless/HeadlessUser.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

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

HeadlessUser::HeadlessUser(HeadlessDialogHost& host, HeadlessDialogHost::DialogRecord& box, DialogInput& input,
                           std::vector<std::string>& notes)
    : m_host(host), m_box(box), m_input(input), m_notes(notes)
{
}

void HeadlessUser::note(const std::string& line) { m_notes.push_back(std::to_string(m_box.window.value) + " " + line); }

HeadlessDialogHost::Control* HeadlessUser::focused()
{
    return m_box.focus < 0 ? nullptr : &m_box.controls[static_cast<std::size_t>(m_box.focus)];
}

// A control the user can reach: present, visible and enabled.
HeadlessDialogHost::Control* HeadlessUser::reachable(int id, const char* what)
{
    const auto c = std::find_if(m_box.controls.begin(), m_box.controls.end(),
                                [id](const Control& k) { return k.layout.id == id; });
    if (c != m_box.controls.end() && c->layout.visible && c->enabled)
        return &*c;
    note(std::string(what) + " " + std::to_string(id) + ": not reachable");
    return nullptr;
}

void HeadlessUser::focusOn(const Control& c)
{
    if (canTakeFocus(c.layout)) // as the Qt host's focus policy
        m_box.focus = static_cast<int>(&c - m_box.controls.data());
}

void HeadlessUser::press(DialogKeyPress key)
{
    const Control* f = focused();
    if (!reachesDialog(key, f ? &f->layout : nullptr)) {
        if (key.key == DialogKey::Character)
            type(key.character);
        return;
    }
    const int focusId = f == nullptr ? 0 : f->layout.id;
    note("key " + std::to_string(focusId) + " " + keyName(key));
    m_input.onKey(focusId, key);
}

// One character typed at the focused control: an edit box replaces its selection with it, the
// space bar clicks a button, a letter or digit elsewhere is a key for the dialog.
void HeadlessUser::type(char ch)
{
    Control* c = focused();
    if (c != nullptr && c->hasEditField()) {
        const std::size_t from = std::min(c->selectionStart, c->text.size());
        const std::size_t to = std::clamp(c->selectionEnd, from, c->text.size());
        c->text.replace(from, to - from, 1, ch);
        c->selectionStart = c->selectionEnd = from + 1;
        note("edited " + std::to_string(c->layout.id));
        m_input.onTextEdited(c->layout.id);
    } else if (c != nullptr && ch == ' ' && isButton(*c)) {
        note("click " + std::to_string(c->layout.id));
        m_input.onClick(c->layout.id);
    } else if (std::isalnum(static_cast<unsigned char>(ch))) {
        press(DialogKeyPress{DialogKey::Character, static_cast<char>(std::toupper(static_cast<unsigned char>(ch)))});
    }
}

void HeadlessUser::play(const HeadlessDialogHost::Step& step)
{
    using H = HeadlessDialogHost;
    if (const auto* s = std::get_if<H::Click>(&step)) {
        Control* c = reachable(s->id, "click");
        if (c == nullptr || !isButton(*c))
            return;
        focusOn(*c);
        note("click " + std::to_string(s->id));
        m_input.onClick(s->id);
    } else if (const auto* s = std::get_if<H::Type>(&step)) {
        Control* c = reachable(s->id, "type");
        if (c == nullptr || !c->hasEditField())
            return;
        focusOn(*c);
        c->text = s->text;
        c->selectionStart = c->selectionEnd = c->text.size();
        note("edited " + std::to_string(s->id));
        m_input.onTextEdited(s->id);
    } else if (const auto* s = std::get_if<H::Keys>(&step)) {
        for (const char ch : s->text)
            if (!m_box.ended)
                type(ch);
    } else if (const auto* s = std::get_if<H::Key>(&step)) {
        press(s->key);
    } else if (const auto* s = std::get_if<H::Focus>(&step)) {
        if (const Control* c = reachable(s->id, "focus"))
            focusOn(*c);
    } else if (std::holds_alternative<H::Enter>(step)) {
        press(DialogKeyPress{DialogKey::Enter});
    } else if (std::holds_alternative<H::Escape>(step)) {
        press(DialogKeyPress{DialogKey::Escape});
    } else if (std::holds_alternative<H::Close>(step)) {
        note("close");
        m_input.onCloseBox();
    } else if (const auto* s = std::get_if<H::Scroll>(&step)) {
        Control* c = reachable(s->id, "scroll");
        if (c == nullptr || c->layout.type != ControlType::ScrollBar)
            return;
        note("scroll " + std::to_string(s->id) + " " + requestName(s->request) + " " + std::to_string(s->thumb));
        m_input.onScroll(s->id, s->request, s->thumb);
    } else if (const auto* s = std::get_if<H::Select>(&step)) {
        Control* c = reachable(s->id, "select");
        if (c == nullptr || !isList(*c) || s->index < 0 || s->index >= static_cast<int>(c->items.size()))
            return;
        const auto k = static_cast<std::size_t>(s->index);
        if (c->multipleSelection()) {
            c->selected[k] = !c->selected[k];
        } else {
            std::fill(c->selected.begin(), c->selected.end(), false);
            c->selected[k] = true;
        }
        c->current = s->index;
        if (c->hasEditField())
            c->text = c->items[k];
        note("select " + std::to_string(s->id) + " " + std::to_string(s->index));
        m_input.onListSelection(s->id);
    } else if (const auto* s = std::get_if<H::DoubleClick>(&step)) {
        Control* c = reachable(s->id, "double click");
        if (c == nullptr || !isList(*c))
            return;
        note("double click " + std::to_string(s->id) + " " + std::to_string(s->index));
        m_input.onListDoubleClick(s->id);
    } else if (const auto* s = std::get_if<H::Inspect>(&step)) {
        if (*s)
            (*s)(m_host, m_box.window);
    }
}

} // namespace platform
