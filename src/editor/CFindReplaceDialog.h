// The editor's find and replace dialogs: modeless, they stay open while the
// user goes on searching. The view acts on their buttons.
#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;

class CFindReplaceDialog : public QDialog {
    Q_OBJECT
public:
    // A find dialog, or with replace a find-and-replace dialog.
    CFindReplaceDialog(bool replace, QWidget* parent = nullptr);

    bool IsReplace() const { return replace_; }
    // The texts as code page 932 (a character it lacks becomes "?").
    std::string FindWhat() const;
    std::string ReplaceWith() const;
    bool MatchCase() const;
    void SetFindWhat(const std::string& cp932);

    QLineEdit* FindEdit() const { return findEdit_; }
    QLineEdit* ReplaceEdit() const { return replaceEdit_; }
    QCheckBox* MatchCaseBox() const { return matchCase_; }
    QPushButton* FindNextButton() const { return findNext_; }
    QPushButton* ReplaceButton() const { return replaceButton_; }
    QPushButton* ReplaceAllButton() const { return replaceAll_; }

signals:
    void findNextRequested();
    void replaceRequested();
    void replaceAllRequested();

private:
    void UpdateButtons();

    bool replace_;
    QLineEdit* findEdit_ = nullptr;
    QLineEdit* replaceEdit_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QPushButton* findNext_ = nullptr;
    QPushButton* replaceButton_ = nullptr;
    QPushButton* replaceAll_ = nullptr;
};
