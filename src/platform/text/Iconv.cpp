#include "platform/text/Iconv.h"

#include <cerrno>

namespace {

const iconv_t kClosed = reinterpret_cast<iconv_t>(-1);

} // namespace

Iconv::Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}

Iconv::~Iconv()
{
    if (ok())
        iconv_close(cd_);
}

bool Iconv::ok() const
{
    return cd_ != kClosed;
}

bool Iconv::Convert(std::string_view in, std::string& out)
{
    out.clear();
    if (!ok())
        return false;
    Reset();
    std::string copy(in); // iconv takes its input as char*
    char* from = copy.data();
    std::size_t left = copy.size();
    if (!Step(from, left, out))
        return false;
    // Whatever a stateful code still owes for returning to its initial state.
    char buffer[16];
    char* to = buffer;
    std::size_t room = sizeof buffer;
    if (iconv(cd_, nullptr, nullptr, &to, &room) == std::size_t(-1))
        return false;
    out.append(buffer, std::size_t(to - buffer));
    return true;
}

bool Iconv::Step(char*& in, std::size_t& left, std::string& out)
{
    // The buffer is large: when a conversion of two steps (through glibc's
    // own UCS-4) runs out of room, glibc converts what it had read again to
    // find where to stop, so a small buffer filled again and again is far
    // slower. It is not sized to the input either: a caller that stops at
    // every unconvertible character calls again for the rest each time.
    char buffer[16384];
    while (left > 0) {
        char* to = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t r = iconv(cd_, &in, &left, &to, &room);
        out.append(buffer, std::size_t(to - buffer));
        if (r == std::size_t(-1) && errno != E2BIG)
            return false;
    }
    return true;
}

void Iconv::Reset()
{
    if (ok())
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
}
