#include "platform/docview/CMultiDocTemplate.h"

#include "platform/docview/CDocument.h"
#include "platform/docview/CMDIChildWnd.h"
#include "platform/docview/CView.h"

#include <QMdiArea>
#include <algorithm>
#include <filesystem>
#include <sstream>

CMultiDocTemplate::CMultiDocTemplate(UINT resourceId, std::string docString, DocumentFactory makeDocument,
                                     FrameFactory makeFrame, ViewFactory makeView)
    : resourceId_(resourceId), docString_(std::move(docString)), makeDocument_(std::move(makeDocument)),
      makeFrame_(std::move(makeFrame)), makeView_(std::move(makeView))
{
}

CMultiDocTemplate::~CMultiDocTemplate() = default;

std::string CMultiDocTemplate::GetDocString(int field) const
{
    std::istringstream in(docString_);
    std::string part;
    for (int i = 0; std::getline(in, part, '\n'); ++i)
        if (i == field)
            return part;
    return {};
}

namespace {

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec))
        return true;
    return std::filesystem::absolute(a, ec).lexically_normal() ==
           std::filesystem::absolute(b, ec).lexically_normal();
}

} // namespace

CMDIChildWnd* CMultiDocTemplate::CreateNewFrame(CDocument* document)
{
    CMDIChildWnd* frame = makeFrame_();
    CView* view = makeView_(document, frame);
    if (!view) {
        delete frame;
        return nullptr;
    }
    frame->SetView(view);
    document->AddView(view);
    if (!view->OnCreate()) {
        document->RemoveView(view);
        delete frame;
        return nullptr;
    }
    if (area_)
        area_->addSubWindow(frame);
    frame->setGeometry(frame->InitialGeometry());
    return frame;
}

CDocument* CMultiDocTemplate::OpenDocumentFile(const std::string& path, bool makeVisible)
{
    if (!path.empty()) {
        for (CDocument* open : documents_) {
            if (!open->GetPathName().empty() && SameFile(open->GetPathName(), path)) {
                if (CView* view = open->FirstView(); view && view->GetParentFrame() && area_)
                    area_->setActiveSubWindow(view->GetParentFrame());
                return open;
            }
        }
    }
    std::unique_ptr<CDocument> owned = makeDocument_();
    CDocument* document = owned.get();
    document->SetDocTemplate(this);
    CMDIChildWnd* frame = CreateNewFrame(document);
    if (!frame)
        return nullptr;
    bool ok;
    if (path.empty()) {
        ++untitledCount_;
        ok = document->OnNewDocument();
        document->SetTitle(GetDocString(2) + std::to_string(untitledCount_));
    } else {
        ok = document->OnOpenDocument(path);
        if (ok)
            document->SetPathName(path);
    }
    if (!ok) {
        for (CView* view : std::vector<CView*>(document->Views()))
            document->RemoveView(view);
        delete frame;
        return nullptr;
    }
    documents_.push_back(document);
    owned_.push_back(std::move(owned));
    frame->GetActiveView()->OnInitialUpdate();
    document->UpdateFrameTitles();
    if (makeVisible) {
        frame->show();
        if (area_)
            area_->setActiveSubWindow(frame);
    }
    if (onDocumentCountChanged)
        onDocumentCountChanged(documents_.size());
    return document;
}

bool CMultiDocTemplate::SaveAllModified()
{
    for (CDocument* document : std::vector<CDocument*>(documents_))
        if (!document->SaveModified())
            return false;
    return true;
}

void CMultiDocTemplate::CloseAllDocuments()
{
    for (CDocument* document : std::vector<CDocument*>(documents_))
        CloseDocument(document);
}

void CMultiDocTemplate::CloseDocument(CDocument* document)
{
    document->OnCloseDocument();
    for (CView* view : std::vector<CView*>(document->Views())) {
        CMDIChildWnd* frame = view->GetParentFrame();
        document->RemoveView(view);
        if (frame) {
            frame->setAttribute(Qt::WA_DeleteOnClose, false);
            frame->deleteLater();
            frame->hide();
        }
    }
    Remove(document);
}

void CMultiDocTemplate::Remove(CDocument* document)
{
    documents_.erase(std::remove(documents_.begin(), documents_.end(), document), documents_.end());
    auto it = std::find_if(owned_.begin(), owned_.end(), [&](const auto& p) { return p.get() == document; });
    if (it != owned_.end())
        owned_.erase(it);
    if (onDocumentCountChanged)
        onDocumentCountChanged(documents_.size());
}
