#include "app/CHtmlHelpSession.h"

#include "platform/Sjis.h"
#include "platform/UiService.h"

CHtmlHelpSession::CHtmlHelpSession(QWidget* owner, std::string helpFile)
    : owner_(owner), helpFile_(std::move(helpFile))
{
}

void CHtmlHelpSession::DisplayToc()
{
    // The manual has no viewer in this program yet: say so rather than do
    // nothing.
    MessageBox(owner_, sjis::FromUtf8("操作説明書 (" + helpFile_ + ") はまだインストールされていません。"),
               sjis::FromUtf8("通知"), MB_OK | MB_ICONINFORMATION);
}
