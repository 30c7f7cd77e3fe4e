#pragma once
// Reading a file without ever hanging on what is not one: only a regular file
// is read (a named pipe or a device given by mistake is refused at once), and
// never more than the caller can use.

#include <cstddef>
#include <string>

namespace tessaro {

struct FileBytes {
    enum class Failure { None, Open, NotRegular, Read };
    Failure failure = Failure::None;
    int error = 0;      // errno of Open and Read; EISDIR or EINVAL for NotRegular
    std::string bytes;  // the first `limit` bytes (what was read before a Read failure)
    bool more = false;  // the file holds more than `limit` bytes
};

FileBytes readFileHead(const std::string& path, size_t limit);

}  // namespace tessaro
