#include "app/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tessaro {

std::string defaultLockPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/tessaro.lock";
    return "/tmp/tessaro-" + std::to_string(getuid()) + ".lock";
}

InstanceLock::~InstanceLock()
{
    release();
}

bool InstanceLock::acquire(const std::string& lockPath)
{
    if (held())
        return true;
    int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true;
    int r;
    do {
        r = flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        bool taken = errno == EWOULDBLOCK;
        close(fd);
        return !taken;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::release()
{
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

}  // namespace tessaro
