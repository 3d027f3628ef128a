#include "project/ProjectTreeHost.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

bool ProjectTreeHost::StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                                   const std::string& folder)
{
    QStringList args;
    for (const std::string& argument : arguments)
        args << QString::fromStdString(argument);
    return QProcess::startDetached(QString::fromStdString(program), args, QString::fromStdString(folder));
}

bool ProjectTreeHost::OpenWithDesktop(const std::string& localPath)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(localPath)));
}
