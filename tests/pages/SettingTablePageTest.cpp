// A setting set by address sends exactly what its page control sends for the same change:
// for each row, one host drives the real page widget and another applies the address through
// the setting table, both over their own in-process simulated box from the same store.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <functional>

#include "EqEditing.h"
#include "PageFixture.h"
#include "device/EqBands.h"
#include "device/SettingTable.h"
#include "eq/Crossover.h"
#include "pages/CCompDlg.h"
#include "pages/CDelayDlg.h"
#include "pages/CDialogMusic.h"
#include "pages/CDialogOutput.h"
#include "pages/CSSVCDlg.h"

namespace kv::test {

namespace {

struct Case {
    const char* name;
    PageId page;
    int kind;
    std::function<void(PageHost&)> drive;  // the user's change on the page
    std::vector<std::string> items;        // the same change by address
};

template <typename T>
T* As(PageHost& host) {
    return qobject_cast<T*>(host.page.data());
}
void Type(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    Q_EMIT edit->returnPressed();
}
CEqEditor* Editor(PageHost& host) { return host.page->Equaliser(); }

// Values away from the defaults, so that a row reading the wrong field sends something else.
void Prepare(ParameterStore& s) {
    s.SetFloat(fld::kRear.compThreshold(), -20.0f);
    s.SetFloat(fld::kRear.compRatio(), 4.0f);
    s.SetFloat(fld::kRear.compAttack(), 12.7f);
    s.SetFloat(fld::kRear.compRelease(), 250.9f);
    s.SetInt(fld::kMain.delayOffLeft(), 0);
    s.SetInt(fld::kMain.delayModeLeft(), 0);
    s.SetInt(23, 6);
    s.SetInt(22, 8);
    s.SetFloat(PositionXField(4), -1.0f);
    s.SetFloat(PositionYField(4), 2.0f);
    s.SetInt(fld::kSub.mixMusic(), 150);
}

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases{
        {"compressor ratio",
         PageId::Compressor,
         0,
         [](PageHost& h) { As<CCompDlg>(h)->SliderOf(1, CCompDlg::kRatio)->changed(0, 25); },
         {"rear.comp.ratio=2.5:1"}},
        {"compressor release",
         PageId::Compressor,
         0,
         [](PageHost& h) { As<CCompDlg>(h)->SliderOf(1, CCompDlg::kRelease)->changed(0, 900); },
         {"rear.comp.release=900ms"}},
        {"compressor off",
         PageId::Compressor,
         0,
         [](PageHost& h) { As<CCompDlg>(h)->EnableBox(3)->click(); },
         {"sub.comp=off"}},
        {"typed delay",
         PageId::Delay,
         0,
         [](PageHost& h) { Type(As<CDelayDlg>(h)->DelayEdit(5), "12.5"); },
         {"delay.rear.r=12.5ms"}},
        {"delay mode",
         PageId::Delay,
         0,
         [](PageHost& h) { As<CDelayDlg>(h)->WholeRadio(6)->click(); },
         {"delay.top.l.mode=whole"}},
        {"delay crossover",
         PageId::Delay,
         0,
         [](PageHost& h) { As<CDelayDlg>(h)->Crossover(0)->changed(0, 7); },
         {"delay.main.l.crossover=1200Hz"}},
        {"SUB music mix",
         PageId::Output,
         eqkind::kSub,
         [](PageHost& h) { As<CDialogOutput>(h)->MixSlider(3)->changed(0, 70); },
         {"sub.mix.music=70%"}},
        {"surround",
         PageId::Output,
         eqkind::kRear,
         [](PageHost& h) { As<CDialogOutput>(h)->SurroundSlider()->changed(0, 30); },
         {"rear.surround=30"}},
        {"output mute",
         PageId::Output,
         eqkind::kMain,
         [](PageHost& h) { As<CDialogOutput>(h)->MuteBox(4)->click(); },
         {"top.mute=on"}},
        {"output band frequency",
         PageId::Output,
         eqkind::kMain,
         [](PageHost& h) { Editor(h)->List()->cellEdited(19, CEqEditor::kFreqColumn, "5000"); },
         {"eq.main.20.freq=5000Hz"}},
        {"SUB row kind and alignment",
         PageId::Output,
         eqkind::kSub,
         [](PageHost& h) {
             Editor(h)->List()->comboChosen(1, CEqEditor::kTypeColumn, 2);
             h.Settle();  // a user's second step comes after the box took the first
             Editor(h)->List()->rowSelected(1);
             Editor(h)->AlignmentCombo()->activated(4);
         },
         {"eq.sub.2.kind=HP", "eq.sub.2.align=" + std::string(eq::kAlignmentNames[4])}},
        {"music band gain",
         PageId::Music,
         CDialogMusic::kMusicCode,
         [](PageHost& h) { Editor(h)->List()->cellEdited(2, CEqEditor::kGainColumn, "-3.5"); },
         {"eq.music.3.gain=-3.5dB"}},
        {"mic band kind",
         PageId::Music,
         CDialogMusic::kMicBCode,
         [](PageHost& h) { Editor(h)->List()->comboChosen(0, CEqEditor::kTypeColumn, 3); },
         {"eq.micb.1.kind=LS"}},
        {"effect band Q",
         PageId::Effects,
         eqkind::kEchoB,
         [](PageHost& h) { Editor(h)->List()->cellEdited(3, CEqEditor::kQColumn, "2.5"); },
         {"eq.echob.4.q=2.50"}},
        {"microphone route",
         PageId::Music,
         CDialogMusic::kMicACode,
         [](PageHost& h) { As<CDialogMusic>(h)->Route(1, 1)->click(); },
         {"mic.2.route=B"}},
        {"microphone gate",
         PageId::Music,
         CDialogMusic::kMicACode,
         [](PageHost& h) { As<CDialogMusic>(h)->GateSlider(2)->changed(0, 40); },
         {"mic.3.gate=40"}},
        {"reverb time",
         PageId::Music,
         CDialogMusic::kMicACode,
         [](PageHost& h) {
             As<CDialogMusic>(h)->EffectList()->rowSelected(2);
             As<CDialogMusic>(h)->EffectSlider()->changed(0, 2);
         },
         {"mica.reverb.time=139ms"}},
        {"echo predelay",
         PageId::Music,
         CDialogMusic::kMicBCode,
         [](PageHost& h) {
             As<CDialogMusic>(h)->EffectList()->rowSelected(4);
             As<CDialogMusic>(h)->EffectSlider()->changed(0, 120);
         },
         {"micb.echo.predelay=120ms"}},
        {"frequency shift",
         PageId::Music,
         CDialogMusic::kMicBCode,
         [](PageHost& h) {
             As<CDialogMusic>(h)->EffectList()->rowSelected(8);
             As<CDialogMusic>(h)->EffectSlider()->changed(0, 3);
         },
         {"micb.shift=3Hz"}},
        {"speaker position",
         PageId::SpeakerPosition,
         0,
         [](PageHost& h) { Type(As<CSSVCDlg>(h)->Edit(4, 0), "-1.5"); },
         {"position.rear.l.x=-1.5m"}},
        {"listener position",
         PageId::SpeakerPosition,
         0,
         [](PageHost& h) { Type(As<CSSVCDlg>(h)->Edit(0, 1), "0.5"); },
         {"position.listener.y=0.5m"}},
        {"room width",
         PageId::SpeakerPosition,
         0,
         [](PageHost& h) { Type(As<CSSVCDlg>(h)->RoomEdit(0), "9"); },
         {"room.width=9m"}},
    };
    return cases;
}

}  // namespace

class SettingTablePageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameBytesAsThePage_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < static_cast<int>(Cases().size()); ++i) QTest::addRow("%s", Cases()[i].name) << i;
    }
    void sameBytesAsThePage() {
        QFETCH(int, index);
        const Case& c = Cases()[static_cast<std::size_t>(index)];
        // Every write waits for its report, as the command line's do: while the box is behind,
        // the window's queue would merge a burst's writes to one target, as many as timing allows.
        PageHost page;
        page.core->link.QueueWritesFrom({});
        Prepare(page.core->store);
        page.ShowPage(c.page, c.kind);
        page.Clear();
        c.drive(page);

        PageHost table;
        table.core->link.QueueWritesFrom({});
        Prepare(table.core->store);
        table.Clear();
        for (const std::string& item : c.items) {
            const std::size_t eq = item.find('=');
            const Setting* s = FindSetting(item.substr(0, eq));
            QVERIFY2(s, item.c_str());
            const auto v = ParseSetting(*s, item.substr(eq + 1));
            QVERIFY2(v, item.c_str());
            QVERIFY(!s->refuse || s->refuse(*table.core, *v).empty());
            s->apply(*table.core, *v);
            table.Settle();
            // What was set reads back as it was written.
            QCOMPARE(QString::fromStdString(FormatSetting(*s, s->read(*table.core))),
                     QString::fromStdString(item.substr(eq + 1)));
        }
        QVERIFY(!page.Writes().empty());
        QCOMPARE(Hex(table.Writes()), Hex(page.Writes()));
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::SettingTablePageTest)
#include "SettingTablePageTest.moc"
