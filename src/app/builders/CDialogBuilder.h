// Lays a dialog out from its template in the resource script: the widget
// gets the template's font, caption and size, and one child for each
// control, in the template's order (which is the tab order and the
// stacking order: later controls lie on top), placed in dialog units. A
// control with an id is named after it; a dialog that wants a control of a
// class of its own asks for it by id before building.
#pragma once

#include "platform/resources/CResourceScript.h"

#include <QFont>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

class QLabel;

class CDialogBuilder {
public:
    using Maker = std::function<QWidget*(QWidget* parent)>;

    // A closed drop-down combo box is as high as an edit field; the
    // template's height is that of the box with its list dropped down.
    static constexpr int kComboFieldHeight = 12;

    // The dialog of the program's resource script.
    explicit CDialogBuilder(UINT dialogId);
    // A template of the caller's, which must outlive the builder.
    explicit CDialogBuilder(const DialogResource& resource);

    // The template's font (the program's dialog font when it names none),
    // drawn by an installed stand-in where its face is missing.
    QFont Font() const;

    // The control with the id is made by maker instead of the class its
    // statement declares.
    void Use(int id, Maker maker);
    template <typename W> void Use(int id)
    {
        Use(id, [](QWidget* parent) { return new W(parent); });
    }

    // Builds the dialog on widget.
    void Build(QWidget* widget);

    // The controls made, in the template's order.
    const std::vector<QWidget*>& Widgets() const { return widgets_; }
    // The first control of a kind, nullptr without one.
    QWidget* First(DialogControlResource::Kind kind) const;
    // The label of the template's first icon. A template without one gets a
    // hidden label on the widget, so the dialog keeps its picture unseen.
    QLabel* Icon(QWidget* widget) const;

    // The control with the id among the dialog's own children. A dialog
    // cannot work without the controls it asks for: a template that lacks
    // one (or has one of another class) stops the program, naming it.
    template <typename W> static W* Find(const QWidget* dialog, int id)
    {
        auto* widget = qobject_cast<W*>(FindChild(dialog, id));
        if (!widget)
            MissingControl(dialog, id, W::staticMetaObject.className());
        return widget;
    }

private:
    static QWidget* FindChild(const QWidget* dialog, int id);
    [[noreturn]] static void MissingControl(const QWidget* dialog, int id, const char* className);
    QWidget* Make(const DialogControlResource& control, QWidget* parent) const;

    const DialogResource& resource_;
    std::map<int, Maker> makers_;
    std::vector<QWidget*> widgets_;
};
