// The previous versions of the active script: its versions, newest first,
// with the time each save replaced it and its size; selecting one shows the
// difference to the text as it stands, removed lines red and added lines
// green, with their line numbers. A version opens as a new document (the
// script untouched), or is restored into the script's own document, marked
// modified: the user saves it the usual way, and that save keeps the version
// it replaces. Nothing is written behind the user's back.
#pragma once

#include "editor/CVersionHistory.h"
#include "platform/base/WinTypes.h"

#include <QDialog>

class CKESTRIX_2Doc;
class CMultiDocTemplate;
class QLabel;
class QPlainTextEdit;
class QTreeWidget;

class CVersionsDlg : public QDialog {
    Q_OBJECT
public:
    // The dialog's template in the resource script.
    static constexpr UINT kDialogId = 146;
    static constexpr int kOpenAsNew = 1004;
    static constexpr int kRestore = 1005;

    // The command: shows the dialog on the document's script, or says that
    // the script has no previous versions.
    static void Run(CKESTRIX_2Doc& doc, CMultiDocTemplate& docs, const VersionStore& store, QWidget* owner);

    CVersionsDlg(CKESTRIX_2Doc& doc, CMultiDocTemplate& docs, const VersionStore& store,
                 QWidget* parent = nullptr);

    int DoModal();

    QTreeWidget* List() const { return list_; }
    QPlainTextEdit* Difference() const { return difference_; }

private:
    void ShowDifference();
    void OpenAsNew();
    void Restore();
    // The selected version's place in the history; -1 without one.
    int Selected() const;
    // The selected version's file; tells the user and gives "" when the
    // store has dropped it meanwhile.
    std::string SelectedFile();

    CKESTRIX_2Doc& doc_;
    CMultiDocTemplate& docs_;
    CVersionHistory history_;
    QLabel* name_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QPlainTextEdit* difference_ = nullptr;
};
