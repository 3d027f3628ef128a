// The document template for multiple documents: it creates a document, its
// child frame and its view together, opens files (or activates the window
// of a file already open), and keeps the list of open documents.
#pragma once

#include "platform/docview/CCmdTarget.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDocument;
class CMDIChildWnd;
class CView;
class QMdiArea;

class CMultiDocTemplate : public CCmdTarget {
public:
    using DocumentFactory = std::function<std::unique_ptr<CDocument>()>;
    using FrameFactory = std::function<CMDIChildWnd*()>;
    using ViewFactory = std::function<CView*(CDocument*, CMDIChildWnd*)>;

    // docString holds the seven fields of the template string separated by
    // "\n" (window title, document name, new-document name, filter name,
    // filter extension, file type, file type name), code page 932.
    CMultiDocTemplate(UINT resourceId, std::string docString, DocumentFactory makeDocument,
                      FrameFactory makeFrame, ViewFactory makeView);
    ~CMultiDocTemplate() override;

    // Where child frames go; set by the main frame.
    void SetMdiArea(QMdiArea* area) { area_ = area; }
    QMdiArea* MdiArea() const { return area_; }

    // Opens a file, or makes a new untitled document when path is empty.
    // A file already open has its window activated instead. Returns the
    // document, or nullptr when the open failed. Opened files join the
    // recent-file list.
    CDocument* OpenDocumentFile(const std::string& path, bool makeVisible = true);
    // Another frame and view on the same document ("new window").
    CMDIChildWnd* CreateNewFrame(CDocument* document);

    const std::vector<CDocument*>& Documents() const { return documents_; }
    // Asks about each modified document; false when the user cancelled.
    bool SaveAllModified();
    void CloseAllDocuments();
    // Closes and destroys one document with all its frames.
    void CloseDocument(CDocument* document);

    UINT ResourceId() const { return resourceId_; }
    // Field n (0-6) of the template string.
    std::string GetDocString(int field) const;

    // Called whenever the number of open documents changes (the main frame
    // switches its menus).
    std::function<void(std::size_t openDocuments)> onDocumentCountChanged;
    // Called with each path successfully opened (the recent-file list).
    std::function<void(const std::string& path)> onFileOpened;

private:
    void Remove(CDocument* document);

    UINT resourceId_;
    std::string docString_;
    DocumentFactory makeDocument_;
    FrameFactory makeFrame_;
    ViewFactory makeView_;
    QMdiArea* area_ = nullptr;
    std::vector<CDocument*> documents_;
    std::vector<std::unique_ptr<CDocument>> owned_;
    int untitledCount_ = 0;
};
