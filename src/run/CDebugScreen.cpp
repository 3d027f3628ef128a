#include "run/CDebugScreen.h"

CDebugScreen::CDebugScreen(QWidget* parent) : QWidget(parent) {}
