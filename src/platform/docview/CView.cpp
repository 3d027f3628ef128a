#include "platform/docview/CView.h"

#include "platform/docview/CDocument.h"

CView::~CView()
{
    if (document_)
        document_->RemoveView(this);
}
