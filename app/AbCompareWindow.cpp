#include "app/AbCompareWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "device/SettingTable.h"
#include "ui/AbMemories.h"
#include "ui/StepName.h"
#include "ui/UiText.h"

namespace kv {

namespace {
constexpr int kNameColumn = 0;
constexpr int kAColumn = 1;
constexpr int kBColumn = 2;
constexpr int kColumns = 3;
}  // namespace

AbCompareWindow::AbCompareWindow(AbMemories& memories, std::function<int()> language, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_memories(memories), m_language(std::move(language)) {
    setObjectName(QStringLiteral("abWindow"));
    resize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("abSummary"));
    m_summary->setWordWrap(true);
    m_table = new QTableWidget(0, kColumns, this);
    m_table->setObjectName(QStringLiteral("abTable"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
    layout->addWidget(m_summary);
    layout->addWidget(m_table);
}

void AbCompareWindow::showEvent(QShowEvent* event) {
    Refresh();
    QWidget::showEvent(event);
}

void AbCompareWindow::Refresh() {
    const int language = m_language();
    const bool en = language == kLanguageEnglish;
    setWindowTitle(en ? QStringLiteral("A/B compare") : QStringLiteral("A/B 比较"));
    const auto heading = [&](int memory) {
        QString h = (en ? QStringLiteral("Memory %1") : QStringLiteral("记忆 %1")).arg(AbMemories::MemoryName(memory));
        if (m_memories.Active() == memory) h += en ? QStringLiteral(" (on show)") : QStringLiteral(" (当前)");
        return h;
    };
    m_table->setHorizontalHeaderLabels(
        {en ? QStringLiteral("Setting") : QStringLiteral("参数"), heading(AbMemories::kA), heading(AbMemories::kB)});
    const auto diffs = m_memories.Differences();
    const int count = m_memories.DifferingCount();
    m_table->setRowCount(static_cast<int>(diffs.size()));
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const SettingDifference& d = diffs[static_cast<std::size_t>(row)];
        const auto cell = [&](int column, const QString& text) {
            auto* item = new QTableWidgetItem(text);
            item->setToolTip(column == kNameColumn ? QString::fromStdString(d.setting->address) : text);
            m_table->setItem(row, column, item);
        };
        cell(kNameColumn, StepName(d.setting->address, language));
        cell(kAColumn, QString::fromStdString(FormatSetting(*d.setting, d.from)));
        cell(kBColumn, QString::fromStdString(FormatSetting(*d.setting, d.to)));
    }
    m_table->resizeColumnToContents(kAColumn);
    m_table->resizeColumnToContents(kBColumn);
    QString summary;
    if (count < 0) {
        const int empty =
            m_memories.Has(AbMemories::kA) || m_memories.Active() == AbMemories::kA ? AbMemories::kB : AbMemories::kA;
        summary = (en ? QStringLiteral("Memory %1 is empty: store the settings as %1 to compare.")
                      : QStringLiteral("记忆 %1 是空的: 把当前参数存为 %1 后即可比较。"))
                      .arg(AbMemories::MemoryName(empty));
    } else if (count == 0) {
        summary = en ? QStringLiteral("A and B are the same.") : QStringLiteral("A 与 B 相同。");
    } else {
        summary =
            (en ? QStringLiteral("%1 settings differ. F9 switches.") : QStringLiteral("%1 项参数不同。按 F9 切换。"))
                .arg(count);
    }
    m_summary->setText(summary);
}

}  // namespace kv
