// A walk over one remote directory's listing, in the server's order, the
// way the FTP browser reads a directory: FindFile opens a listing, each
// FindNextFile fetches the next entry and tells whether more follow.
//
//   bool more = find.FindFile("/cgi-bin/*");
//   while (more) { more = find.FindNextFile(); use(find.GetFileName()); }
//
// Opening a listing while one is open replaces it; the walk of a whole tree
// reopens a parent's listing after each sub-directory.
#pragma once

#include "platform/wininet/FtpListing.h"

#include <cstdint>
#include <string>
#include <vector>

class CFtpConnection;

class CFtpFileFind {
public:
    explicit CFtpFileFind(CFtpConnection& connection);

    // "path/*" lists the directory path ("/*" the top); any other path
    // finds the one entry it names. False when nothing was found (an empty
    // or unlistable directory, a name that is not there).
    bool FindFile(const std::string& pattern);
    // Fetches the next entry; false when the entry fetched is the last.
    bool FindNextFile();
    void Close();

    const std::string& GetFileName() const;
    // The directory of the listing joined with the name by one "/".
    std::string GetFilePath() const;
    bool IsDirectory() const;
    bool IsDots() const;
    std::uint64_t GetLength() const;

private:
    CFtpConnection& connection_;
    std::string directory_;
    std::vector<FtpFindData> entries_;
    std::size_t next_ = 0;
    const FtpFindData* current_ = nullptr;
};
