// The headless dialog host's list boxes keep items as the Qt host does (QtDialogHostTest lists).

#include "platform/headless/HeadlessDialogHost.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

class AddsItems final : public DialogInput {
public:
    explicit AddsItems(HeadlessDialogHost& host) : m_host(host) {}
    std::vector<std::string> seen;

    void onCreated(DialogWindow w) override
    {
        for (const int id : {1, 2}) {
            m_host.addItem(w, id, "pear");
            m_host.selectItem(w, id, 0);
            for (const char* t : {"apple", "Banana", "banana", "Zebra"})
                m_host.addItem(w, id, t);
            std::string line = std::to_string(m_host.currentSelection(w, id));
            for (int i = 0; i < m_host.itemCount(w, id); ++i)
                line += " " + m_host.itemText(w, id, i);
            seen.push_back(line);
        }
        m_host.endDialog(w, 1);
    }
    void onClick(int) override {}
    void onTextEdited(int) override {}
    void onKey(int, DialogKeyPress) override {}
    void onScroll(int, ScrollRequest, int) override {}
    void onListSelection(int) override {}
    void onListDoubleClick(int) override {}
    void onCloseBox() override {}

private:
    HeadlessDialogHost& m_host;
};

TEST(HeadlessDialogHostTest, SortedListsInsertInOrderWithoutRegardToCaseAndKeepTheSelectedItem)
{
    DialogLayout layout;
    ControlLayout sorted;
    sorted.id = 1;
    sorted.type = ControlType::ListBox;
    sorted.sorted = true;
    ControlLayout plain = sorted;
    plain.id = 2;
    plain.sorted = false;
    layout.controls = {sorted, plain};
    HeadlessDialogHost host;
    AddsItems input(host);
    EXPECT_EQ(host.runModal(layout, {}, input), 1);
    EXPECT_EQ(input.seen,
              (std::vector<std::string>{"3 apple Banana banana pear Zebra", "0 pear apple Banana banana Zebra"}));
}

} // namespace
} // namespace platform
