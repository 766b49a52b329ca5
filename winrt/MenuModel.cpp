#include "winrt/MenuModel.h"

namespace winrt {

platform::MenuItem* MenuModel::find(int id)
{
    for (auto& menu : m_bar)
        for (auto& item : menu.items)
            if (!item.separator && item.id == id)
                return &item;
    return nullptr;
}

void MenuModel::setGrayed(int id, bool grayed)
{
    if (platform::MenuItem* item = find(id))
        item->grayed = grayed;
}

void MenuModel::publish()
{
    {
        std::lock_guard lock(m_handing);
        m_changed = true;
        if (m_handedByOne)
            return;
        m_handedByOne = true;
    }
    for (;;) {
        {
            std::lock_guard lock(m_handing);
            if (!m_changed) {
                m_handedByOne = false;
                return;
            }
            m_changed = false;
        }
        platform::MenuBar bar;
        {
            std::lock_guard lock(m_guard);
            bar = m_bar;
        }
        m_frame.setMenuBar(bar);
    }
}

} // namespace winrt
