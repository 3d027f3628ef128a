// The project tree in the workspace bar's "ProjectView" tab: the files of the
// project and the subs of each script. For now an empty page; the project
// work fills it.
#pragma once

#include <QWidget>

class CProjectView : public QWidget {
    Q_OBJECT
public:
    explicit CProjectView(QWidget* parent = nullptr);
};
