#include "platform/docview/CMDIChildWnd.h"

#include "platform/docview/CDocument.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/docview/CView.h"
#include "platform/text/Sjis.h"

#include <QCloseEvent>

CMDIChildWnd::CMDIChildWnd(QWidget* parent) : QMdiSubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

CMDIChildWnd::~CMDIChildWnd() = default;

void CMDIChildWnd::SetView(CView* view)
{
    view_ = view;
    view->SetParentFrame(this);
    setWidget(view->Widget());
}

std::string CMDIChildWnd::GetWindowText() const
{
    return sjis::FromUnicode(windowTitle());
}

void CMDIChildWnd::SetWindowText(const std::string& cp932)
{
    setWindowTitle(sjis::ToUnicode(cp932));
}

void CMDIChildWnd::closeEvent(QCloseEvent* event)
{
    CDocument* document = view_ ? view_->GetDocument() : nullptr;
    if (!document) {
        QMdiSubWindow::closeEvent(event);
        return;
    }
    // Only the last frame of a document asks about its changes.
    if (document->Views().size() == 1 && !document->SaveModified()) {
        event->ignore();
        return;
    }
    CMultiDocTemplate* docTemplate = document->GetDocTemplate();
    document->RemoveView(view_);
    if (document->Views().empty() && docTemplate)
        docTemplate->CloseDocument(document);
    QMdiSubWindow::closeEvent(event);
}
