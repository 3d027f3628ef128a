#include "platform/ui/UiService.h"

#include "platform/ui/QtUiService.h"

#include <QPrinter>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <sstream>
#include <vector>

namespace {
std::atomic<UiService*> g_installed{nullptr};

std::string Trimmed(const std::string& text)
{
    std::size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    return text.substr(b, text.find_last_not_of(' ') - b + 1);
}
} // namespace

UiService& UiService::Current()
{
    static QtUiService qtService;
    UiService* installed = g_installed.load();
    return installed ? *installed : qtService;
}

void UiService::Install(UiService* service)
{
    g_installed.store(service);
}

int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT flags)
{
    return UiService::Current().MessageBox(owner, text, caption, flags);
}

QPrinter& ProgramPrinter()
{
    // Made on first use, once the application object exists.
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

std::string QtFilterFromWindowsFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : filter) {
        if (c == '|') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        parts.push_back(current);

    std::string result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty())
            break; // the "||" that ends the filter
        std::string patterns;
        std::istringstream in(parts[i + 1]);
        std::string pattern;
        while (std::getline(in, pattern, ';')) {
            pattern = Trimmed(pattern);
            if (pattern.empty())
                continue;
            if (!patterns.empty())
                patterns += ' ';
            patterns += pattern;
        }
        if (!result.empty())
            result += ";;";
        // A description that already ends in its patterns ("CGI File
        // (*.cgi;*.pl)") shows them once, in the form the dialog reads.
        std::string description = Trimmed(parts[i]);
        if (const std::size_t open = description.rfind('(');
            open != std::string::npos && description.ends_with(')')) {
            std::string listed = description.substr(open + 1, description.size() - open - 2);
            std::replace(listed.begin(), listed.end(), ';', ' ');
            std::istringstream words(listed);
            std::string word, normal;
            while (words >> word)
                normal += (normal.empty() ? "" : " ") + word;
            if (normal == patterns)
                description = Trimmed(description.substr(0, open));
        }
        result += description + " (" + patterns + ")";
    }
    return result;
}

std::string ApplyDefaultExtension(const std::string& path, const std::string& extension)
{
    if (extension.empty() || path.empty())
        return path;
    if (std::filesystem::path(path).has_extension())
        return path;
    return extension.front() == '.' ? path + extension : path + "." + extension;
}
