// An flock on the hive's lock file (registry.reg.lock), held while the hive
// is read or changed so that running copies of the program take turns. The
// lock goes with the descriptor when the object is destroyed.
#pragma once

#include <string>

class HiveLock {
public:
    HiveLock() = default;
    ~HiveLock();
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;

    // Returns 0 or an errno.
    int Open(const std::string& path);
    // LOCK_SH or LOCK_EX; a shared lock is turned into an exclusive one.
    int Lock(int operation);
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};
