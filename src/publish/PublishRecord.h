// What was last published from a project: per file (its path relative to
// the project folder) the size, the modification time and the SHA-256 of
// the local bytes that went up, for one target (server and remote folder).
//
// The hash decides whether a file has changed: a file saved again with the
// same bytes, or copied back from a backup with a new time, is not sent
// again, and a change that keeps the size and lands within the clock's
// resolution is still seen. Size and time only spare the hashing: when both
// equal the record the file is taken as unchanged without reading it.
//
// The record is a text file, rewritten atomically, one line per file:
//
//     KESTRIX-PUBLISH 1
//     target 127.0.0.1:2121/www/cgi
//     <size> <mtime ns> <sha256 hex> <relative path>
//
// A record for another target, or one that cannot be read, counts as empty:
// everything is new. Only files that really reached the server are entered.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct PublishedFile {
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::string sha256; // hex
};

class PublishRecord {
public:
    // The record of a project: $XDG_STATE_HOME/kestrix/publish/<id>.rec.
    static std::string PathFor(const std::string& projectFolder);

    // Reads the record at path for target; empty when missing, unreadable or
    // for another target.
    static PublishRecord Load(const std::string& path, const std::string& target);
    // Writes it atomically (0600); 0 or an errno.
    int Save(const std::string& path) const;

    const std::string& Target() const { return target_; }
    const PublishedFile* Find(const std::string& relativePath) const;
    void Set(const std::string& relativePath, const PublishedFile& file) { files_[relativePath] = file; }
    std::size_t Size() const { return files_.size(); }

private:
    std::string target_;
    std::map<std::string, PublishedFile> files_;
};
