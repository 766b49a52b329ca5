// The dialog table on the headless host: the script plays each row's input.

#include "tests/dialogs/DialogConformance.h"
#include "tests/dialogs/DialogTestSupport.h"

namespace dialogs::test {
namespace {

using namespace conformance;
using Host = platform::HeadlessDialogHost;
using platform::DialogWindow;

class HeadlessDriver final : public Driver {
public:
    explicit HeadlessDriver(Host& host) : m_host(host) {}

    std::int32_t run(Dialog& dialog, const std::vector<Act>& acts, Log& log) override
    {
        for (const Act& a : acts)
            m_host.addStep(step(a, log));
        return DialogRunModal(dialog);
    }

private:
    static Host::Step step(const Act& a, Log& log)
    {
        const int id = a.id;
        switch (a.kind) {
        case Act::Kind::Click: return Host::Click{id};
        case Act::Kind::Type: return Host::Keys{a.text};
        case Act::Kind::Key: return Host::Key{a.key};
        case Act::Kind::Close: return Host::Close{};
        case Act::Kind::Scroll: return Host::Scroll{id, a.request};
        case Act::Kind::LookFocus: return [&log](Host& h, DialogWindow w) { log.add(focusLine(h.focusedId(w))); };
        case Act::Kind::LookText:
            return [&log, id](Host& h, DialogWindow w) { log.add(textLine(id, h.control(w, id)->text)); };
        case Act::Kind::LookSelected:
            return [&log, id](Host& h, DialogWindow w) { log.add(selectedLine(id, h.selectedText(w, id))); };
        case Act::Kind::LookCheck:
            return [&log, id](Host& h, DialogWindow w) { log.add(checkLine(id, h.control(w, id)->check)); };
        case Act::Kind::LookPosition:
            return [&log, id](Host& h, DialogWindow w) { log.add(positionLine(id, h.control(w, id)->scrollPosition)); };
        }
        return Host::Inspect{};
    }

    Host& m_host;
};

TEST_F(DialogFixture, ConformanceTableOnTheHeadlessHost)
{
    TableResources table;
    DialogRuntime runtime{host, table, this->runtime};
    HeadlessDriver driver(host);
    runTable(driver, runtime);
    EXPECT_EQ(host.forcedEnds(), 0);
}

} // namespace
} // namespace dialogs::test
