// Reads an RTF stream byte by byte (see RtfReader.h for what it
// understands and how it copes with bad input) into runs of code page 932
// text. One parser reads one stream.
#pragma once

#include "platform/rtf/RtfControlWord.h"
#include "platform/rtf/RtfDecoder.h"
#include "platform/rtf/RtfRun.h"
#include "platform/rtf/RtfTextSink.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class RtfParser {
public:
    explicit RtfParser(std::string_view in) : in_(in), body_(decoder_), name_(decoder_) {}

    RtfRuns Run();

private:
    using Format = RtfTextSink::Format;
    using Piece = RtfTextSink::Piece;
    using Word = RtfControlWord::Word;

    static constexpr int kJapaneseCodePage = 932;

    enum class Dest : std::uint8_t { Body, FontTable, ColorTable, Skip };

    struct GroupState {
        Dest dest = Dest::Body;
        Format format;
        std::int64_t uc = 1;
    };

    struct FontEntry {
        std::string face;
        int charSet = 1;
        int codePage = 0; // from \cpg; 0: by the character set
    };

    struct ColorEntry {
        COLORREF color = 0;
        bool automatic = true;
    };

    unsigned char At(std::size_t i) const;
    GroupState& Top();

    // Destinations are honoured inside the document's group, not on it, so a
    // stray \* or \info at the top cannot throw the whole document away.
    bool CanChangeDest() const;

    void OpenGroup();
    void CloseGroup();

    // The code page of text in the current font.
    int BodyCodePage();

    int EntryCodePage(const FontEntry& entry) const;

    // The code page raw bytes and escapes are read in, wherever they go.
    int CurrentCodePage();

    // A text byte from the stream or from an escape.
    void TextByte(unsigned char b, int cp);
    void TextUnicode(char32_t c);
    void RawText();
    void Control();
    void ControlWord();
    void SkipBinary(std::int64_t count);
    void Break();
    void Execute(const RtfControlWord& info, bool hasParam, std::int64_t param);
    void BeginFontEntry(int id);
    void EndFontEntry();
    void EndColor();
    RtfRuns BuildRuns();

    std::string_view in_;
    std::size_t pos_ = 0;
    RtfDecoder decoder_;
    RtfTextSink body_;
    std::vector<GroupState> stack_;
    std::size_t overflow_ = 0; // groups opened beyond kMaxDepth and not yet closed
    GroupState overflowBase_;
    std::size_t docDepth_ = 0;
    bool done_ = false;
    int docCodePage_ = kJapaneseCodePage;
    int deff_ = 0;
    std::int64_t fallback_ = 0; // \uN fallback units still to skip

    std::map<int, FontEntry> fonts_;
    bool entryOpen_ = false; // a font entry whose name is being read
    int entryId_ = 0;
    RtfTextSink name_;

    std::vector<ColorEntry> colors_;
    ColorEntry colorPending_;
    bool colorHasComponent_ = false;

    bool memoValid_ = false;
    int memoFont_ = 0;
    int memoCp_ = 0;
};
