// The syntax check in the debug bar's "SyntaxCheck" tab: the messages of
// `perl -wc` and a jump to the lines they name. For now an empty page; the
// run work fills it.
#pragma once

#include <QWidget>

class CSyntaxCheck : public QWidget {
    Q_OBJECT
public:
    explicit CSyntaxCheck(QWidget* parent = nullptr);
};
