#include "ftp/CFtpView.h"

CFtpView::CFtpView(QWidget* parent) : QWidget(parent) {}
