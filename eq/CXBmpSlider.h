#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace kv {

// Slider drawn from images; every press, drag step, arrow key and wheel notch is
// posted to the page, even when the position does not move.
class CXBmpSlider : public QWidget {
    Q_OBJECT

public:
    static constexpr int kChangedMessage = 0xBD1;
    static constexpr int kFocusedMessage = 0xBD2;

    struct Images {
        QPixmap channel;  // the empty groove
        QPixmap filled;   // the groove below the thumb
        QPixmap thumb;
        QPixmap thumbPressed;
    };

    CXBmpSlider(int id, Qt::Orientation orientation, QWidget* parent = nullptr);

    int Id() const { return m_id; }
    Qt::Orientation Orientation() const { return m_orientation; }
    void SetRange(int minimum, int maximum);
    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }
    void SetPosition(int position);  // no notification: the page set it
    int Position() const { return m_position; }
    void SetMargins(int margin);
    void SetBackground(const QColor& color);
    // Images to draw with; without them the slider draws its own.
    void SetImages(const Images& images);
    bool IsDragging() const { return m_dragging; }
    // Thumb rectangle in client pixels.
    QRect ThumbRect() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void changed(int id, int position);
    void focused(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QSize ThumbSize() const;
    double TravelStart() const;
    double TravelLength() const;
    int PositionAt(QPointF pos) const;
    void MoveBy(int step);
    void UserSetPosition(int position);
    void PostChanged();
    void BuildDefaultImages();

    int m_id;
    Qt::Orientation m_orientation;
    int m_minimum = 0;
    int m_maximum = 127;
    int m_position = 0;
    int m_margin = 4;
    bool m_dragging = false;
    bool m_ownImages = true;
    QColor m_background;
    Images m_images;
};

}  // namespace kv
