#include "editor/CLineReader.h"

bool CLineReader::ReadString(std::string& line)
{
    if (pos_ >= data_.size())
        return false;
    std::size_t end = data_.find('\n', pos_);
    std::size_t next = end == std::string_view::npos ? data_.size() : end + 1;
    if (end == std::string_view::npos)
        end = data_.size();
    std::size_t stop = end;
    if (stop > pos_ && end < data_.size() && data_[stop - 1] == '\r')
        --stop;
    line.assign(data_.substr(pos_, stop - pos_));
    pos_ = next;
    return true;
}
