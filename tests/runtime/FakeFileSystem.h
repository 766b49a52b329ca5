#pragma once
// An in-memory file system whose calls can be made to fail with a chosen system error.

#include "platform/FileSystem.h"

#include <map>
#include <string>
#include <vector>

namespace rt::test {

class FakeFileSystem final : public platform::FileSystem {
public:
    // Files that exist, by path, with their contents.
    std::map<std::string, std::string> files;
    // Errors the next calls return (0 for success).
    int openError = 0;
    int truncateError = 0;
    int writeError = 0;
    int closeError = 0;
    int syncError = 0;
    int renameError = 0;
    int createError = 0;
    // The write with this number (1 for the first) fails with writeAtError; 0 for none.
    int failingWrite = 0;
    int writeAtError = 0;
    // Every call, in order, e.g. "openForWrite posit.txt create", "truncate 3".
    std::vector<std::string> calls;

    int openForWrite(const std::string& path, bool create, int& handle) override
    {
        calls.push_back("openForWrite " + path + (create ? " create" : ""));
        if (openError != 0)
            return openError;
        if (!files.contains(path)) {
            if (!create)
                return 2; // ENOENT
            files[path];
        }
        return give(path, handle);
    }

    int openForRead(const std::string& path, int& handle) override
    {
        calls.push_back("openForRead " + path);
        if (openError != 0)
            return openError;
        if (!files.contains(path))
            return 2; // ENOENT
        return give(path, handle);
    }

    int truncate(int handle) override
    {
        calls.push_back("truncate " + std::to_string(handle));
        if (truncateError != 0)
            return truncateError;
        files[m_open.at(handle)].clear();
        return 0;
    }

    int write(int handle, const char* data, std::size_t size) override
    {
        calls.push_back("write " + std::to_string(handle));
        if (writeError != 0)
            return writeError;
        if (++m_writes == failingWrite) {
            // A disk that fills up part-way: half of the record lands, then the error.
            files[m_open.at(handle)].append(data, size / 2);
            return writeAtError;
        }
        files[m_open.at(handle)].append(data, size);
        return 0;
    }

    int close(int handle) override
    {
        calls.push_back("close " + std::to_string(handle));
        m_open.erase(handle);
        return closeError;
    }

    int createTemporary(const std::string& path, std::string& temporary, int& handle) override
    {
        calls.push_back("createTemporary " + path);
        if (createError != 0)
            return createError;
        temporary = path + ".tmp" + std::to_string(m_next);
        files[temporary];
        return give(temporary, handle);
    }

    int sync(int handle) override
    {
        calls.push_back("sync " + std::to_string(handle));
        return syncError;
    }

    int rename(const std::string& from, const std::string& to) override
    {
        calls.push_back("rename " + from + " " + to);
        if (renameError != 0)
            return renameError;
        if (!files.contains(from))
            return 2; // ENOENT
        files[to] = files[from];
        files.erase(from);
        return 0;
    }

    int remove(const std::string& path) override
    {
        calls.push_back("remove " + path);
        return files.erase(path) ? 0 : 2;
    }

    std::size_t openHandles() const { return m_open.size(); }

private:
    int give(const std::string& path, int& handle)
    {
        handle = m_next++;
        m_open[handle] = path;
        return 0;
    }

    std::map<int, std::string> m_open;
    int m_next = 3;
    int m_writes = 0;
};

} // namespace rt::test
