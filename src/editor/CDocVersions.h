// Previous versions of the scripts the editor saves: a save reads the bytes
// it is about to replace and, once the new file is written, hands them to the
// user's store of versions. Off until the application installs a store.
#pragma once

#include <functional>
#include <optional>
#include <string>

class VersionStore;

class CDocVersions {
public:
    static void SetStore(VersionStore* store);
    static VersionStore* Store();
    // The bytes of the file a save is about to replace; nothing when there is
    // no store or no file.
    static std::optional<std::string> Capture(const std::string& path);
    // Keeps them once the save is done (a failure to keep them never fails
    // the save; it goes to the failure listener instead).
    static void Keep(const std::string& path, const std::optional<std::string>& replaced);
    // Told (with the script's path and the error number) when the bytes a
    // save replaced could not be kept: once per stretch of failures, again
    // only after a version has been kept in between.
    using FailureListener = std::function<void(const std::string& path, int error)>;
    static void SetFailureListener(FailureListener listener);
};
