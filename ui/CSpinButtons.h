#pragma once
// A pair of arrow buttons beside an edit box, holding a position in a range. A press reports
// its direction; the page decides what the step means and sets the position back.

#include <QWidget>

class QToolButton;

namespace kv {

class CSpinButtons : public QWidget {
    Q_OBJECT
public:
    explicit CSpinButtons(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    int Minimum() const { return m_min; }
    int Maximum() const { return m_max; }
    // Kept within the range.
    void SetPosition(int position);
    int Position() const { return m_position; }
    QToolButton* Up() const { return m_up; }
    QToolButton* Down() const { return m_down; }

Q_SIGNALS:
    // +1 for up, -1 for down.
    void stepped(int delta);

private:
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};

}  // namespace kv
