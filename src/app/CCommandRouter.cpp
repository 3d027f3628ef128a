#include "app/CCommandRouter.h"

#include "app/CMenuResources.h"
#include "platform/CDocument.h"
#include "platform/CMDIChildWnd.h"
#include "platform/CView.h"

CCommandRouter::CCommandRouter(std::function<CView*()> activeView, std::vector<Link> tail)
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
    for (const Link& link : tail_)
        chain.push_back(link.target);
    return chain;
}

bool CCommandRouter::Route(UINT id, CView* first) const
{
    for (CCmdTarget* target : Chain(first))
        if (target->OnCommand(id))
            return true;
    return false;
}

bool CCommandRouter::CarriedOut(UINT id, CView* view) const
{
    // The editor's document and view carry out their own commands; the
    // frame and the application say which ids they take.
    if (view && view->GetDocument() && CMenuResources::IsDocumentCommand(id))
        return true;
    for (const Link& link : tail_)
        if (link.carriesOut && link.carriesOut(id))
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
    CCmdUI ui(id);
    ui.Enable(CarriedOut(id, view));
    return ui;
}
