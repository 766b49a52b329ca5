#pragma once
// The application's dialog templates as readable tables, turned into the binary dialog template
// layout at compile time by the dialog runtime's writer.

#include "dialogs/Dialog.h"
#include "dialogs/DialogTemplate.h"
#include "dialogs/DialogTemplateWriter.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace app {

// Resource ids of the application's dialogs.
inline constexpr std::int32_t ViewDialogId = 101;    // "What Do You Want To Do Next?"
inline constexpr std::int32_t SurfaceDialogId = 103; // "What Surface Do You Want To Draw?"
inline constexpr std::int32_t AboutDialogId = 116;   // "About FACETOR"

// The tables are written with the dialog runtime's template writer.
using dialogs::buildDialogTemplate;
using dialogs::compiledTemplate;
using dialogs::ControlSpec;
using dialogs::DialogSpec;

// --- The application's dialogs --------------------------------------------------------------

namespace tables {
// clang-format off: the tables read as the dialogs lay out.
namespace s = dialogs::style;
namespace k = dialogs::control_class;

inline constexpr std::uint32_t ChildVisible = s::Child | s::Visible;
inline constexpr std::uint16_t NoId = 65535;

// View dialog: rotate, tilt and reset the picture, choose another surface, or exit.
inline constexpr ControlSpec ViewControls[] = {
    {1, k::Button, ChildVisible | s::TabStop | s::PushButton, 7, 7, 95, 14, "Choose Another Surface"},
    {2, k::Button, s::Child | s::TabStop | s::PushButton, 29, 7, 50, 14, "Cancel"},
    {NoId, k::Button, ChildVisible | s::GroupBox, 7, 24, 95, 154, "Rotate The View"},
    {1000, k::Button, ChildVisible | s::TabStop | s::PushButton, 28, 200, 53, 14, "Exit Program"},
    {1001, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton | s::ButtonMultiLine | s::ButtonCentre, 15, 86,
     38, 86, "Click Here To &Rotate"},
    {1002, k::Button, ChildVisible | s::TabStop | s::PushButton, 24, 182, 60, 14, "Reset View"},
    {1003, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 53, 44, 29, 12, ""},
    {1004, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 59, 129, 29, 12, ""},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 15, 46, 28, 9, "Rotation"},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 71, 118, 10, 9, "Tilt"},
    {1007, k::ScrollBar, ChildVisible | s::ScrollHorizontal, 7, 62, 95, 14, ""},
    {1008, k::ScrollBar, ChildVisible | s::ScrollVertical, 89, 88, 13, 80, ""},
};
inline constexpr DialogSpec ViewDialog{s::Popup | s::Caption | s::ModalFrame | s::SetFont,
                                       300,
                                       10,
                                       109,
                                       221,
                                       "What Do You Want To Do Next?",
                                       8,
                                       "MS Sans Serif",
                                       ViewControls};

// Surface choice dialog: the lattice, the termination and the Miller indices.
inline constexpr ControlSpec SurfaceControls[] = {
    {1003, k::Button, ChildVisible | s::Group | s::AutoRadioButton, 19, 17, 29, 10, "&FCC"},
    {1004, k::Button, ChildVisible | s::AutoRadioButton, 52, 17, 30, 10, "&BCC"},
    {1005, k::Button, ChildVisible | s::AutoRadioButton, 86, 17, 31, 10, "&HCP"},
    {1006, k::Button, ChildVisible | s::AutoRadioButton, 121, 17, 50, 10, "&Zinc Blend"},
    {1001, k::Edit, ChildVisible | s::Group | s::Border | s::TabStop | s::EditAutoHScroll, 56, 49, 22, 11, ""},
    {1002, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 82, 49, 22, 11, ""},
    {1007, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 107, 49, 22, 11, ""},
    {1008, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 150, 49, 22, 11, ""},
    {1, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton, 68, 74, 50, 14, "OK"},
    {NoId, k::Button, ChildVisible | s::GroupBox, 7, 7, 172, 23, "Choose A Bravis Lattice"},
    {2, k::Button, s::Child | s::TabStop | s::PushButton, 7, 74, 50, 14, "Cancel"},
    {NoId, k::Button, ChildVisible | s::GroupBox, 7, 38, 172, 25, "Enter The Miller Indicies Of The Plane You Want"},
};
inline constexpr DialogSpec SurfaceDialog{s::Popup | s::Caption | s::SystemMenu | s::ModalFrame | s::SetFont,
                                          100,
                                          100,
                                          186,
                                          95,
                                          "What Surface Do You Want To Draw?",
                                          8,
                                          "MS Sans Serif",
                                          SurfaceControls};

// About box: the frame's icon and two centred texts.
inline constexpr ControlSpec AboutControls[] = {
    {1, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton, 69, 95, 50, 14, "OK"},
    {NoId, k::Static, ChildVisible | s::StaticIcon, 6, 38, 18, 20, "FRAMEICON"},
    {NoId, k::Static, ChildVisible | s::StaticCentre, 31, 7, 127, 26,
     "FACETOR calculates the surface\n structure of an arbitrary plane of a\n FCC, BCC, HCP or Zincblend material"},
    {NoId, k::Static, ChildVisible | s::StaticCentre, 27, 65, 135, 18,
     "The program runs best on Windows 95\nWindows NT gives errors on printing"},
};
inline constexpr DialogSpec AboutDialog{s::Popup | s::Caption | s::ModalFrame | s::SetFont,
                                        100,
                                        100,
                                        189,
                                        116,
                                        "About FACETOR",
                                        8,
                                        "MS Sans Serif",
                                        AboutControls};

// clang-format on
} // namespace tables

// The binary templates, built at compile time.
inline constexpr auto ViewTemplate = compiledTemplate<tables::ViewDialog>();
inline constexpr auto SurfaceTemplate = compiledTemplate<tables::SurfaceDialog>();
inline constexpr auto AboutTemplate = compiledTemplate<tables::AboutDialog>();

// Serves the three templates by resource id.
class ApplicationDialogResources final : public dialogs::DialogResources {
public:
    std::optional<std::span<const std::uint8_t>> dialogTemplate(std::int32_t resourceId) const override;
};

// The program's one instance.
const ApplicationDialogResources& applicationDialogResources();

} // namespace app
