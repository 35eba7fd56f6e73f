#pragma once
// The speaker page's way to the alignment table: its button, and the table window while it is
// open, kept up to date with the page (positions moved, a reload, the lock, the language).

#include <QObject>
#include <QPointer>

#include "pages/CAlignDlg.h"

class QPushButton;

namespace kv {

class PageContext;

class AlignEntry : public QObject {
    Q_OBJECT
public:
    AlignEntry(PageContext& context, QWidget* page);

    QPushButton* Button() const { return m_button; }
    CAlignDlg* Window() const { return m_window; }
    void Open();
    // The table from the store again, when it is open.
    void Refresh();
    void SetLocked(bool locked);
    void Relabel();

private:
    PageContext& m_context;
    QWidget* m_page;
    QPushButton* m_button;
    QPointer<CAlignDlg> m_window;
};

}  // namespace kv
