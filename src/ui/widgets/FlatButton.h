#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

// A flat button with its own text and background colour for the normal, hover and focus states,
// and optional pictures. A checkable button shows its hover picture while checked, which is how the
// check buttons show their ticked box. A picture sits left of the caption, the pair centred; on a
// button whose caption is one glyph (the title bar's "×" and "—") the picture replaces the glyph,
// centred.
class FlatButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    enum State { Normal, Hover, Focus, StateCount };

    explicit FlatButton(const QString& text = {}, QWidget* parent = nullptr);

    QColor textColor(State state = Normal) const { return m_text[state]; }
    void setTextColor(const QColor& color); // all three states
    void setTextColor(State state, const QColor& color);

    QColor backgroundColor(State state = Normal) const { return m_background[state]; }
    void setBackgroundColor(const QColor& color); // all three states
    void setBackgroundColor(State state, const QColor& color);

    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    QPixmap hoverPicture() const { return m_hoverPicture; }
    void setHoverPicture(const QPixmap& picture);

    void setCornerRadius(int radius);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    State currentState() const;

    QColor m_text[StateCount];
    QColor m_background[StateCount];
    QPixmap m_picture;
    QPixmap m_hoverPicture;
    bool m_hovered = false;
    int m_radius = 3;
};
