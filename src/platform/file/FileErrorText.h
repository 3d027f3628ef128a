// The user's text for why a file could not be read or written.
#pragma once

#include <string>

class FileErrorText {
public:
    // The text (code page 932) for an errno value: the usual cases in the
    // program's own words, others as the system words them.
    static std::string Of(int errorNumber);
};
