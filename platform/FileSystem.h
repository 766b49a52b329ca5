#pragma once
// The program's one file seam: the units, the picture save and every file the program writes
// go through it, so that tests can make a system call fail with a chosen error (tests run as
// root, where permissions do not stop writes).

#include "platform/Result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The system calls the program needs of files. Every operation returns 0 or a positive errno
// value.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Opens path for writing (create: create it when missing). On success handle is set.
    virtual int openForWrite(const std::string& path, bool create, int& handle) = 0;
    // Opens an existing path for reading.
    virtual int openForRead(const std::string& path, int& handle) = 0;
    virtual int truncate(int handle) = 0;
    virtual int write(int handle, const char* data, std::size_t size) = 0;
    virtual int close(int handle) = 0;
    // Creates a new, empty file in the folder of path under a name no other file has, open
    // for writing; temporary receives its name.
    virtual int createTemporary(const std::string& path, std::string& temporary, int& handle) = 0;
    // Forces what was written to handle onto the disk.
    virtual int sync(int handle) = 0;
    // Renames from over to, replacing to in one step.
    virtual int rename(const std::string& from, const std::string& to) = 0;
    virtual int remove(const std::string& path) = 0;
};

// The real file system (POSIX calls).
FileSystem& systemFileSystem();

// Writes bytes to path whole or not at all: a temporary file beside path is written, synced
// and closed, then renamed over path. Returns 0, or the system error of the first step that
// failed; then the temporary is gone and path is as it was.
int writeWholeFile(const std::string& path, std::string_view bytes, FileSystem& fs = systemFileSystem());

// The whole content of the file at path, at most maxBytes (a multiple of 1 MiB). The error is one
// line naming the file: "PATH: cannot be read: reason" or "PATH: larger than N MiB".
Result<std::string> readWholeFile(const std::string& path, std::size_t maxBytes);

// The extension of the file a path names, lower-cased and without its dot: "svg" for
// "out/Figure.SVG"; empty when the name has none (a leading dot starts no extension).
std::string fileExtension(std::string_view path);

// For a process about to end in the middle of its work (an interrupt): the temporaries of the
// whole-file writes still in progress are removed, and from now on every whole-file write
// fails with ECANCELED before its rename, leaving its target as it was. Call it from any
// thread, never from a signal handler.
void abandonWholeFileWrites();

} // namespace platform
