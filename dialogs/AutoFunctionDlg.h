#pragma once
// The shared body of the two automatic-function windows: a switch, a caption, a slider
// with its value text and a description line. The switch enables the other three. The
// window is modeless, ignores Enter and is destroyed when closed.

#include <QDialog>

#include "ui/BindHost.h"

class QCheckBox;
class QLabel;

namespace kv {

class AuxContext;
class CXBmpSlider;

class AutoFunctionDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSwitchId = 1045;
    static constexpr int kCaptionId = 1123;
    static constexpr int kSliderId = 1000;
    static constexpr int kValueId = 1127;
    static constexpr int kDescriptionId = 1005;

    // Check state, enable states, slider and value text from the store; then the texts of
    // the dialog's language table.
    void Refresh();
    // Locked: the switch and slider look unusable; the binder refuses them anyway.
    void ApplyLock();

    QCheckBox* Switch() const { return m_switch; }
    QLabel* Caption() const { return m_caption; }
    CXBmpSlider* Slider() const { return m_slider; }
    QLabel* Value() const { return m_value; }
    QLabel* Description() const { return m_description; }
    int DialogId() const { return m_dialogId; }

protected:
    struct Texts {
        const char* titleZh;
        const char* titleEn;
        const char* captionZh;
        const char* captionEn;
        const char* descriptionZh;
        const char* descriptionEn;
    };
    AutoFunctionDlg(AuxContext& context, int dialogId, const Texts& texts, QWidget* parent);
    // Rows of the switch and of the slider; called once by the subclass's constructor.
    void Bind(BindRow switchRow, BindRow sliderRow);
    // Whether the controls may change anything; the switch's state otherwise.
    virtual bool Available() { return true; }
    AuxContext& Context() { return m_context; }

    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void UpdateEnables();

    AuxContext& m_context;
    int m_dialogId;
    Texts m_texts;
    BindHost m_host;
    QCheckBox* m_switch = nullptr;
    QLabel* m_caption = nullptr;
    CXBmpSlider* m_slider = nullptr;
    QLabel* m_value = nullptr;
    QLabel* m_description = nullptr;
};

}  // namespace kv
