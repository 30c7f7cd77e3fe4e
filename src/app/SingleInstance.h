#pragma once
// One running copy per user: an flock on a lock file in a folder only the user
// can write, so nobody else can hold the lock or put something in its place.
// The kernel drops the lock when the holder ends in any way, so a crashed copy
// cannot leave it stuck.

#include <string>

namespace tessaro {

// $XDG_RUNTIME_DIR/tessaro.lock when that folder belongs to the user and no one
// else may write it; otherwise tessaro/tessaro.lock in the user's state folder
// ($XDG_STATE_HOME or ~/.local/state), else in the cache folder
// ($XDG_CACHE_HOME or ~/.cache), made with mode 0700 as needed. "" when no such
// folder can be had.
std::string defaultLockPath();

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The single-instance query. False when another copy holds the lock;
    // true when this object holds it now, and also when the lock cannot be used
    // at all (no path, not a regular file of the user's, cannot be opened or
    // locked): a broken lock must not keep the program out. problem() then says why.
    bool acquire(const std::string& lockPath = defaultLockPath());
    void release();
    bool held() const { return fd_ >= 0; }
    // Why the last acquire went on without a lock; "" when it did not.
    const std::string& problem() const { return problem_; }

private:
    int fd_ = -1;
    std::string problem_;
};

}  // namespace tessaro
