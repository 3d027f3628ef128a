// The settings dialog's face box: an editable, sorted list of faces, each
// entry carrying what is known about its face.
#pragma once

#include "app/settings/CFaceComboBoxFaces.h"

#include <QComboBox>
#include <vector>

class QKeyEvent;

class CFaceComboBox : public QComboBox {
    Q_OBJECT
public:
    using CFontItem = CFaceComboBoxFaces::CFontItem;

    explicit CFaceComboBox(QWidget* parent = nullptr);

    // Replaces the list with the faces, in their order; the text stays.
    void Fill(std::vector<CFontItem> items);
    // Shows a remembered face: selects the first entry that begins with it
    // (without regard to case). A face no entry begins with gets an entry
    // of its own, without an item, so the dialog shows it selected and
    // keeps it as it was.
    void SelectFace(const QString& face);

    // The entry whose text is exactly the text, or -1.
    int FindExact(const QString& text) const;
    // The item of an entry, or null for an entry without one.
    const CFontItem* ItemAt(int index) const;
    // The entry the box stands on: the selected entry while the text is
    // still its text, else the entry with exactly the typed text; -1 when
    // the text names no entry.
    int SelectedEntry() const;

    // The keys a closed list takes over in the dialog's combo boxes: Enter
    // does nothing (it would otherwise press the dialog's default button)
    // and Up or Down opens the list. True when the key was taken.
    static bool TakeClosedListKey(QComboBox& box, QKeyEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::vector<CFontItem> items_;
};
