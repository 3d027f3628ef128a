// A view of a document: the widget a child frame shows. Concrete views are
// widgets that also derive from CView.
#pragma once

#include "platform/docview/CCmdTarget.h"

class CDocument;
class CMDIChildWnd;
class QWidget;

class CView : public CCmdTarget {
public:
    ~CView() override;
    CDocument* GetDocument() const { return document_; }
    void SetDocument(CDocument* document) { document_ = document; }
    CMDIChildWnd* GetParentFrame() const { return frame_; }
    void SetParentFrame(CMDIChildWnd* frame) { frame_ = frame; }
    // The widget that shows the view.
    virtual QWidget* Widget() = 0;
    // Called once the document is loaded and the frame is about to show.
    virtual void OnInitialUpdate() {}
    // Called when a view is created, before the document is loaded
    // (the window's creation). False fails the creation.
    virtual bool OnCreate() { return true; }

private:
    CDocument* document_ = nullptr;
    CMDIChildWnd* frame_ = nullptr;
};
