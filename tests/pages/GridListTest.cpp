#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <array>
#include <functional>
#include <memory>
#include <span>

#include "pages/CGridListCtrlEx.h"

using namespace kv;
using Editor = GridColumn::Editor;
using Calls = QList<QVariantList>;  // what a signal spy recorded
using Call = std::function<void(CGridListCtrlEx&)>;
Q_DECLARE_METATYPE(Call)

namespace {

constexpr std::array kBandColumns = {
    GridColumn{" ", " ", 30},
    GridColumn{"类型", "Type", 55, Qt::AlignCenter, Editor::Combo},
    GridColumn{"增益", "Gain", 60, Qt::AlignCenter, Editor::Text},
    GridColumn{"频率", "Freq", 60, Qt::AlignCenter, Editor::Text},
    GridColumn{"Q值", "Q", 50, Qt::AlignCenter, Editor::Text},
};
constexpr std::array kEffectColumns = {
    GridColumn{" ", " ", 50},
    GridColumn{"参数名", "Parameter name", 130, Qt::AlignLeft},
    GridColumn{"参数值", "Value", 80},
};
const QStringList kKinds = {"OFF", "PEQ", "LP", "HP", "LS", "HS"};

QString BandText(int row, int column) {
    return QStringList{QString::number(row + 1), "PEQ", "+0.0dB", "1000Hz", "1.41"}[column];
}

// The music page's band list: 15 rows of PEQ bands at +0.0 dB.
std::unique_ptr<CGridListCtrlEx> BandList() {
    auto list = std::make_unique<CGridListCtrlEx>();
    list->SetColumns(kBandColumns);
    list->SetComboItems(1, kKinds);
    list->SetRowCount(15);
    for (int r = 0; r < 15; ++r)
        for (int c = 0; c < 5; ++c) list->SetCellText(r, c, BandText(r, c));
    list->resize(400, 360);
    list->show();
    list->activateWindow();
    if (!QTest::qWaitForWindowActive(list.get())) qWarning("list window not active");
    return list;
}

double Luminance(const QColor& c) {
    const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// Released editors are hidden at once and deleted later.
bool Closed(QWidget* editor) { return !editor || editor->isHidden(); }

// The style may round a fill by a step.
bool Near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
           std::abs(a.blue() - b.blue()) <= 2;
}

void Key(QWidget* w, Qt::Key key) { QTest::keyClick(w, key); }

}  // namespace

class GridListTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression("QAbstractItemView|QItemSelectionModel|index")); }

    void headers_data() {
        QTest::addColumn<bool>("band");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("texts");  // Chinese|English
        QTest::addColumn<int>("width");
        QTest::newRow("band number") << true << 0 << QString(" | ") << 30;
        QTest::newRow("band type") << true << 1 << QString("类型|Type") << 55;
        QTest::newRow("band gain") << true << 2 << QString("增益|Gain") << 60;
        QTest::newRow("band freq") << true << 3 << QString("频率|Freq") << 60;
        QTest::newRow("band q") << true << 4 << QString("Q值|Q") << 50;
        QTest::newRow("effect number") << false << 0 << QString(" | ") << 50;
        QTest::newRow("effect name") << false << 1 << QString("参数名|Parameter name") << 130;
        QTest::newRow("effect value") << false << 2 << QString("参数值|Value") << 80;
    }
    void headers() {
        QFETCH(bool, band);
        QFETCH(int, column);
        QFETCH(QString, texts);
        QFETCH(int, width);
        const std::span<const GridColumn> table = band ? std::span<const GridColumn>(kBandColumns) : kEffectColumns;
        CGridListCtrlEx list;
        list.SetColumns(table);
        list.resize(600, 200);  // wider than the columns: the given widths still hold
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const auto header = [&] { return list.model()->headerData(column, Qt::Horizontal).toString(); };
        QCOMPARE(header(), texts.section('|', 0, 0));
        list.SetLanguage(1);
        QCOMPARE(header(), texts.section('|', 1));
        list.SetLanguage(7);
        QCOMPARE(header(), texts.section('|', 1));
        list.SetLanguage(0);
        QCOMPARE(header(), texts.section('|', 0, 0));
        QCOMPARE(list.horizontalHeader()->sectionSize(column), width);
        QFont large = list.font();  // a style's minimum section grows with the font
        large.setPixelSize(40);
        list.setFont(large);
        list.SetColumns(table);
        QCOMPARE(list.horizontalHeader()->sectionSize(column), width);
        QVERIFY(list.verticalHeader()->isHidden());
        QVERIFY(QFontMetrics(list.font()).inFont(QChar(0x589E)));  // 增
    }

    // Which editor opens, how, and what it starts with.
    void opening_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("key");  // 0: double click, -1: EditCell
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("item");  // the drop-down's preset item
        QTest::addColumn<QString>("kind");
        QTest::newRow("EditCell number") << 0 << -1 << "5" << 0 << "";
        QTest::newRow("EditCell type PEQ") << 1 << -1 << "PEQ" << 1 << "QComboBox";
        QTest::newRow("EditCell type unknown") << 1 << -1 << "BP" << -1 << "QComboBox";
        QTest::newRow("EditCell gain") << 2 << -1 << "+0.0dB" << 0 << "QLineEdit";
        QTest::newRow("double click type HS") << 1 << 0 << "HS" << 5 << "QComboBox";
        QTest::newRow("double click freq") << 3 << 0 << "1000Hz" << 0 << "QLineEdit";
        QTest::newRow("double click number") << 0 << 0 << "5" << 0 << "";
        QTest::newRow("F2 q") << 4 << int(Qt::Key_F2) << "1.41" << 0 << "QLineEdit";
        QTest::newRow("Return gain") << 2 << int(Qt::Key_Return) << "-3.0dB" << 0 << "QLineEdit";
        QTest::newRow("Enter type OFF") << 1 << int(Qt::Key_Enter) << "OFF" << 0 << "QComboBox";
        QTest::newRow("typing a row's number") << 0 << int(Qt::Key_9) << "5" << 0 << "";
        QTest::newRow("typing a digit in gain") << 2 << int(Qt::Key_5) << "+0.0dB" << 0 << "";
    }
    void opening() {
        QFETCH(int, column);
        QFETCH(int, key);
        QFETCH(QString, cell);
        QFETCH(int, item);
        QFETCH(QString, kind);
        auto list = BandList();
        list->SetCellText(4, column, cell);
        const QModelIndex where = list->model()->index(4, column);
        const QPoint at = list->visualRect(where).center();
        if (key == -1) {
            QWidget* opened = list->EditCell(4, column);
            QCOMPARE(opened, list->indexWidget(where));
        } else if (key == 0) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        } else {
            list->setCurrentIndex(where);
            QTest::keyClick(list.get(), Qt::Key(key));
        }
        QWidget* editor = list->indexWidget(where);
        QCOMPARE(editor ? QString(editor->metaObject()->className()) : QString(), kind);
        // Typing does not search for another row; a cell without editor ignores EditCell.
        QCOMPARE(list->SelectedRow(), key == -1 && kind.isEmpty() ? -1 : 4);
        QCOMPARE(list->CellText(4, column), cell);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) QCOMPARE(line->selectedText(), cell);
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            QCOMPARE(combo->count(), kKinds.size());
            QCOMPARE(combo->currentIndex(), item);
            QVERIFY(combo->view()->isVisible());  // the drop-down opens at once
        }
    }

    void textCommit_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("reported");
        QTest::newRow("Enter") << "enter" << QString("-4.5") << true;
        QTest::newRow("Return, empty text") << "return" << QString() << true;
        QTest::newRow("focus leaves") << "focus" << QString("250") << true;
        QTest::newRow("another cell edited") << "other" << QString("0.7") << true;
        QTest::newRow("row refreshed while typing") << "refresh" << QString("12000") << true;
        QTest::newRow("Escape") << "escape" << QString("9") << false;
    }
    void textCommit() {
        QFETCH(QString, how);
        QFETCH(QString, typed);
        QFETCH(bool, reported);
        auto list = BandList();
        QLineEdit elsewhere(list.get());  // a neighbour to take the focus
        elsewhere.show();
        QSignalSpy edited(list.get(), &CGridListCtrlEx::cellEdited);
        QPointer<QWidget> editor = list->EditCell(3, 2);
        QVERIFY(editor && editor->hasFocus());
        Key(editor, Qt::Key_Backspace);  // the text is selected: one key clears it
        QTest::keyClicks(editor, typed);
        if (how == "refresh") list->SetCellText(3, 2, "+1.0dB");
        if (how == "focus") elsewhere.setFocus();
        if (how == "other") QVERIFY(list->EditCell(3, 4));
        if (how == "escape") Key(editor, Qt::Key_Escape);
        if (how == "return") Key(editor, Qt::Key_Return);
        if (how == "enter" || how == "refresh") Key(editor, Qt::Key_Enter);
        QTRY_VERIFY(Closed(editor));
        QTest::qWait(20);
        const Calls expected = reported ? Calls{{3, 2, typed}} : Calls{};
        QCOMPARE(edited, expected);
        QCOMPARE(list->CellText(3, 2), how == "refresh" ? "+1.0dB" : "+0.0dB");
        QCOMPARE(list->indexWidget(list->model()->index(3, 4)) != nullptr, how == "other");
    }

    void comboChoice_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("index");  // -1: nothing chosen
        QTest::newRow("key down from PEQ") << "PEQ"
                                           << "keys" << 2;
        QTest::newRow("key down from LS") << "LS"
                                          << "keys" << 5;
        QTest::newRow("click HS") << "PEQ"
                                  << "click" << 5;
        QTest::newRow("click the same item") << "LS"
                                             << "click" << 4;
        QTest::newRow("Escape twice") << "PEQ"
                                      << "escape" << -1;
    }
    void comboChoice() {
        QFETCH(QString, cell);
        QFETCH(QString, how);
        QFETCH(int, index);
        auto list = BandList();
        list->SetCellText(11, 1, cell);
        QSignalSpy chosen(list.get(), &CGridListCtrlEx::comboChosen);
        QPointer<QComboBox> combo = qobject_cast<QComboBox*>(list->EditCell(11, 1));
        QVERIFY(combo && combo->view()->isVisible());
        QAbstractItemView* view = combo->view();
        if (how == "click") {
            QTest::qWait(QApplication::doubleClickInterval() + 50);  // the drop-down ignores the opening release
            const QRect item = view->visualRect(view->model()->index(index, 0));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(5, item.center().y()));
        } else {
            Key(view, Qt::Key_Down);
            Key(view, how == "keys" ? Qt::Key_Return : Qt::Key_Escape);
            if (how == "escape") {
                QTRY_VERIFY(!view->isVisible());
                Key(combo, Qt::Key_Escape);
            }
        }
        QTRY_VERIFY(Closed(combo));
        QTest::qWait(20);
        const Calls expected = index < 0 ? Calls{} : Calls{{11, 1, index}};
        QCOMPARE(chosen, expected);
        QCOMPARE(list->CellText(11, 1), cell);
    }

    // The page rebuilds the list in its slot, or shrinks it under an open editor.
    void listChangesAroundEditors() {
        auto list = BandList();
        QSignalSpy edited(list.get(), &CGridListCtrlEx::cellEdited);
        connect(list.get(), &CGridListCtrlEx::cellEdited, list.get(), [&list] { list->SetRowCount(0); });
        Key(list->EditCell(14, 3), Qt::Key_Enter);
        QTRY_COMPARE(edited.count(), 1);
        QCOMPARE(list->RowCount(), 0);
        list->SetRowCount(15);
        QPointer<QWidget> editor = list->EditCell(14, 3);
        list->SetRowCount(10);
        QVERIFY(Closed(editor));
        QTest::qWait(20);
        QCOMPARE(edited.count(), 1);  // dropped, not committed
    }

    void colors_data() {
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("background");
        QTest::newRow("music bands") << QColor(255, 200, 0) << QColor(20, 20, 20);
        QTest::newRow("CH A bands, effects") << QColor(0, 200, 255) << QColor(20, 20, 20);
        QTest::newRow("CH B bands") << QColor(0, 220, 0) << QColor(20, 20, 20);
    }
    void colors() {
        QFETCH(QColor, text);
        QFETCH(QColor, background);
        auto list = BandList();
        CGridListCtrlEx other;
        const QColor otherText = other.TextColor();
        list->SetColors(text, background);
        list->SelectRowQuietly(1);
        QCOMPARE(list->TextColor(), text);
        QCOMPARE(list->BackgroundColor(), background);
        QCOMPARE(other.TextColor(), otherText);
        QCOMPARE(list->palette().color(QPalette::Text), text);
        QCOMPARE(list->palette().color(QPalette::HighlightedText), text);
        const QColor highlight = list->palette().color(QPalette::Highlight);
        QVERIFY((Luminance(text) + 0.05) / (Luminance(highlight) + 0.05) >= 4.5);
        const QImage shot = list->viewport()->grab().toImage();
        const QRect selected = list->visualRect(list->model()->index(1, 0));
        QVERIFY(Near(shot.pixelColor(selected.left() + 2, selected.center().y()), highlight));
        QVERIFY(!Near(highlight, background));
        QVERIFY(Near(shot.pixelColor(shot.width() - 5, shot.height() - 5), background));  // right of the columns
    }

    void outOfRange_data() {
        QTest::addColumn<Call>("call");
        QTest::newRow("text row -1") << Call([](CGridListCtrlEx& l) { l.SetCellText(-1, 2, "x"); });
        QTest::newRow("text row 15") << Call([](CGridListCtrlEx& l) { l.SetCellText(15, 2, "x"); });
        QTest::newRow("text column 5") << Call([](CGridListCtrlEx& l) { l.SetCellText(3, 5, "x"); });
        QTest::newRow("read outside") << Call([](CGridListCtrlEx& l) { QVERIFY(l.CellText(15, 0).isNull()); });
        QTest::newRow("combo items column 7") << Call([](CGridListCtrlEx& l) { l.SetComboItems(7, {"a"}); });
        QTest::newRow("edit row 20") << Call([](CGridListCtrlEx& l) { QVERIFY(!l.EditCell(20, 2)); });
        QTest::newRow("edit column -3") << Call([](CGridListCtrlEx& l) { QVERIFY(!l.EditCell(0, -3)); });
        QTest::newRow("select row 15") << Call([](CGridListCtrlEx& l) { l.SelectRowQuietly(15); });
        QTest::newRow("negative row count") << Call([](CGridListCtrlEx& l) { l.SetRowCount(-4); });
        QTest::newRow("no columns") << Call([](CGridListCtrlEx&) {
            CGridListCtrlEx empty;
            empty.SetRowCount(3);
            empty.SetCellText(0, 0, "x");
            empty.SelectRowQuietly(0);
            QCOMPARE(empty.SelectedRow(), -1);
            QVERIFY(!empty.EditCell(0, 0));
        });
    }
    void outOfRange() {
        QFETCH(Call, call);
        auto list = BandList();
        list->SelectRowQuietly(3);
        QSignalSpy selected(list.get(), &CGridListCtrlEx::rowSelected);
        call(*list);
        QCOMPARE(list->RowCount(), 15);
        QCOMPARE(list->SelectedRow(), 3);
        QCOMPARE(list->ComboItems(1), kKinds);
        for (int r : {0, 3, 14}) QCOMPARE(list->CellText(r, 2), "+0.0dB");
        QCOMPARE(selected.count(), 0);
    }

    void selection_data() {
        QTest::addColumn<Call>("act");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("signals_");
        QTest::newRow("click") << Call([](CGridListCtrlEx& l) {
            QTest::mouseClick(l.viewport(), Qt::LeftButton, {}, l.visualRect(l.model()->index(5, 3)).center());
        }) << 5 << QList<int>{5};
        QTest::newRow("key down") << Call([](CGridListCtrlEx& l) { Key(&l, Qt::Key_Down); }) << 4 << QList<int>{4};
        QTest::newRow("quiet") << Call([](CGridListCtrlEx& l) { l.SelectRowQuietly(9); }) << 9 << QList<int>{};
        QTest::newRow("quiet clear") << Call([](CGridListCtrlEx& l) { l.SelectRowQuietly(-1); }) << -1 << QList<int>{};
        QTest::newRow("shrunk away") << Call([](CGridListCtrlEx& l) { l.SetRowCount(2); }) << -1 << QList<int>{};
        QTest::newRow("edit cell") << Call([](CGridListCtrlEx& l) { l.EditCell(7, 2); }) << 7 << QList<int>{};
    }
    void selection() {
        QFETCH(Call, act);
        QFETCH(int, row);
        QFETCH(QList<int>, signals_);
        auto list = BandList();
        list->SelectRowQuietly(3);
        QSignalSpy selected(list.get(), &CGridListCtrlEx::rowSelected);
        act(*list);
        QCOMPARE(list->SelectedRow(), row);
        QList<int> seen;
        for (const QVariantList& args : selected) seen << args.first().toInt();
        QCOMPARE(seen, signals_);
    }
};

QTEST_MAIN(GridListTest)
#include "GridListTest.moc"
