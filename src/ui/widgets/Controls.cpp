#include "ui/widgets/Controls.h"

#include "ui/widgets/FlatButton.h"
#include "ui/widgets/FrameBox.h"
#include "ui/widgets/PictureBox.h"

#include <QLabel>
#include <QLineEdit>

namespace controls {

QColor textColor(const QWidget* widget)
{
    if (auto* button = qobject_cast<const FlatButton*>(widget))
        return button->textColor();
    if (qobject_cast<const QLineEdit*>(widget))
        return widget->palette().color(QPalette::Text);
    return widget->palette().color(QPalette::WindowText);
}

void setTextColor(QWidget* widget, const QColor& color)
{
    if (auto* button = qobject_cast<FlatButton*>(widget)) {
        button->setTextColor(color);
        return;
    }
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QColor backgroundColor(const QWidget* widget)
{
    const QVariant property = widget->property("backgroundColor");
    if (property.isValid())
        return property.value<QColor>();
    return widget->palette().color(widget->backgroundRole());
}

void setBackgroundColor(QWidget* widget, const QColor& color)
{
    if (widget->property("backgroundColor").isValid()) {
        widget->setProperty("backgroundColor", color);
        return;
    }
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QString tag(const QWidget* widget)
{
    return widget->property("tag").toString();
}

void setTag(QWidget* widget, const QString& tag)
{
    widget->setProperty("tag", tag);
}

FlatButton* button(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* b = new FlatButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    return b;
}

FlatButton* checkButton(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    FlatButton* b = button(parent, name, text, geometry);
    b->setCheckable(true);
    return b;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    return l;
}

QLineEdit* edit(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setGeometry(geometry);
    return e;
}

PictureBox* picture(QWidget* parent, const QString& name, const QRect& geometry, const QColor& background)
{
    auto* p = new PictureBox(parent);
    p->setObjectName(name);
    p->setGeometry(geometry);
    p->setBackgroundColor(background);
    return p;
}

FrameBox* frame(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* f = new FrameBox(parent);
    f->setObjectName(name);
    f->setGeometry(geometry);
    return f;
}

} // namespace controls
