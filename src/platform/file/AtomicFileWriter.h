// Writes a whole file so that it is either replaced completely or not at all:
// the bytes go to a temporary file in the same folder, are flushed to the
// disk (fsync), and the temporary file is renamed over the old one; then the
// folder is flushed so that the rename itself survives a crash. A failure at
// any step leaves the old file exactly as it was and removes the temporary
// file.
//
// The options say what the callers differ in: the settings hive writes a
// fixed temporary name under its own lock, replaces whatever is at its path
// and is always private (0600); the editor writes a unique temporary name,
// keeps a symbolic link pointing at the script it names, and keeps the
// script's permissions and owner. The bytes are written as given: line
// breaks and encodings are the caller's business.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

class AtomicFileWriter {
public:
    // Where the bytes are written before the rename.
    enum class Temporary {
        // A new file of a unique name beside the file (".name.kx-XXXXXX").
        Unique,
        // path + ".tmp", emptied if left over, never followed if it is a
        // link. Only for a caller that holds a lock on the file, so that no
        // one else writes the same name at the same time.
        Fixed,
    };
    // What a symbolic link at the path stands for.
    enum class Links {
        // The file it names is replaced; the link stays a link.
        Follow,
        // The link itself is replaced by the new file.
        Replace,
    };
    struct Options {
        Temporary temporary = Temporary::Unique;
        Links links = Links::Follow;
        // The new file's permissions, set before any byte is written. Without
        // one the new file gets the old file's permissions (and, where the
        // user may, its owner), or those a new file gets under the umask.
        std::optional<mode_t> mode;
    };

    // Returns 0 or an errno.
    static int Write(const std::string& path, std::string_view bytes, const Options& options);
};
