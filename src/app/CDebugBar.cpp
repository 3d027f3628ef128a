#include "app/CDebugBar.h"

#include "run/CDebugScreen.h"
#include "run/CSyntaxCheck.h"

#include <QTabWidget>

CDebugBar::CDebugBar(QWidget* parent)
    : CTabbedBar(QStringLiteral("DebugBar"), QStringLiteral("Debug Window"), parent),
      syntaxCheck_(new CSyntaxCheck(Tabs())), debugScreen_(new CDebugScreen(Tabs()))
{
    Tabs()->addTab(syntaxCheck_, QStringLiteral("SyntaxCheck"));
    Tabs()->addTab(debugScreen_, QStringLiteral("DebugScreen"));
    Tabs()->setCurrentIndex(kSyntaxCheckTab);
    setAllowedAreas(Qt::BottomDockWidgetArea);
}
