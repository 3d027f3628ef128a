// What the publish dialogs need from the application above them: the FTP
// transfer dialog's layout (FtpHooks) and the editor, to show the line a
// reason names. The application wires the real ones; this base does nothing.
#pragma once

#include "ftp/FtpHooks.h"

#include <string>

class PublishHooks : public FtpHooks {
public:
    // Opens the file in an editor window with the line (1-based) at the top
    // of its view; 0 opens it at its top.
    virtual void OpenAtLine(const std::string& localPath, int line)
    {
        (void)localPath;
        (void)line;
    }
};
