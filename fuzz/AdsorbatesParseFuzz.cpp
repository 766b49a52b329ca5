// Any text as an adsorbate list: read into items or refused with one error line, never a crash.
// What reads writes back as text that reads to the same items, every species has its bound atom
// first at no offset, and every site name is compared with the sites of a real surface.
#include "crystal/Adsorbates.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::vector<crystal::Site>& platinumSites()
{
    static const std::vector<crystal::Site> sites = [] {
        const crystal::SurfaceSpec spec{*crystal::findMaterial("Pt"), {1, 1, 1}};
        return *crystal::findSites(spec, *crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive));
    }();
    return sites;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto items = crystal::parseAdsorbates(text);
    if (!items) {
        const std::string& message = items.error().message;
        if (message.empty() || message.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    if (items->empty())
        std::abort();
    std::string written;
    for (const crystal::AdsorbateItem& item : *items) {
        const auto& atoms = item.species.atoms;
        if (atoms.empty() || !(atoms.front().offset == crystal::Position{}) || item.site.empty()
            || item.site.find_first_of("@,") != std::string::npos)
            std::abort();
        for (const crystal::Site& site : platinumSites())
            (void)crystal::siteNamed(item.site, site);
        written += (written.empty() ? "" : ",") + crystal::itemText(item);
    }
    const auto again = crystal::parseAdsorbates(written);
    if (!again || again->size() != items->size())
        std::abort();
    for (std::size_t i = 0; i < items->size(); ++i)
        if ((*again)[i].species.name != (*items)[i].species.name || (*again)[i].site != (*items)[i].site)
            std::abort();
    return 0;
}
