// The program's help collection: the Qt help collection file (made at build
// time from the manual and perl's documentation) and the engine that reads
// it. The installed collection is never written to: the engine works on a
// copy in the user's cache folder, which is also where the full-text search
// keeps its index. The copy is renewed whenever the installed one changes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

class QHelpEngine;

class HelpCollection {
public:
    HelpCollection();
    ~HelpCollection();
    HelpCollection(const HelpCollection&) = delete;
    HelpCollection& operator=(const HelpCollection&) = delete;

    // Opens the collection file (.qhc) with its documentation (.qch) beside
    // it. Returns "" on success, otherwise why it cannot be read (UTF-8).
    std::string Open(const std::string& collectionPath);
    bool IsOpen() const { return engine_ != nullptr; }
    const std::string& Path() const { return path_; }

    // The pages the index lists under a keyword (exact match), the page
    // claiming it first. Empty when the keyword is not in the index.
    std::vector<QUrl> Lookup(const QString& keyword) const;
    // The first page of the table of contents: the manual's first page.
    QUrl FirstPage() const;
    QByteArray FileData(const QUrl& url) const;

    // The engine, for the help window's contents, index and search.
    QHelpEngine* Engine() const { return engine_.get(); }

    // Where the working copies live: $XDG_CACHE_HOME/kestrix/help (or
    // ~/.cache/kestrix/help).
    static std::string WorkingFolder();

private:
    std::unique_ptr<QHelpEngine> engine_;
    std::string path_;
};
