// A document of the multiple-document framework: a file's content shown in
// one or more views, with its path, title and modified flag.
#pragma once

#include "platform/docview/CCmdTarget.h"

#include <string>
#include <vector>

class CView;
class CMultiDocTemplate;

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    // A new, untitled document; false stops its creation.
    virtual bool OnNewDocument();
    // Loads the file; false when it could not be opened (the document is
    // then discarded). Paths are local file names.
    virtual bool OnOpenDocument(const std::string& path);
    // Writes the file; false when it could not be written (the user has
    // been told; the document stays modified).
    virtual bool OnSaveDocument(const std::string& path);
    virtual void OnCloseDocument();

    // The framework's save commands (57603 save, 57604 save as).
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    // Save: to the document's path, or as a new file when it has none.
    bool DoFileSave();
    // Save as: asks for a path with the save dialog when path is empty.
    bool DoSave(const std::string& path, bool replace = true);
    // Asks whether to save a modified document ("... への変更を保存しますか?"):
    // Yes saves, No discards, Cancel returns false.
    virtual bool SaveModified();

    // Views that keep the modified state themselves (an editor control)
    // answer for the document.
    virtual bool IsModified() const;
    virtual void SetModifiedFlag(bool modified = true);

    // Full path of the file, empty for an untitled document.
    const std::string& GetPathName() const { return path_; }
    void SetPathName(const std::string& path, bool addToRecent = true);
    // The title shown in the frame (the file name, or "KESTRI1" ...), code
    // page 932.
    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title);

    const std::vector<CView*>& Views() const { return views_; }
    CView* FirstView() const { return views_.empty() ? nullptr : views_.front(); }
    void AddView(CView* view);
    void RemoveView(CView* view);
    // Asks every view to refresh its frame's title.
    void UpdateFrameTitles();

    CMultiDocTemplate* GetDocTemplate() const { return template_; }
    void SetDocTemplate(CMultiDocTemplate* docTemplate) { template_ = docTemplate; }

protected:
    bool modified_ = false;

private:
    std::string path_;
    std::string title_;
    std::vector<CView*> views_;
    CMultiDocTemplate* template_ = nullptr;
};
