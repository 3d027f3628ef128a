// Times the Shift-JIS hazard check on a 1 MB script (a CGI script of strings,
// here-documents, patterns and comments in Japanese, repeated): the program's
// own tokenizer and checker, and, once, PPI run by perl on the same text.
//
//   check_bench [PERL]   (PERL defaults to /usr/bin/perl)
#include "check/CPpiQuoteReader.h"
#include "check/CSjisHazardChecker.h"
#include "check/CSjisMask.h"
#include "platform/text/Sjis.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr const char* kChunk = R"(# 掲示板の表示部分: 予定表と能力表
my %label = (title => '予定表', name => "氏名", ratio => 10 / 2);
my $heading = "予定表示";
my $note = '申し込み ソフト';
if ($heading =~ /^[ー‐a-z]+$/) { print "ok\n" }
$heading =~ s/予定/予定表/g;
(my $kana = $heading) =~ tr/ァ-ン/ぁ-ん/;
print <<"HTML";
<h1>$heading</h1><p>能力 十分 $note</p>
HTML
my $half = $label{ratio} / 5;
)";

double Ms(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string chunk = sjis::FromUtf8(kChunk);
    std::string script = "#!/usr/bin/perl\n";
    while (script.size() < 1024 * 1024)
        script += chunk;

    std::vector<double> times;
    std::size_t found = 0;
    for (int run = 0; run < 9; ++run) {
        const auto start = std::chrono::steady_clock::now();
        found = CSjisHazardChecker::Check(script).size();
        times.push_back(Ms(start));
    }
    std::sort(times.begin(), times.end());
    std::printf("script: %zu bytes, %zu hazards\n", script.size(), found);
    std::printf("own tokenizer + check: median %.1f ms (min %.1f, max %.1f)\n", times[times.size() / 2],
                times.front(), times.back());

    const auto line = std::chrono::steady_clock::now();
    const std::string one = sjis::FromUtf8("my $heading = \"予定表示\" . '申し込み';\n");
    for (int k = 0; k < 10000; ++k)
        found = CSjisHazardChecker::Check(one).size();
    std::printf("one line: %.2f us\n", Ms(line) * 1000.0 / 10000);

    const QString perl = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/usr/bin/perl");
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    const auto regions = CPpiQuoteReader::Read(perl, CSjisMask::Mask(script), &error, 600000);
    if (!regions) {
        std::printf("PPI: %s\n", error.c_str());
        return 1;
    }
    const double ppiMs = Ms(start);
    std::printf("PPI (perl) + check: %.0f ms, %zu hazards\n", ppiMs,
                CSjisHazardChecker::Check(script, *regions).size());
    return 0;
}
