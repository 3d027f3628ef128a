// The settings hive's file on disk: what identifies one version of it,
// reading it whole, replacing it so that it is always either the old or the
// new file, moving a bad one aside and making its folder. Each returns 0 or
// an errno.
#pragma once

#include <string>
#include <sys/types.h>

class HiveFile {
public:
    // What identifies one version of the file on disk.
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long mtimeNs = 0;
        long long ctimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };

    // The stamp of the file now; a file that cannot be looked at counts as
    // absent (reading it then tells why).
    static Stamp StampOf(const std::string& path);
    // Reads a whole regular file (ENOENT when it is not there).
    static int Read(const std::string& path, std::string& bytes, Stamp& stamp);
    // Writes the text to path.tmp, makes it durable and renames it over the
    // path (mode 0600), and gives the new file's stamp. On failure the old
    // file is untouched and the temporary file removed.
    static int Replace(const std::string& path, const std::string& text, Stamp& stamp);
    // Renames a bad hive to path.bad, path.bad.1, ... never replacing a file
    // that is already there.
    static int MoveAside(const std::string& path, std::string& movedTo);
    // Creates the folder and any missing folders above it, each readable only
    // by the user (0700) as configuration folders should be.
    static int MakeFolders(const std::string& dir);
    static std::string ParentFolder(const std::string& path);
};
