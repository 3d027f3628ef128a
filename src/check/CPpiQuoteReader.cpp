#include "check/CPpiQuoteReader.h"

#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <charconv>

namespace {

// The PPI program. Locations are 1-based lines and characters; the masked
// copy is ASCII, so a character is a byte. A here-document's body begins on
// the line after its "<<", after the bodies of earlier here-documents of the
// same line.
constexpr const char* kProgram = R"PERL(
use strict; use warnings; use PPI;
binmode STDIN; binmode STDOUT;
my $src = do { local $/; <STDIN> };
my $doc = PPI::Document->new(\$src) or die "PPI cannot read the script\n";
$doc->index_locations;
my @starts = (0);
while ($src =~ /\n/g) { push @starts, pos($src) }
my %next_body;
sub at { my ($t) = @_; my $l = $t->location; return $starts[$l->[0] - 1] + $l->[1] - 1 }
sub out { my ($k, $b, $e, $o, $c) = @_; print "$k $b $e ", ord($o), " ", ord($c), "\n" }
for my $t (@{ $doc->find('PPI::Token') || [] }) {
    my $start = at($t);
    my $text = $t->content;
    if ($t->isa('PPI::Token::HereDoc')) {
        my $line = $t->location->[0];
        my $first = $next_body{$line} // $line;
        my $n = scalar(my @body = $t->heredoc);
        $next_body{$line} = $first + $n + 1;
        next unless ($t->{_mode} // '') ne 'literal';
        my $b = $starts[$first] // length $src;
        my $e = $starts[$first + $n] // length $src;
        print "H $b $e 0 0\n";
        next;
    }
    my $kind;
    if ($t->isa('PPI::Token::Quote::Double') || $t->isa('PPI::Token::Quote::Interpolate')
        || $t->isa('PPI::Token::QuoteLike::Backtick') || $t->isa('PPI::Token::QuoteLike::Command')) { $kind = 'D' }
    elsif ($t->isa('PPI::Token::Quote::Single') || $t->isa('PPI::Token::Quote::Literal')
        || $t->isa('PPI::Token::QuoteLike::Words')) { $kind = 'S' }
    elsif ($t->isa('PPI::Token::Regexp::Match') || $t->isa('PPI::Token::QuoteLike::Regexp')
        || $t->isa('PPI::Token::Regexp::Substitute')) { $kind = 'R' }
    elsif ($t->isa('PPI::Token::Regexp::Transliterate')) { $kind = 'T' }
    else { next }
    if (!$t->{sections}) {
        out($kind, $start + 1, $start + length($text) - 1, substr($text, 0, 1), substr($text, -1));
        next;
    }
    my @sections = @{ $t->{sections} };
    for my $i (0 .. $#sections) {
        my $s = $sections[$i];
        my $type = $s->{type} || $sections[0]{type};
        my $k = $kind;
        if ($kind eq 'R' && $i == 1) {
            my %mods = $t->get_modifiers;
            next if $mods{e};
            $k = substr($type, 0, 1) eq "'" ? 'S' : 'P';
        }
        out($k, $start + $s->{position}, $start + $s->{position} + $s->{size},
            substr($type, 0, 1), substr($type, -1));
    }
}
)PERL";

bool Number(std::string_view s, std::size_t& v)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

} // namespace

QStringList CPpiQuoteReader::Arguments()
{
    return {QStringLiteral("-e"), QString::fromLatin1(kProgram)};
}

std::optional<QuoteRegions> CPpiQuoteReader::Parse(std::string_view output)
{
    QuoteRegions regions;
    while (!output.empty()) {
        const std::size_t eol = output.find('\n');
        std::string_view line = output.substr(0, eol);
        output = eol == std::string_view::npos ? std::string_view() : output.substr(eol + 1);
        if (line.empty())
            continue;
        std::string_view f[5];
        for (int k = 0; k < 5; ++k) {
            const std::size_t sp = line.find(' ');
            f[k] = line.substr(0, sp);
            line = sp == std::string_view::npos ? std::string_view() : line.substr(sp + 1);
        }
        if (!line.empty() || f[0].size() != 1)
            return std::nullopt;
        static constexpr std::string_view kKinds = "DSHRPT";
        const std::size_t kind = kKinds.find(f[0][0]);
        std::size_t b = 0, e = 0, o = 0, c = 0;
        if (kind == std::string_view::npos || !Number(f[1], b) || !Number(f[2], e) || !Number(f[3], o) ||
            !Number(f[4], c) || e < b || o > 127 || c > 127)
            return std::nullopt;
        regions.push_back({static_cast<QuoteKind>(kind), b, e, static_cast<char>(o), static_cast<char>(c)});
    }
    std::sort(regions.begin(), regions.end(),
              [](const QuoteRegion& a, const QuoteRegion& b) { return a.begin < b.begin; });
    return regions;
}

std::optional<QuoteRegions> CPpiQuoteReader::Read(const QString& perl, std::string_view masked,
                                                  std::string* error, int timeoutMs)
{
    QProcess process;
    process.start(perl, Arguments());
    if (!process.waitForStarted()) {
        if (error)
            *error = "perl cannot be started: " + perl.toStdString();
        return std::nullopt;
    }
    process.write(masked.data(), static_cast<qint64>(masked.size()));
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        if (error)
            *error = "perl did not finish reading the script";
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (error)
            *error = process.readAllStandardError().toStdString();
        return std::nullopt;
    }
    const QByteArray out = process.readAllStandardOutput();
    auto regions = Parse(std::string_view(out.constData(), static_cast<std::size_t>(out.size())));
    if (!regions && error)
        *error = "unexpected output from the PPI program";
    return regions;
}
