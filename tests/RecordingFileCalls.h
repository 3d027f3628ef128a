// Watches the system calls of the atomic file writer for the life of the
// object: each call is recorded with the path of the file it touched, and a
// call of one kind can be made to fail, so tests can check that a file is
// flushed before it replaces another and that a failed step loses nothing.
#pragma once

#include "platform/file/FileSystemCalls.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

class RecordingFileCalls : public FileSystemCalls {
public:
    RecordingFileCalls();
    ~RecordingFileCalls() override;
    RecordingFileCalls(const RecordingFileCalls&) = delete;
    RecordingFileCalls& operator=(const RecordingFileCalls&) = delete;

    // The steps that put a new file at `target`, in order: "write" (once for
    // a run of writes), "fsync", "rename" of the file renamed to the target,
    // then "fsync folder" for the target's folder. Other calls are left out.
    std::vector<std::string> ReplaceSteps(const std::string& target) const;
    // Every call, as "<call> <path>" or "rename <from> -> <to>".
    std::vector<std::string> Calls() const;

    // The next call of this kind ("write", "fchmod", "fsync", "close",
    // "rename") fails with the errno and does nothing.
    void FailNext(const std::string& call, int error);

    int Open(const char* path, int flags, mode_t mode) override;
    int MakeTemporary(char* pattern, int flags) override;
    ssize_t Write(int fd, const void* data, std::size_t size) override;
    int Fchmod(int fd, mode_t mode) override;
    int Fchown(int fd, uid_t owner, gid_t group) override;
    int Fsync(int fd) override;
    int Close(int fd) override;
    int Rename(const char* from, const char* to) override;
    int Unlink(const char* path) override;

private:
    struct Call {
        std::string name;
        std::string path;
        std::string to; // for a rename
    };
    // Records the call; false (errno set) when it is to fail.
    bool Record(const std::string& name, const std::string& path, const std::string& to = {});
    std::string PathOf(int fd) const;

    FileSystemCalls* previous_;
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
    std::map<int, std::string> open_;
    std::map<std::string, int> failures_;
};
