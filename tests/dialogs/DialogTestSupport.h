#pragma once
// What the dialog tests share: templates by id, a run-time whose standard output and program
// end are recorded, and a dialog runtime over the headless dialog host.

#include "app/DialogTemplates.h"
#include "dialogs/Dialog.h"
#include "platform/headless/HeadlessDialogHost.h"
#include "runtime/Runtime.h"
#include "tests/runtime/FakeFileSystem.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace dialogs::test {

// Templates by resource id, built by the tests.
class MapResources final : public DialogResources {
public:
    std::map<std::int32_t, std::vector<std::uint8_t>> templates;
    std::optional<std::span<const std::uint8_t>> dialogTemplate(std::int32_t id) const override
    {
        const auto it = templates.find(id);
        if (it == templates.end())
            return std::nullopt;
        return std::span<const std::uint8_t>(it->second);
    }
};

class RecordingSink final : public rt::ReportSink {
public:
    std::vector<std::string> reports;
    void showReport(uint32_t, std::string_view text) override { reports.emplace_back(text); }
};

// Records the program's end instead of ending the process.
class RecordingEnd final : public rt::ProgramEnd {
public:
    std::vector<std::string> events;
    void programEnded(int code) override { events.push_back("programEnded " + std::to_string(code)); }
    void exitProcess(uint32_t status) override { events.push_back("exit " + std::to_string(status)); }
};

// Unit 6's records, each with its CR LF.
class RecordingWindow final : public rt::WindowTextSink {
public:
    std::vector<std::string> records;
    void writeWindowText(int, std::string_view text) override { records.emplace_back(text); }
};

namespace s = dialogs::style;
namespace k = dialogs::control_class;
inline constexpr std::uint32_t ChildVisible = s::Child | s::Visible;

// A dialog template from a list of controls: popup with caption, close box when asked.
inline std::vector<std::uint8_t> templateOf(std::vector<dialogs::ControlSpec> controls, bool closeBox = true)
{
    dialogs::DialogSpec spec{s::Popup | s::Caption | s::ModalFrame | (closeBox ? s::SystemMenu : 0u),
                             10,
                             10,
                             100,
                             80,
                             "Test",
                             0,
                             "",
                             controls};
    return dialogs::buildDialogTemplate(spec);
}

class DialogFixture : public testing::Test {
protected:
    rt::test::FakeFileSystem files;
    RecordingSink reports;
    RecordingEnd end;
    RecordingWindow window;
    rt::Runtime runtime{files, reports, end};
    MapResources resources;
    platform::HeadlessDialogHost host;
    DialogRuntime dialogs{host, resources, runtime, platform::DialogWindow{900}};

    void SetUp() override { runtime.units().connectWindow(6, &window); }

    // Loads template id after registering controls under it.
    bool load(Dialog& dialog, std::vector<dialogs::ControlSpec> controls, std::int32_t id = 200, bool closeBox = true)
    {
        resources.templates[id] = templateOf(std::move(controls), closeBox);
        return DialogLoad(id, dialog, dialogs);
    }

    // The first operation line logged by the host that starts with prefix ("1 setText 5").
    std::vector<std::string> operationsStartingWith(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& line : host.operations())
            if (line.rfind(prefix, 0) == 0)
                out.push_back(line);
        return out;
    }
};

// A text of the runtime's length: s blank-padded to 256.
inline std::string text256(std::string_view s)
{
    std::string t(s);
    t.resize(TextLength, ' ');
    return t;
}

// Reads a control's text with a declared length.
inline std::string getText(Dialog& d, std::int32_t id, std::size_t length = 20,
                           ValueIndex selector = ValueIndex::Default)
{
    std::string t(length, '?');
    if (!DialogGetText(d, id, t, selector))
        return "<failed>";
    return t;
}

} // namespace dialogs::test
