#include "ui/WindowParts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/UiText.h"

namespace kv {

QPushButton* WindowButton(const QString& text, int id, QWidget* parent) {
    auto* b = WithId(new QPushButton(text, parent), id);
    b->setAutoDefault(false);
    return b;
}

QGroupBox* RowGroup(const QString& title, int id, QWidget* parent) {
    auto* g = WithId(new QGroupBox(title, parent), id);
    new QHBoxLayout(g);
    return g;
}

QLabel* IdLabel(const QString& text, int id, QWidget* parent) { return WithId(new QLabel(text, parent), id); }

}  // namespace kv
