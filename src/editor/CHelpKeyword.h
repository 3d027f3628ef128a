// The word F1 looks up in the help: the selection without its spaces, or,
// with nothing selected, the word at the caret. A word is a run of ASCII
// letters, digits and "_", with the "-" of a file test ("-e") or the sigil
// of a variable ("$_", "@ARGV", "%ENV") before it; "$" with one punctuation
// character after it ("$/", "$!") is a variable too. Double-byte characters
// are never part of a word, even where their second byte is a letter.
#pragma once

#include <string>
#include <string_view>

class CHelpKeyword {
public:
    // The selection (code page 932) with every space removed.
    static std::string FromSelection(std::string_view selection);
    // The word at a byte column of a line (code page 932); "" when the
    // caret touches none.
    static std::string AtColumn(std::string_view line, std::size_t column);
};
