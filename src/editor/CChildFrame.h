// The editor's child frame: first placed at (5, 5), 450 × 300 pixels.
#pragma once

#include "platform/docview/CMDIChildWnd.h"

class CChildFrame : public CMDIChildWnd {
public:
    explicit CChildFrame(QWidget* parent = nullptr);
    QRect InitialGeometry() const override { return QRect(5, 5, 450, 300); }
};
