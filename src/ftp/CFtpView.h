// The FTP browser in the workspace bar's "FTPView" tab: the server's folders
// and the transfer of files. For now an empty page; the FTP work fills it.
#pragma once

#include <QWidget>

class CFtpView : public QWidget {
    Q_OBJECT
public:
    explicit CFtpView(QWidget* parent = nullptr);
};
