#pragma once
// The look every page shares: a dark console-like surface that the equaliser panels and
// meters sit on, light text, and fonts that carry Chinese.

#include <QColor>
#include <QFont>

class QWidget;

namespace kv::style {

inline const QColor kPageBackground{36, 38, 42};
inline const QColor kPanelBackground{28, 30, 33};
inline const QColor kListBackground{20, 20, 20};
inline const QColor kText{220, 222, 226};
inline const QColor kDimText{150, 154, 160};
inline const QColor kAccent{0, 200, 255};

QFont TextFont(int pixelSize = 12);
QFont CaptionFont(int pixelSize = 13);
// Palette and style sheet of a page and everything on it.
void ApplyPageLook(QWidget* page);
// A framed area, as the pages group their controls.
QWidget* Section(QWidget* parent);

}  // namespace kv::style
