// Previous versions of the scripts the editor saves: a save reads the bytes
// it is about to replace and, once the new file is written, hands them to the
// user's store of versions. Off until the application installs a store.
#pragma once

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
    // the save).
    static void Keep(const std::string& path, const std::optional<std::string>& replaced);
};
