// The previous versions of one script as the versions dialog shows them:
// the list, newest first, with the time each was replaced and its size, and
// the difference between a version and the document's text as it stands,
// line by line with line numbers. No widgets here: the dialog only draws
// what this class gives it.
//
// Versions are whole files as they were on disk: Shift-JIS text with the
// file's line breaks, an RTF stream, or a file in EUC-JP or JIS that the
// editor showed converted. They are compared as the user reads them: the
// text of an RTF stream, EUC-JP and JIS converted to Shift-JIS, every line
// break made "\n".
#pragma once

#include "platform/recovery/LineDiff.h"
#include "platform/recovery/VersionStore.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CVersionHistory {
public:
    struct Entry {
        VersionStore::Version version;
        std::string when; // "2026/12/07 20:31:05", local time
        std::string size; // "1,234 バイト", code page 932
    };
    // One line of a difference. A line numbers 1 up in the text it is in;
    // 0 where it is not in that text (an added line has no old number).
    struct Row {
        LineDiff::Kind kind = LineDiff::Kind::Same;
        int oldLine = 0;
        int newLine = 0;
        std::string text; // code page 932, without its line break
    };

    // The versions of the script at path (its stored path) in the store.
    CVersionHistory(const VersionStore& store, const std::string& path);

    const std::vector<Entry>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }

    // The text of a version as it is compared; nothing when its file is
    // gone (the store trimmed it meanwhile).
    std::optional<std::string> TextOf(std::size_t index) const;
    // The difference from a version to the current text (the editor's text:
    // line breaks "\r" or "\n"); nothing when the version is gone.
    std::optional<std::vector<Row>> Compare(std::size_t index, std::string_view current) const;

    // A whole file's bytes as the user reads them (see above).
    static std::string Readable(std::string_view bytes);
    // Rows as plain lines: old and new numbers, a mark ("-", "+" or " ")
    // and the text.
    static std::string Format(const std::vector<Row>& rows);
    // "2026/12/07 20:31:05" for nanoseconds since 1970, local time.
    static std::string FormatTime(std::int64_t nanoseconds);
    // "1,234 バイト", code page 932.
    static std::string FormatSize(std::int64_t bytes);

private:
    std::vector<Entry> entries_;
};
