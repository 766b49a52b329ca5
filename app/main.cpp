// facetor: the desktop program without arguments, the batch front end with a subcommand.

#include "app/Desktop.h"
#include "cli/Batch.h"
#include "platform/qt/Desktop.h"
#include "platform/qt/QtDialogHost.h"
#include "platform/qt/QtPlatform.h"

#include <QMainWindow>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (!args.empty())
        return cli::runBatch(args);

    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    app::DesktopProgram program(ec ? std::string() : exe.parent_path().string(), [](platform::Platform& p) {
        auto* qt = dynamic_cast<platform::QtPlatform*>(&p);
        return std::make_unique<platform::QtDialogHost>([qt]() -> QWidget* { return qt ? qt->frameWindow() : nullptr; });
    });
    const int status = platform::runDesktop(argc, argv, program);
    // The program thread may still be parked inside the application: end the process now,
    // without running destructors under its feet.
    std::fflush(nullptr);
    std::_Exit(status);
}
