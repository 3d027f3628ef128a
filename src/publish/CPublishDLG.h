// The publish dialog: before anything is sent it shows where the project
// goes (the FTP server of the settings, the remote folder, the public URL,
// the server's perl), what happens to each file (new, changed, unchanged,
// missing; CR LF converted; the permission) and the reasons the checks found,
// each with its line: a double-click opens the file there. 公開 goes on
// (asking first when a check failed), キャンセル stops.
#pragma once

#include "platform/registry/SettingsStore.h"
#include "publish/PublishChecks.h"
#include "publish/PublishPlan.h"
#include "publish/PublishSettings.h"

#include <QDialog>
#include <string>
#include <vector>

class PublishHooks;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CPublishDLG : public QDialog {
    Q_OBJECT
public:
    CPublishDLG(PublishHooks& hooks, std::string projectFolder, std::vector<std::string> files,
                QWidget* parent = nullptr);

    // Reads the settings and the record, builds the plan and runs the checks.
    void Refresh();

    const PublishPlan& Plan() const { return plan_; }
    const std::vector<PublishIssue>& Issues() const { return issues_; }
    const PublishSettings& Settings() const { return settings_; }
    const settings::FtpAccount& Account() const { return account_; }
    // The target the record is kept for: server and remote folder.
    std::string Target() const;

    // For the tests and the screenshots: the controls as the user sees them.
    QLineEdit* RemoteFolderEdit() const { return remote_; }
    QLineEdit* PublicUrlEdit() const { return url_; }
    QLineEdit* ServerPerlEdit() const { return perl_; }
    QTreeWidget* PlanTable() const { return table_; }
    QTreeWidget* IssueList() const { return issueList_; }
    QPushButton* PublishButton() const { return go_; }
    // What a double-click on the reason in the row does.
    void OpenIssue(int row);

    // 公開: checks that there is something to send and a server to send it
    // to, asks when a check failed, saves the settings and accepts.
    void OnPublish();

private:
    void ReadFields();
    void FillTable();
    void FillIssues();

    PublishHooks& hooks_;
    std::string folder_;
    std::vector<std::string> files_;
    PublishSettings settings_;
    // What the plan and the checks shown were made for.
    std::string checkedTarget_;
    std::string checkedPerl_;
    settings::FtpAccount account_;
    PublishPlan plan_;
    std::vector<PublishIssue> issues_;

    QLabel* server_ = nullptr;
    QLineEdit* remote_ = nullptr;
    QLineEdit* url_ = nullptr;
    QLineEdit* perl_ = nullptr;
    QTreeWidget* table_ = nullptr;
    QTreeWidget* issueList_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* go_ = nullptr;
};
