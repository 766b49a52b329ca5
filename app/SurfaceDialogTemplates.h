#pragma once
// The templates of the Surface menu's dialogs: the material of the surface on screen, the energy
// and superstructure of its diffraction pattern, and the adsorbates on it.

#include "app/DialogTemplates.h"

namespace app {

inline constexpr std::int32_t MaterialDialogId = 120;    // "Material"
inline constexpr std::int32_t DiffractionDialogId = 121; // "Diffraction Pattern"
inline constexpr std::int32_t AdsorbateDialogId = 122;   // "Adsorbates"

// Material dialog controls.
inline constexpr std::uint16_t BoxPreset = 1201, BoxLatticeA = 1202, BoxLatticeC = 1203, BoxElements = 1204;
// Diffraction dialog controls.
inline constexpr std::uint16_t BoxEnergy = 1211, BoxSuperstructure = 1212, CheckDomains = 1213;
// Adsorbate dialog controls.
inline constexpr std::uint16_t BoxAdsorbates = 1221, BoxCoverage = 1222, BoxHeight = 1223;

namespace tables {
// clang-format off: the tables read as the dialogs lay out.

inline constexpr ControlSpec MaterialControls[] = {
    {NoId, k::Static, ChildVisible | s::StaticLeft, 7, 9, 30, 9, "&Preset:"},
    {BoxPreset, k::ComboBox, ChildVisible | s::TabStop | s::ComboDropDown, 62, 7, 110, 120, ""},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 7, 27, 110, 9, "&a (Angstrom):"},
    {BoxLatticeA, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 122, 25, 50, 12, ""},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 7, 45, 110, 9, "&c (Angstrom, HCP only):"},
    {BoxLatticeC, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 122, 43, 50, 12, ""},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 7, 63, 110, 9, "&Elements (Ga,As):"},
    {BoxElements, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 122, 61, 50, 12, ""},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 7, 80, 165, 18,
     "Choose or type a preset (compounds too), or change\na, c and the elements for a material of your own."},
    {1, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton, 33, 102, 50, 14, "OK"},
    {2, k::Button, ChildVisible | s::TabStop | s::PushButton, 97, 102, 50, 14, "Cancel"},
};
inline constexpr DialogSpec MaterialDialog{s::Popup | s::Caption | s::SystemMenu | s::ModalFrame | s::SetFont,
                                           120,
                                           60,
                                           180,
                                           123,
                                           "Material",
                                           8,
                                           "MS Sans Serif",
                                           MaterialControls};

inline constexpr ControlSpec DiffractionControls[] = {
    {NoId, k::Static, ChildVisible | s::StaticLeft, 7, 9, 90, 9, "&Energy (eV):"},
    {BoxEnergy, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 100, 7, 50, 12, ""},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 7, 27, 180, 18,
     "&Superstructure: Wood notation, e.g. c(2x2) or\n(sqrt3 x sqrt3)R30, or a matrix \"2 0 0 1\":"},
    {BoxSuperstructure, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 7, 47, 143, 12, ""},
    {CheckDomains, k::Button, ChildVisible | s::TabStop | s::AutoCheckBox, 7, 65, 170, 10,
     "&Domains the substrate's symmetry makes"},
    {1, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton, 40, 84, 50, 14, "OK"},
    {2, k::Button, ChildVisible | s::TabStop | s::PushButton, 104, 84, 50, 14, "Cancel"},
};
inline constexpr DialogSpec DiffractionDialog{s::Popup | s::Caption | s::SystemMenu | s::ModalFrame | s::SetFont,
                                              120,
                                              60,
                                              194,
                                              105,
                                              "Diffraction Pattern",
                                              8,
                                              "MS Sans Serif",
                                              DiffractionControls};

inline constexpr ControlSpec AdsorbateControls[] = {
    {NoId, k::Static, ChildVisible | s::StaticLeft, 7, 7, 180, 18,
     "&Species at sites, e.g. O@fcc or CO@top,O@fcc\n(empty for the clean surface):"},
    {BoxAdsorbates, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 7, 27, 180, 12, ""},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 7, 45, 180, 18,
     "&Coverage: Wood notation, e.g. p(2x2) or\n(sqrt3 x sqrt3)R30, or a matrix \"2 0 0 2\":"},
    {BoxCoverage, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 7, 65, 180, 12, ""},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 7, 85, 120, 9, "&Height (Angstrom, empty: bond):"},
    {BoxHeight, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 137, 83, 50, 12, ""},
    {1, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton, 43, 104, 50, 14, "OK"},
    {2, k::Button, ChildVisible | s::TabStop | s::PushButton, 107, 104, 50, 14, "Cancel"},
};
inline constexpr DialogSpec AdsorbateDialog{s::Popup | s::Caption | s::SystemMenu | s::ModalFrame | s::SetFont,
                                            120,
                                            60,
                                            194,
                                            125,
                                            "Adsorbates",
                                            8,
                                            "MS Sans Serif",
                                            AdsorbateControls};

// clang-format on
} // namespace tables

inline constexpr auto MaterialTemplate = compiledTemplate<tables::MaterialDialog>();
inline constexpr auto DiffractionTemplate = compiledTemplate<tables::DiffractionDialog>();
inline constexpr auto AdsorbateTemplate = compiledTemplate<tables::AdsorbateDialog>();

} // namespace app
