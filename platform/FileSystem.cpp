#include "platform/FileSystem.h"

#include <cstring>
#include <fstream>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <chrono>
#include <cstdint>
#include <random>
#include <sys/random.h>
#include <sys/stat.h>
#include <utility>
#include <vector>
#include <unistd.h>

namespace platform {
namespace {

// A seed for the temporary names from the kernel's random source, else from the time and the
// process. (std::random_device first asks the processor what it offers, an instruction that a
// virtual machine makes slow.)
std::uint64_t temporarySeed()
{
    std::uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) == ssize_t(sizeof seed))
        return seed;
    return std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count())
        ^ (std::uint64_t(::getpid()) << 32);
}

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

    int createTemporary(const std::string& path, std::string& temporary, int& handle) override
    {
        const auto slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
        // The new file takes the permissions of the file it replaces, else the usual ones.
        mode_t mode = 0666;
        struct stat old {};
        if (::stat(path.c_str(), &old) == 0)
            mode = old.st_mode & 07777;
        static thread_local std::mt19937_64 random{temporarySeed()};
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[24];
            std::snprintf(suffix, sizeof suffix, ".%012llx", static_cast<unsigned long long>(random() >> 16));
            std::string name = folder + "." + base + suffix + ".tmp";
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd >= 0) {
                if (mode != 0666)
                    (void)::fchmod(fd, mode);
                temporary = std::move(name);
                handle = fd;
                return 0;
            }
            if (errno != EEXIST && errno != EINTR)
                return errno;
        }
        return EEXIST;
    }

    int sync(int handle) override
    {
        for (;;) {
            if (::fsync(handle) == 0)
                return 0;
            if (errno != EINTR)
                return errno;
        }
    }

    int rename(const std::string& from, const std::string& to) override
    {
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }

    int remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

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

namespace {

// The temporaries of the whole-file writes in progress, so that a process ending in the middle
// of one leaves no temporary behind. Creating a temporary and renaming it happen under the
// lock; writing and syncing, which may take long, do not.
struct WritesInProgress {
    std::mutex mutex;
    bool abandoned = false;
    std::vector<std::pair<FileSystem*, std::string>> temporaries;

    void forget(const std::string& temporary)
    {
        std::erase_if(temporaries, [&](const auto& t) { return t.second == temporary; });
    }
};

WritesInProgress& writesInProgress()
{
    // Never destroyed: an interrupt may end the process while static objects are destroyed.
    static auto* writes = new WritesInProgress;
    return *writes;
}

} // namespace

std::string fileExtension(std::string_view path)
{
    const std::string_view name = path.substr(path.find_last_of('/') + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    std::string ext(name.substr(dot + 1));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return ext;
}

Result<std::string> readWholeFile(const std::string& path, std::size_t maxBytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(path + ": cannot be read: " + std::strerror(errno));
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, std::size_t(in.gcount()));
        if (text.size() > maxBytes)
            return fail(path + ": larger than " + std::to_string(maxBytes >> 20) + " MiB");
    }
    if (in.bad())
        return fail(path + ": cannot be read");
    return text;
}

int writeWholeFile(const std::string& path, std::string_view bytes, FileSystem& fs)
{
    WritesInProgress& writes = writesInProgress();
    std::string temporary;
    int handle = -1;
    {
        std::lock_guard lock(writes.mutex);
        if (writes.abandoned)
            return ECANCELED;
        if (const int err = fs.createTemporary(path, temporary, handle))
            return err;
        writes.temporaries.emplace_back(&fs, temporary);
    }
    int err = fs.write(handle, bytes.data(), bytes.size());
    if (err == 0)
        err = fs.sync(handle);
    // The descriptor goes whatever happened before; a failed close can mean lost data.
    const int closeErr = fs.close(handle);
    if (err == 0)
        err = closeErr;
    std::lock_guard lock(writes.mutex);
    if (writes.abandoned)
        return ECANCELED; // the temporary is gone already
    writes.forget(temporary);
    if (err == 0)
        err = fs.rename(temporary, path);
    if (err != 0)
        (void)fs.remove(temporary);
    return err;
}

void abandonWholeFileWrites()
{
    WritesInProgress& writes = writesInProgress();
    std::lock_guard lock(writes.mutex);
    writes.abandoned = true;
    for (const auto& [fs, temporary] : writes.temporaries)
        (void)fs->remove(temporary);
    writes.temporaries.clear();
}

} // namespace platform
