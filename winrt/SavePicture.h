#pragma once
// Writing a picture file, through a thin file seam so that tests can make creating or writing
// fail (tests run as root, where permissions do not stop writes).

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace winrt {

class Canvas;

// A file opened for writing.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Writes all bytes; false when fewer were written.
    [[nodiscard]] virtual bool write(std::span<const uint8_t> bytes) = 0;
    // Flushes and closes; false when that fails.
    [[nodiscard]] virtual bool close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Creates the file, replacing an existing one; null when it cannot be created.
    virtual std::unique_ptr<OutputFile> create(const std::string& path) = 0;
};

// The real file system.
FileSystem& systemFiles();

enum class SaveError { None, CannotCreate, ShortWrite, Unsupported };

// Writes a bitmap file image (see BitmapFile.h) to path in the order of the format: the file
// header, the information header, the colour table, the pixel bits, each a write of its own.
// A failure leaves what was written on disk.
[[nodiscard]] SaveError writeBitmapFile(std::span<const uint8_t> bitmap, const std::string& path, FileSystem& files);

// The whole canvas as a bitmap file at its image depth with its palette. The caller holds the
// canvas's drawing lock when another thread may draw. Empty for an unsupported depth.
std::vector<uint8_t> capturePicture(const Canvas& canvas);

} // namespace winrt
