// What a publish will do with each file of a project, decided before
// anything is sent: new, changed or unchanged against the record of the last
// publish; scripts (.cgi, .pl) go with LF line breaks and permission 755,
// everything else byte for byte with 644.
//
// A file's remote path is its path below the project folder; a file the
// project lists from outside its folder goes to the remote folder's top
// under its own name.
#pragma once

#include "publish/PublishRecord.h"

#include <cstdint>
#include <string>
#include <vector>

enum class PublishState { New, Changed, Unchanged, Missing };
enum class PublishKind { Script, Other };

struct PublishItem {
    std::string localPath;    // UTF-8
    std::string relativePath; // "/" joined, below the remote folder
    PublishKind kind = PublishKind::Other;
    PublishState state = PublishState::New;
    bool hasCrLf = false; // a script whose CR LF line breaks go as LF
    int mode = 0644;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::string sha256;

    bool Goes() const { return state == PublishState::New || state == PublishState::Changed; }
    bool IsScript() const { return kind == PublishKind::Script; }
};

class PublishPlan {
public:
    // The project's files (local paths) against the record. Reads each file
    // whose size or time differs from the record (to hash it and look for
    // CR LF); an unreadable or missing file is Missing.
    static PublishPlan Build(const std::string& projectFolder, const std::vector<std::string>& files,
                             const PublishRecord& record);

    std::vector<PublishItem> items;

    std::size_t CountGoing() const;
    // The remote folders below the remote folder that the files going need,
    // parents first ("sub", "sub/deeper").
    std::vector<std::string> FoldersNeeded() const;

    // Whether a file name is a script: ".cgi" or ".pl", in any case.
    static bool IsScriptName(const std::string& name);
    // The bytes that go to the server: a script's CR LF pairs become LF
    // (a lone CR is left), anything else as it is.
    static std::string BytesToSend(const PublishItem& item, std::string bytes);
    static std::string Sha256(const std::string& bytes);
};
