#pragma once
// The thin file seam under the unit table: tests replace it to make a system call fail
// with a chosen error.

#include <cstddef>
#include <string>

namespace rt {

// The system calls units need. Every operation returns 0 or a positive errno value.
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

// The catalogue message number for a system error met while opening a file: 9 (permission),
// 29 (not found), 43 (bad name), 41 (out of memory), otherwise 30 (open failure).
int openErrorMessage(int err);

} // namespace rt
