#include "publish/PublishVerify.h"

#include "platform/text/Sjis.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

constexpr int kFirstLines = 8;

} // namespace

std::string PublishVerify::UrlFor(const std::string& publicUrl, const std::string& relativePath)
{
    std::string base = publicUrl;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    QUrl url(QString::fromStdString(base));
    QString path = url.path() + "/" + QString::fromStdString(relativePath);
    url.setPath(path);
    return url.toString(QUrl::FullyEncoded).toStdString();
}

std::vector<std::string> PublishVerify::LikelyCauses(const PublishItem& item,
                                                     const std::vector<PublishIssue>& issues,
                                                     bool siteRefused)
{
    std::vector<std::string> causes;
    for (const PublishIssue& issue : issues)
        if (issue.relativePath == item.relativePath && issue.severity == IssueSeverity::Error)
            causes.push_back(issue.text);
    if (siteRefused)
        causes.push_back(
            J("サーバが SITE CHMOD を受け付けないため、実行権限 (755) が付いていない可能性があります。"));
    if (causes.empty()) {
        causes.push_back(J("スクリプトが実行時に die している (サーバにないモジュールやファイルを使っている) "
                           "可能性があります。"));
        causes.push_back(J("「#!」行の perl がサーバにない、または実行権限が付いていない可能性があります。"));
        causes.push_back(
            J("ヘッダ (Content-Type 行と空行) を出力する前に何か出力している可能性があります。"));
    }
    return causes;
}

std::vector<PublishProbe> PublishVerify::Run(const std::string& publicUrl,
                                             const std::vector<PublishItem>& scripts,
                                             const std::vector<PublishIssue>& issues, bool siteRefused,
                                             int timeoutMs)
{
    std::vector<PublishProbe> probes(scripts.size());
    QNetworkAccessManager manager;
    QEventLoop loop;
    std::size_t pending = scripts.size();
    std::vector<QElapsedTimer> clocks(scripts.size());
    for (std::size_t i = 0; i < scripts.size(); ++i) {
        PublishProbe& probe = probes[i];
        probe.relativePath = scripts[i].relativePath;
        probe.url = UrlFor(publicUrl, scripts[i].relativePath);
        QNetworkRequest request(QUrl(QString::fromStdString(probe.url)));
        request.setTransferTimeout(timeoutMs);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        clocks[i].start();
        QNetworkReply* reply = manager.get(request);
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, i, reply] {
            PublishProbe& p = probes[i];
            p.milliseconds = clocks[i].elapsed();
            p.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (p.status != 0)
                p.reason =
                    reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().toStdString();
            else
                p.reason = reply->errorString().toStdString();
            if (p.status >= 500 || p.status == 0) {
                const QList<QByteArray> lines = reply->readAll().split('\n');
                for (int n = 0; n < lines.size() && n < kFirstLines; ++n)
                    if (!(n == lines.size() - 1 && lines[n].isEmpty()))
                        p.firstLines.push_back(lines[n].trimmed().toStdString());
                p.causes = LikelyCauses(scripts[i], issues, siteRefused);
            }
            reply->deleteLater();
            if (--pending == 0)
                loop.quit();
        });
    }
    // The windows repaint while the answers come, but clicks and keys wait
    // until the check is over: a command started meanwhile would run
    // inside the publish, on the project it is publishing. Each request
    // gives up after timeoutMs, so the wait is bounded.
    if (pending > 0)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return probes;
}
