// What the syntax check reads from the interpreter's messages.
//
// `perl -wc` names the file and the line in each message:
//
//     syntax error at /tmp/kx/a.cgi line 12, near "}"
//
// The check removes the run path from everything the interpreter prints, so
// the list shows the message without the file ("syntax error at  line 12,
// near ..."), and a double-click reads the number after the first "line ":
//
//     "syntax error at  line 12, near"   -> 12
//     "at  line 1 2."                    -> 12  (blanks between digits are skipped)
//     "line x"                           -> 0   (no digits: the view goes to its top)
//     "no number here"                   -> -1  (nothing happens)
//     "line 65535"                       -> -1  (kept as a 16-bit signed value)
#pragma once

#include <string>
#include <string_view>

class CCheckMessage {
public:
    // The line number a message names, as a 16-bit signed value; -1 when
    // the text has no "line ".
    static short GetLineNumber(std::string_view text);
};

// The interpreter's output on its way into the list: every occurrence of
// the run path is removed. Output arrives in pieces, and a piece may end in
// the middle of the path, so only whole lines are passed on until the end.
class CCheckOutputFilter {
public:
    explicit CCheckOutputFilter(std::string runPath) : runPath_(std::move(runPath)) {}

    // The text ready for the list after these bytes (whole lines only).
    std::string Add(std::string_view bytes);
    // What is left once the output has ended.
    std::string Finish();

private:
    std::string Strip(std::string text) const;

    std::string runPath_;
    std::string pending_;
};
