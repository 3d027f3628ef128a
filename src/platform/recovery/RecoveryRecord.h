// One recovery file: the unsaved text of a document together with what is
// needed to offer it back after a crash (the file it belongs to, how it was
// read, and how that file looked on disk when the text was last in step with
// it).
//
// On disk a record is "KXRECOV1", the length of a header of key=value lines,
// the header, the length of the body, the body, and a CRC-32 of everything
// before it. A file cut short or with any byte changed does not decode, so a
// recovery file killed during its write is never taken for a whole one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct RecoveryRecord {
    // The document's file (empty for a new script never saved).
    std::string path;
    // The title shown for the document (for a new script: its window title).
    std::string title;
    // How the body is to be read back: "plain" or "rtf".
    std::string kind = "plain";
    // The document was open read-only; its text comes back as a new document.
    bool readOnly = false;
    // The file's modification time (nanoseconds) and size when the document
    // was last read or saved; -1 when there was no file.
    std::int64_t diskTime = -1;
    std::int64_t diskSize = -1;
    // The unsaved text, exactly the bytes a save would write.
    std::string body;
    // Where the record was read from (not stored in the file).
    std::string file;

    std::string Encode() const;
    static std::optional<RecoveryRecord> Decode(std::string_view bytes);
};

// The CRC-32 (IEEE) of some bytes.
std::uint32_t RecoveryCrc32(std::string_view bytes);
