#include "app/builders/CMenuBuilder.h"

#include "platform/text/Sjis.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

const char* const kWindowListMark = "windowList";

QString Caption(std::string_view utf8)
{
    return sjis::ToUnicode(sjis::FromUtf8(utf8));
}

QString EscapeMnemonics(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// Takes an item out of its menu. The action may be the one whose choice is
// being carried out (a recent file that was just opened), so it is deleted
// once control is back in the event loop.
void Discard(QMenu* menu, QAction* action)
{
    menu->removeAction(action);
    action->setParent(nullptr);
    action->deleteLater();
}

// The action of a command item, greyed or checked as the item says.
QAction* MakeItem(const MenuItemResource& item, QObject* parent, const CMenuBuilder::CommandFn& onCommand)
{
    QAction* action = CMenuBuilder::MakeAction(item.id, Caption(item.caption), parent, onCommand);
    if (item.grayed)
        action->setEnabled(false);
    if (item.checked) {
        action->setCheckable(true);
        action->setChecked(true);
    }
    return action;
}

// Adds the items to a menu bar or a pop-up; each pop-up calls onUpdate just
// before it opens.
template <typename Menu>
void Fill(Menu* menu, const std::vector<MenuItemResource>& items, const CMenuBuilder::CommandFn& onCommand,
          const CMenuBuilder::UpdateFn& onUpdate)
{
    for (const MenuItemResource& item : items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
        } else if (item.IsPopup()) {
            QMenu* popup = menu->addMenu(Caption(item.caption));
            Fill(popup, item.items, onCommand, onUpdate);
            QObject::connect(popup, &QMenu::aboutToShow, popup, [popup, onUpdate] { onUpdate(popup); });
        } else {
            menu->addAction(MakeItem(item, menu, onCommand));
        }
    }
}

} // namespace

QAction* CMenuBuilder::MakeAction(UINT id, const QString& caption, QObject* parent,
                                  const CommandFn& onCommand)
{
    auto* action = new QAction(caption, parent);
    action->setObjectName(QString::number(id));
    action->setData(id);
    if (id == cmd::kViewToolBar)
        action->setCheckable(true);
    QObject::connect(action, &QAction::triggered, action, [onCommand, id] { onCommand(id); });
    return action;
}

QMenuBar* CMenuBuilder::Build(const MenuResource& resource, QWidget* parent, const CommandFn& onCommand,
                              const UpdateFn& onUpdate)
{
    auto* bar = new QMenuBar(parent);
    bar->setObjectName(QString::number(resource.id));
    Fill(bar, resource.items, onCommand, onUpdate);
    return bar;
}

UINT CMenuBuilder::CommandId(const QAction* action)
{
    if (!action || action->isSeparator() || action->menu())
        return 0;
    return action->data().toUInt();
}

QAction* CMenuBuilder::FindAction(const QMenuBar* bar, UINT id)
{
    for (QAction* action : bar->findChildren<QAction*>(QString::number(id)))
        if (CommandId(action) == id)
            return action;
    return nullptr;
}

QMenu* CMenuBuilder::FindPopup(const QMenuBar* bar, UINT id)
{
    QAction* action = FindAction(bar, id);
    return action ? qobject_cast<QMenu*>(action->parent()) : nullptr;
}

QString CMenuBuilder::RecentFileText(int index, const std::string& path)
{
    return QStringLiteral("&%1 ").arg(index + 1) + EscapeMnemonics(QString::fromStdString(path));
}

void CMenuBuilder::SetRecentFiles(QMenuBar* bar, const std::vector<std::string>& paths,
                                  const CommandFn& onCommand)
{
    QMenu* menu = FindPopup(bar, cmd::kFileRecent1);
    if (!menu)
        return;
    // The items go where the old ones were: before the item that follows
    // the block (the separator above the exit command).
    const QList<QAction*> actions = menu->actions();
    QAction* after = nullptr;
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (cmd::RecentFileIndex(CommandId(actions[i])) >= 0) {
            after = i + 1 < actions.size() ? actions[i + 1] : nullptr;
            Discard(menu, actions[i]);
        }
    }
    if (paths.empty()) {
        QAction* placeholder = MakeAction(cmd::kFileRecent1, Caption("最近使ったﾌｧｲﾙ"), menu, onCommand);
        placeholder->setEnabled(false);
        menu->insertAction(after, placeholder);
        return;
    }
    for (int i = 0; i < int(paths.size()) && i < cmd::kRecentFileCount; ++i)
        menu->insertAction(after, MakeAction(cmd::kFileRecent1 + UINT(i),
                                             RecentFileText(i, paths[std::size_t(i)]), menu, onCommand));
}

void CMenuBuilder::SetWindowList(QMenu* windowMenu, const std::vector<QString>& titles, int active,
                                 const CommandFn& onCommand)
{
    for (QAction* action : windowMenu->actions()) {
        if (action->objectName() == QLatin1String(kWindowListMark) ||
            CommandId(action) >= cmd::kFirstMdiChild) {
            Discard(windowMenu, action);
        }
    }
    if (titles.empty())
        return;
    windowMenu->addSeparator()->setObjectName(QLatin1String(kWindowListMark));
    for (int i = 0; i < int(titles.size()) && i < cmd::kMaxListedWindows; ++i) {
        const QString text = QStringLiteral("&%1 ").arg(i + 1) + EscapeMnemonics(titles[std::size_t(i)]);
        QAction* action = MakeAction(cmd::kFirstMdiChild + UINT(i), text, windowMenu, onCommand);
        action->setCheckable(true);
        action->setChecked(i == active);
        windowMenu->addAction(action);
    }
}
