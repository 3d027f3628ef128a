// The new-project dialog (dialog 145): the project's name, the folder the
// project folder is made in, and the files the project starts with. OK
// checks the entries, asks before reusing a folder of the same name, and
// yields the name, the project folder and one entry per listed file, in
// list order (each file added goes to the top of the list).
#pragma once

#include "platform/base/WinTypes.h"
#include "project/ProjectEntry.h"

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class ProjectTreeHost;
class QLineEdit;
class QTreeWidget;

class CNewProjectDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr UINT kDialogId = 145;
    static constexpr int kNameEdit = 1008;
    static constexpr int kLocationEdit = 1004;
    static constexpr int kBrowseButton = 1005;
    static constexpr int kAddButton = 1007;
    static constexpr int kRemoveButton = 1010;
    static constexpr int kFileList = 1009;
    static constexpr int kInitialColumnWidth = 200;

    explicit CNewProjectDlg(ProjectTreeHost& host, QWidget* parent = nullptr);

    int DoModal();

    // The results after OK: local paths and the name as entered.
    const std::string& Folder() const { return folder_; }
    const std::string& ProjectName() const { return projectName_; }
    std::vector<std::unique_ptr<PROJECT_ENTRY>> TakeEntries() { return std::move(entries_); }

    QLineEdit* NameEdit() const { return nameEdit_; }
    QLineEdit* LocationEdit() const { return locationEdit_; }
    QTreeWidget* FileList() const { return fileList_; }
    int ColumnWidth() const { return widestText_; }

    // The buttons' actions.
    void OnBrowse();
    void OnAdd();
    void OnRemove();
    void OnOK();

private:
    QLineEdit* nameEdit_ = nullptr;
    QLineEdit* locationEdit_ = nullptr;
    QTreeWidget* fileList_ = nullptr;
    int widestText_ = kInitialColumnWidth;
    std::string folder_;
    std::string projectName_;
    std::vector<std::unique_ptr<PROJECT_ENTRY>> entries_;
};
