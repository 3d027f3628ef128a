// The RTF control words the reader acts on, and what each does. Words not
// here are ignored; the destinations marked SkipDest hold no text of the
// document and are skipped with all they contain.
#pragma once

#include <cstdint>
#include <string_view>

struct RtfControlWord {
    enum class Word : std::uint8_t {
        AnsiCpg,
        Deff,
        FontTable,
        ColorTable,
        SkipDest,
        Font,
        FontCharSet,
        CodePage,
        FontSize,
        Color,
        Bold,
        Italic,
        Plain,
        Uc,
        U,
        Bin,
        Red,
        Green,
        Blue,
        Break,
        Tab,
        Char,
    };

    Word word;
    char16_t ch = 0; // for Word::Char

    // The word of the name, nullptr for a word the reader ignores.
    static const RtfControlWord* LookUp(std::string_view name);
};
