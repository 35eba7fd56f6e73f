#pragma once
// Ribbon slider that moves by exactly one unit per click on its track and issues its
// command once for it; dragging the thumb issues at every change of position. Once
// focused it takes the arrow, page, Home and End keys as steps of its own, each issuing
// once, so they never reach the category tabs. Programmatic changes issue nothing.

#include <QSlider>

namespace kv {

class CMFCRibbonStepSlider : public QSlider {
    Q_OBJECT
public:
    explicit CMFCRibbonStepSlider(QWidget* parent = nullptr);

    // Moves by one unit and issues, as a wheel notch over the view does for each copy.
    void StepAndIssue(int delta);
    QRect HandleRect() const;

Q_SIGNALS:
    void issued(int value);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace kv
