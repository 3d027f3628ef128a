#include "publish/CPublishReportDLG.h"

#include "platform/text/Sjis.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A server's answer is shown as UTF-8 when it is, else as Shift-JIS.
QString BodyLine(const std::string& line)
{
    const QString utf8 = QString::fromUtf8(line);
    return utf8.contains(QChar::ReplacementCharacter) ? sjis::ToUnicode(line) : utf8;
}

} // namespace

CPublishReportDLG::CPublishReportDLG(const PublishUploadResult& upload, std::size_t planned,
                                     std::vector<PublishProbe> probes, bool urlMissing, QWidget* parent)
    : QDialog(parent), probes_(std::move(probes))
{
    setWindowTitle(QStringLiteral("公開の結果"));
    resize(720, 520);
    auto* layout = new QVBoxLayout(this);
    QStringList lines;
    switch (upload.end) {
    case FtpTransferEnd::Completed:
        lines << QStringLiteral("%1 個のファイルを公開しました。").arg(upload.sent.size());
        break;
    case FtpTransferEnd::Cancelled:
        lines << QStringLiteral("公開を取り消しました。%1 / %2 "
                                "個のファイルを送りました。送っていないファイルはサーバで元のままです。")
                     .arg(upload.sent.size())
                     .arg(planned);
        break;
    case FtpTransferEnd::Failed:
        lines << QStringLiteral("公開は途中で失敗しました。%1 / %2 "
                                "個のファイルを送りました。送っていないファイルはサーバで元のままです。")
                     .arg(upload.sent.size())
                     .arg(planned)
              << sjis::ToUnicode(upload.errorText);
        break;
    }
    if (upload.siteRefused)
        lines << QStringLiteral(
                     "サーバが SITE コマンドを受け付けないため、権限 (755/644) を設定できませんでした: ") +
                     sjis::ToUnicode(upload.siteReply);
    for (const auto& file : upload.chmodFailed)
        lines << QStringLiteral("権限を設定できませんでした: ") + QString::fromStdString(file);
    for (const auto& file : upload.temporariesLeft)
        lines << QStringLiteral("一時ファイルがサーバに残っています: ") + sjis::ToUnicode(file);
    if (urlMissing)
        lines << QStringLiteral("公開先のURLが指定されていないため、スクリプトの動作は確認していません。");
    summary_ = new QLabel(lines.join('\n'), this);
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary_);

    table_ = new QTreeWidget(this);
    table_->setRootIsDecorated(false);
    table_->setHeaderLabels({QStringLiteral("スクリプト"), QStringLiteral("応答"), QStringLiteral("時間")});
    table_->header()->setStretchLastSection(false);
    table_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    for (const PublishProbe& probe : probes_) {
        auto* row = new QTreeWidgetItem(table_);
        row->setText(0, QString::fromStdString(probe.relativePath));
        row->setText(1,
                     probe.status
                         ? QStringLiteral("%1 %2").arg(probe.status).arg(QString::fromStdString(probe.reason))
                         : QStringLiteral("応答なし: ") + QString::fromStdString(probe.reason));
        row->setText(2, QStringLiteral("%1 ms").arg(probe.milliseconds));
        if (probe.status != 200)
            row->setForeground(1, Qt::red);
    }
    layout->addWidget(table_, 2);
    detail_ = new QPlainTextEdit(this);
    detail_->setReadOnly(true);
    layout->addWidget(detail_, 2);
    connect(table_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { ShowDetail(table_->indexOfTopLevelItem(item)); });
    // The first script that failed is shown at once.
    int first = 0;
    for (std::size_t i = 0; i < probes_.size(); ++i)
        if (probes_[i].status != 200) {
            first = static_cast<int>(i);
            break;
        }
    if (!probes_.empty())
        table_->setCurrentItem(table_->topLevelItem(first));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    layout->addWidget(buttons);
}

void CPublishReportDLG::ShowDetail(int row)
{
    if (row < 0 || row >= static_cast<int>(probes_.size())) {
        detail_->clear();
        return;
    }
    const PublishProbe& probe = probes_[static_cast<std::size_t>(row)];
    QStringList text;
    text << QString::fromStdString(probe.url);
    if (!probe.firstLines.empty()) {
        text << QString() << QStringLiteral("応答の最初の行:");
        for (const auto& line : probe.firstLines)
            text << QStringLiteral("  ") + BodyLine(line);
    }
    if (!probe.causes.empty()) {
        text << QString() << QStringLiteral("考えられる原因:");
        for (const auto& cause : probe.causes)
            text << QStringLiteral("・") + sjis::ToUnicode(cause);
    }
    detail_->setPlainText(text.join('\n'));
}

QString CPublishReportDLG::SummaryText() const
{
    return summary_->text();
}

QString CPublishReportDLG::DetailText() const
{
    return detail_->toPlainText();
}
