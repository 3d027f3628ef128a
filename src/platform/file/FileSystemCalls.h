// The few system calls with which files are written atomically, behind one
// replaceable object, so that tests can watch their order (write, fsync,
// rename, fsync of the folder) and make one of them fail. The program always
// uses the system's own calls; only tests install others.
//
// A seam rather than an LD_PRELOAD shim: the sanitizer build's runtime must
// come first among preloaded libraries and intercepts the same calls, and a
// shim would see every descriptor of the process where a test wants to see
// and fail only the writer's.
#pragma once

#include <cstddef>
#include <sys/types.h>

class FileSystemCalls {
public:
    virtual ~FileSystemCalls() = default;

    // Each behaves as the system call of the same name: the result, and
    // errno on failure.
    virtual int Open(const char* path, int flags, mode_t mode);
    // mkostemp: creates a new file from a pattern ending in "XXXXXX".
    virtual int MakeTemporary(char* pattern, int flags);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int Fchmod(int fd, mode_t mode);
    virtual int Fchown(int fd, uid_t owner, gid_t group);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    virtual int Unlink(const char* path);

    // The calls in use: the system's unless a test installed its own.
    static FileSystemCalls& Current();
    // Uses `calls` from now on (nullptr: the system's again) and returns the
    // calls used until now. The caller keeps `calls` alive while installed.
    static FileSystemCalls* Install(FileSystemCalls* calls);
};
