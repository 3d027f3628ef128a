// The user's store of previous versions: every save hands over the bytes it
// replaced, kept per file (a folder named after a hash of the file's path,
// holding the path itself and one file per version). The store is bounded: at
// most a number of versions per file, and at most a number of bytes in all,
// the oldest going first. Two running copies may keep versions at once: every
// version has a name of its own and is written atomically.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class VersionStore {
public:
    struct Limits {
        int versionsPerFile = 20;
        std::int64_t totalBytes = 50LL << 20;
    };
    struct Version {
        std::string file;      // where its bytes are
        std::int64_t time = 0; // when it was replaced (nanoseconds since 1970)
        std::int64_t size = 0;
    };

    // $XDG_STATE_HOME/kestrix/versions, or ~/.local/state/kestrix/versions.
    static std::string DefaultFolder();

    VersionStore(std::string folder, Limits limits);

    // Keeps the bytes a save of path replaced; then drops what the limits
    // no longer allow. Returns 0 or an errno.
    int Keep(const std::string& path, std::string_view replaced);
    // The versions of path, newest first.
    std::vector<Version> List(const std::string& path) const;
    // A version's bytes; false when it is gone.
    static bool Read(const Version& version, std::string& bytes);

    const Limits& GetLimits() const { return limits_; }
    // New limits (the user changed them): the store is trimmed to them at
    // once, every file's oldest versions going first.
    void SetLimits(Limits limits);

private:
    std::string FolderOf(const std::string& path) const;
    void Prune(const std::string& fileFolder);
    // Drops what the total allows no longer, the oldest first.
    void PruneTotal();

    std::string folder_;
    Limits limits_;
};
