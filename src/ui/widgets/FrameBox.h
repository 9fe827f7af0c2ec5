#pragma once

#include <QColor>
#include <QWidget>

// A frame around a group of controls: a white panel with a thin line in a configurable colour.
class FrameBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    explicit FrameBox(QWidget* parent = nullptr);

    QColor lineColor() const { return m_line; }
    void setLineColor(const QColor& color);
    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_line = QColor(236, 236, 236);
    QColor m_background = Qt::white;
};
