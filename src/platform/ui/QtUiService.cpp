#include "platform/ui/QtUiService.h"

#include "platform/text/Sjis.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

QString Q(const std::string& cp932)
{
    return sjis::ToUnicode(cp932);
}

QMessageBox::Icon IconFor(UINT flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

int QtUiService::MessageBox(QWidget* owner, const std::string& text, const std::string& caption, UINT flags)
{
    QMessageBox box(IconFor(flags), Q(caption), Q(text), QMessageBox::NoButton, owner);
    switch (flags & MB_BUTTONMASK) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Ok: return IDOK;
    default:
        // Closing a Yes/No box by its title bar answers No: only Yes goes on.
        return (flags & MB_BUTTONMASK) == MB_YESNO ? IDNO : IDCANCEL;
    }
}

std::optional<std::string> QtUiService::FileDialog(const FileDialogRequest& request)
{
    const QString filter = Q(QtFilterFromWindowsFilter(request.filter));
    QString initial = Q(request.initialName);
    if (!request.initialFolder.empty())
        initial = QString::fromStdString(request.initialFolder) + u'/' + initial;
    QString chosen;
    if (request.kind == FileDialogKind::Open) {
        chosen = QFileDialog::getOpenFileName(request.owner, Q(request.title), initial, filter);
    } else {
        QFileDialog::Options options;
        if (!(request.flags & OFN_OVERWRITEPROMPT))
            options |= QFileDialog::DontConfirmOverwrite;
        chosen =
            QFileDialog::getSaveFileName(request.owner, Q(request.title), initial, filter, nullptr, options);
    }
    if (chosen.isEmpty())
        return std::nullopt;
    std::string path = chosen.toStdString();
    if (request.kind == FileDialogKind::Save)
        path = ApplyDefaultExtension(path, request.defaultExtension);
    return path;
}

std::optional<std::string> QtUiService::BrowseForFolder(QWidget* owner, const std::string& title)
{
    QString dir = QFileDialog::getExistingDirectory(owner, Q(title));
    if (dir.isEmpty())
        return std::nullopt;
    return dir.toStdString();
}

std::optional<COLORREF> QtUiService::ChooseColor(QWidget* owner, COLORREF initial)
{
    QColor start(GetRValue(initial), GetGValue(initial), GetBValue(initial));
    QColor chosen = QColorDialog::getColor(start, owner);
    if (!chosen.isValid())
        return std::nullopt;
    return RGB(BYTE(chosen.red()), BYTE(chosen.green()), BYTE(chosen.blue()));
}

bool QtUiService::PageSetup(QWidget* owner, QPrinter& printer)
{
    QPageSetupDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

bool QtUiService::PrintDialog(QWidget* owner, QPrinter& printer)
{
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

void QtUiService::PrintPreview(QWidget* owner, QPrinter& printer, const std::function<void(QPrinter*)>& paint)
{
    QPrintPreviewDialog dialog(&printer, owner);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&paint](QPrinter* target) { paint(target); });
    dialog.exec();
}
