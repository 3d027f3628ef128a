#include "run/CSyntaxCheck.h"

CSyntaxCheck::CSyntaxCheck(QWidget* parent) : QWidget(parent) {}
