// Routes a command id along the chain of targets: the active view, its
// document, its child frame, the main frame and the application, until one
// carries it out. A pop-up menu's commands start at the view that opened it.
// Asking for an item's state walks the same chain: the first update handler
// decides; an item nobody updates is disabled. Each target answers for the
// commands it carries out.
#pragma once

#include "platform/docview/CCmdTarget.h"

#include <functional>
#include <vector>

class CView;

class CCommandRouter {
public:
    // activeView gives the view of the active child frame (nullptr when no
    // document window is open); tail holds the main frame and the
    // application, in that order.
    CCommandRouter(std::function<CView*()> activeView, std::vector<CCmdTarget*> tail);

    // Carries out a command; false when no target had a handler for it.
    bool Route(UINT id, CView* first = nullptr) const;

    // The state of a menu item or button.
    CCmdUI State(UINT id, CView* first = nullptr) const;

private:
    // The targets a command visits, starting at the given view (or at the
    // active view when it is nullptr).
    std::vector<CCmdTarget*> Chain(CView* first) const;

    std::function<CView*()> activeView_;
    std::vector<CCmdTarget*> tail_;
};
