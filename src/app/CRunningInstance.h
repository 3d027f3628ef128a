// One program per user, display and settings: files named when the program
// is started again (from a terminal or the desktop's "Open with") are handed
// to the program already running, which opens them in its editor windows and
// comes to the front; the second start then ends. The two talk over a local
// socket named after the settings folder and the display, so programs on
// other settings (tests, screenshot runs) or other displays stay apart.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLockFile;

class CRunningInstance : public QObject {
    Q_OBJECT
public:
    using FilesHandler = std::function<void(const std::vector<std::string>& files)>;

    explicit CRunningInstance(QObject* parent = nullptr);
    ~CRunningInstance() override;

    // The socket's name for the current settings folder and display.
    static QString ChannelName();
    // Hands absolute paths of the files to a running program. True when one
    // took them; false when none is running (or it did not answer in time).
    static bool HandOver(const std::vector<std::string>& files, int timeoutMilliseconds = 3000);

    // Takes files from later starts; false when another program listens
    // already.
    bool Listen(FilesHandler onFiles);

private:
    void OnConnection();

    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    FilesHandler onFiles_;
};
