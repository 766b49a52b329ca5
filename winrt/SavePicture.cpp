#include "winrt/SavePicture.h"

#include "winrt/BitmapFile.h"
#include "winrt/Canvas.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace winrt {

namespace {

class PosixFile final : public OutputFile {
public:
    explicit PosixFile(int fd) : m_fd(fd) {}
    ~PosixFile() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool write(std::span<const uint8_t> bytes) override
    {
        while (!bytes.empty()) {
            const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            bytes = bytes.subspan(size_t(n));
        }
        return true;
    }
    bool close() override
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<OutputFile> create(const std::string& path) override
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
            return nullptr;
        return std::make_unique<PosixFile>(fd);
    }
};

uint32_t read32(std::span<const uint8_t> b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

} // namespace

FileSystem& systemFiles()
{
    static PosixFileSystem files;
    return files;
}

SaveError writeBitmapFile(std::span<const uint8_t> bitmap, const std::string& path, FileSystem& files)
{
    const size_t headers = size_t(kBitmapFileHeaderBytes + kBitmapInfoHeaderBytes);
    if (bitmap.size() < headers)
        return SaveError::Unsupported;
    const int bits = int(uint16_t(bitmap[28] | bitmap[29] << 8));
    const int64_t before = bitmapHeaderBytes(bits);
    if (before < 0 || read32(bitmap, 10) != uint32_t(before) || bitmap.size() < size_t(before))
        return SaveError::Unsupported;
    auto file = files.create(path);
    if (!file)
        return SaveError::CannotCreate;
    const std::span<const uint8_t> parts[] = {
        bitmap.subspan(0, size_t(kBitmapFileHeaderBytes)),
        bitmap.subspan(size_t(kBitmapFileHeaderBytes), size_t(kBitmapInfoHeaderBytes)),
        bitmap.subspan(headers, size_t(before) - headers),
        bitmap.subspan(size_t(before)),
    };
    for (const auto& part : parts)
        if (!part.empty() && !file->write(part))
            return SaveError::ShortWrite;
    return file->close() ? SaveError::None : SaveError::ShortWrite;
}

std::vector<uint8_t> capturePicture(const Canvas& canvas)
{
    return encodeBitmap(canvas, Rect{0, 0, canvas.width(), canvas.height()}, canvas.options().imageBitsPerPixel);
}

} // namespace winrt
