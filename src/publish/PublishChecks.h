// The checks a script passes before it is published, each a reason a CGI
// script that works at home answers "500 Internal Server Error" on the
// server (or prints broken text):
// - `perl -wc` with the local perl: a script that does not compile fails;
//   its warnings are listed;
// - the "#!" line must name the server's perl (a script without one, or
//   naming another perl, fails: the server cannot start it);
// - CR LF line breaks are noted: the script goes with LF, so the server
//   does not look for "perl\r";
// - kanji whose trail byte Perl misreads (the Shift-JIS check) are listed.
// Every reason carries its line where it has one, for the jump.
#pragma once

#include "publish/PublishPlan.h"

#include <string>
#include <vector>

enum class IssueSeverity { Error, Warning, Note };

struct PublishIssue {
    std::string relativePath;
    std::string localPath;
    int line = 0; // 1-based; 0 without one
    IssueSeverity severity = IssueSeverity::Note;
    std::string text; // code page 932
};

class PublishChecks {
public:
    // Checks every script of the plan that goes; errors first, then
    // warnings, then notes. localPerl empty: the
    // compile check is left out, and a note says so.
    static std::vector<PublishIssue> Check(const PublishPlan& plan, const std::string& localPerl,
                                           const std::string& serverPerl);

    // One script's bytes against the server's perl: the "#!" line.
    static std::vector<PublishIssue> CheckShebang(const PublishItem& item, const std::string& bytes,
                                                  const std::string& serverPerl);
    // perl -wc over the script, in its own folder.
    static std::vector<PublishIssue> CheckCompile(const PublishItem& item, const std::string& bytes,
                                                  const std::string& localPerl);

    static bool HasErrors(const std::vector<PublishIssue>& issues);
    // Whether this file has an error among the issues.
    static bool HasErrorsFor(const std::vector<PublishIssue>& issues, const std::string& relativePath);
};
