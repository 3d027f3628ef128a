// Checks the shipped command data src/res/keydata.dat: that it covers every
// function of the installed perlfunc with its syntax forms, and that its bytes
// have the shape the loader and the tooltip rely on.
#include "EditorFixture.h"

#include <cctype>
#include <set>
#include <sstream>
#include <utility>

using namespace editortest;

namespace {

// The perlfunc.pod of the perl on PATH: <privlib>/pod/perlfunc.pod.
std::string PerlfuncPath()
{
    const std::string privlib = CommandOutput("perl -MConfig -e 'print $Config{privlibexp}' 2>/dev/null");
    return privlib.empty() ? std::string() : privlib + "/pod/perlfunc.pod";
}

struct PerlFunction {
    std::string name;
    std::vector<std::string> forms; // item texts, X<> index entries removed
};

// Splits POD text into paragraphs (separated by lines of only white space).
std::vector<std::string> Paragraphs(const std::string& text)
{
    std::vector<std::string> paragraphs;
    std::string current;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) {
            if (!current.empty())
                paragraphs.push_back(std::move(current));
            current.clear();
        } else {
            if (!current.empty())
                current += '\n';
            current += line;
        }
    }
    if (!current.empty())
        paragraphs.push_back(std::move(current));
    return paragraphs;
}

bool StartsWith(const std::string& s, const std::string& prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

// The functions of perlfunc: every =item directly inside the top-level =over
// of "Alphabetical Listing of Perl Functions" is one syntax form; nested lists
// (file-test letters, sprintf flags, ...) are deeper and not functions. The
// name is the leading run of word characters, one leading "-" allowed, so
// "s///" gives s and "-X FILEHANDLE" gives -X.
std::vector<PerlFunction> ParsePerlfunc(const std::string& pod)
{
    std::vector<PerlFunction> functions;
    bool inSection = false;
    int depth = 0;
    for (const std::string& para : Paragraphs(pod)) {
        if (para[0] != '=')
            continue;
        if (StartsWith(para, "=head2 Alphabetical Listing of Perl Functions")) {
            inSection = true;
            continue;
        }
        if (!inSection)
            continue;
        if (StartsWith(para, "=head"))
            break;
        if (StartsWith(para, "=over")) {
            ++depth;
            continue;
        }
        if (StartsWith(para, "=back")) {
            if (--depth <= 0)
                break;
            continue;
        }
        if (depth != 1 || !StartsWith(para, "=item"))
            continue;

        // Drop X<...> index entries and collapse white space.
        std::string raw = para.substr(5);
        std::string form;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw.compare(i, 2, "X<") == 0) {
                std::size_t close = raw.find('>', i);
                if (close != std::string::npos) {
                    i = close;
                    continue;
                }
            }
            char c = raw[i] == '\n' || raw[i] == '\t' ? ' ' : raw[i];
            if (c == ' ' && (form.empty() || form.back() == ' '))
                continue;
            form += c;
        }
        while (!form.empty() && form.back() == ' ')
            form.pop_back();
        if (form.empty())
            continue;

        std::size_t end = form[0] == '-' ? 1 : 0;
        while (end < form.size() && (std::isalnum(static_cast<unsigned char>(form[end])) || form[end] == '_'))
            ++end;
        std::string name = form.substr(0, end);
        if (functions.empty() || functions.back().name != name)
            functions.push_back({name, {}});
        functions.back().forms.push_back(form);
    }
    return functions;
}

// A syntax form as it appears in a tip: "/", "=" and ":" become the code page
// 932 full-width ／ ＝ ：.
std::string TipForm(const std::string& form)
{
    std::string out;
    for (char c : form) {
        if (c == '/')
            out += "\x81\x5E";
        else if (c == '=')
            out += "\x81\x81";
        else if (c == ':')
            out += "\x81\x46";
        else
            out += c;
    }
    return out;
}

std::vector<PerlFunction> InstalledPerlFunctions()
{
    std::string path = PerlfuncPath();
    std::string pod = path.empty() ? std::string() : ReadFileBytes(path);
    // perl-doc is a dependency of the program: a missing perlfunc is a broken
    // installation, not a reason to skip.
    EXPECT_FALSE(pod.empty()) << "cannot read perlfunc.pod (" << path << "); install perl and perl-doc";
    std::vector<PerlFunction> functions = ParsePerlfunc(pod);
    if (!pod.empty()) {
        // A parser that lost the section would pass everything below.
        EXPECT_GT(functions.size(), 200u) << "too few functions found in " << path;
    }
    return functions;
}

TEST(KeyData, EveryPerlfuncFunctionHasAnEntry)
{
    std::vector<PerlFunction> functions = InstalledPerlFunctions();
    ASSERT_FALSE(functions.empty());

    CSyntaxColorizer colorizer;
    ASSERT_TRUE(colorizer.LoadCommandFile(kKeyData));
    for (const PerlFunction& f : functions)
        EXPECT_NE(colorizer.LookupCommand(f.name), "") << "no entry for perlfunc's " << f.name;
}

TEST(KeyData, TipsAreThePerlfuncFormsThenOneDescription)
{
    std::vector<PerlFunction> functions = InstalledPerlFunctions();
    ASSERT_FALSE(functions.empty());

    CSyntaxColorizer colorizer;
    ASSERT_TRUE(colorizer.LoadCommandFile(kKeyData));
    for (const PerlFunction& f : functions) {
        std::string tips = colorizer.LookupCommand(f.name);
        if (tips.empty())
            continue; // reported by EveryPerlfuncFunctionHasAnEntry
        std::string expected;
        for (const std::string& form : f.forms)
            expected += TipForm(form) + ":";
        if (!StartsWith(tips, expected)) {
            ADD_FAILURE() << f.name << " tips do not start with its perlfunc forms\n  expected: " << expected
                          << "\n  actual:   " << tips;
            continue;
        }
        std::string rest = tips.substr(expected.size());
        EXPECT_TRUE(rest.size() > 1 && rest.find(':') == rest.size() - 1)
            << f.name << " should have exactly one tip after its forms: " << rest;
    }
}

TEST(KeyData, FileIsOneLineOfWellFormedCp932Records)
{
    std::string data = ReadFileBytes(kKeyData);
    ASSERT_FALSE(data.empty()) << kKeyData;

    // The loader takes every byte literally: a line break or NUL would corrupt
    // the following key or cut the data short.
    EXPECT_EQ(data.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    EXPECT_TRUE(sjis::IsValid(data));
    // Bytes after the last "/" are ignored by the loader, so nothing may follow it.
    ASSERT_EQ(data.back(), '/');

    // "/" never occurs as the second byte of a code page 932 character, so a
    // byte split is a record split.
    std::set<std::string> keys;
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t slash = data.find('/', start);
        std::string record = data.substr(start, slash - start);
        start = slash + 1;

        std::size_t eq = record.find('=');
        ASSERT_NE(eq, std::string::npos) << "record without '=': " << record;
        EXPECT_EQ(record.find('=', eq + 1), std::string::npos) << "second '=' in: " << record;
        std::string key = record.substr(0, eq);
        std::string value = record.substr(eq + 1);
        EXPECT_FALSE(key.empty()) << record;
        EXPECT_TRUE(keys.insert(key).second) << "duplicate key " << key;

        ASSERT_FALSE(value.empty()) << key;
        EXPECT_EQ(value.back(), ':') << key << " value does not end with ':'";
        std::size_t lastTipStart = value.find_last_of(':', value.size() - 2);
        lastTipStart = lastTipStart == std::string::npos ? 0 : lastTipStart + 1;
        std::string description = value.substr(lastTipStart, value.size() - 1 - lastTipStart);
        bool japanese = false;
        for (unsigned char c : description)
            japanese = japanese || c >= 0x80;
        EXPECT_TRUE(japanese) << key << " has no Japanese description as its last tip";
    }
    EXPECT_GT(keys.size(), 240u);
}

TEST(KeyData, CommonCommandsHaveTheirTips)
{
    CSyntaxColorizer colorizer;
    ASSERT_TRUE(colorizer.LoadCommandFile(kKeyData));

    for (const char* keyword :
         {"my", "sub", "if", "elsif", "foreach", "while", "use", "package", "return", "eq", "__END__"})
        EXPECT_NE(colorizer.LookupCommand(keyword), "") << keyword;

    EXPECT_TRUE(StartsWith(colorizer.LookupCommand("print"),
                           "print FILEHANDLE LIST:print FILEHANDLE:print LIST:print:"));
    // Delimiter characters in syntax forms are written full width.
    EXPECT_TRUE(StartsWith(colorizer.LookupCommand("s"), "s\x81\x5E\x81\x5E\x81\x5E:"));
    EXPECT_TRUE(
        StartsWith(colorizer.LookupCommand("my"), "my VARLIST:my TYPE VARLIST:my VARLIST \x81\x46 ATTRS:"));
}

} // namespace
