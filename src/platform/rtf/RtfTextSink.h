// Collects the text of an RTF stream as code page 932 bytes in pieces of one
// character format. Bytes of a double-byte code page are paired here, so a
// character may arrive as two escapes; Unicode is gathered and converted a
// stretch at a time.
#pragma once

#include "platform/rtf/RtfDecoder.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class RtfTextSink {
public:
    // The character format of text as the stream sets it: font and colour by
    // their table numbers, which are resolved once the whole stream is read.
    struct Format {
        std::int32_t font = 0;
        std::int32_t color = 0;
        std::int32_t halfPoints = 0;
        bool bold = false;
        bool italic = false;
        bool operator==(const Format&) const = default;
    };

    struct Piece {
        Format format;
        std::string text;
    };

    explicit RtfTextSink(RtfDecoder& decoder) : decoder_(decoder) {}

    // A byte in code page cp.
    void Byte(const Format& format, int cp, unsigned char b);
    void Unicode(const Format& format, char32_t c);

    // A character that is the same in every code page ("\n", "\t").
    void Literal(const Format& format, char c);
    void Finish();
    std::vector<Piece>& Pieces();

    // Everything collected, as one text, leaving the sink empty.
    std::string Take();

private:
    void AddUnicode(const Format& format, const QString& u);

    // A lead byte whose trail byte never came stands as "?": left alone it
    // would take the next character (or line break) as its trail.
    void FlushLead();
    void FlushUnicode();
    void Put(const Format& format, std::string_view bytes);

    RtfDecoder& decoder_;
    std::vector<Piece> pieces_;
    bool hasLead_ = false;
    unsigned char lead_ = 0;
    int leadCodePage_ = 0;
    Format leadFormat_;
    QString unicode_;
    Format unicodeFormat_;
};
