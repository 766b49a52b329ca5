#include "app/Dialogs.h"

#include "app/DialogTemplates.h"
#include "app/SurfaceMenu.h"
#include "runtime/Format.h"

#include <cassert>

namespace app {

namespace {

using dialogs::Dialog;
using dialogs::ValueIndex;

// Surface dialog controls.
constexpr int32_t BoxH = 1001, BoxK = 1002, BoxL = 1007, BoxTermination = 1008;
constexpr int32_t RadioFcc = 1003, RadioBcc = 1004, RadioHcp = 1005, RadioZincBlende = 1006;
// View dialog controls.
constexpr int32_t ButtonExit = 1000, ButtonRotate = 1001, ButtonReset = 1002;
constexpr int32_t BoxRotation = 1003, BoxTilt = 1004, BarRotation = 1007, BarTilt = 1008;
constexpr int32_t BarOffset = 50;

constexpr std::size_t FieldLength = 20;

std::string readText(Dialog& dialog, int32_t id)
{
    std::string text(FieldLength, ' ');
    dialogs::DialogGetText(dialog, id, text);
    return text;
}

bool isChecked(Dialog& dialog, int32_t id)
{
    dialogs::Logical checked = dialogs::False;
    dialogs::DialogGetLogical(dialog, id, checked);
    return dialogs::isTrue(checked);
}

} // namespace

std::string indexText(int32_t value)
{
    static const rt::Format format = [] {
        auto f = rt::Format::parse("(I3)");
        assert(f);
        return *f;
    }();
    std::string text(FieldLength, ' ');
    const rt::Item items[] = {value};
    [[maybe_unused]] const int status = rt::internalWrite(text, format, items);
    return text;
}

ApplicationDialogs::ApplicationDialogs(dialogs::DialogRuntime& dialogs, render::SurfaceWindow& application)
    : m_dialogs(dialogs), m_application(application)
{
}

// ---- the surface choice --------------------------------------------------------------

void ApplicationDialogs::chooseSurface()
{
    Dialog dialog;
    if (!dialogs::DialogLoad(SurfaceDialogId, dialog, m_dialogs))
        return;
    dialogs::DialogSetText(dialog, BoxH, "1");
    dialogs::DialogSetText(dialog, BoxK, "0");
    dialogs::DialogSetText(dialog, BoxL, "0");
    dialogs::DialogSetText(dialog, BoxTermination, "A");
    dialogs::DialogSetLogical(dialog, BoxTermination, dialogs::False, ValueIndex::Enabled);

    auto index = [this](Dialog& d, int32_t id, int32_t event) { onIndexChanged(d, id, event); };
    auto lattice = [this](Dialog& d, int32_t id, int32_t event) { onLatticeChanged(d, id, event); };
    for (int32_t box : {BoxH, BoxK, BoxL}) {
        dialogs::DialogSetCallback(dialog, box, index);
        dialogs::DialogSetCallback(dialog, box, index, ValueIndex::Updated);
    }
    dialogs::DialogSetCallback(dialog, BoxTermination, lattice);
    for (int32_t radio : {RadioFcc, RadioBcc, RadioHcp, RadioZincBlende})
        dialogs::DialogSetCallback(dialog, radio, lattice);

    onIndexChanged(dialog, BoxH, 0);
    onLatticeChanged(dialog, 0, 0);
    dialogs::DialogRunModal(dialog);
    dialogs::DialogRelease(dialog);
}

void ApplicationDialogs::onLatticeChanged(Dialog& dialog, int32_t, int32_t)
{
    int16_t code = 1;
    const std::pair<int32_t, int16_t> buttons[] = {{RadioBcc, 0}, {RadioFcc, 1}, {RadioHcp, 2}, {RadioZincBlende, 4}};
    for (auto [id, value] : buttons)
        if (isChecked(dialog, id))
            code = value;
    dialogs::DialogSetLogical(dialog, BoxTermination, dialogs::toLogical(code > 1), ValueIndex::Enabled);
    const std::string termination = readText(dialog, BoxTermination);
    if (code > 1 && (termination[0] == 'B' || termination[0] == 'b')) {
        ++code;
        dialogs::DialogSetText(dialog, BoxTermination, "B");
    } else {
        dialogs::DialogSetText(dialog, BoxTermination, "A");
    }
    m_application.state().latticeCode = static_cast<geometry::LatticeCode>(code);
}

void ApplicationDialogs::onIndexChanged(Dialog& dialog, int32_t id, int32_t)
{
    auto& m = m_application.state().miller;
    int16_t* own = id == BoxH ? &m.h : id == BoxK ? &m.k : id == BoxL ? &m.l : nullptr;
    if (!own)
        return;
    // A null value ("," or "/") reads successfully and leaves the variable as it was: start
    // from the stored index, so that it stays unchanged.
    int32_t value = *own;
    if (rt::internalReadInteger(readText(dialog, id), value) == 0)
        *own = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu));
    else
        dialogs::DialogSetText(dialog, id, indexText(*own));
    if (id != BoxH)
        dialogs::DialogSetText(dialog, BoxH, indexText(m.h));
    if (id != BoxK)
        dialogs::DialogSetText(dialog, BoxK, indexText(m.k));
    if (id != BoxL)
        dialogs::DialogSetText(dialog, BoxL, indexText(m.l));
}

// ---- the view dialog -----------------------------------------------------------------

void ApplicationDialogs::showViewDialog()
{
    Dialog dialog;
    if (!dialogs::DialogLoad(ViewDialogId, dialog, m_dialogs))
        return;
    dialogs::DialogSetInteger(dialog, BarRotation, 100, ValueIndex::RangeMax);
    dialogs::DialogSetInteger(dialog, BarTilt, 100, ValueIndex::RangeMax);
    dialogs::DialogSetText(dialog, BoxRotation, "0");
    dialogs::DialogSetText(dialog, BoxTilt, "0");
    dialogs::DialogSetInteger(dialog, BarRotation, BarOffset);
    dialogs::DialogSetInteger(dialog, BarTilt, BarOffset);
    dialogs::DialogSetCallback(dialog, ButtonExit,
                               [this](Dialog& d, int32_t id, int32_t e) { onExitProgram(d, id, e); });
    dialogs::DialogSetCallback(dialog, ButtonRotate, [this](Dialog& d, int32_t id, int32_t e) { onRotate(d, id, e); });
    dialogs::DialogSetCallback(dialog, ButtonReset,
                               [this](Dialog& d, int32_t id, int32_t e) { onResetView(d, id, e); });
    auto changed = [this](Dialog& d, int32_t id, int32_t e) { onViewValueChanged(d, id, e); };
    for (int32_t id : {BoxRotation, BoxTilt, BarRotation, BarTilt})
        dialogs::DialogSetCallback(dialog, id, changed);
    dialogs::DialogRunModal(dialog);
    dialogs::DialogRelease(dialog);
}

void ApplicationDialogs::onViewValueChanged(Dialog& dialog, int32_t id, int32_t)
{
    int32_t box = 0;
    int32_t bar = 0;
    if (id == BarRotation || id == BoxRotation) {
        box = BoxRotation;
        bar = BarRotation;
    } else if (id == BarTilt || id == BoxTilt) {
        box = BoxTilt;
        bar = BarTilt;
    } else {
        return;
    }
    int32_t position = 0;
    if (id == bar) {
        dialogs::DialogGetInteger(dialog, bar, position);
        dialogs::DialogSetText(dialog, box, indexText(position - BarOffset));
        return;
    }
    // A null value leaves the angle as the bar has it: the bar does not move.
    dialogs::DialogGetInteger(dialog, bar, position);
    int32_t value = position - BarOffset;
    if (rt::internalReadInteger(readText(dialog, box), value) == 0) {
        // 64-bit sum: a typed angle near the integer limits must not wrap the bar position.
        const int64_t wanted = int64_t(value) + BarOffset;
        dialogs::DialogSetInteger(dialog, bar, int32_t(std::clamp<int64_t>(wanted, INT32_MIN, INT32_MAX)));
    } else {
        dialogs::DialogSetText(dialog, box, indexText(position - BarOffset));
    }
}

void ApplicationDialogs::onRotate(Dialog& dialog, int32_t, int32_t)
{
    auto angle = [&](int32_t box) {
        float value = 0.0f;
        if (rt::internalReadReal(readText(dialog, box), value) != 0)
            value = 0.0f;
        return value;
    };
    const float rotation = angle(BoxRotation);
    const float tilt = angle(BoxTilt);
    m_application.applyView(rotation, tilt);
}

void ApplicationDialogs::onResetView(Dialog& dialog, int32_t, int32_t)
{
    dialogs::DialogSetText(dialog, BoxRotation, "0");
    dialogs::DialogSetText(dialog, BoxTilt, "0");
    dialogs::DialogSetInteger(dialog, BarRotation, BarOffset);
    dialogs::DialogSetInteger(dialog, BarTilt, BarOffset);
    m_application.resetView();
}

void ApplicationDialogs::onExitProgram(Dialog& dialog, int32_t, int32_t)
{
    dialogs::DialogEnd(dialog);
    m_application.runtime().request_stop();
}

// ---- the about box and the main loop -------------------------------------------------

void showAboutBox(dialogs::DialogRuntime& runtime)
{
    Dialog dialog;
    if (dialogs::DialogLoad(AboutDialogId, dialog, runtime))
        dialogs::DialogRunModal(dialog);
    dialogs::DialogRelease(dialog);
}

void registerAboutItem(winrt::FrameRuntime& frame, dialogs::DialogRuntime& runtime)
{
    frame.delete_menu_item(6, 3);
    frame.append_menu_item(6, 4, "About FACETOR", [&runtime](int32_t&) { showAboutBox(runtime); });
}

void runApplication(render::SurfaceWindow& application, winrt::FrameRuntime& frame, dialogs::DialogRuntime& runtime,
                    SurfaceMenu* surfaceMenu)
{
    application.startUp();
    registerAboutItem(frame, runtime);
    if (surfaceMenu) {
        surfaceMenu->install();
        application.setShownListener([surfaceMenu](const render::DrawnSurface& state) {
            surfaceMenu->publish({state.latticeCode, state.miller, state.rotation, state.tilt});
        });
    }
    ApplicationDialogs dialogs(runtime, application);
    while (!frame.frameClosed()) {
        dialogs.chooseSurface();
        if (frame.frameClosed())
            break;
        application.showSurface();
        dialogs.showViewDialog();
    }
}

} // namespace app
