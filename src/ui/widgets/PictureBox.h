#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A picture box: a plain coloured area with an optional picture. A box marked as a dragging surface
// moves its window when the left button is pressed on it, as a caption bar would.
class PictureBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    explicit PictureBox(QWidget* parent = nullptr);

    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor& color);
    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    void setDragsWindow(bool drags) { m_dragsWindow = drags; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor m_background = Qt::transparent;
    QPixmap m_picture;
    bool m_dragsWindow = false;
    bool m_manualDrag = false;
    QPoint m_dragOffset;
};

// Starts moving `window` with the mouse, as a drag of a normal caption bar would. Returns false when
// the windowing system cannot move it; the caller then moves the window itself.
bool dragWindow(QWidget* window);
