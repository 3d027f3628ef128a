#include "publish/PublishChecks.h"

#include "check/CSjisHazardChecker.h"
#include "check/CSjisHazardText.h"
#include "platform/process/CChildProcess.h"
#include "platform/text/Nkf.h"
#include "platform/text/Sjis.h"
#include "run/CCheckMessage.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

PublishIssue Issue(const PublishItem& item, int line, IssueSeverity severity, std::string text)
{
    return PublishIssue{item.relativePath, item.localPath, line, severity, std::move(text)};
}

std::string FirstLine(const std::string& bytes)
{
    std::string line = bytes.substr(0, bytes.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

} // namespace

std::vector<PublishIssue> PublishChecks::CheckShebang(const PublishItem& item, const std::string& bytes,
                                                      const std::string& serverPerl)
{
    std::vector<PublishIssue> issues;
    const std::string first = FirstLine(bytes);
    if (!first.starts_with("#!")) {
        issues.push_back(Issue(item, 1, IssueSeverity::Error,
                               J("1 行目に「#!") + serverPerl +
                                   J("」がありません。サーバはスクリプトを起動できません。")));
        return issues;
    }
    const std::vector<std::string> words = Words(first.substr(2));
    const bool viaEnv = words.size() >= 2 && words[0] == "/usr/bin/env" && words[1] == "perl";
    if (words.empty() || (words[0] != serverPerl && !viaEnv))
        issues.push_back(Issue(item, 1, IssueSeverity::Error,
                               J("「#!」行の perl (") + (words.empty() ? std::string() : words[0]) +
                                   J(") がサーバの perl (") + serverPerl + J(") と違います。")));
    return issues;
}

std::vector<PublishIssue> PublishChecks::CheckCompile(const PublishItem& item, const std::string& bytes,
                                                      const std::string& localPerl)
{
    std::vector<PublishIssue> issues;
    ChildLaunch launch;
    launch.program = localPerl;
    launch.arguments = {"-wc"};
    // perl refuses "-T" on the "#!" line unless it is on the command line too.
    const std::string first = FirstLine(bytes);
    if (first.starts_with("#!"))
        for (const std::string& word : Words(first.substr(2)))
            if (word.starts_with("-") && word.find('T') != std::string::npos)
                launch.arguments.push_back("-T");
    launch.arguments.push_back(item.localPath);
    launch.workingFolder = std::filesystem::path(item.localPath).parent_path().string();
    launch.input = ChildInput::None;

    CChildProcess child;
    CCheckOutputFilter filter(item.localPath);
    std::string output;
    ChildExit exit;
    bool ended = false;
    child.onOutput = [&](ChildStream, std::string_view piece) { output += filter.Add(piece); };
    child.onFinished = [&](const ChildExit& e) {
        exit = e;
        ended = true;
    };
    unsigned error = 0;
    if (!child.Start(launch, error)) {
        issues.push_back(
            Issue(item, 0, IssueSeverity::Error,
                  J("perl (") + localPerl + J(") を起動できません。構文チェックができませんでした。")));
        return issues;
    }
    if (!child.WaitForFinished(60000) || !ended) {
        child.Terminate();
        issues.push_back(
            Issue(item, 0, IssueSeverity::Error, J("構文チェックが 60 秒で終わりませんでした。")));
        return issues;
    }
    output += filter.Finish();
    const bool failed = exit.crashed || exit.exitCode != 0;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.ends_with("syntax OK"))
            continue;
        const short number = CCheckMessage::GetLineNumber(line);
        issues.push_back(Issue(item, number > 0 ? number : 0,
                               failed ? IssueSeverity::Error : IssueSeverity::Warning, line));
    }
    if (failed && issues.empty())
        issues.push_back(Issue(item, 0, IssueSeverity::Error, J("perl -wc が失敗しました。")));
    return issues;
}

std::vector<PublishIssue> PublishChecks::Check(const PublishPlan& plan, const std::string& localPerl,
                                               const std::string& serverPerl)
{
    std::vector<PublishIssue> issues;
    bool compileNoted = false;
    for (const PublishItem& item : plan.items) {
        if (!item.Goes() || !item.IsScript())
            continue;
        std::ifstream in(item.localPath, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        for (auto& issue : CheckShebang(item, bytes, serverPerl))
            issues.push_back(std::move(issue));
        if (localPerl.empty()) {
            if (!compileNoted)
                issues.push_back(Issue(item, 0, IssueSeverity::Note,
                                       J("Perl のパスが設定されていないため、構文チェックを省略しました。")));
            compileNoted = true;
        } else {
            for (auto& issue : CheckCompile(item, bytes, localPerl))
                issues.push_back(std::move(issue));
        }
        if (item.hasCrLf)
            issues.push_back(Issue(
                item, 0, IssueSeverity::Note,
                J("改行コードが CR LF です。LF に変換して送信します (手元のファイルはそのままです)。")));
        if (NkfDetect(bytes) == NkfInput::ShiftJis)
            for (const SjisHazard& hazard : CSjisHazardChecker::Check(bytes))
                issues.push_back(Issue(item, hazard.line, IssueSeverity::Warning,
                                       sjis::FromUtf8(CSjisHazardText::Problem(hazard))));
    }
    // What stops the publish first, then the warnings, then the notes; each
    // file's reasons in the order of its lines.
    std::stable_sort(issues.begin(), issues.end(),
                     [](const PublishIssue& a, const PublishIssue& b) { return a.severity < b.severity; });
    return issues;
}

bool PublishChecks::HasErrors(const std::vector<PublishIssue>& issues)
{
    return std::any_of(issues.begin(), issues.end(),
                       [](auto& i) { return i.severity == IssueSeverity::Error; });
}

bool PublishChecks::HasErrorsFor(const std::vector<PublishIssue>& issues, const std::string& relativePath)
{
    return std::any_of(issues.begin(), issues.end(), [&](auto& i) {
        return i.severity == IssueSeverity::Error && i.relativePath == relativePath;
    });
}
