#include "publish/CPublishDLG.h"

#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"
#include "publish/PublishHooks.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

QString StateText(PublishState state)
{
    switch (state) {
    case PublishState::New: return QStringLiteral("新規");
    case PublishState::Changed: return QStringLiteral("変更");
    case PublishState::Unchanged: return QStringLiteral("変更なし");
    case PublishState::Missing: return QStringLiteral("ファイルがありません");
    }
    return {};
}

QString SeverityText(IssueSeverity severity)
{
    switch (severity) {
    case IssueSeverity::Error: return QStringLiteral("エラー");
    case IssueSeverity::Warning: return QStringLiteral("警告");
    case IssueSeverity::Note: return QStringLiteral("注意");
    }
    return {};
}

} // namespace

CPublishDLG::CPublishDLG(PublishHooks& hooks, std::string projectFolder, std::vector<std::string> files,
                         QWidget* parent)
    : QDialog(parent), hooks_(hooks), folder_(std::move(projectFolder)), files_(std::move(files))
{
    setWindowTitle(QStringLiteral("プロジェクトの公開"));
    resize(760, 560);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    server_ = new QLabel(this);
    remote_ = new QLineEdit(this);
    url_ = new QLineEdit(this);
    perl_ = new QLineEdit(this);
    remote_->setPlaceholderText(QStringLiteral("/public_html/cgi-bin"));
    url_->setPlaceholderText(QStringLiteral("http://www.example.jp/cgi-bin"));
    form->addRow(QStringLiteral("FTPサーバ"), server_);
    form->addRow(QStringLiteral("公開先のフォルダ"), remote_);
    form->addRow(QStringLiteral("公開先のURL"), url_);
    form->addRow(QStringLiteral("サーバのPerlのパス"), perl_);
    layout->addLayout(form);

    table_ = new QTreeWidget(this);
    table_->setRootIsDecorated(false);
    table_->setHeaderLabels(
        {QStringLiteral("ファイル"), QStringLiteral("状態"), QStringLiteral("改行"), QStringLiteral("権限")});
    table_->header()->setStretchLastSection(false);
    table_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 4; ++column)
        table_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    layout->addWidget(table_, 3);

    summary_ = new QLabel(this);
    layout->addWidget(summary_);

    issueList_ = new QTreeWidget(this);
    issueList_->setRootIsDecorated(false);
    issueList_->setHeaderLabels(
        {QStringLiteral("ファイル"), QStringLiteral("行"), QStringLiteral("種類"), QStringLiteral("内容")});
    for (int column = 0; column < 3; ++column)
        issueList_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    issueList_->header()->setSectionResizeMode(3, QHeaderView::Stretch);
    layout->addWidget(issueList_, 2);
    connect(issueList_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OpenIssue(issueList_->indexOfTopLevelItem(item)); });

    auto* buttons = new QDialogButtonBox(this);
    auto* check = buttons->addButton(QStringLiteral("再チェック"), QDialogButtonBox::ActionRole);
    go_ = buttons->addButton(QStringLiteral("公開"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(check, &QPushButton::clicked, this, [this] {
        ReadFields();
        Refresh();
    });
    connect(go_, &QPushButton::clicked, this, &CPublishDLG::OnPublish);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    settings_ = PublishSettings::Load(folder_);
    remote_->setText(sjis::ToUnicode(settings_.remoteFolder));
    url_->setText(sjis::ToUnicode(settings_.publicUrl));
    perl_->setText(sjis::ToUnicode(settings_.serverPerl));
}

std::string CPublishDLG::Target() const
{
    return account_.url + PublishSettings::NormalRemoteFolder(settings_.remoteFolder);
}

void CPublishDLG::ReadFields()
{
    settings_.remoteFolder = sjis::FromUnicode(remote_->text().trimmed());
    settings_.publicUrl = sjis::FromUnicode(url_->text().trimmed());
    settings_.serverPerl = sjis::FromUnicode(perl_->text().trimmed());
    if (settings_.serverPerl.empty())
        settings_.serverPerl = PublishSettings::kDefaultServerPerl;
}

void CPublishDLG::Refresh()
{
    settings::LoadFtpAccount(account_);
    server_->setText(account_.url.empty() ? QStringLiteral("(設定の FTP ページで指定してください)")
                                          : sjis::ToUnicode(account_.url));
    const PublishRecord record = PublishRecord::Load(PublishRecord::PathFor(folder_), Target());
    plan_ = PublishPlan::Build(folder_, files_, record);
    std::string localPerl;
    settings::ReadPerlPath(localPerl);
    // The checks run perl with the event loop going: the dialog takes no
    // clicks meanwhile, so 公開 cannot start a second round inside the first.
    setEnabled(false);
    setCursor(Qt::WaitCursor);
    issues_ = PublishChecks::Check(plan_, localPerl, settings_.serverPerl);
    unsetCursor();
    setEnabled(true);
    checkedTarget_ = Target();
    checkedPerl_ = settings_.serverPerl;
    FillTable();
    FillIssues();
}

void CPublishDLG::FillTable()
{
    table_->clear();
    for (const PublishItem& item : plan_.items) {
        auto* row = new QTreeWidgetItem(table_);
        row->setText(0, QString::fromStdString(item.relativePath));
        row->setText(1, StateText(item.state));
        row->setText(2, item.Goes() && item.hasCrLf ? QStringLiteral("CR LF → LF") : QString());
        row->setText(3, item.mode == 0755 ? QStringLiteral("755") : QStringLiteral("644"));
        if (!item.Goes())
            for (int column = 0; column < 4; ++column)
                row->setForeground(column, palette().color(QPalette::Disabled, QPalette::Text));
        if (PublishChecks::HasErrorsFor(issues_, item.relativePath))
            row->setForeground(0, Qt::red);
    }
    std::size_t errors = 0;
    for (const auto& item : plan_.items)
        errors += item.Goes() && PublishChecks::HasErrorsFor(issues_, item.relativePath);
    summary_->setText(QStringLiteral("送信するファイル: %1 / %2    問題のあるスクリプト: %3 個")
                          .arg(plan_.CountGoing())
                          .arg(plan_.items.size())
                          .arg(errors));
}

void CPublishDLG::FillIssues()
{
    issueList_->clear();
    for (const PublishIssue& issue : issues_) {
        auto* row = new QTreeWidgetItem(issueList_);
        row->setText(0, QString::fromStdString(issue.relativePath));
        row->setText(1, issue.line > 0 ? QString::number(issue.line) : QString());
        row->setText(2, SeverityText(issue.severity));
        row->setText(3, sjis::ToUnicode(issue.text));
        row->setToolTip(3, row->text(3));
        if (issue.severity == IssueSeverity::Error)
            row->setForeground(2, Qt::red);
    }
}

void CPublishDLG::OpenIssue(int row)
{
    if (row < 0 || row >= static_cast<int>(issues_.size()))
        return;
    hooks_.OpenAtLine(issues_[static_cast<std::size_t>(row)].localPath,
                      issues_[static_cast<std::size_t>(row)].line);
}

void CPublishDLG::OnPublish()
{
    ReadFields();
    if (account_.url.empty()) {
        MessageBox(this,
                   J("FTPサーバが設定されていません。設定の FTP "
                     "ページでサーバ、ユーザ、パスワードを指定してください。"),
                   J("通知"), MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Fields changed since the last check: the plan and the checks follow them.
    if (Target() != checkedTarget_ || settings_.serverPerl != checkedPerl_)
        Refresh();
    if (plan_.CountGoing() == 0) {
        MessageBox(this, J("公開するファイルはありません。どのファイルも前回の公開から変更されていません。"),
                   J("通知"), MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::size_t failing = 0;
    for (const auto& item : plan_.items)
        failing += item.Goes() && PublishChecks::HasErrorsFor(issues_, item.relativePath);
    if (failing > 0 &&
        MessageBox(
            this,
            J("公開を止める問題のあるスクリプトが ") + std::to_string(failing) +
                J(" 個あります "
                  "(構文エラー、「#!」行)。このままではサーバでエラーになります。\nそれでも公開しますか？"),
            J("通知"), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (const auto error = PublishSettings::Save(folder_, settings_); error != 0)
        MessageBox(this, J("公開の設定を保存できませんでした。"), "Error", MB_OK | MB_ICONERROR);
    accept();
}
