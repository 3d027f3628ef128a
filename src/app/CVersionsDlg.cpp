#include "app/CVersionsDlg.h"

#include "app/builders/CDialogBuilder.h"
#include "editor/CKESTRIX_2Doc.h"
#include "editor/CKESTRIX_2View.h"
#include "platform/docview/CMultiDocTemplate.h"
#include "platform/text/Sjis.h"
#include "platform/ui/CFaceSubstitution.h"
#include "platform/ui/UiService.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTreeWidget>
#include <filesystem>

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

// The script's name as its window shows it, in brackets.
std::string Quoted(const CKESTRIX_2Doc& doc)
{
    return J("「") + doc.GetTitle() + J("」");
}

} // namespace

void CVersionsDlg::Run(CKESTRIX_2Doc& doc, CMultiDocTemplate& docs, const VersionStore& store, QWidget* owner)
{
    CVersionsDlg dialog(doc, docs, store, owner);
    if (dialog.history_.Empty()) {
        MessageBox(owner,
                   Quoted(doc) + J("には以前の版がありません。\n"
                                   "以前の版は、上書き保存のたびに、保存する前の内容が残されます。"),
                   J("通知"), MB_OK | MB_ICONINFORMATION);
        return;
    }
    dialog.DoModal();
}

CVersionsDlg::CVersionsDlg(CKESTRIX_2Doc& doc, CMultiDocTemplate& docs, const VersionStore& store,
                           QWidget* parent)
    : QDialog(parent), doc_(doc), docs_(docs), history_(store, doc.StoredPath())
{
    setModal(true);
    CDialogBuilder dialog(kDialogId);
    dialog.Use<QTreeWidget>(1002);
    dialog.Use<QPlainTextEdit>(1003);
    dialog.Build(this);
    name_ = CDialogBuilder::Find<QLabel>(this, 1001);
    list_ = CDialogBuilder::Find<QTreeWidget>(this, 1002);
    difference_ = CDialogBuilder::Find<QPlainTextEdit>(this, 1003);

    // The path as the file system spells it.
    name_->setText(QString::fromUtf8("ファイル: ") + QString::fromLocal8Bit(doc.StoredPath()));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QString::fromUtf8("保存日時"), QString::fromUtf8("サイズ")});
    list_->header()->setStretchLastSection(true);
    for (const CVersionHistory::Entry& entry : history_.Entries()) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, sjis::ToUnicode(entry.when));
        item->setText(1, sjis::ToUnicode(entry.size));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    list_->resizeColumnToContents(0);
    list_->resizeColumnToContents(1);
    difference_->setReadOnly(true);
    difference_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The editor's fixed-width face, so that the columns line up.
    difference_->setFont(CFaceSubstitution::Font(QString::fromUtf8("ＭＳ ゴシック"), 9));

    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { ShowDifference(); });
    connect(CDialogBuilder::Find<QPushButton>(this, kOpenAsNew), &QPushButton::clicked, this,
            &CVersionsDlg::OpenAsNew);
    connect(CDialogBuilder::Find<QPushButton>(this, kRestore), &QPushButton::clicked, this,
            &CVersionsDlg::Restore);
    connect(CDialogBuilder::Find<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
}

int CVersionsDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

int CVersionsDlg::Selected() const
{
    QTreeWidgetItem* item = list_->currentItem();
    return item ? list_->indexOfTopLevelItem(item) : -1;
}

void CVersionsDlg::ShowDifference()
{
    difference_->clear();
    const int index = Selected();
    if (index < 0)
        return;
    const CKESTRIX_2View* view = doc_.View();
    const std::string current = view ? view->GetTextRange(0, -1) : std::string();
    const auto rows = history_.Compare(std::size_t(index), current);
    if (!rows) {
        difference_->setPlainText(QString::fromUtf8("この版は、保存できる版の上限により削除されています。"));
        return;
    }
    // One block per line, its background telling removed from added.
    QTextCursor cursor(difference_->document());
    QTextBlockFormat same, removed, added;
    removed.setBackground(QColor(0xff, 0xdd, 0xdd));
    added.setBackground(QColor(0xdd, 0xf4, 0xdd));
    bool first = true;
    for (const CVersionHistory::Row& row : *rows) {
        const QTextBlockFormat& format = row.kind == LineDiff::Kind::Removed ? removed
                                         : row.kind == LineDiff::Kind::Added ? added
                                                                             : same;
        if (first)
            cursor.setBlockFormat(format);
        else
            cursor.insertBlock(format);
        first = false;
        cursor.insertText(sjis::ToUnicode(CVersionHistory::Format({row})).chopped(1));
    }
    difference_->moveCursor(QTextCursor::Start);
    // The first change in sight.
    for (QTextBlock block = difference_->document()->begin(); block.isValid(); block = block.next())
        if (block.blockFormat().background() != Qt::NoBrush) {
            difference_->setTextCursor(QTextCursor(block));
            difference_->centerCursor();
            break;
        }
}

std::string CVersionsDlg::SelectedFile()
{
    const int index = Selected();
    if (index < 0)
        return {};
    const std::string& file = history_.Entries()[std::size_t(index)].version.file;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        MessageBox(this, J("この版は、保存できる版の上限により削除されています。"), J("通知"),
                   MB_OK | MB_ICONEXCLAMATION);
        return {};
    }
    return file;
}

void CVersionsDlg::OpenAsNew()
{
    const std::string file = SelectedFile();
    if (file.empty())
        return;
    auto* doc = dynamic_cast<CKESTRIX_2Doc*>(docs_.OpenDocumentFile({}));
    if (!doc)
        return;
    if (!doc->RestoreRecovered(file, {})) {
        docs_.CloseDocument(doc);
        return;
    }
    accept();
}

void CVersionsDlg::Restore()
{
    const std::string file = SelectedFile();
    if (file.empty())
        return;
    if (doc_.IsModified() && MessageBox(this,
                                        Quoted(doc_) + J("には保存されていない変更があります。"
                                                         "この版に戻すと、その変更は失われます。戻しますか?"),
                                        J("通知"), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (doc_.RestoreVersion(file))
        accept();
}
