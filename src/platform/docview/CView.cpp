#include "platform/CView.h"

#include "platform/CDocument.h"

CView::~CView()
{
    if (document_)
        document_->RemoveView(this);
}
