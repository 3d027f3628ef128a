// A folder of a test's own under the system's temporary folder, removed with
// everything in it when the test is done.
#pragma once

#include <string>

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "kestrix-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of a name inside the folder.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes bytes to a file inside the folder and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

// The whole content of a file, or an empty text when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

// Makes a folder the current folder for the life of the object, then goes
// back to the one before.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::string& path);
    ~ScopedCurrentDir();
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

private:
    std::string old_;
};
