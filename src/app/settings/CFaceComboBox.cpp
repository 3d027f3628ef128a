#include "app/settings/CFaceComboBox.h"

#include "platform/text/Sjis.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QSignalBlocker>

namespace {
constexpr int kItemRole = Qt::UserRole;
}

CFaceComboBox::CFaceComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    // The list is kept in order by Fill and SelectFace; typed text is never
    // added to it, and is not completed behind the user's back either.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
}

void CFaceComboBox::Fill(std::vector<CFontItem> items)
{
    const QString text = currentText();
    QSignalBlocker block(this);
    clear();
    items_ = std::move(items);
    for (std::size_t i = 0; i < items_.size(); ++i)
        addItem(sjis::ToUnicode(items_[i].face), QVariant::fromValue(qulonglong(i)));
    setCurrentIndex(-1);
    setEditText(text);
}

void CFaceComboBox::SelectFace(const QString& face)
{
    int index = findText(face, Qt::MatchStartsWith);
    if (index < 0 && !face.isEmpty()) {
        index = 0;
        while (index < count() && CFaceComboBoxFaces::SortsBefore(itemText(index), face))
            ++index;
        insertItem(index, face);
    }
    if (index >= 0) {
        setCurrentIndex(index);
        setEditText(itemText(index));
    } else {
        setCurrentIndex(-1);
        setEditText(face);
    }
}

int CFaceComboBox::FindExact(const QString& text) const
{
    return findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
}

const CFaceComboBox::CFontItem* CFaceComboBox::ItemAt(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    const QVariant data = itemData(index, kItemRole);
    if (!data.isValid())
        return nullptr;
    const auto i = std::size_t(data.toULongLong());
    return i < items_.size() ? &items_[i] : nullptr;
}

int CFaceComboBox::SelectedEntry() const
{
    const int current = currentIndex();
    if (current >= 0 && itemText(current) == currentText())
        return current;
    return FindExact(currentText());
}

bool CFaceComboBox::TakeClosedListKey(QComboBox& box, QKeyEvent* event)
{
    if (box.view()->isVisible())
        return false;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: event->accept(); return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier))
            return false;
        box.showPopup();
        event->accept();
        return true;
    default: return false;
    }
}

void CFaceComboBox::keyPressEvent(QKeyEvent* event)
{
    if (!TakeClosedListKey(*this, event))
        QComboBox::keyPressEvent(event);
}
