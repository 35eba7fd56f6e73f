#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <array>

#include "eq/DelayGeometry.h"

namespace kv {

// The eight delays as handles on a time axis; a handle dragged along its row sets its delay.
class CDelayPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRows = eq::DelayGeometry::kRows;
    // While read-only (the window is locked) the panel shows its values but takes no edit.
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return m_readOnly; }
    static constexpr int kHandleSize = 11;

    explicit CDelayPanel(QWidget* parent = nullptr);

    // Clamped to 1.5 .. 100 ms.
    void SetValue(int row, double ms);
    double Value(int row) const { return m_values[static_cast<std::size_t>(row)]; }
    void SetNames(const QStringList& names);
    int DraggedRow() const { return m_dragged; }
    eq::DelayGeometry Geometry() const;
    // The pointer position that sits on a row's handle (tests and benchmarks).
    QPointF HandleCentre(int row) const;
    static QColor RowColor(int row);

Q_SIGNALS:
    void delayDragged(int row, double ms);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void DrawBackground();

    std::array<double, kRows> m_values{};
    QStringList m_names;
    int m_dragged = -1;
    QFont m_font;
    QPixmap m_background;
    bool m_readOnly = false;
};

}  // namespace kv
