// facetor: the batch front end with a subcommand, the desktop program without one. The desktop
// lives in a module of its own, loaded only here, so that no batch run loads Qt.

#include "cli/Batch.h"

#include <dlfcn.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The desktop module's entry point (facetor/DesktopModule.cpp).
using DesktopMain = int (*)(int argc, char** argv, const char* programDirectory);

int runDesktop(int argc, char** argv)
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string directory = ec ? std::string(".") : exe.parent_path().string();
    const std::string module = directory + "/" FACETOR_DESKTOP_MODULE;
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "facetor: cannot start the desktop program: %s\n", ::dlerror());
        return 1;
    }
    auto entry = reinterpret_cast<DesktopMain>(::dlsym(handle, "facetor_desktop_main"));
    if (!entry) {
        std::fprintf(stderr, "facetor: %s is not the desktop program: %s\n", module.c_str(), ::dlerror());
        return 1;
    }
    return entry(argc, argv, ec ? "" : directory.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    // A write beyond the file size limit then fails with EFBIG, as on a full disk, and is
    // reported; the signal's default action would kill the process and leave nothing said.
    ::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (!args.empty())
        return cli::runBatch(args);
    return runDesktop(argc, argv);
}
