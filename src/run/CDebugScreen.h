// The debug console in the debug bar's "DebugScreen" tab: a script run
// under `perl -d`. For now an empty page; the run work fills it.
#pragma once

#include <QWidget>

class CDebugScreen : public QWidget {
    Q_OBJECT
public:
    explicit CDebugScreen(QWidget* parent = nullptr);
};
