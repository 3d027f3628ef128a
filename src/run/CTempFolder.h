// The temporary copy a debug run of a script with a blank in its path runs
// from: a fresh folder of the user's own under the temporary folder, whose
// path has no blank, holding a copy of the project folder's contents (or of
// the single script). The run deletes it however it ends.
#pragma once

#include <string>

class CTempFolder {
public:
    // Copies a folder's contents, or a single file, into a fresh temporary
    // folder and returns that folder's path; empty when the copy failed (the
    // half-made folder is removed).
    static std::string CopyToTempFolder(const std::string& source);
    // Removes a temporary folder with everything in it; false when some of
    // it could not be removed.
    static bool Delete(const std::string& folder);
    // The folder the fresh folders are made in: the user's temporary folder,
    // or /tmp when that one's path has a blank.
    static std::string Base();
};
