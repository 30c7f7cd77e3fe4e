#include "files/ReadFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tessaro {

FileBytes readFileHead(const std::string& path, size_t limit)
{
    FileBytes out;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        out.failure = FileBytes::Failure::Open, out.error = errno;
        return out;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        out.failure = FileBytes::Failure::NotRegular, out.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close(fd);
        return out;
    }
    // One byte past the limit tells whether there is more.
    const size_t want = limit + 1;
    out.bytes.resize(std::min(want, size_t(std::max<off_t>(st.st_size, 0)) + 1));
    size_t have = 0;
    for (;;) {
        if (have == out.bytes.size()) {
            if (have == want) break;
            out.bytes.resize(std::min(want, have * 2));
        }
        const ssize_t n = read(fd, out.bytes.data() + have, out.bytes.size() - have);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            out.failure = FileBytes::Failure::Read, out.error = errno;
            break;
        }
        if (n == 0) break;
        have += size_t(n);
    }
    close(fd);
    out.more = have > limit;
    out.bytes.resize(std::min(have, limit));
    return out;
}

}  // namespace tessaro
