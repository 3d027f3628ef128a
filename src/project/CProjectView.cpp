#include "project/CProjectView.h"

CProjectView::CProjectView(QWidget* parent) : QWidget(parent) {}
