#pragma once
// Controls the small windows build the same way, each carrying its key in the language tables.

#include <QString>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace kv {

// A button that Enter never presses: the windows stay open on Enter.
QPushButton* WindowButton(const QString& text, int id, QWidget* parent);
// A titled group whose controls stand in one row (its layout is a QHBoxLayout).
QGroupBox* RowGroup(const QString& title, int id, QWidget* parent);
QLabel* IdLabel(const QString& text, int id, QWidget* parent);

}  // namespace kv
