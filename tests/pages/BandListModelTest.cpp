// The band list is a table model: checked by Qt's model tester while a page lives through what
// changes it (a kind switch with another band count, a filter import, typed cells, the language).

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QRegularExpression>

#include "EqEditing.h"
#include "PageFixture.h"
#include "pages/CEqEditor.h"
#include "pages/CGridListCtrlEx.h"

namespace kv::test {

class BandListModelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression("checkIndex|QAbstractItemModel")); }

    void bandListKeepsTheModelRules() {
        PageHost host;
        host.ShowPage(PageId::Output, eqkind::kMain);
        CGridListCtrlEx* list = host.page->Equaliser()->List();
        QAbstractItemModelTester tester(list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        const int mainRows = list->model()->rowCount();
        QVERIFY(mainRows > 0);

        // The same page switched to the centre output's band count and back.
        host.ShowPage(PageId::Output, eqkind::kCenter);
        QVERIFY(host.page->Equaliser()->List() == list);
        host.ShowPage(PageId::Output, eqkind::kMain);
        QCOMPARE(list->model()->rowCount(), mainRows);

        QString message;
        QVERIFY(
            host.page->Equaliser()->ImportFilters(QStringLiteral(KV_TEST_DATA_DIR "/room-correction.txt"), &message));
        QCOMPARE(list->CellText(0, 1), QStringLiteral("参量"));  // PEQ

        if (auto* edit = qobject_cast<QLineEdit*>(list->EditCell(1, 2))) {
            edit->setText(QStringLiteral("-2,5dB"));
            QTest::keyClick(edit, Qt::Key_Return);
        }
        host.SetLanguage(1);
        QCOMPARE(list->model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Type"));
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::BandListModelTest)
#include "BandListModelTest.moc"
