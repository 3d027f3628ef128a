// Builds the main frame's menu bars from the menu resources and keeps their
// changing parts: the recent files of the file menu and the list of open
// windows at the end of the window menu. Every item's action carries its
// command id as data() and as its object name.
#pragma once

#include "app/builders/CMenuResources.h"

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QObject;
class QWidget;

class CMenuBuilder {
public:
    using CommandFn = std::function<void(UINT id)>;
    using UpdateFn = std::function<void(QMenu* menu)>;

    // A menu bar named after the resource's id. Choosing an item calls
    // onCommand with its id; each pop-up calls onUpdate just before it opens.
    static QMenuBar* Build(const MenuResource& resource, QWidget* parent, const CommandFn& onCommand,
                           const UpdateFn& onUpdate);

    // An action for a command, its caption given in UTF-8 and converted
    // through code page 932 as every text the program shows.
    static QAction* MakeAction(UINT id, const QString& caption, QObject* parent, const CommandFn& onCommand);

    // The command id of an action, 0 for a separator or a pop-up.
    static UINT CommandId(const QAction* action);
    // The first action with the id in the bar's menus, nullptr without one.
    static QAction* FindAction(const QMenuBar* bar, UINT id);
    // The pop-up of the bar holding an item with the id.
    static QMenu* FindPopup(const QMenuBar* bar, UINT id);

    // Replaces the recent-file items of the bar's file menu: "&1 path" ...
    // with ids 57616 ..., or the disabled placeholder "最近使ったﾌｧｲﾙ" when
    // the list is empty.
    static void SetRecentFiles(QMenuBar* bar, const std::vector<std::string>& paths,
                               const CommandFn& onCommand);
    static QString RecentFileText(int index, const std::string& path);

    // Replaces the list of open windows at the end of the window menu:
    // "&1 title" ... with ids 0xFF00 ..., the active one checked.
    static void SetWindowList(QMenu* windowMenu, const std::vector<QString>& titles, int active,
                              const CommandFn& onCommand);
};
