#include "ftp/FtpHooks.h"

#include "platform/resources/ProgramResources.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void FtpHooks::BuildDialog(QWidget* dialog, UINT templateId, const std::map<int, Maker>& makers)
{
    const DialogResource& resource = ProgramResources::Dialog(templateId);
    dialog->setWindowTitle(QString::fromStdString(resource.caption));
    auto* layout = new QVBoxLayout(dialog);
    for (const auto& control : resource.controls) {
        QWidget* child = nullptr;
        if (auto maker = makers.find(control.id); maker != makers.end())
            child = maker->second(dialog);
        else if (control.kind == DialogControlResource::Kind::PushButton ||
                 control.kind == DialogControlResource::Kind::DefPushButton)
            child = new QPushButton(QString::fromStdString(control.text), dialog);
        else
            child = new QLabel(QString::fromStdString(control.text), dialog);
        if (control.id >= 0)
            child->setObjectName(QString::number(control.id));
        layout->addWidget(child);
    }
}
