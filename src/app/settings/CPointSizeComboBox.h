// The settings dialog's size box: an editable list of point sizes. The text
// is read as twips; the list is rebuilt for the face in the face box each
// time it drops down.
#pragma once

#include <QComboBox>

class CFaceComboBox;
class QKeyEvent;

class CPointSizeComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CPointSizeComboBox(QWidget* parent = nullptr);

    // The face box whose face the list follows.
    void SetFaceBox(const CFaceComboBox* faceBox) { faceBox_ = faceBox; }

    // The text as twips (see settings::ReadSizeTwips).
    int ReadSizeTwips() const;
    // Shows a size: unless the text already reads as that size, the entry
    // with its text is selected, or the text is set. The size is remembered
    // as the last one shown.
    void ShowSizeTwips(int twips);

    // Rebuilds the list for the face in the face box and shows the size.
    void RefreshSizes();

    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    const CFaceComboBox* faceBox_ = nullptr;
    int lastTwips_ = -1;
};
