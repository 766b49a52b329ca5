// Painting through the drawing module, loaded on first use from beside the executable or the
// library that links this code (or, for the build tree's tests, from where the build puts it).

#include "figure/CairoPainter.h"

#include <dlfcn.h>

#include <cmath>
#include <filesystem>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#define FIGURE_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FIGURE_LEAK_CHECKED 1
#endif
#endif

#ifdef FIGURE_LEAK_CHECKED
// Fontconfig, through which Cairo's text finds its font, keeps its configuration and caches for
// the life of the process and never frees them; the leak checker is told so, or every program
// that draws a caption would fail it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
// The list of suppressions used would follow every run's own output on standard error.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace figure {

namespace {

struct Loaded {
    const cairo::Functions* functions = nullptr;
    std::string error;
};

const Loaded& drawingModule()
{
    static const Loaded loaded = [] {
        Loaded result;
        std::vector<std::string> places;
        std::error_code ec;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (!ec)
            places.push_back(exe.parent_path().string());
        // The library this code is linked into, when it is not the executable (the Python
        // module, installed with the drawing module beside it).
        Dl_info self{};
        if (::dladdr(reinterpret_cast<void*>(&drawingModule), &self) && self.dli_fname)
            places.push_back(std::filesystem::path(self.dli_fname).parent_path().string());
        places.emplace_back(FACETOR_MODULE_DIR);
        for (const std::string& place : places) {
            const std::string path = place + "/" FACETOR_CAIRO_MODULE;
            if (!std::filesystem::exists(path, ec))
                continue;
            void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) {
                result.error = ::dlerror();
                continue;
            }
            auto entry =
                reinterpret_cast<decltype(&facetor_cairo_functions)>(::dlsym(handle, "facetor_cairo_functions"));
            if (entry && (result.functions = entry()))
                return result;
            result.error = path + " is not the drawing module";
        }
        if (result.error.empty())
            result.error = std::string(FACETOR_CAIRO_MODULE) + " is missing beside the program";
        return result;
    }();
    return loaded;
}

} // namespace

double figureHeight(const FigureScene& scene, double width)
{
    const Loaded& module = drawingModule();
    return module.functions ? module.functions->height(scene, width) : 0.0;
}

platform::Status validPngSize(const FigureScene& scene, int width)
{
    if (!drawingModule().functions)
        return platform::fail("cannot draw: " + drawingModule().error);
    const double height = std::ceil(figureHeight(scene, width));
    const std::string size = std::to_string(width) + " x " + std::to_string(static_cast<long long>(height));
    if (height > MaxWidth)
        return platform::fail("the figure would be " + size + " pixels, more than " + std::to_string(MaxWidth)
                              + " high: ask for a smaller --width or another --size");
    if (static_cast<double>(width) * height > static_cast<double>(MaxPixels))
        return platform::fail("the figure would be " + size + " pixels, more than "
                              + std::to_string(MaxPixels / 1'000'000) + " million: ask for a smaller --width");
    return {};
}

platform::Result<std::string> renderFigure(const FigureScene& scene, FigureFormat format, int width)
{
    const Loaded& module = drawingModule();
    if (!module.functions)
        return platform::fail("cannot draw: " + module.error);
    if (format == FigureFormat::Png)
        if (auto fits = validPngSize(scene, width); !fits)
            return fits.error();
    return module.functions->render(scene, format, width);
}

platform::Result<std::string> paintLeedPicture(const LeedLayout& layout, LeedFileFormat format)
{
    const Loaded& module = drawingModule();
    if (!module.functions)
        return platform::fail("cannot draw: " + module.error);
    return module.functions->paintLeed(layout, format);
}

platform::Result<std::string> paintWulffPicture(const WulffLayout& layout, FigureFormat format)
{
    const Loaded& module = drawingModule();
    if (!module.functions)
        return platform::fail("cannot draw: " + module.error);
    if (format == FigureFormat::Png && layout.width * layout.height > double(MaxPixels))
        return platform::fail("the picture would be more than " + std::to_string(MaxPixels / 1'000'000)
                              + " million pixels: ask for a smaller --width");
    return module.functions->paintWulff(layout, format);
}

platform::Result<RgbPicture> decodePng(std::string_view bytes)
{
    const Loaded& module = drawingModule();
    if (!module.functions)
        return platform::fail("cannot draw: " + module.error);
    return module.functions->decodePng(bytes);
}

} // namespace figure
