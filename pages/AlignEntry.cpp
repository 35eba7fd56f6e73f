#include "pages/AlignEntry.h"

#include <QPushButton>

#include "ui/PageContext.h"
#include "ui/WindowLook.h"

namespace kv {

AlignEntry::AlignEntry(PageContext& context, QWidget* page)
    : QObject(page), m_context(context), m_page(page), m_button(new QPushButton(QStringLiteral("对齐延时"), page)) {
    m_button->setObjectName(QStringLiteral("alignButton"));
    connect(m_button, &QPushButton::clicked, this, &AlignEntry::Open);
}

void AlignEntry::Open() {
    if (!m_window) {
        m_window = new CAlignDlg(m_context, m_page);
        m_window->setWindowFlag(Qt::Window);
        MakeModeless(*m_window);
    }
    m_window->Refresh();
    m_window->ApplyButton()->setEnabled(!m_context.Locked());
    m_window->show();
    m_window->raise();
}

void AlignEntry::Refresh() {
    if (m_window) m_window->Refresh();
}

void AlignEntry::SetLocked(bool locked) {
    if (m_window) m_window->ApplyButton()->setEnabled(!locked);
}

void AlignEntry::Relabel() {
    m_button->setText(m_context.Text("对齐延时", "Align delays"));
    if (m_window) m_window->Relabel();
}

}  // namespace kv
