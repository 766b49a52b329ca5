#pragma once
// The Surface menu's adsorbates: what the Adsorbate dialog's boxes mean, and the
// slab file that carries the chosen overlayer as `facetor export --adsorbate` writes it.

#include "app/SurfaceDialogTemplates.h"
#include "crystal/Adsorbates.h"
#include "crystal/StructureFile.h"
#include "crystal/SurfaceCell.h"
#include "platform/Result.h"

#include <optional>
#include <string>

namespace app {

// The Adsorbate dialog's boxes as typed.
struct AdsorbateSettings {
    std::string adsorbates; // SPECIES@SITE[,SPECIES@SITE...], empty for none
    std::string coverage;   // Wood notation or a matrix, empty for p(1x1)
    std::string height;     // Angstrom above the top plane's atoms, empty for the bond length
    friend bool operator==(const AdsorbateSettings&, const AdsorbateSettings&) = default;
};

// The chosen adsorbates on a surface: their overlayer, none when none are chosen, or why the
// surface cannot carry them.
using SurfaceOverlayer = platform::Result<std::optional<crystal::Overlayer>>;

// What the boxes ask for, read as the batch front end reads --adsorbate, --coverage and
// --height; nothing for empty adsorbates. A refusal is one line naming the bad value.
platform::Result<std::optional<crystal::OverlayerRequest>> readAdsorbateSettings(const AdsorbateSettings& settings);

// The slab file of cell (spec's primitive cell) in format, as `facetor export` writes it with its
// default depth and size: with an overlayer, made of whole overlayer cells with its adsorbates,
// its title naming them.
platform::Result<std::string> slabFileText(const crystal::SurfaceSpec& spec, const crystal::SurfaceCell& cell,
                                           const crystal::Overlayer* overlayer, crystal::StructureFormat format);

} // namespace app
