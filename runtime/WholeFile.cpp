#include "runtime/WholeFile.h"

namespace rt {

int writeWholeFile(const std::string& path, std::string_view bytes, FileSystem& fs)
{
    std::string temporary;
    int handle = -1;
    if (const int err = fs.createTemporary(path, temporary, handle))
        return err;
    int err = fs.write(handle, bytes.data(), bytes.size());
    if (err == 0)
        err = fs.sync(handle);
    // The descriptor goes whatever happened before; a failed close can mean lost data.
    const int closeErr = fs.close(handle);
    if (err == 0)
        err = closeErr;
    if (err == 0)
        err = fs.rename(temporary, path);
    if (err != 0)
        (void)fs.remove(temporary);
    return err;
}

} // namespace rt
