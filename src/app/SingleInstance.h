#pragma once
// One running copy per user: an flock on a lock file. The kernel drops the lock
// when the holder ends in any way, so a crashed copy cannot leave it stuck.

#include <string>

namespace tessaro {

// $XDG_RUNTIME_DIR/tessaro.lock, or /tmp/tessaro-<uid>.lock without it.
std::string defaultLockPath();

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The single-instance query. False when another copy holds the lock;
    // true when this object holds it now. A lock file that cannot be opened at
    // all counts as "no other copy": a broken lock must not keep the program out.
    bool acquire(const std::string& lockPath = defaultLockPath());
    void release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace tessaro
