#include "app/CHtmlHelpSession.h"

#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

void CHtmlHelpSession::DisplayToc()
{
    // The manual has no viewer in this program yet: say so rather than do
    // nothing.
    MessageBox(
        owner_,
        sjis::FromUtf8(std::string("操作説明書 (") + kHelpFile + ") はまだインストールされていません。"),
        sjis::FromUtf8("通知"), MB_OK | MB_ICONINFORMATION);
}
