// Routes a command id along the chain of targets: the active view, its
// document, its child frame, the main frame and the application, until one
// carries it out. A pop-up menu's commands start at the view that opened it.
// Asking for an item's state walks the same chain: the first update handler
// decides; an item nobody updates is enabled when some target of the chain
// carries it out, else disabled.
#pragma once

#include "platform/CCmdTarget.h"

#include <functional>
#include <vector>

class CView;

class CCommandRouter {
public:
    // A target after the view's part of the chain, with the ids it carries
    // out without an update handler of its own.
    struct Link {
        CCmdTarget* target;
        std::function<bool(UINT id)> carriesOut;
    };

    // activeView gives the view of the active child frame (nullptr when no
    // document window is open); tail holds the main frame and the
    // application, in that order.
    CCommandRouter(std::function<CView*()> activeView, std::vector<Link> tail);

    // The targets a command visits, starting at the given view (or at the
    // active view when it is nullptr).
    std::vector<CCmdTarget*> Chain(CView* first = nullptr) const;

    // Carries out a command; false when no target had a handler for it.
    bool Route(UINT id, CView* first = nullptr) const;

    // The state of a menu item or button.
    CCmdUI State(UINT id, CView* first = nullptr) const;

    CView* ActiveView() const { return activeView_(); }

private:
    bool CarriedOut(UINT id, CView* view) const;

    std::function<CView*()> activeView_;
    std::vector<Link> tail_;
};
