#pragma once
// The speakers' time alignment as a table: each speaker's distance to the listener, its delay
// now and the delay that makes every speaker's sound arrive together, with the delays the box
// cannot take reported. "Apply" sets the proposal through the delay settings, as the delay
// page's own edits do, and switches the aligned rows' delays on: one step of the history.

#include <QDialog>

#include "device/DelayAlignment.h"

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kv {

class PageContext;

class CAlignDlg : public QDialog {
    Q_OBJECT
public:
    enum Column { kSpeaker, kDistance, kDelayNow, kProposed, kNote, kColumns };

    explicit CAlignDlg(PageContext& context, QWidget* parent = nullptr);

    QTableWidget* Table() const { return m_table; }
    QDoubleSpinBox* Temperature() const { return m_temperature; }
    QPushButton* ApplyButton() const { return m_apply; }
    const DelayProposal& Proposal() const { return m_proposal; }

    // The table from the store again (positions or delays changed elsewhere), sending nothing.
    void Refresh();
    void Relabel();
    void Apply();

Q_SIGNALS:
    void applied();

private:
    PageContext& m_context;
    DelayProposal m_proposal;
    QTableWidget* m_table = nullptr;
    QDoubleSpinBox* m_temperature = nullptr;
    QLabel* m_temperatureCaption = nullptr;
    QLabel* m_speed = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace kv
