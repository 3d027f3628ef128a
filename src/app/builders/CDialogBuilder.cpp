#include "app/builders/CDialogBuilder.h"

#include "app/builders/DialogUnits.h"
#include "platform/ui/CFaceSubstitution.h"
#include "platform/resources/ProgramResources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

using Kind = DialogControlResource::Kind;

CDialogBuilder::CDialogBuilder(UINT dialogId) : CDialogBuilder(ProgramResources::Dialog(dialogId)) {}

CDialogBuilder::CDialogBuilder(const DialogResource& resource) : resource_(resource) {}

QFont CDialogBuilder::Font() const
{
    if (resource_.fontSize == 0)
        return DialogUnits::DialogFont();
    return CFaceSubstitution::Font(QString::fromStdString(resource_.fontFace), resource_.fontSize);
}

void CDialogBuilder::Use(int id, Maker maker)
{
    makers_[id] = std::move(maker);
}

QWidget* CDialogBuilder::Make(const DialogControlResource& control, QWidget* parent) const
{
    if (const auto maker = makers_.find(control.id); control.id != -1 && maker != makers_.end())
        return maker->second(parent);
    switch (control.kind) {
    case Kind::Label:
    case Kind::Icon: return new QLabel(parent);
    case Kind::GroupBox: return new QGroupBox(parent);
    case Kind::PushButton:
    case Kind::DefPushButton: return new QPushButton(parent);
    case Kind::CheckBox: return new QCheckBox(parent);
    case Kind::RadioButton: return new QRadioButton(parent);
    case Kind::Edit: return new QLineEdit(parent);
    case Kind::ComboBox: {
        auto* box = new QComboBox(parent);
        box->setEditable(!control.HasStyle("CBS_DROPDOWNLIST"));
        return box;
    }
    case Kind::ListBox: return new QListWidget(parent);
    case Kind::Custom: break;
    }
    return new QWidget(parent);
}

void CDialogBuilder::Build(QWidget* widget)
{
    widget->setFont(Font());
    if (!resource_.caption.empty())
        widget->setWindowTitle(QString::fromStdString(resource_.caption));
    const DialogUnits units(widget->font());
    widget->setFixedSize(units.Size(resource_.cx, resource_.cy));

    widgets_.clear();
    for (const DialogControlResource& control : resource_.controls) {
        QWidget* child = Make(control, widget);
        if (control.id != -1)
            child->setObjectName(QString::number(control.id));
        const QString text = QString::fromStdString(control.text);
        if (auto* label = qobject_cast<QLabel*>(child); label && control.kind == Kind::Label) {
            label->setText(text);
            if (control.keyword == "RTEXT")
                label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            else if (control.keyword == "CTEXT")
                label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        } else if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            button->setText(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(child)) {
            group->setTitle(text);
        }
        if (auto* button = qobject_cast<QPushButton*>(child); button && control.kind == Kind::DefPushButton)
            button->setDefault(true);
        if (auto* edit = qobject_cast<QLineEdit*>(child)) {
            if (control.HasStyle("ES_PASSWORD"))
                edit->setEchoMode(QLineEdit::Password);
            if (control.HasStyle("ES_READONLY"))
                edit->setReadOnly(true);
        }
        if (control.HasStyle("WS_DISABLED"))
            child->setEnabled(false);

        int height = control.cy;
        if (control.kind == Kind::ComboBox && !control.HasStyle("CBS_SIMPLE"))
            height = std::min(height, kComboFieldHeight);
        units.Place(child, control.x, control.y, control.cx, height);
        widgets_.push_back(child);
    }
}

QWidget* CDialogBuilder::First(Kind kind) const
{
    for (std::size_t i = 0; i < widgets_.size() && i < resource_.controls.size(); ++i)
        if (resource_.controls[i].kind == kind)
            return widgets_[i];
    return nullptr;
}

QLabel* CDialogBuilder::Icon(QWidget* widget) const
{
    if (auto* icon = qobject_cast<QLabel*>(First(Kind::Icon)))
        return icon;
    auto* hidden = new QLabel(widget);
    hidden->hide();
    return hidden;
}

QWidget* CDialogBuilder::FindChild(const QWidget* dialog, int id)
{
    return dialog->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CDialogBuilder::MissingControl(const QWidget* dialog, int id, const char* className)
{
    qFatal("%s has no control %d of class %s: its dialog template lacks it",
           dialog->metaObject()->className(), id, className);
}
