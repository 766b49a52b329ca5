#pragma once
// Writing a picture file, through the program's file seam.

#include "platform/FileSystem.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace winrt {

class Canvas;

enum class SaveError {
    None,
    CannotCreate,
    ShortWrite,
    Unsupported
};

// The save error of a system error met while writing a file.
SaveError saveError(int err);

// Writes a bitmap file image (see BitmapFile.h) to path whole or not at all: on a failure the
// file that was there stays as it was. Unsupported for an empty image.
[[nodiscard]] SaveError writeBitmapFile(std::span<const uint8_t> bitmap, const std::string& path,
                                        platform::FileSystem& files = platform::systemFileSystem());

// The whole canvas as a bitmap file at its image depth with its palette. The caller holds the
// canvas's drawing lock when another thread may draw. Empty for an unsupported depth.
std::vector<uint8_t> capturePicture(const Canvas& canvas);

// The picture files Save writes: a bitmap file, or a PNG file (8-bit palette) for a name ending
// in .png (any case).
enum class PictureFormat {
    Bitmap,
    Png
};
PictureFormat pictureFormatOfPath(std::string_view path);

// The whole canvas as a file of that format; empty when it cannot be made. The caller holds the
// drawing lock as for capturePicture.
std::vector<uint8_t> capturePictureFile(const Canvas& canvas, PictureFormat format);

} // namespace winrt
