#pragma once
// The page of one loudspeaker output (MAIN, REAR, Center, SUB or TOP): how much of the
// direct microphones, reverb, echo and music goes into it, its surround volume, the mutes of
// all five outputs and its equaliser; on SUB the equaliser's first rows are crossovers set
// by alignment. One page serves every output and switches between them in place.

#include <QCheckBox>
#include <array>

#include "model/Fields.h"
#include "pages/CPageBase.h"

class QLabel;

namespace kv {

class CNavigationBar;
class CXBmpSlider;

class CDialogOutput : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kDialog = 385;
    static constexpr int kMixes = 4;  // direct, reverb, echo, music
    static constexpr int kOutputs = 5;

    CDialogOutput(PageContext& context, int outputType, QWidget* parent = nullptr);

    // The output types the page shows, and their fields.
    static bool IsOutputType(int type);
    static const fld::OutputFields& FieldsOf(int type);
    const fld::OutputFields& Output() const { return FieldsOf(Kind()); }

    CNavigationBar* Navigation() const { return m_nav; }
    CXBmpSlider* MixSlider(int i) const { return m_mix[static_cast<std::size_t>(i)]; }
    QLabel* MixValue(int i) const { return m_mixValue[static_cast<std::size_t>(i)]; }
    QLabel* MixCaption(int i) const { return m_mixCaption[static_cast<std::size_t>(i)]; }
    CXBmpSlider* SurroundSlider() const { return m_surround; }
    QLabel* SurroundValue() const { return m_surroundValue; }
    // Mute boxes in the order MAIN, REAR, Center, SUB, TOP.
    QCheckBox* MuteBox(int i) const { return m_mutes[static_cast<std::size_t>(i)]; }
    // What the output picture shows: "type/language".
    QString PictureKey() const;

protected:
    void OnKindChanged() override;
    void OnReload() override;
    void OnRelabel() override;

private:
    QWidget* BuildMixes();
    void AddRows();
    // The shown output's part of its settings' addresses.
    AddressNames OutNames() const;

    CEqEditor* m_editor = nullptr;
    CNavigationBar* m_nav = nullptr;
    QWidget* m_picture = nullptr;
    std::array<CXBmpSlider*, kMixes> m_mix{};
    std::array<QLabel*, kMixes> m_mixValue{};
    std::array<QLabel*, kMixes> m_mixCaption{};
    CXBmpSlider* m_surround = nullptr;
    QLabel* m_surroundValue = nullptr;
    QLabel* m_surroundCaption = nullptr;
    std::array<QCheckBox*, kOutputs> m_mutes{};
};

}  // namespace kv
