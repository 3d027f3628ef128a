// Command routing by id, as the program's menus, accelerators and toolbar
// use it. A command goes to the active view, its document, its child frame,
// the main frame and the application, in that order, until one handles it;
// a pop-up menu sends its commands to the window that opened it first. Just
// before a menu opens, each item asks the same chain for its enabled state.
#pragma once

#include "platform/base/WinTypes.h"

// The state of one menu item or toolbar button, filled by update handlers.
class CCmdUI {
public:
    explicit CCmdUI(UINT id) : id_(id) {}
    UINT Id() const { return id_; }
    void Enable(bool on = true)
    {
        enabled_ = on;
        handled_ = true;
    }
    void SetCheck(bool on = true)
    {
        checked_ = on;
        handled_ = true;
    }
    bool Enabled() const { return enabled_; }
    bool Checked() const { return checked_; }
    // True once some handler has said something about the item.
    bool Handled() const { return handled_; }

private:
    UINT id_;
    bool enabled_ = true;
    bool checked_ = false;
    bool handled_ = false;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Carries out a command; false when this target has no handler for it.
    virtual bool OnCommand(UINT id)
    {
        (void)id;
        return false;
    }
    // Fills in an item's state; false when this target has no update handler
    // for it (the next target in the chain is asked).
    virtual bool OnUpdateCommand(CCmdUI& ui)
    {
        (void)ui;
        return false;
    }
};
