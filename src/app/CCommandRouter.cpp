#include "app/CCommandRouter.h"

#include "app/builders/CMenuResources.h"
#include "platform/docview/CDocument.h"
#include "platform/docview/CMDIChildWnd.h"
#include "platform/docview/CView.h"

#include <algorithm>

CCommandRouter::CCommandRouter(std::function<CView*()> activeView, std::vector<CCmdTarget*> tail)
    : activeView_(std::move(activeView)), tail_(std::move(tail))
{
}

std::vector<CCmdTarget*> CCommandRouter::Chain(CView* first) const
{
    std::vector<CCmdTarget*> chain;
    CView* view = first ? first : activeView_();
    if (view) {
        chain.push_back(view);
        if (CDocument* document = view->GetDocument())
            chain.push_back(document);
        if (CMDIChildWnd* frame = view->GetParentFrame())
            chain.push_back(frame);
    }
    chain.insert(chain.end(), tail_.begin(), tail_.end());
    return chain;
}

bool CCommandRouter::Route(UINT id, CView* first) const
{
    for (CCmdTarget* target : Chain(first))
        if (target->OnCommand(id))
            return true;
    return false;
}

CCmdUI CCommandRouter::State(UINT id, CView* first) const
{
    CView* view = first ? first : activeView_();
    for (CCmdTarget* target : Chain(view)) {
        CCmdUI ui(id);
        if (target->OnUpdateCommand(ui))
            return ui;
    }
    // A command nobody answers for is disabled.
    CCmdUI ui(id);
    ui.Enable(false);
    return ui;
}
