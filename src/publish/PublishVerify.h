// After a publish: an HTTP GET of each script that went, at the public URL,
// as a visitor's browser would ask for it. Per script the status, the time
// the answer took and, for a server error, the first lines of the answer
// and the likely causes (from what the checks found about that script, and
// the usual ones when they found nothing).
//
// The requests go out together through Qt's network module; Run waits for
// them with the event loop running, so the windows keep working.
#pragma once

#include "publish/PublishChecks.h"

#include <string>
#include <vector>

struct PublishProbe {
    std::string relativePath;
    std::string url;
    int status = 0;     // 0: no answer (the text says why)
    std::string reason; // "OK", "Internal Server Error", or the network error
    long long milliseconds = 0;
    std::vector<std::string> firstLines; // of the body, for a 5xx answer
    std::vector<std::string> causes;     // code page 932, for a 5xx or no answer
};

class PublishVerify {
public:
    // publicUrl is the URL of the remote folder; each script is asked for
    // at publicUrl + "/" + its relative path.
    static std::vector<PublishProbe> Run(const std::string& publicUrl,
                                         const std::vector<PublishItem>& scripts,
                                         const std::vector<PublishIssue>& issues, bool siteRefused,
                                         int timeoutMs = 20000);

    static std::string UrlFor(const std::string& publicUrl, const std::string& relativePath);
    // The likely causes of a server error for one script.
    static std::vector<std::string> LikelyCauses(const PublishItem& item,
                                                 const std::vector<PublishIssue>& issues, bool siteRefused);
};
