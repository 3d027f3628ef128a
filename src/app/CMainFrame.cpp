#include "app/CMainFrame.h"

#include "editor/CSyntaxColorizer.h"
#include "platform/Sjis.h"
#include "platform/UiService.h"

CMainFrame::CMainFrame(CSyntaxColorizer& colorizer) : colorizer_(colorizer)
{
    setWindowTitle(QStringLiteral("KESTRIX ver2.0"));
}

bool CMainFrame::Create()
{
    resize(640, 480);
    if (!colorizer_.LoadCommandData(this)) {
        MessageBox(this, sjis::FromUtf8("コマンドデータの読み込みに失敗しました"), "File Load Error", MB_OK);
        return false;
    }
    return true;
}
