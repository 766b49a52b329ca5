#include "dialogs/DialogManager.h"

#include "dialogs/DialogLayout.h"

#include <cctype>

namespace dialogs {

using platform::ControlType;
using platform::DialogKey;

char acceleratorOf(std::string_view caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

DialogManager::DialogManager(platform::DialogHost& host, const DialogTemplate& dialogTemplate,
                             const platform::DialogLayout& layout, DialogEvents& procedure)
    : m_host(host), m_template(dialogTemplate), m_layout(layout), m_procedure(procedure),
      m_repeated(layout.controls.size(), false)
{
    for (std::size_t i = 0; i < m_repeated.size(); ++i)
        for (std::size_t k = i + 1; k < m_repeated.size(); ++k)
            if (layout.controls[i].id == layout.controls[k].id)
                m_repeated[i] = m_repeated[k] = true;
}

int DialogManager::indexOf(int id) const
{
    for (std::size_t i = 0; i < m_layout.controls.size(); ++i)
        if (m_layout.controls[i].id == id)
            return static_cast<int>(i);
    return -1;
}

bool DialogManager::usable(std::size_t i) const
{
    const platform::ControlLayout& c = m_layout.controls[i];
    return c.visible && m_host.isEnabled(m_window, c.id);
}

bool DialogManager::canFocus(std::size_t i) const { return platform::canTakeFocus(m_layout.controls[i]) && usable(i); }

// The first and last control of i's group: from one with the group style to the next.
std::pair<std::size_t, std::size_t> DialogManager::groupOf(std::size_t i) const
{
    std::size_t first = i;
    while (first > 0 && !(styleOf(first) & style::Group))
        --first;
    std::size_t last = i;
    while (last + 1 < m_layout.controls.size() && !(styleOf(last + 1) & style::Group))
        ++last;
    return {first, last};
}

void DialogManager::command(int id, int code)
{
    if (!m_procedure.hasEnded())
        m_procedure.onCommand(id, code);
}

void DialogManager::giveFocus(std::size_t i)
{
    const platform::ControlLayout& c = m_layout.controls[i];
    m_host.setFocus(m_window, c.id);
    if (c.type == ControlType::Edit)
        m_host.selectText(m_window, c.id, 0, -1);
}

void DialogManager::click(std::size_t i)
{
    const platform::ControlLayout& c = m_layout.controls[i];
    const std::uint32_t type = styleOf(i) & style::ButtonTypeMask;
    switch (c.type) {
    case ControlType::PushButton: break;
    case ControlType::CheckBox:
        if (type == style::AutoCheckBox) {
            m_host.setCheckState(m_window, c.id,
                                 m_host.checkState(m_window, c.id) == platform::Checked ? platform::Unchecked
                                                                                        : platform::Checked);
        } else if (type == style::AutoThreeState) {
            m_host.setCheckState(m_window, c.id, (m_host.checkState(m_window, c.id) + 1) % 3);
        }
        break;
    case ControlType::RadioButton:
        if (type == style::AutoRadioButton) {
            const auto [first, last] = groupOf(i);
            for (std::size_t k = first; k <= last; ++k)
                if (k != i && m_layout.controls[k].type == ControlType::RadioButton
                    && (styleOf(k) & style::ButtonTypeMask) == style::AutoRadioButton)
                    m_host.setCheckState(m_window, m_layout.controls[k].id, platform::Unchecked);
            m_host.setCheckState(m_window, c.id, platform::Checked);
        }
        break;
    default: return;
    }
    command(c.id, notify::ButtonClicked);
}

void DialogManager::enter(int focusId)
{
    const int f = indexOf(focusId);
    if (f >= 0 && m_layout.controls[static_cast<std::size_t>(f)].type == ControlType::PushButton) {
        command(focusId, notify::ButtonClicked);
        return;
    }
    for (const platform::ControlLayout& c : m_layout.controls) {
        if (c.type == ControlType::PushButton && c.isDefault) {
            if (m_host.isEnabled(m_window, c.id))
                command(c.id, notify::ButtonClicked);
            return;
        }
    }
    command(1, notify::ButtonClicked);
}

void DialogManager::moveTab(int focusId, bool forward)
{
    const int n = static_cast<int>(m_layout.controls.size());
    const int start = indexOf(focusId);
    for (int step = 1; step <= n; ++step) {
        const int i = start < 0 ? (forward ? step - 1 : n - step) : ((start + (forward ? step : -step)) % n + n) % n;
        const auto k = static_cast<std::size_t>(i);
        if (!m_layout.controls[k].tabStop || !usable(k))
            continue;
        // Tab into a group of radio buttons lands on its checked button; from that button it
        // leaves the group.
        std::size_t target = k;
        if (m_layout.controls[k].type == ControlType::RadioButton) {
            const auto [first, last] = groupOf(k);
            for (std::size_t r = first; r <= last; ++r)
                if (m_layout.controls[r].type == ControlType::RadioButton && canFocus(r)
                    && m_host.checkState(m_window, m_layout.controls[r].id) == platform::Checked) {
                    target = r;
                    break;
                }
        }
        if (target != k && static_cast<int>(target) == start)
            continue;
        giveFocus(target);
        return;
    }
}

void DialogManager::moveInGroup(int focusId, bool forward)
{
    const int f = indexOf(focusId);
    if (f < 0)
        return;
    const auto self = static_cast<std::size_t>(f);
    const auto [first, last] = groupOf(self);
    const std::size_t size = last - first + 1;
    for (std::size_t step = 1; step < size; ++step) {
        const std::size_t k = first + (forward ? (self - first + step) % size : (self - first + size - step) % size);
        if (!canFocus(k))
            continue;
        giveFocus(k);
        const platform::ControlLayout& c = m_layout.controls[k];
        if (c.type == ControlType::RadioButton && (styleOf(k) & style::ButtonTypeMask) == style::AutoRadioButton
            && m_host.checkState(m_window, c.id) != platform::Checked)
            click(k);
        return;
    }
}

void DialogManager::accelerator(int focusId, char letter)
{
    const int n = static_cast<int>(m_layout.controls.size());
    const int start = indexOf(focusId);
    for (int step = 1; step <= n; ++step) {
        const auto i = static_cast<std::size_t>(start < 0 ? step - 1 : (start + step) % n);
        const platform::ControlLayout& c = m_layout.controls[i];
        const bool captioned = c.type == ControlType::PushButton || c.type == ControlType::CheckBox
            || c.type == ControlType::RadioButton || c.type == ControlType::GroupBox
            || (c.type == ControlType::Static && !c.noPrefix);
        if (!captioned || !c.visible)
            continue;
        // A caption the program changed counts; a repeated id (static texts) keeps the template's.
        const std::string caption = m_repeated[i] ? c.caption : m_host.text(m_window, c.id);
        if (acceleratorOf(caption) != letter || !usable(i))
            continue;
        if (c.type == ControlType::PushButton) {
            command(c.id, notify::ButtonClicked);
        } else if (c.type == ControlType::CheckBox || c.type == ControlType::RadioButton) {
            giveFocus(i);
            click(i);
        } else {
            for (std::size_t k = i + 1; k < m_layout.controls.size(); ++k) {
                if (canFocus(k)) {
                    giveFocus(k);
                    break;
                }
            }
        }
        return;
    }
}

void DialogManager::onCreated(platform::DialogWindow dialog)
{
    m_window = dialog;
    m_procedure.onInit(dialog);
    if (m_procedure.hasEnded())
        return;
    for (std::size_t i = 0; i < m_layout.controls.size(); ++i) {
        if (m_layout.controls[i].tabStop && usable(i)) {
            giveFocus(i);
            return;
        }
    }
}

void DialogManager::onClick(int controlId)
{
    if (const int i = indexOf(controlId); i >= 0)
        click(static_cast<std::size_t>(i));
}

void DialogManager::onTextEdited(int controlId)
{
    const int i = indexOf(controlId);
    if (i < 0)
        return;
    const ControlType type = m_layout.controls[static_cast<std::size_t>(i)].type;
    if (type == ControlType::Edit) {
        command(controlId, notify::EditUpdate);
        command(controlId, notify::EditChange);
    } else if (type == ControlType::ComboBox) {
        command(controlId, notify::ComboEditUpdate);
        command(controlId, notify::ComboEditChange);
    }
}

void DialogManager::onKey(int focusId, platform::DialogKeyPress key)
{
    const int f = indexOf(focusId);
    if (!platform::reachesDialog(key, f < 0 ? nullptr : &m_layout.controls[static_cast<std::size_t>(f)]))
        return; // the focused control's own key
    switch (key.key) {
    case DialogKey::Enter: enter(focusId); break;
    case DialogKey::Escape: command(2, notify::ButtonClicked); break;
    case DialogKey::Tab: moveTab(focusId, !key.shift); break;
    case DialogKey::Up:
    case DialogKey::Down:
    case DialogKey::Left:
    case DialogKey::Right: moveInGroup(focusId, key.key == DialogKey::Down || key.key == DialogKey::Right); break;
    case DialogKey::Character:
        accelerator(focusId, static_cast<char>(std::toupper(static_cast<unsigned char>(key.character))));
        break;
    }
}

void DialogManager::onScroll(int controlId, platform::ScrollRequest request, int thumbPosition)
{
    const int i = indexOf(controlId);
    if (i >= 0 && m_layout.controls[static_cast<std::size_t>(i)].type == ControlType::ScrollBar
        && !m_procedure.hasEnded())
        m_procedure.onScroll(controlId, request, thumbPosition);
}

void DialogManager::onListSelection(int controlId)
{
    const int i = indexOf(controlId);
    if (i < 0)
        return;
    const ControlType type = m_layout.controls[static_cast<std::size_t>(i)].type;
    if (type == ControlType::ComboBox
        || (type == ControlType::ListBox && (styleOf(static_cast<std::size_t>(i)) & style::ListNotify)))
        command(controlId, notify::ListSelectionChange);
}

void DialogManager::onListDoubleClick(int controlId)
{
    const int i = indexOf(controlId);
    if (i < 0)
        return;
    const ControlType type = m_layout.controls[static_cast<std::size_t>(i)].type;
    if (type == ControlType::ComboBox
        || (type == ControlType::ListBox && (styleOf(static_cast<std::size_t>(i)) & style::ListNotify)))
        command(controlId, notify::ListDoubleClick);
}

void DialogManager::onCloseBox()
{
    if (!m_layout.closeBox)
        return;
    if (indexOf(2) >= 0 && !m_host.isEnabled(m_window, 2))
        return;
    command(2, notify::ButtonClicked);
}

} // namespace dialogs
