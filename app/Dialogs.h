#pragma once
// The application's three dialogs: the surface choice, the view dialog beside the picture,
// and the about box of the Help menu.

#include "render/SurfaceWindow.h"
#include "dialogs/Dialog.h"
#include "winrt/Frame.h"

#include <cstdint>
#include <string>

namespace app {

class SurfaceMenu;

// An integer in the text form of the dialogs: right-justified in three characters ("***"
// when it does not fit), blank-padded to 20.
std::string indexText(int32_t value);

class ApplicationDialogs {
public:
    ApplicationDialogs(dialogs::DialogRuntime& dialogs, render::SurfaceWindow& application);

    // The surface choice dialog: on return the state's lattice code and indices hold the
    // user's choice (OK and Escape alike).
    void chooseSurface();
    // The view dialog: returns when the user chooses another surface (or presses Escape);
    // Exit Program stops the program from inside it.
    void showViewDialog();

    // Dialog routines.
    void onLatticeChanged(dialogs::Dialog& dialog, int32_t id, int32_t event);
    void onIndexChanged(dialogs::Dialog& dialog, int32_t id, int32_t event);
    void onViewValueChanged(dialogs::Dialog& dialog, int32_t id, int32_t event);
    void onRotate(dialogs::Dialog& dialog, int32_t id, int32_t event);
    void onResetView(dialogs::Dialog& dialog, int32_t id, int32_t event);
    void onExitProgram(dialogs::Dialog& dialog, int32_t id, int32_t event);

private:
    dialogs::DialogRuntime& m_dialogs;
    render::SurfaceWindow& m_application;
};

// Runs the about box (a menu routine, on the message thread).
void showAboutBox(dialogs::DialogRuntime& dialogs);

// Replaces the Help menu's own about item with "About FACETOR".
void registerAboutItem(winrt::FrameRuntime& frame, dialogs::DialogRuntime& dialogs);

// The application's main routine on the program thread: start-up, then for ever the surface
// dialog, the picture and the view dialog. Returns only once the frame has closed.
// surfaceMenu, when given, is installed after the start-up and told of every surface and view.
void runApplication(render::SurfaceWindow& application, winrt::FrameRuntime& frame, dialogs::DialogRuntime& dialogs,
                    SurfaceMenu* surfaceMenu = nullptr);

} // namespace app
