// Reads a file's bytes one line at a time, as a buffered archive reader
// does: a line is the text up to a line feed, without the line feed and
// without a carriage return right before it. A last line without a line feed
// is still a line; a file that ends with a line feed has no empty line after it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class CLineReader {
public:
    explicit CLineReader(std::string_view data) : data_(data) {}
    // The reader keeps a view of the data: it must outlive the reader.
    explicit CLineReader(std::string&&) = delete;
    explicit CLineReader(const char* data) : data_(data) {}

    // The next line; false at the end of the data.
    bool ReadString(std::string& line);
    // The size of the whole data in bytes.
    std::size_t Size() const { return data_.size(); }
    std::string_view Data() const { return data_; }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};
