#include "runtime/FileSystem.h"

#include "runtime/Catalogue.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace rt {
namespace {

class PosixFileSystem final : public FileSystem {
public:
    int openForWrite(const std::string& path, bool create, int& handle) override
    {
        const int flags = O_WRONLY | O_CLOEXEC | (create ? O_CREAT : 0);
        return openWith(path, flags, handle);
    }

    int openForRead(const std::string& path, int& handle) override
    {
        return openWith(path, O_RDONLY | O_CLOEXEC, handle);
    }

    int truncate(int handle) override
    {
        for (;;) {
            if (::ftruncate(handle, 0) == 0)
                return ::lseek(handle, 0, SEEK_SET) < 0 ? errno : 0;
            if (errno != EINTR)
                return errno;
        }
    }

    int write(int handle, const char* data, std::size_t size) override
    {
        // A write may take fewer bytes than asked or be interrupted; keep going until all
        // of the record is out or a real error stops it.
        while (size > 0) {
            const ssize_t n = ::write(handle, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            if (n == 0)
                return EIO;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return 0;
    }

    int close(int handle) override
    {
        // On Linux the descriptor is released even when close is interrupted; retrying
        // could close a descriptor another thread has just been given.
        if (::close(handle) != 0 && errno != EINTR)
            return errno;
        return 0;
    }

private:
    static int openWith(const std::string& path, int flags, int& handle)
    {
        for (;;) {
            const int fd = ::open(path.c_str(), flags, 0666);
            if (fd >= 0) {
                handle = fd;
                return 0;
            }
            if (errno != EINTR)
                return errno;
        }
    }
};

} // namespace

FileSystem& systemFileSystem()
{
    static PosixFileSystem fs;
    return fs;
}

int openErrorMessage(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return msg::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return msg::FileNotFound;
    case ENAMETOOLONG:
    case EINVAL:
        return msg::FileNameSpecError;
    case ENOMEM:
        return msg::InsufficientMemory;
    default:
        return msg::OpenFailure;
    }
}

} // namespace rt
