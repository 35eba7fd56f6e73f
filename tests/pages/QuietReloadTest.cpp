// Opening a page and refreshing it from the store sends nothing at all: not on opening, not
// after the store changed under it (a read-back, a mode load), not on a language switch or
// a change of kind. Only the user's own changes reach the box.

#include <QTest>

#include "PageFixture.h"
#include "device/EqTable.h"
#include "model/Fields.h"
#include "pages/CDialogMusic.h"
#include "pages/CPageBase.h"

namespace kv::test {

namespace {

struct Opened {
    const char* name;
    PageId id;
    int kind;
    int otherKind;  // the kind the page is switched to in place
};
const Opened kPages[] = {
    {"music", PageId::Music, CDialogMusic::kMusicCode, CDialogMusic::kMicBCode},
    {"mic A", PageId::Music, CDialogMusic::kMicACode, CDialogMusic::kMusicCode},
    {"reverb A", PageId::Effects, eqkind::kReverbA, eqkind::kEchoB},
    {"echo A", PageId::Effects, eqkind::kEchoA, eqkind::kReverbB},
    {"MAIN", PageId::Output, eqkind::kMain, eqkind::kSub},
    {"REAR", PageId::Output, eqkind::kRear, eqkind::kTop},
    {"SUB", PageId::Output, eqkind::kSub, eqkind::kCenter},
    {"compressor", PageId::Compressor, 0, 0},
    {"delay", PageId::Delay, 0, 0},
    {"speakers", PageId::SpeakerPosition, 0, 0},
};

// What a read-back or a mode load may leave in the store: values off the controls' steps,
// at their limits, a band stored at 0 Hz, the delays off.
void ChangeUnderThePage(ParameterStore& s) {
    s.SetInt(fld::kMicVolume, 99);
    s.SetFloat(fld::kMain.delayLeft(), 1.55f);
    s.SetInt(fld::kMain.delayOffLeft(), 1);
    s.SetFloat(fld::kRear.compRatio(), 0.0f);
    s.SetInt(fld::kRoomWidth, 3);
    s.WriteBand(EqInfoOf(EqId::Music).module, 1, BandDescriptor{2.0, 0, 1.414, 1});
}

}  // namespace

class QuietReloadTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nothingReachesTheBox_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("language");
        for (int i = 0; i < static_cast<int>(std::size(kPages)); ++i) {
            QTest::addRow("%s", kPages[i].name) << i << 0;
            QTest::addRow("%s, English", kPages[i].name) << i << 1;
        }
    }
    void nothingReachesTheBox() {
        QFETCH(int, index);
        QFETCH(int, language);
        const Opened& p = kPages[index];
        PageHost host(language);
        host.Clear();
        host.ShowPage(p.id, p.kind);
        QVERIFY(host.page);
        auto* page = qobject_cast<CPageBase*>(host.page.data());
        QVERIFY(page);
        const auto sent = [&] {
            host.core->link.Flush();
            return host.box->Transcript().size();
        };
        QCOMPARE(sent(), std::size_t(0));
        ChangeUnderThePage(host.core->store);
        page->Reload();
        QCOMPARE(sent(), std::size_t(0));
        host.SetLanguage(1 - language);
        host.SetLanguage(language);
        QCOMPARE(sent(), std::size_t(0));
        page->SetKind(p.otherKind);
        page->Reload();
        QCOMPARE(sent(), std::size_t(0));
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::QuietReloadTest)
#include "QuietReloadTest.moc"
