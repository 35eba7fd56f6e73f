#include "pages/CGridListCtrlEx.h"

#include <QAbstractItemView>
#include <QAbstractTableModel>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <algorithm>
#include <map>
#include <utility>

namespace kv {

namespace {

constexpr int kRowHeight = 20;
constexpr int kFontPixels = 12;
constexpr double kHighlightShare = 0.25;  // of the text colour in the selected row's fill
constexpr double kGridShare = 0.3;        // of the text colour in the grid lines
constexpr const char* kFilledProperty = "kvFilled";

QColor Blend(const QColor& over, const QColor& under, double share) {
    const auto mix = [share](int a, int b) { return static_cast<int>(a * share + b * (1.0 - share) + 0.5); };
    return QColor(mix(over.red(), under.red()), mix(over.green(), under.green()), mix(over.blue(), under.blue()));
}

// A scoped "the list is changing its own selection" mark.
class QuietScope {
public:
    explicit QuietScope(int& counter) : m_counter(counter) { ++m_counter; }
    ~QuietScope() { --m_counter; }
    QuietScope(const QuietScope&) = delete;
    QuietScope& operator=(const QuietScope&) = delete;

private:
    int& m_counter;
};

}  // namespace

// Texts only; it has no setData, so no editor can change a cell behind the page's back.
class CGridListCtrlEx::Model : public QAbstractTableModel {
public:
    struct Column {
        QString chinese;
        QString english;
        Qt::Alignment alignment;
        GridColumn::Editor editor;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        // The root (an invalid index) is asked too, and has no data.
        if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
        switch (role) {
            case Qt::DisplayRole:
                return m_rows[index.row()][index.column()];
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(Aligned(m_columns[index.column()].alignment));
            case Qt::ToolTipRole: {
                const auto tip = m_tips.find({index.row(), index.column()});
                return tip == m_tips.end() ? QVariant() : QVariant(tip->second);
            }
            default:
                return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
            return QAbstractTableModel::headerData(section, orientation, role);
        const Column& column = m_columns[section];
        if (role == Qt::DisplayRole) return m_language == 1 ? column.english : column.chinese;
        if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Aligned(column.alignment));
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)) return Qt::NoItemFlags;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (m_columns[index.column()].editor != GridColumn::Editor::None) flags |= Qt::ItemIsEditable;
        return flags;
    }

    void SetColumns(std::vector<Column> columns) {
        beginResetModel();
        m_columns = std::move(columns);
        m_tips.clear();
        for (QStringList& row : m_rows) Fit(row);
        endResetModel();
    }
    const std::vector<Column>& Columns() const { return m_columns; }

    void SetRowCount(int rows) {
        const int now = rowCount();
        if (rows > now) {
            beginInsertRows({}, now, rows - 1);
            m_rows.resize(rows);
            for (int r = now; r < rows; ++r) Fit(m_rows[r]);
            endInsertRows();
        } else if (rows < now) {
            beginRemoveRows({}, rows, now - 1);
            m_rows.resize(rows);
            m_tips.erase(m_tips.lower_bound({rows, 0}), m_tips.end());
            endRemoveRows();
        }
    }

    void SetText(int row, int column, const QString& text) {
        QString& cell = m_rows[row][column];
        if (cell == text) return;
        cell = text;
        const QModelIndex changed = index(row, column);
        Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole});
    }
    const QString& Text(int row, int column) const { return m_rows[row][column]; }

    void SetTip(int row, int column, const QString& tip) {
        const std::pair<int, int> cell{row, column};
        const auto it = m_tips.find(cell);
        if (it == m_tips.end() ? tip.isEmpty() : it->second == tip) return;
        if (tip.isEmpty())
            m_tips.erase(it);
        else
            m_tips[cell] = tip;
        const QModelIndex changed = index(row, column);
        Q_EMIT dataChanged(changed, changed, {Qt::ToolTipRole});
    }
    QString Tip(int row, int column) const {
        const auto it = m_tips.find({row, column});
        return it == m_tips.end() ? QString() : it->second;
    }

    void SetLanguage(int language) {
        if (language == m_language) return;
        m_language = language;
        if (columnCount() > 0) Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }
    int Language() const { return m_language; }

private:
    // A column that only names a horizontal alignment is centred vertically.
    static Qt::Alignment Aligned(Qt::Alignment alignment) {
        return (alignment & Qt::AlignVertical_Mask) ? alignment : alignment | Qt::AlignVCenter;
    }
    void Fit(QStringList& row) const {
        const qsizetype columns = static_cast<qsizetype>(m_columns.size());
        while (row.size() < columns) row.append(QString());
        row.resize(columns);
    }

    std::vector<Column> m_columns;
    std::vector<QStringList> m_rows;
    std::map<std::pair<int, int>, QString> m_tips;  // (row, column): why a typed text was refused
    int m_language = 0;
};

class CGridListCtrlEx::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(CGridListCtrlEx* list) : QStyledItemDelegate(list), m_list(list) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        QWidget* editor = nullptr;
        switch (m_list->EditorOf(index.column())) {
            case GridColumn::Editor::Combo: {
                auto* combo = new QComboBox(parent);
                combo->addItems(m_list->ComboItems(index.column()));
                const QPersistentModelIndex where(index);
                CGridListCtrlEx* list = m_list;
                connect(combo, &QComboBox::activated, list,
                        [list, combo, where](int item) { list->OnComboChosen(combo, where, item); });
                editor = combo;
                break;
            }
            case GridColumn::Editor::Text: {
                auto* line = new QLineEdit(parent);
                line->setFrame(false);
                editor = line;
                break;
            }
            case GridColumn::Editor::None:
                break;
        }
        if (editor) {
            editor->setFont(m_list->font());
            m_list->m_editor = editor;
            m_list->m_editorIndex = index;
        }
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        // The page may refresh the row while the user types; the typing wins.
        if (editor->property(kFilledProperty).toBool()) return;
        editor->setProperty(kFilledProperty, true);
        const QString text = index.data().toString();
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            combo->setCurrentIndex(combo->findText(text));
        } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setText(text);
            line->selectAll();
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        // A drop-down has already reported its choice; only typed text is left to hand on.
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            m_list->m_pending = PendingEdit{editor, index.row(), index.column(), line->text()};
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }

private:
    CGridListCtrlEx* m_list;
};

CGridListCtrlEx::CGridListCtrlEx(QWidget* parent) : QTableView(parent), m_model(new Model(this)) {
    QFont listFont;
    listFont.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun"),
                          QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    listFont.setPixelSize(kFontPixels);
    setFont(listFont);

    setModel(m_model);
    setItemDelegate(new Delegate(this));
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(DoubleClicked | EditKeyPressed);
    setTabKeyNavigation(false);  // Tab leaves the list, as in the page's other controls
    setWordWrap(false);
    setCornerButtonEnabled(false);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    // The style's minimum section follows the font's widest glyph and would widen the number column.
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);

    m_textColor = palette().color(QPalette::Text);
    m_backgroundColor = palette().color(QPalette::Base);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection&) {
                if (m_quiet > 0 || selected.isEmpty()) return;
                Q_EMIT rowSelected(selected.indexes().first().row());
            });
}

CGridListCtrlEx::~CGridListCtrlEx() = default;

void CGridListCtrlEx::SetColumns(std::span<const GridColumn> columns) {
    const QuietScope quiet(m_quiet);
    std::vector<Model::Column> copied;
    copied.reserve(columns.size());
    for (const GridColumn& c : columns)
        copied.push_back({QString::fromUtf8(c.chinese), QString::fromUtf8(c.english), c.alignment, c.editor});
    m_model->SetColumns(std::move(copied));
    m_comboItems.assign(columns.size(), QStringList());
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) setColumnWidth(c, std::max(0, columns[c].width));
}

int CGridListCtrlEx::ColumnCount() const { return m_model->columnCount(); }

void CGridListCtrlEx::SetLanguage(int language) {
    if (language == 0 || language == 1) m_model->SetLanguage(language);
}

int CGridListCtrlEx::Language() const { return m_model->Language(); }

void CGridListCtrlEx::SetRowCount(int rows) {
    if (rows < 0) return;
    const QuietScope quiet(m_quiet);
    if (rows < RowCount()) {
        // An editor on a row that goes away is dropped, not committed: the page removed the row.
        if (QWidget* open = m_editor.data(); open && !open->isHidden() && m_editorIndex.row() >= rows) {
            m_pending.reset();
            QTableView::closeEditor(open, QAbstractItemDelegate::RevertModelCache);
        }
        // Without this the view would move the selection to a neighbour the page never chose.
        if (SelectedRow() >= rows || currentIndex().row() >= rows) selectionModel()->clear();
    }
    m_model->SetRowCount(rows);
}

int CGridListCtrlEx::RowCount() const { return m_model->rowCount(); }

bool CGridListCtrlEx::IsCell(int row, int column) const {
    return row >= 0 && row < RowCount() && column >= 0 && column < ColumnCount();
}

GridColumn::Editor CGridListCtrlEx::EditorOf(int column) const {
    if (column < 0 || column >= ColumnCount()) return GridColumn::Editor::None;
    return m_model->Columns()[column].editor;
}

void CGridListCtrlEx::SetCellText(int row, int column, const QString& text) {
    if (IsCell(row, column)) m_model->SetText(row, column, text);
}

QString CGridListCtrlEx::CellText(int row, int column) const {
    return IsCell(row, column) ? m_model->Text(row, column) : QString();
}

void CGridListCtrlEx::SetCellToolTip(int row, int column, const QString& tip) {
    if (IsCell(row, column)) m_model->SetTip(row, column, tip);
}

QString CGridListCtrlEx::CellToolTip(int row, int column) const {
    return IsCell(row, column) ? m_model->Tip(row, column) : QString();
}

void CGridListCtrlEx::SetComboItems(int column, const QStringList& items) {
    if (column >= 0 && column < static_cast<int>(m_comboItems.size())) m_comboItems[column] = items;
}

QStringList CGridListCtrlEx::ComboItems(int column) const {
    if (column < 0 || column >= static_cast<int>(m_comboItems.size())) return {};
    return m_comboItems[column];
}

void CGridListCtrlEx::SetColors(const QColor& text, const QColor& background) {
    m_textColor = text;
    m_backgroundColor = background;
    QPalette colors = palette();
    colors.setColor(QPalette::Base, background);
    colors.setColor(QPalette::AlternateBase, background);
    colors.setColor(QPalette::Text, text);
    // The selected row keeps the list's text colour on a dimmed shade of it, so it stays readable.
    colors.setColor(QPalette::Highlight, Blend(text, background, kHighlightShare));
    colors.setColor(QPalette::HighlightedText, text);
    colors.setColor(QPalette::Mid, Blend(text, background, kGridShare));
    setPalette(colors);
    // A style sheet on the page would otherwise paint the empty part of the list in its own
    // colours; the list's own sheet keeps the whole view in the list's colours.
    const auto rgb = [](const QColor& c) {
        return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
    };
    setStyleSheet(
        QStringLiteral("QTableView { background-color: %1; color: %2; gridline-color: %3;"
                       " selection-background-color: %4; selection-color: %2; }")
            .arg(rgb(background), rgb(text), rgb(colors.color(QPalette::Mid)), rgb(colors.color(QPalette::Highlight))));
}

int CGridListCtrlEx::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CGridListCtrlEx::SelectQuietly(int row, int column) {
    const QuietScope quiet(m_quiet);
    const QModelIndex where = m_model->index(row, column);
    selectionModel()->setCurrentIndex(where, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(where);
}

void CGridListCtrlEx::SelectRowQuietly(int row) {
    if (row == -1) {
        const QuietScope quiet(m_quiet);
        selectionModel()->clear();
        return;
    }
    if (!IsCell(row, 0)) return;
    // Keep the column of the current cell so that F2 or Enter edits the same column.
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    SelectQuietly(row, column);
}

void CGridListCtrlEx::SetEditable(bool editable) {
    m_editable = editable;
    if (editable) return;
    if (QWidget* open = m_editor.data(); open && !open->isHidden()) {
        m_pending.reset();
        closeEditor(open, QAbstractItemDelegate::RevertModelCache);
    }
}

QWidget* CGridListCtrlEx::EditCell(int row, int column) {
    if (!m_editable || !IsCell(row, column) || EditorOf(column) == GridColumn::Editor::None) return nullptr;
    const QModelIndex where = m_model->index(row, column);
    if (QWidget* open = indexWidget(where)) return open;
    // Leaving an open editor for another cell counts as finishing it, as a click elsewhere does.
    // (A released editor is hidden and only waits for deletion.)
    if (QWidget* open = m_editor.data(); open && !open->isHidden()) {
        commitData(open);
        closeEditor(open, QAbstractItemDelegate::NoHint);
    }
    // Current first: moving the current cell closes the editors of the previous one.
    SelectQuietly(row, column);
    edit(where, AllEditTriggers, nullptr);
    return indexWidget(where);
}

bool CGridListCtrlEx::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!m_editable) return false;
    const bool handled = QTableView::edit(index, trigger, event);
    // One double click is enough to choose: the drop-down opens with the editor.
    if (handled && state() == EditingState) {
        auto* combo = qobject_cast<QComboBox*>(indexWidget(index));
        if (combo && combo->isVisible() && !combo->view()->isVisible()) combo->showPopup();
    }
    return handled;
}

void CGridListCtrlEx::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != EditingState && currentIndex().isValid() && edit(currentIndex(), EditKeyPressed, nullptr)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

// Typing would otherwise jump the selection to a row starting with the letter.
void CGridListCtrlEx::keyboardSearch(const QString&) {}

void CGridListCtrlEx::commitData(QWidget* editor) {
    m_pending.reset();
    QTableView::commitData(editor);
}

void CGridListCtrlEx::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Reported after the editor is gone, so the page may rewrite or rebuild the list in its slot.
    std::optional<PendingEdit> pending;
    if (m_pending && m_pending->editor == editor) pending = std::exchange(m_pending, std::nullopt);
    if (m_editor == editor) m_editor = nullptr;
    QTableView::closeEditor(editor, hint);
    if (pending) Q_EMIT cellEdited(pending->row, pending->column, pending->text);
}

void CGridListCtrlEx::OnComboChosen(QWidget* combo, const QModelIndex& index, int item) {
    if (!index.isValid()) return;  // the row went away while the drop-down was open
    const int row = index.row();
    const int column = index.column();
    closeEditor(combo, QAbstractItemDelegate::NoHint);
    Q_EMIT comboChosen(row, column, item);
}

}  // namespace kv
