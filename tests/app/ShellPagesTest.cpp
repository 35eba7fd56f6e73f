// The hosted pages inside the real frame: the status bar's equaliser commands act on the page
// on show, the ribbon's categories and the pages' own buttons replace or switch it, and the
// language toggle reaches it.

#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>

#include "eq/CEqPanel.h"
#include "eq/CGdipButton.h"
#include "eq/CSmallEqPanel.h"
#include "pages/CDialogEfx.h"
#include "pages/CDialogMusic.h"
#include "pages/CDialogOutput.h"
#include "pages/CEqEditor.h"
#include "pages/CGridListCtrlEx.h"
#include "pages/CNavigationBar.h"
#include "tests/app/ShellFixture.h"
#include "tests/app/ShellTests.h"

namespace kv::test {

namespace {
Report BypassWrite(int module, int parameter, int v) {
    const ParamValue value = ParamValue::FromInt(v);
    return BuildParamWrite(module, parameter, std::span(&value, 1));
}
}  // namespace

void ShellPagesTest::init() {
    m_settingsDir = std::make_unique<QTemporaryDir>();
    IsolateSettings(*m_settingsDir);
}

void ShellPagesTest::statusBarEqCommands_data() {
    QTest::addColumn<int>("page");  // 0 input page, 1 effects page
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("parameter");
    QTest::addColumn<int>("bands");
    QTest::newRow("music") << 0 << 0 << 89 << 4 << 20 << 15;
    QTest::newRow("mic CH A") << 0 << 1 << 31 << 1 << 37 << 15;
    QTest::newRow("mic CH B") << 0 << 8 << 39 << 1 << 50 << 15;
    QTest::newRow("CH A reverb") << 1 << 6 << 72 << 3 << 14 << 7;
    QTest::newRow("CH A echo") << 1 << 7 << 56 << 2 << 14 << 7;
    QTest::newRow("CH B reverb") << 1 << 9 << 77 << 3 << 20 << 7;
    QTest::newRow("CH B echo") << 1 << 10 << 63 << 2 << 21 << 7;
}

void ShellPagesTest::statusBarEqCommands() {
    QFETCH(int, page);
    QFETCH(int, kind);
    QFETCH(int, field);
    QFETCH(int, module);
    QFETCH(int, parameter);
    QFETCH(int, bands);
    Shell shell;
    shell.View()->ShowPage(page ? PageId::Effects : PageId::Music, kind);
    CPageBase* hosted = shell.View()->Page();
    QVERIFY(hosted && hosted->Kind() == kind);
    QVERIFY(shell.Status()->Bypass()->isEnabled());
    QVERIFY(!shell.Status()->Bypass()->isChecked());

    shell.Delivered().ClearTranscript();
    shell.Status()->Bypass()->click();
    QCOMPARE(shell.Store().Int(field), 1);
    QVERIFY(shell.Status()->Bypass()->isChecked());
    QVERIFY(hosted->Equaliser()->Panel()->Bypass());
    shell.Settle();
    shell.Status()->Bypass()->click();
    QCOMPARE(shell.Store().Int(field), 0);
    QVERIFY(!hosted->Equaliser()->Panel()->Bypass());
    const std::vector<Report> expected{BypassWrite(module, parameter, 1), BypassWrite(module, parameter, 0)};
    QVERIFY(shell.Delivered().Received(cmd::kParamWrite) == expected);

    // A band moved away from its default, then the reset: refused first, then confirmed.
    hosted->Equaliser()->Panel()->SetGain(0, 6.0);
    hosted->Equaliser()->Panel()->SetSelectedBand(0);
    Q_EMIT hosted->Equaliser()->Panel()->bandChanged(0);
    QVERIFY(hosted->Equaliser()->SelectedBand() == 0);
    shell.Delivered().ClearTranscript();
    shell.prompts->answers = {UiPrompts::Answer::No};
    shell.Status()->ResetEq()->click();
    QVERIFY(shell.Delivered().Received(cmd::kMemoryWrite).empty());
    shell.prompts->answers = {UiPrompts::Answer::Yes};
    shell.Status()->ResetEq()->click();
    QCOMPARE(static_cast<int>(shell.Delivered().Received(cmd::kMemoryWrite).size()), bands);
    QCOMPARE(hosted->Equaliser()->SelectedBand(), -1);
    QCOMPARE(hosted->Equaliser()->Panel()->Band(0).gain, 0.0f);
    QVERIFY(hosted->Equaliser()->Stack()->currentWidget() == static_cast<QWidget*>(hosted->Equaliser()->List()));
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellPagesTest::pagesReplaceAndSwitch() {
    Shell shell;
    auto* music = qobject_cast<CDialogMusic*>(shell.View()->Page());
    QVERIFY(music);
    QCOMPARE(music->Kind(), 0);
    // The page buttons switch the code in place.
    QTest::mouseClick(music->PageButton(CDialogMusic::kMicBCode), Qt::LeftButton);
    QCOMPARE(shell.View()->Page(), music);
    QCOMPARE(music->Kind(), CDialogMusic::kMicBCode);
    QVERIFY(music->PageButton(CDialogMusic::kMicBCode)->IsLatched());
    QVERIFY(!music->PageButton(CDialogMusic::kMusicCode)->IsLatched());

    // The echo curve opens the effects page, which replaces the input page later.
    QPointer<CDialogMusic> old = music;
    QTest::mouseClick(music->EchoCurve(), Qt::LeftButton, {}, QPoint(20, 20));
    auto* effects = qobject_cast<CDialogEfx*>(shell.View()->Page());
    QVERIFY(effects);
    QCOMPARE(effects->Kind(), 10);
    QVERIFY(QTest::qWaitFor([&] { return old.isNull(); }, kWaitMs));
    QCOMPARE(shell.View()->Page()->geometry(), shell.View()->PageRect());

    // Back to the input page it came from, still CH B.
    QTest::mouseClick(effects->BackButton(), Qt::LeftButton);
    music = qobject_cast<CDialogMusic*>(shell.View()->Page());
    QVERIFY(music);
    QCOMPARE(music->Kind(), CDialogMusic::kMicBCode);

    // The Output category opens the output page with the remembered type (MAIN at first);
    // a navigation button switches it in place and is remembered.
    shell.Ribbon()->SetActiveCategory(kCategoryOutput);
    auto* output = qobject_cast<CDialogOutput*>(shell.View()->Page());
    QVERIFY(output);
    QCOMPARE(output->Kind(), 5);
    QTest::mouseClick(output->Navigation()->Button(3), Qt::LeftButton);
    QCOMPARE(shell.View()->Page(), output);
    QCOMPARE(output->Kind(), 2);

    // Input brings back the input page of the last channel, Output the SUB page.
    shell.Ribbon()->SetActiveCategory(kCategoryInput);
    music = qobject_cast<CDialogMusic*>(shell.View()->Page());
    QVERIFY(music);
    QCOMPARE(music->Kind(), CDialogMusic::kMicBCode);
    shell.Ribbon()->SetActiveCategory(kCategoryOutput);
    output = qobject_cast<CDialogOutput*>(shell.View()->Page());
    QVERIFY(output);
    QCOMPARE(output->Kind(), 2);
    QVERIFY(shell.Delivered().Violations().empty());
}

void ShellPagesTest::languageReachesThePage() {
    Shell shell;
    auto* music = qobject_cast<CDialogMusic*>(shell.View()->Page());
    QVERIFY(music);
    QCOMPARE(music->Route(0, 0)->text(), QStringLiteral("通道A"));
    QTest::mouseClick(shell.Ribbon()->Button(RibbonButton::Language), Qt::LeftButton);
    QCOMPARE(music->Route(0, 0)->text(), QStringLiteral("CH A"));
    QCOMPARE(music->Route(3, 1)->text(), QStringLiteral("CH B"));
    QCOMPARE(music->Equaliser()->TypeButton(0)->text(), QStringLiteral("PEQ"));
    QCOMPARE(music->Equaliser()->Panel()->Language(), 1);
    QTest::mouseClick(shell.Ribbon()->Button(RibbonButton::Language), Qt::LeftButton);
    QCOMPARE(music->Route(0, 0)->text(), QStringLiteral("通道A"));
    QCOMPARE(music->Equaliser()->TypeButton(1)->text(), QStringLiteral("低通"));
}

}  // namespace kv::test
