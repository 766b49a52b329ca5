#include "winrt/SavePicture.h"

#include "winrt/BitmapFile.h"
#include "winrt/Canvas.h"

#include "platform/PngFile.h"

#include <cerrno>

namespace winrt {

SaveError saveError(int err)
{
    switch (err) {
    case 0: return SaveError::None;
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case ENAMETOOLONG:
    case EEXIST: return SaveError::CannotCreate;
    default: return SaveError::ShortWrite;
    }
}

SaveError writeBitmapFile(std::span<const uint8_t> bitmap, const std::string& path, platform::FileSystem& files)
{
    if (bitmap.empty())
        return SaveError::Unsupported;
    return saveError(
        platform::writeWholeFile(path, {reinterpret_cast<const char*>(bitmap.data()), bitmap.size()}, files));
}

std::vector<uint8_t> capturePicture(const Canvas& canvas)
{
    return encodeBitmap(canvas, Rect{0, 0, canvas.width(), canvas.height()}, canvas.options().imageBitsPerPixel);
}

PictureFormat pictureFormatOfPath(std::string_view path)
{
    return platform::fileExtension(path) == "png" ? PictureFormat::Png : PictureFormat::Bitmap;
}

std::vector<uint8_t> capturePictureFile(const Canvas& canvas, PictureFormat format)
{
    if (format == PictureFormat::Bitmap)
        return capturePicture(canvas);
    auto png = platform::encodePng(capturePicture(canvas, Rect{0, 0, canvas.width(), canvas.height()}));
    return png ? std::move(*png) : std::vector<uint8_t>();
}

} // namespace winrt
