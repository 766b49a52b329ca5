#include "app/AdsorbateDialog.h"

#include "app/DialogFields.h"
#include "app/SurfaceMenu.h"
#include "crystal/Slab.h"
#include "dialogs/Dialog.h"

namespace app {

platform::Result<std::optional<crystal::OverlayerRequest>> readAdsorbateSettings(const AdsorbateSettings& settings)
{
    using Request = std::optional<crystal::OverlayerRequest>;
    if (settings.adsorbates.empty())
        return Request();
    auto items = crystal::parseAdsorbates(settings.adsorbates);
    if (!items)
        return items.error();
    crystal::OverlayerRequest request{std::move(*items), crystal::Superstructure(crystal::IntMatrix2{}), std::nullopt};
    if (!settings.coverage.empty()) {
        auto coverage = crystal::readSuperstructure(settings.coverage);
        if (!coverage)
            return coverage.error();
        request.coverage = std::move(*coverage);
    }
    if (!settings.height.empty()) {
        request.height = numberOf(settings.height);
        if (!request.height || !(*request.height > 0.0 && *request.height <= crystal::MaxAdsorbateHeight))
            return platform::fail("height \"" + settings.height
                                  + "\" is not a number of Angstrom above 0 and at most 100");
    }
    return Request(std::move(request));
}

platform::Result<std::string> slabFileText(const crystal::SurfaceSpec& spec, const crystal::SurfaceCell& cell,
                                           const crystal::Overlayer* overlayer, crystal::StructureFormat format)
{
    crystal::SlabOptions options;
    std::string title = crystal::surfaceTitle(spec);
    if (overlayer) {
        auto grown = crystal::overlayerSlabOptions(*overlayer, options);
        if (!grown)
            return grown.error();
        options = *grown;
        title += ", " + crystal::overlayerCaption(*overlayer);
    }
    if (auto fits = crystal::validSlabSize(cell, options); !fits)
        return fits.error();
    crystal::PeriodicSlab slab = crystal::buildSlab(cell, options);
    if (overlayer)
        if (auto added = crystal::addOverlayer(slab, *overlayer); !added)
            return added.error();
    return crystal::formatStructure(slab, format, title);
}

AdsorbateSettings SurfaceMenu::adsorbateSettings() const
{
    std::lock_guard lock(m_mutex);
    return m_adsorbateSettings;
}

platform::Status SurfaceMenu::setAdsorbates(const AdsorbateSettings& settings)
{
    auto request = readAdsorbateSettings(settings);
    if (!request)
        return request.error();
    const SurfaceSnapshot shown = snapshot();
    if (*request) {
        // Placed on the surface on screen first, so that a site it lacks is refused here.
        const crystal::SurfaceSpec spec = currentSpec(shown);
        const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
        if (!cell)
            return cell.error();
        if (const auto placed = crystal::placeOverlayer(spec, *cell, **request); !placed)
            return placed.error();
    }
    {
        std::lock_guard lock(m_mutex);
        m_adsorbateSettings = settings;
        m_overlayer = std::move(*request);
    }
    follow(shown);
    return {};
}

SurfaceOverlayer SurfaceMenu::overlayerOn(const crystal::SurfaceSpec& spec) const
{
    std::optional<crystal::OverlayerRequest> request;
    {
        std::lock_guard lock(m_mutex);
        request = m_overlayer;
    }
    if (!request)
        return std::optional<crystal::Overlayer>();
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    if (!cell)
        return cell.error();
    auto placed = crystal::placeOverlayer(spec, *cell, *request);
    if (!placed)
        return placed.error();
    return std::optional<crystal::Overlayer>(std::move(*placed));
}

void SurfaceMenu::chooseAdsorbates()
{
    // What the boxes show: the adsorbates chosen, then after an error what the user typed.
    AdsorbateSettings typed = adsorbateSettings();
    for (;;) {
        dialogs::Dialog dialog;
        if (!dialogs::DialogLoad(AdsorbateDialogId, dialog, m_dialogs)) {
            dialogs::DialogRelease(dialog);
            return;
        }
        dialogs::DialogSetText(dialog, BoxAdsorbates, typed.adsorbates);
        dialogs::DialogSetText(dialog, BoxCoverage, typed.coverage);
        dialogs::DialogSetText(dialog, BoxHeight, typed.height);
        const int32_t end = dialogs::DialogRunModal(dialog);
        typed = {fieldText(dialog, BoxAdsorbates), fieldText(dialog, BoxCoverage), fieldText(dialog, BoxHeight)};
        dialogs::DialogRelease(dialog);
        if (end != 1)
            return;
        const auto set = setAdsorbates(typed);
        if (set)
            return;
        failed("The adsorbates were not changed: " + set.error().message);
    }
}

bool SurfaceMenu::sitesShown() const
{
    std::lock_guard lock(m_mutex);
    return m_sites;
}

void SurfaceMenu::toggleSites()
{
    bool shown;
    {
        std::lock_guard lock(m_mutex);
        shown = m_sites = !m_sites;
    }
    // Marking the sites shows the figure; unmarking redraws it where it is, seen or not.
    if (shown) {
        showFigure();
    } else if (m_figureWindow.load() >= 0) {
        const SurfaceSnapshot now = snapshot();
        (void)drawFigure(currentSpec(now), now);
    }
}

} // namespace app
