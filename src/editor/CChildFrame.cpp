#include "editor/CChildFrame.h"

CChildFrame::CChildFrame(QWidget* parent) : CMDIChildWnd(parent) {}
