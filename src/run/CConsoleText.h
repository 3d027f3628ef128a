// The bytes a script writes, on their way into the debug console.
//
// Output comes in pieces cut wherever the pipe happened to be read, and the
// console shows each piece as it comes. A piece may end between the two
// bytes of a Shift-JIS character, or between the "\r" and "\n" of a line
// break; those bytes wait for the next piece, so the character is shown
// whole and the break as one line break, not two:
//
//     Add("abc\x82")  -> "abc"        Add("\xA0\r") -> "\x82\xA0"
//     Add("\nx")      -> "\nx"        Finish()      -> ""
//
// "\r\n" becomes "\n"; a NUL byte (the console cannot show it) is dropped
// and the text after it kept.
#pragma once

#include <string>
#include <string_view>

class CConsoleText {
public:
    // The text that can be shown after these bytes.
    std::string Add(std::string_view bytes);
    // What is left once the output has ended.
    std::string Finish();

private:
    std::string held_;
};
