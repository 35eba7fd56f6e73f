#pragma once

#include <QAbstractItemDelegate>
#include <QColor>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <optional>
#include <span>
#include <vector>

namespace kv {

struct GridColumn {
    enum class Editor { None, Combo, Text };
    const char* chinese;  // header text, Chinese (UTF-8)
    const char* english;  // header text, English
    int width;            // pixels
    Qt::Alignment alignment = Qt::AlignCenter;
    Editor editor = Editor::None;
};

// Multi-column list of texts for the band and effect lists. The list never
// writes a cell itself: editors report what the user chose or typed and the
// page decides what the row shows, so its clamping stays in one place.
class CGridListCtrlEx : public QTableView {
    Q_OBJECT

public:
    explicit CGridListCtrlEx(QWidget* parent = nullptr);
    ~CGridListCtrlEx() override;

    // Copies the table (texts included); rows keep their count and the texts of
    // the columns that remain; the drop-down items are cleared.
    void SetColumns(std::span<const GridColumn> columns);
    int ColumnCount() const;
    // 0 Chinese, 1 English; other values are ignored.
    void SetLanguage(int language);
    int Language() const;
    void SetRowCount(int rows);  // new rows are empty; negative counts are ignored
    int RowCount() const;
    void SetCellText(int row, int column, const QString& text);
    QString CellText(int row, int column) const;  // empty outside the list
    // The cell's tooltip: why the text typed into it was refused; empty clears it.
    void SetCellToolTip(int row, int column, const QString& tip);
    QString CellToolTip(int row, int column) const;
    void SetComboItems(int column, const QStringList& items);
    QStringList ComboItems(int column) const;
    void SetColors(const QColor& text, const QColor& background);
    QColor TextColor() const { return m_textColor; }
    QColor BackgroundColor() const { return m_backgroundColor; }
    int SelectedRow() const;         // -1 when none
    void SelectRowQuietly(int row);  // -1 clears; other rows outside the list are ignored
    // Opens the column's in-place editor on a cell, as a double click does; the
    // row becomes the selected one without rowSelected. Null for a cell outside
    // the list or in a column without editor.
    QWidget* EditCell(int row, int column);

    // A list that is not editable (the window is locked) opens no cell editor; rows can
    // still be selected and read. Turning it off drops an open editor without its text.
    void SetEditable(bool editable);
    bool Editable() const { return m_editable; }

    void keyboardSearch(const QString& search) override;

    using QTableView::edit;

Q_SIGNALS:
    // A text editor's text when the user pressed Enter or left the editor; the
    // cell is not changed.
    void cellEdited(int row, int column, const QString& text);
    // A drop-down choice (index into its items), as soon as it is chosen.
    void comboChosen(int row, int column, int index);
    void rowSelected(int row);  // the user selected a row

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    class Model;
    class Delegate;

    struct PendingEdit {
        QWidget* editor;
        int row;
        int column;
        QString text;
    };

    bool IsCell(int row, int column) const;
    GridColumn::Editor EditorOf(int column) const;
    void SelectQuietly(int row, int column);
    void OnComboChosen(QWidget* combo, const QModelIndex& index, int item);

    Model* m_model;
    std::vector<QStringList> m_comboItems;
    QColor m_textColor;
    QColor m_backgroundColor;
    bool m_editable = true;
    int m_quiet = 0;             // >0 while the list itself changes the selection
    QPointer<QWidget> m_editor;  // the open editor, if any
    QPersistentModelIndex m_editorIndex;
    std::optional<PendingEdit> m_pending;  // text committed, reported once the editor is closed
};

}  // namespace kv
