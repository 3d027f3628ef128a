#include "app/PublishWiring.h"

#include "app/CKESTRIX_2App.h"
#include "app/builders/CDialogBuilder.h"
#include "platform/docview/CDocument.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/docview/CView.h"
#include "platform/richedit/CRichEditCtrl.h"

void PublishWiring::OpenAtLine(const std::string& localPath, int line)
{
    CDocument* document = app_.DocTemplate().OpenDocumentFile(localPath);
    if (!document)
        return;
    for (CView* view : document->Views()) {
        if (auto* edit = dynamic_cast<CRichEditCtrl*>(view)) {
            // Lines count from 1 in the reasons, from 0 in the view: line N
            // becomes the first visible one, as the syntax check does it.
            if (line > 0)
                edit->LineScroll(long(line) - edit->GetFirstVisibleLine() - 1);
            return;
        }
    }
}

void PublishWiring::BuildDialog(QWidget* dialog, UINT templateId, const std::map<int, Maker>& makers)
{
    CDialogBuilder builder(templateId);
    for (const auto& [id, maker] : makers)
        builder.Use(id, maker);
    builder.Build(dialog);
}
