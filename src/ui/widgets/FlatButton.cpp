#include "ui/widgets/FlatButton.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// One visible character, such as the title bar's "×" and "—". A picture on such a button is the
// drawn form of that glyph, so it takes the glyph's place instead of standing beside it: drawn
// beside it, the pair is wider than the 34-pixel button and the glyph was pushed out and clipped.
bool isGlyph(const QString& text)
{
    return text.size() == 1 || (text.size() == 2 && text[0].isHighSurrogate());
}

} // namespace

FlatButton::FlatButton(const QString& text, QWidget* parent) : QAbstractButton(parent)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    for (int s = 0; s < StateCount; ++s) {
        m_text[s] = QColor(47, 47, 47);
        m_background[s] = Qt::transparent;
    }
}

void FlatButton::setTextColor(const QColor& color)
{
    for (auto& c : m_text)
        c = color;
    update();
}

void FlatButton::setTextColor(State state, const QColor& color)
{
    m_text[state] = color;
    update();
}

void FlatButton::setBackgroundColor(const QColor& color)
{
    for (auto& c : m_background)
        c = color;
    update();
}

void FlatButton::setBackgroundColor(State state, const QColor& color)
{
    m_background[state] = color;
    update();
}

void FlatButton::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

void FlatButton::setHoverPicture(const QPixmap& picture)
{
    m_hoverPicture = picture;
    update();
}

void FlatButton::setCornerRadius(int radius)
{
    m_radius = radius;
    update();
}

QSize FlatButton::sizeHint() const
{
    const QSize textSize = fontMetrics().size(Qt::TextSingleLine, text());
    const int pictureWidth =
        m_picture.isNull() || isGlyph(text()) ? 0 : m_picture.width() / m_picture.devicePixelRatio() + 6;
    return {textSize.width() + pictureWidth + 20, qMax(textSize.height() + 12, 30)};
}

FlatButton::State FlatButton::currentState() const
{
    if (m_hovered || isDown())
        return Hover;
    if (hasFocus())
        return Focus;
    return Normal;
}

void FlatButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const State state = currentState();
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    QColor background = m_background[state];
    if (!isEnabled())
        background.setAlphaF(background.alphaF() * 0.5);
    if (background.alpha() > 0) {
        QPainterPath path;
        path.addRoundedRect(area, m_radius, m_radius);
        painter.fillPath(path, background);
        if (isDown())
            painter.fillPath(path, QColor(0, 0, 0, 25));
    }

    const bool showHoverPicture =
        !m_hoverPicture.isNull() && (state == Hover || (isCheckable() && isChecked()));
    const QPixmap& picture = showHoverPicture ? m_hoverPicture : m_picture;
    QColor textColor = m_text[state];
    if (!isEnabled())
        textColor.setAlphaF(0.45);
    painter.setPen(textColor);
    painter.setFont(font());

    if (picture.isNull()) {
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
        return;
    }
    const QSizeF pictureSize = picture.deviceIndependentSize();
    if (text().isEmpty() || isGlyph(text())) {
        const QPointF topLeft((width() - pictureSize.width()) / 2, (height() - pictureSize.height()) / 2);
        painter.drawPixmap(topLeft, picture);
        return;
    }
    // Picture on the left, text beside it, the pair centred as a group.
    const int gap = 8;
    const int textWidth = fontMetrics().horizontalAdvance(text());
    const qreal groupWidth = pictureSize.width() + gap + textWidth;
    const qreal left = qMax<qreal>(6, (width() - groupWidth) / 2);
    painter.drawPixmap(QPointF(left, (height() - pictureSize.height()) / 2), picture);
    const QRectF textRect(left + pictureSize.width() + gap, 0, width() - left - pictureSize.width() - gap,
                          height());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text());
}

void FlatButton::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void FlatButton::leaveEvent(QEvent* event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}
