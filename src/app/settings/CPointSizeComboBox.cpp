#include "app/settings/CPointSizeComboBox.h"

#include "app/settings/CFaceComboBox.h"
#include "app/settings/CPointSizeComboBoxList.h"
#include "platform/registry/SettingsStore.h"
#include "platform/text/Sjis.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QSignalBlocker>

CPointSizeComboBox::CPointSizeComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completing "1" to "10" would store a size the user never typed.
    setCompleter(nullptr);
}

int CPointSizeComboBox::ReadSizeTwips() const
{
    return settings::ReadSizeTwips(sjis::FromUnicode(currentText()));
}

void CPointSizeComboBox::ShowSizeTwips(int twips)
{
    if (twips != ReadSizeTwips()) {
        const QString text = sjis::ToUnicode(settings::FormatSizeTwips(twips));
        const int index = findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        setCurrentIndex(index);
        setEditText(index >= 0 ? itemText(index) : text);
    }
    lastTwips_ = twips;
}

void CPointSizeComboBox::RefreshSizes()
{
    const int value = CPointSizeComboBoxList::SizeToShow(ReadSizeTwips(), lastTwips_);

    const CFaceComboBox::CFontItem* item = nullptr;
    if (faceBox_)
        item = faceBox_->ItemAt(faceBox_->FindExact(faceBox_->currentText()));
    std::vector<int> sizes;
    if (item && item->fontType == CFaceComboBoxFaces::kBitmapFont) {
        QList<int> points = QFontDatabase::pointSizes(item->family);
        points += QFontDatabase::smoothSizes(item->family, QString());
        sizes = CPointSizeComboBoxList::BitmapTwips(points);
    } else {
        // A scalable face, or a text that names no face in the list.
        sizes = CPointSizeComboBoxList::StandardTwips();
    }

    const QString text = currentText();
    {
        QSignalBlocker block(this);
        clear();
        for (int twips : sizes)
            addItem(sjis::ToUnicode(settings::FormatSizeTwips(twips)), twips);
        // The list opens on the entry the text names, if it names one.
        setCurrentIndex(findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
        setEditText(text);
    }
    ShowSizeTwips(value);
}

void CPointSizeComboBox::showPopup()
{
    RefreshSizes();
    QComboBox::showPopup();
}

void CPointSizeComboBox::keyPressEvent(QKeyEvent* event)
{
    if (!CFaceComboBox::TakeClosedListKey(*this, event))
        QComboBox::keyPressEvent(event);
}
