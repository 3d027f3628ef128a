#include "platform/wininet/CFtpFileFind.h"

#include "platform/wininet/CFtpConnection.h"

CFtpFileFind::CFtpFileFind(CFtpConnection& connection) : connection_(connection) {}

bool CFtpFileFind::FindFile(const std::string& pattern)
{
    Close();
    if (pattern.ends_with("/*")) {
        directory_ = pattern.substr(0, pattern.size() - 2);
        if (directory_.empty())
            directory_ = "/";
        auto listing = connection_.List(directory_);
        if (!listing)
            return false;
        entries_ = std::move(*listing);
    } else {
        auto found = connection_.Find(pattern);
        if (!found || !*found)
            return false;
        auto slash = pattern.find_last_of('/');
        directory_ = slash == std::string::npos || slash == 0 ? "/" : pattern.substr(0, slash);
        entries_.push_back(**found);
    }
    return !entries_.empty();
}

bool CFtpFileFind::FindNextFile()
{
    if (next_ >= entries_.size())
        return false;
    current_ = &entries_[next_++];
    return next_ < entries_.size();
}

void CFtpFileFind::Close()
{
    entries_.clear();
    next_ = 0;
    current_ = nullptr;
}

const std::string& CFtpFileFind::GetFileName() const
{
    static const std::string none;
    return current_ ? current_->name : none;
}

std::string CFtpFileFind::GetFilePath() const
{
    std::string base = directory_ == "/" ? "" : directory_;
    return base + "/" + GetFileName();
}

bool CFtpFileFind::IsDirectory() const
{
    return current_ && current_->directory;
}

bool CFtpFileFind::IsDots() const
{
    return current_ && (current_->name == "." || current_->name == "..");
}

std::uint64_t CFtpFileFind::GetLength() const
{
    return current_ ? current_->size : 0;
}
