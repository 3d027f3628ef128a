#include "platform/docview/CDocument.h"

#include "platform/docview/CMDIChildWnd.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/docview/CView.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <algorithm>
#include <filesystem>

CDocument::CDocument() = default;
CDocument::~CDocument() = default;

bool CDocument::OnNewDocument()
{
    path_.clear();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const std::string&)
{
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::string&)
{
    SetModifiedFlag(false);
    return true;
}

void CDocument::OnCloseDocument() {}

bool CDocument::OnCommand(UINT id)
{
    switch (id) {
    case 57603: // save
        DoFileSave();
        return true;
    case 57604: // save as
        DoSave({});
        return true;
    default: return false;
    }
}

bool CDocument::OnUpdateCommand(CCmdUI& ui)
{
    if (ui.Id() != 57603 && ui.Id() != 57604)
        return false;
    ui.Enable();
    return true;
}

bool CDocument::DoFileSave()
{
    return DoSave(path_);
}

bool CDocument::DoSave(const std::string& path, bool replace)
{
    std::string target = path;
    if (target.empty()) {
        FileDialogRequest request;
        request.kind = FileDialogKind::Save;
        request.title = sjis::FromUtf8("名前を付けて保存");
        if (template_) {
            std::string filter = template_->GetDocString(3);
            filter.append("|*").append(template_->GetDocString(4)).append("||");
            request.filter = filter;
            request.defaultExtension = template_->GetDocString(4);
        }
        // The dialog takes code page 932 texts; the path is a local name.
        request.initialName = path_.empty() ? title_ : sjis::FromUtf8(path_);
        request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        auto chosen = UiService::Current().FileDialog(request);
        if (!chosen)
            return false;
        target = *chosen;
    }
    if (!OnSaveDocument(target))
        return false;
    if (replace)
        SetPathName(target);
    return true;
}

bool CDocument::SaveModified()
{
    if (!IsModified())
        return true;
    const std::string text = title_ + sjis::FromUtf8(" への変更を保存しますか?");
    switch (MessageBox(nullptr, text, "KESTRIX_2", MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDYES: return DoFileSave();
    case IDNO: return true;
    default: return false;
    }
}

bool CDocument::IsModified() const
{
    return modified_;
}

void CDocument::SetModifiedFlag(bool modified)
{
    modified_ = modified;
}

void CDocument::SetPathName(const std::string& path, bool addToRecent)
{
    path_ = path;
    SetTitle(sjis::FromUtf8(std::filesystem::path(path).filename().string()));
    if (addToRecent && template_ && template_->onFileOpened)
        template_->onFileOpened(path);
}

void CDocument::SetTitle(const std::string& title)
{
    title_ = title;
    UpdateFrameTitles();
}

void CDocument::AddView(CView* view)
{
    if (std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
    view->SetDocument(this);
    UpdateFrameTitles();
}

void CDocument::RemoveView(CView* view)
{
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
    if (view->GetDocument() == this)
        view->SetDocument(nullptr);
    UpdateFrameTitles();
}

void CDocument::UpdateFrameTitles()
{
    // A document shown in several frames numbers them, "name:1", "name:2".
    int number = 1;
    for (CView* view : views_) {
        if (CMDIChildWnd* frame = view->GetParentFrame()) {
            std::string text = title_;
            if (views_.size() > 1)
                text.append(":").append(std::to_string(number));
            frame->SetWindowText(text);
        }
        ++number;
    }
}
