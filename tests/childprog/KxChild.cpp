// The child program of the process tests. Its first argument names what it
// does, so that each test meets one known behaviour:
//   args A B ...   prints each argument on a line of its own
//   env            prints the value of TERM
//   crlf           prints "one\r\ntwo\r\n"
//   cr             prints "one\rtwo\n"
//   nonl           prints "last line" with no line break, then ends
//   big N          prints N bytes in lines of 99 characters and a break
//   both           alternates lines on standard output and standard error
//   echo           echoes each line of its input with "> " until the input ends
//   crash          aborts
//   block          prints its process id and waits forever
//   grandchild     starts a child that waits forever, prints its id, waits
//   session        prints "leader" when it leads its own session
//   exit N         ends with exit code N
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

void WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            std::exit(3);
        done += std::size_t(n);
    }
}

[[noreturn]] void WaitForever()
{
    for (;;)
        ::pause();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string what = argv[1];
    if (what == "args") {
        for (int i = 2; i < argc; ++i)
            WriteAll(1, std::string(argv[i]) + "\n");
    } else if (what == "env") {
        const char* term = std::getenv("TERM");
        WriteAll(1, std::string(term ? term : "(none)") + "\n");
    } else if (what == "crlf") {
        WriteAll(1, "one\r\ntwo\r\n");
    } else if (what == "cr") {
        WriteAll(1, "one\rtwo\n");
    } else if (what == "nonl") {
        WriteAll(1, "last line");
    } else if (what == "big" && argc > 2) {
        long left = std::atol(argv[2]);
        const std::string line = std::string(99, 'x') + "\n";
        while (left > 0) {
            const long n = left < 100 ? left : 100;
            WriteAll(1, line.substr(0, std::size_t(n)));
            left -= n;
        }
    } else if (what == "both") {
        for (int i = 0; i < 3; ++i) {
            WriteAll(1, "out " + std::to_string(i) + "\n");
            ::usleep(20000);
            WriteAll(2, "err " + std::to_string(i) + "\n");
            ::usleep(20000);
        }
    } else if (what == "echo") {
        char buffer[4096];
        std::string pending;
        for (;;) {
            const ssize_t n = ::read(0, buffer, sizeof buffer);
            if (n <= 0)
                break;
            pending.append(buffer, std::size_t(n));
            std::size_t eol;
            while ((eol = pending.find('\n')) != std::string::npos) {
                WriteAll(1, "> " + pending.substr(0, eol) + "\n");
                pending.erase(0, eol + 1);
            }
        }
        WriteAll(1, "input ended\n");
    } else if (what == "crash") {
        WriteAll(1, "before crash\n");
        std::abort();
    } else if (what == "block") {
        WriteAll(1, std::to_string(::getpid()) + "\n");
        WaitForever();
    } else if (what == "grandchild") {
        const pid_t child = ::fork();
        if (child == 0)
            WaitForever();
        WriteAll(1, std::to_string(child) + "\n");
        WaitForever();
    } else if (what == "session") {
        WriteAll(1, ::getsid(0) == ::getpid() ? "leader\n" : "not leader\n");
    } else if (what == "exit" && argc > 2) {
        return std::atoi(argv[2]);
    } else {
        return 2;
    }
    return 0;
}
