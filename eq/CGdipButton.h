#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QPixmap>
#include <array>

namespace kv {

// Button drawn from a standard and an alternate image, with a hover look, a
// tooltip and a pressed state the page latches (the page on show).
class CGdipButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit CGdipButton(QWidget* parent = nullptr);

    void SetImages(const QImage& standard, const QImage& alternate = {});
    void SetToolTipText(const QString& text);
    QString ToolTipText() const { return m_toolTip; }
    void SetLatched(bool latched);
    bool IsLatched() const { return m_latched; }
    bool IsHovered() const { return m_hover; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    enum Look { kNormal, kHover, kPressed, kLookCount };
    const QPixmap& LookPixmap(Look look);
    void InvalidateLooks();

    QImage m_standard;
    QImage m_alternate;
    QString m_toolTip;
    bool m_latched = false;
    bool m_hover = false;
    QFont m_captionFont;
    std::array<QPixmap, kLookCount> m_looks;
    QString m_lookText;  // the caption the looks were drawn with
};

}  // namespace kv
