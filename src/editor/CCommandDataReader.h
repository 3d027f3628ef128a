// Reads the command data of "keydata.dat" into the command table.
//
// The data is one block of code page 932 text made of records
// "word=tip 1:tip 2:/". The reader walks it byte by byte: "/" stores the pair
// and starts the next key, "=" switches to the value, every other byte is
// taken literally (line breaks included, so a break after "/" becomes part of
// the next key). A second "=" in a record is dropped, text after the last "/"
// is ignored, and a NUL ends the data. A word given twice keeps its last tip.
#pragma once

#include "editor/CWordScanner.h"

#include <string_view>

class CCommandDataReader {
public:
    // Adds the records of the data to the table.
    static void Read(std::string_view data, CommandTable& commands);
};
