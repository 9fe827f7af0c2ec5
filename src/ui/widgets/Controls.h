#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QVariant>

class QLabel;
class QLineEdit;
class QWidget;
class FlatButton;
class FrameBox;
class PictureBox;

// Small helpers that create named controls and read or set their colours, whatever their kind.
// Every control the behaviour refers to is found by its objectName.
namespace controls {

// Text colour: a FlatButton's normal-state colour, otherwise the palette's text colour.
QColor textColor(const QWidget* widget);
void setTextColor(QWidget* widget, const QColor& color);
// Background colour: the widget's backgroundColor property when it has one, else the palette's.
QColor backgroundColor(const QWidget* widget);
void setBackgroundColor(QWidget* widget, const QColor& color);

// The "tag" text of a control (a dynamic property).
QString tag(const QWidget* widget);
void setTag(QWidget* widget, const QString& tag);

FlatButton* button(QWidget* parent, const QString& name, const QString& text, const QRect& geometry);
FlatButton* checkButton(QWidget* parent, const QString& name, const QString& text, const QRect& geometry);
QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& geometry);
QLineEdit* edit(QWidget* parent, const QString& name, const QString& text, const QRect& geometry);
PictureBox* picture(QWidget* parent, const QString& name, const QRect& geometry,
                    const QColor& background = Qt::transparent);
FrameBox* frame(QWidget* parent, const QString& name, const QRect& geometry);

// The child of `root` with this objectName, of type T, or nullptr.
template <typename T> T* find(QWidget* root, const QString& name);

// The child that must exist: a missing control is a fault in how the window was put together, so it
// ends the program at once with the name, in every build type.
template <typename T> T* require(QWidget* root, const QString& name);

} // namespace controls

#include <QWidget>

template <typename T> T* controls::find(QWidget* root, const QString& name)
{
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        if (auto* self = qobject_cast<T*>(root))
            return self;
    return root->findChild<T*>(name);
}

template <typename T> T* controls::require(QWidget* root, const QString& name)
{
    T* found = find<T>(root, name);
    if (!found)
        qFatal("control %s is missing or of the wrong kind", qPrintable(name));
    return found;
}
