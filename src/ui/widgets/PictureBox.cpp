#include "ui/widgets/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

bool dragWindow(QWidget* window)
{
    if (!window || !window->windowHandle())
        return false;
    return window->windowHandle()->startSystemMove();
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::setBackgroundColor(const QColor& color)
{
    m_background = color;
    update();
}

void PictureBox::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_background.alpha() > 0)
        painter.fillRect(rect(), m_background);
    if (!m_picture.isNull()) {
        const QSizeF size = m_picture.deviceIndependentSize();
        painter.drawPixmap(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), m_picture);
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragsWindow) {
        // Without a window manager (or under the offscreen platform) a system move is refused; the
        // box then follows the mouse itself.
        m_manualDrag = !dragWindow(window());
        m_dragOffset = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
    }
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    if (m_manualDrag && (event->buttons() & Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - m_dragOffset);
    QWidget::mouseMoveEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    m_manualDrag = false;
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}
