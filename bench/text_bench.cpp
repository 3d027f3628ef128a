// Times the code page 932 helpers the way the program uses them: a 1 MB
// Japanese script through Unicode and back, the same size of text that code
// page 932 cannot hold (each character becomes "?"), and a hundred thousand
// short names converted one call each, as the settings hive reads its keys.
//
//   text_bench
#include "platform/text/Sjis.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double Ms(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

template <typename Work> void Time(const char* what, Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    const std::size_t bytes = work();
    std::printf("%-44s %9.1f ms  (%zu bytes out)\n", what, Ms(start), bytes);
}

} // namespace

int main()
{
    const QString line = QString::fromUtf8("my $見出し = \"予定表示ソフト\"; # 能力表ｶﾀｶﾅ\n");
    QString script;
    while (script.size() < 512 * 1024)
        script += line;
    QString foreign;
    while (foreign.size() < 256 * 1024)
        foreign += QString::fromUtf8("a\u2603\u00e9\U0001F600");
    const std::string cp932 = sjis::FromUnicode(script);

    Time("script to code page 932", [&] { return sjis::FromUnicode(script).size(); });
    Time("script from code page 932", [&] { return std::size_t(sjis::ToUnicode(cp932).size()); });
    Time("text code page 932 cannot hold", [&] { return sjis::FromUnicode(foreign).size(); });
    Time("100000 short names from UTF-8", [&] {
        std::size_t total = 0;
        for (int i = 0; i < 100000; ++i)
            total += sjis::FromUtf8(i % 2 ? "FONTSETTING" : "設定").size();
        return total;
    });
    return 0;
}
