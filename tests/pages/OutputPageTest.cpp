// Widget tests of the output pages and their navigation bar: the bytes of every mix slider,
// the surround slider by command-set version, the mute boxes, the SUB crossover rows with
// every alignment, the reverse lookup of stored rows, the loading rules and the eight
// navigation buttons.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>

#include "EqEditing.h"
#include "PageFixture.h"
#include "eq/CEqPanel.h"
#include "eq/CGdipButton.h"
#include "eq/CXBmpSlider.h"
#include "pages/CCompDlg.h"
#include "pages/CDialogOutput.h"
#include "pages/CEqEditor.h"
#include "pages/CGridListCtrlEx.h"
#include "pages/CNavigationBar.h"

namespace kv::test {

namespace {

// Per output: type, module, first mix parameter, first mix field, first byte of its bands.
struct Out {
    int type;
    int module;
    int mixParameter;
    int mixField;
    int firstByte;
};
constexpr Out kOuts[] = {
    {5, 5, 28, 97, 511}, {4, 6, 14, 115, 707}, {3, 7, 12, 151, 805}, {2, 8, 22, 165, 889}, {11, 9, 14, 133, 1043},
};
const char* const kNames[] = {"MAIN", "REAR", "Center", "SUB", "TOP"};

CDialogOutput* Output(PageHost& host) { return qobject_cast<CDialogOutput*>(host.page.data()); }

constexpr int kSubByte = 889;
constexpr int kSubModule = 8;

// Descriptor bytes of a memory write: offset and code.
int OffsetOf(const Report& r) { return (r[2] << 8) | r[3]; }
int CodeOf(const Report& r) { return r[5 + 6]; }

// The four codes the box holds for SUB row `row` after the page sent it, in the order sent.
struct SentRow {
    QList<int> offsets;
    QList<int> codes;
};
SentRow RowSent(const std::vector<Report>& writes) {
    SentRow s;
    for (const Report& r : writes)
        if (r[1] == cmd::kMemoryWrite) {
            s.offsets << OffsetOf(r);
            s.codes << CodeOf(r);
        }
    return s;
}

// The four codes of alignments 0..10 on a high-pass row, as the alignment table gives them;
// a low-pass row takes one less for every stage that is not flat.
QList<QList<int>> HighPassCodes() {
    return {{11, 11, 1, 1}, {13, 13, 1, 1}, {15, 11, 15, 11}, {19, 21, 19, 21}, {9, 1, 1, 1}, {9, 11, 1, 1},
            {9, 9, 1, 1},   {13, 1, 1, 1},  {15, 11, 1, 1},   {19, 21, 1, 1},   {7, 1, 1, 1}};
}
QList<int> LowPass(QList<int> codes) {
    for (int& c : codes)
        if (c != 1) --c;
    return codes;
}

void StoreRow(PageHost& host, int row, const QList<int>& codes) {
    for (int k = 0; k < 4; ++k) StoreBand(host, kSubByte, 4 * row + k, 150, 100, 700, codes[k]);
}

}  // namespace

class OutputPageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mixSliders_data() {
        QTest::addColumn<int>("out");
        QTest::addColumn<int>("mix");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("stored");
        QTest::addColumn<float>("sent");
        for (int o = 0; o < 5; ++o)
            for (int m = 0; m < 4; ++m)
                if (o != 3 || m != 3) QTest::addRow("%s mix %d", kNames[o], m) << o << m << 37 << 37 << 0.37f;
        QTest::addRow("SUB music at 100%%") << 3 << 3 << 100 << 300 << 3.0f;
        QTest::addRow("SUB music at 1%%") << 3 << 3 << 1 << 3 << 0.03f;
    }
    void mixSliders() {
        QFETCH(int, out);
        QFETCH(int, mix);
        QFETCH(int, position);
        QFETCH(int, stored);
        QFETCH(float, sent);
        const Out& o = kOuts[out];
        PageHost host;
        host.ShowPage(PageId::Output, o.type);
        host.Clear();
        Output(host)->MixSlider(mix)->SetPosition(position);
        Output(host)->MixSlider(mix)->changed(0, position);
        QCOMPARE(Hex(host.Writes()), Hex({Floats(o.module, o.mixParameter + mix, {sent})}));
        QCOMPARE(host.core->store.Int(o.mixField + mix), stored);
        QCOMPARE(Output(host)->MixValue(mix)->text(), QStringLiteral("%1%").arg(position));
        QVERIFY(host.notices.empty());  // MAIN is not muted
    }

    void surround_data() {
        QTest::addColumn<int>("out");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("parameter");  // -1: nothing sent
        QTest::addRow("MAIN, version 9") << 0 << 9 << 44;
        QTest::addRow("REAR, version 9") << 1 << 9 << 30;
        QTest::addRow("TOP, version 9") << 4 << 9 << 30;
        QTest::addRow("MAIN, version 7") << 0 << 7 << 44;
        QTest::addRow("MAIN, version 6") << 0 << 6 << -1;
        QTest::addRow("TOP, version 6") << 4 << 6 << -1;
    }
    void surround() {
        QFETCH(int, out);
        QFETCH(int, version);
        QFETCH(int, parameter);
        const Out& o = kOuts[out];
        PageHost host;
        host.core->store.SetCommandSetVersion(version);
        host.ShowPage(PageId::Output, o.type);
        host.Clear();
        Output(host)->SurroundSlider()->SetPosition(40);
        Output(host)->SurroundSlider()->changed(0, 40);
        const std::vector<Report> want =
            parameter < 0 ? std::vector<Report>{} : std::vector<Report>{Floats(o.module, parameter, {-0.4f, -0.4f})};
        QCOMPARE(Hex(host.Writes()), Hex(want));
        QCOMPARE(host.core->store.Int(o.mixField + 17), 40);  // stored either way
        QCOMPARE(Output(host)->SurroundValue()->text(), QStringLiteral("40"));
    }

    void surroundShownOnlyWithField_data() {
        QTest::addColumn<int>("out");
        QTest::addColumn<bool>("shown");
        for (int o = 0; o < 5; ++o) QTest::addRow("%s", kNames[o]) << o << (o != 2 && o != 3);
    }
    void surroundShownOnlyWithField() {
        QFETCH(int, out);
        QFETCH(bool, shown);
        PageHost host;
        host.ShowPage(PageId::Output, kOuts[out].type);
        QCOMPARE(!Output(host)->SurroundSlider()->isHidden(), shown);
    }

    void muteBoxes_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<bool>("check");
        QTest::addColumn<int>("count");
        const int counts[] = {2, 2, 1, 1, 2};
        for (int b = 0; b < 5; ++b) {
            QTest::addRow("%s checked", kNames[b]) << b << true << counts[b];
            QTest::addRow("%s cleared", kNames[b]) << b << false << counts[b];
        }
    }
    void muteBoxes() {
        QFETCH(int, box);
        QFETCH(bool, check);
        QFETCH(int, count);
        // Mute fields and parameters in the order of the boxes: MAIN, REAR, Center, SUB, TOP.
        const int fields[] = {113, 131, 164, 178, 149};
        const int modules[] = {5, 6, 7, 8, 9};
        const int parameters[] = {41, 27, 22, 32, 27};
        PageHost host;
        host.core->store.SetInt(fields[box], check ? 0 : 1);
        host.ShowPage(PageId::Output, eqkind::kSub);  // every page carries all five
        host.Clear();
        QCheckBox* c = Output(host)->MuteBox(box);
        QCOMPARE(c->isChecked(), !check);
        c->click();
        const float v = check ? 0.0f : 1.0f;
        const Report want =
            count == 2 ? Floats(modules[box], parameters[box], {v, v}) : Floats(modules[box], parameters[box], {v});
        QCOMPARE(Hex(host.Writes()), Hex({want}));
        QCOMPARE(host.core->store.Int(fields[box]), check ? 1 : 0);
    }

    void mutedNotice_data() {
        QTest::addColumn<int>("mainMuted");
        QTest::addColumn<bool>("surround");
        QTest::addRow("muted, mix") << 1 << false;
        QTest::addRow("muted, surround") << 1 << true;
        QTest::addRow("open, mix") << 0 << false;
    }
    void mutedNotice() {
        QFETCH(int, mainMuted);
        QFETCH(bool, surround);
        PageHost host;
        host.core->store.SetInt(113, mainMuted);
        host.ShowPage(PageId::Output, eqkind::kRear);  // MAIN's mute counts on every output
        CXBmpSlider* s = surround ? Output(host)->SurroundSlider() : Output(host)->MixSlider(1);
        s->changed(0, 20);
        QCOMPARE(host.notices.size(), std::size_t(mainMuted));
        if (mainMuted) QCOMPARE(host.notices.front(), QStringLiteral("当前是静音状态"));
    }

    void loadsStoredValues_data() {
        QTest::addColumn<int>("out");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::addRow("SUB music 300") << 3 << 300 << 100;
        QTest::addRow("SUB music 151") << 3 << 151 << 50;  // thirds are cut, not rounded
        QTest::addRow("MAIN music 64") << 0 << 64 << 64;
    }
    void loadsStoredValues() {
        QFETCH(int, out);
        QFETCH(int, stored);
        QFETCH(int, shown);
        PageHost host;
        host.core->store.SetInt(kOuts[out].mixField + 3, stored);
        host.ShowPage(PageId::Output, kOuts[out].type);
        QCOMPARE(Output(host)->MixSlider(3)->Position(), shown);
        QCOMPARE(Output(host)->MixValue(3)->text(), QStringLiteral("%1%").arg(shown));
        QVERIFY(host.Writes().empty());  // loading sends nothing
    }

    void loadsBands_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("gainCode");
        QTest::addColumn<int>("hz");
        QTest::addColumn<int>("qCode");
        QTest::addColumn<int>("wantCode");
        QTest::addColumn<float>("wantGain");
        QTest::addColumn<float>("wantHz");
        QTest::addColumn<float>("wantQ");
        // MAIN band 3 loads over the panel's default of 400 Hz.
        QTest::addRow("peaking as stored") << 1 << 210 << 1234 << 2000 << 1 << 6.0f << 1234.0f << 2.0f;
        QTest::addRow("code above 31 is off") << 40 << 210 << 1234 << 2000 << 0 << 6.0f << 1234.0f << 2.0f;
        QTest::addRow("crossover code kept") << 12 << 210 << 1234 << 1000 << 12 << 0.0f << 1234.0f << 1.0f;
        QTest::addRow("LP carries no gain") << 2 << 210 << 1234 << 1000 << 2 << 0.0f << 1234.0f << 1.0f;
        QTest::addRow("0 Hz keeps the default") << 1 << 150 << 0 << 1000 << 1 << 0.0f << 400.0f << 1.0f;
        QTest::addRow("frequency above range") << 1 << 150 << 30000 << 1000 << 1 << 0.0f << 20000.0f << 1.0f;
        QTest::addRow("frequency below range") << 1 << 150 << 5 << 1000 << 1 << 0.0f << 20.0f << 1.0f;
        QTest::addRow("Q 0 on peaking") << 1 << 150 << 100 << 0 << 1 << 0.0f << 100.0f << 1.41f;
        QTest::addRow("Q 0 on high shelf") << 5 << 150 << 100 << 0 << 5 << 0.0f << 100.0f << 0.7f;
        QTest::addRow("peaking Q above 30") << 1 << 150 << 100 << 50000 << 1 << 0.0f << 100.0f << 30.0f;
        QTest::addRow("shelf Q above 2") << 4 << 150 << 100 << 5000 << 4 << 0.0f << 100.0f << 2.0f;
        QTest::addRow("Q below 0.1") << 1 << 150 << 100 << 50 << 1 << 0.0f << 100.0f << 0.1f;
    }
    void loadsBands() {
        QFETCH(int, code);
        QFETCH(int, gainCode);
        QFETCH(int, hz);
        QFETCH(int, qCode);
        QFETCH(int, wantCode);
        QFETCH(float, wantGain);
        QFETCH(float, wantHz);
        QFETCH(float, wantQ);
        PageHost host;
        StoreBand(host, 511, 3, gainCode, hz, qCode, code);
        host.ShowPage(PageId::Output, eqkind::kMain);
        const eq::BandRecord& b = Output(host)->Equaliser()->Panel()->Band(3);
        QCOMPARE(b.code, wantCode);
        QCOMPARE(b.gain, wantGain);
        QCOMPARE(b.frequency, wantHz);
        QCOMPARE(b.q, wantQ);
    }

    void bandCounts_data() {
        QTest::addColumn<int>("out");
        QTest::addColumn<int>("bands");
        QTest::addColumn<int>("rows");
        const int bands[] = {24, 10, 10, 20, 10};
        for (int o = 0; o < 5; ++o) QTest::addRow("%s", kNames[o]) << o << bands[o] << (o == 3 ? 5 : bands[o]);
    }
    void bandCounts() {
        QFETCH(int, out);
        QFETCH(int, bands);
        QFETCH(int, rows);
        PageHost host;
        host.ShowPage(PageId::Output, kOuts[out].type);
        QCOMPARE(Output(host)->Equaliser()->Panel()->BandCount(), bands);
        QCOMPARE(Output(host)->Equaliser()->List()->RowCount(), rows);
        QCOMPARE(Output(host)->Equaliser()->Panel()->Kind(), kOuts[out].type);
    }

    // Every alignment on a low-pass and on a high-pass row: the four codes of the alignment
    // table go out as device bands 4r .. 4r + 3, in that order.
    void alignments_data() {
        QTest::addColumn<int>("side");  // 2 LP, 3 HP
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QList<int>>("codes");
        const QList<QList<int>> hp = HighPassCodes();
        for (int a = 0; a < 11; ++a) {
            const QList<int> lp = LowPass(hp[a]);
            QTest::addRow("LP, alignment %d", a) << 2 << a << lp;
            QTest::addRow("HP, alignment %d", a) << 3 << a << hp[a];
        }
    }
    void alignments() {
        QFETCH(int, side);
        QFETCH(int, alignment);
        QFETCH(QList<int>, codes);
        const int row = 2;
        PageHost host;
        host.ShowPage(PageId::Output, eqkind::kSub);
        CEqEditor* ed = Output(host)->Equaliser();
        ed->SetBandKind(row, side);
        ed->List()->rowSelected(row);
        QVERIFY(!ed->AlignmentBox()->isHidden());
        host.Clear();
        ed->AlignmentCombo()->activated(alignment);
        const std::vector<Report> writes = host.Writes();
        QCOMPARE(writes.size(), std::size_t(8));  // descriptor, coefficients, four times
        for (std::size_t i = 0; i < 8; i += 2) {
            QCOMPARE(writes[i][1], std::uint8_t(cmd::kMemoryWrite));
            QCOMPARE(writes[i + 1][1], std::uint8_t(cmd::kParamWrite));
            QCOMPARE(int(writes[i + 1][3]), kSubModule);
            QCOMPARE(int(writes[i + 1][4]), 4 * row + int(i / 2));
        }
        const SentRow sent = RowSent(writes);
        QCOMPARE(sent.codes, codes);
        const int base = kSubByte + 7 * 4 * row;
        QCOMPARE(sent.offsets, (QList<int>{base, base + 7, base + 14, base + 21}));
        QCOMPARE(ed->List()->CellText(row, CEqEditor::kTypeColumn), QString::fromUtf8(side == 2 ? "低通" : "高通"));
    }

    void rowKinds_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<bool>("alignmentShown");
        QTest::addRow("PEQ") << 1 << QList<int>{1, 1, 1, 1} << false;
        QTest::addRow("LP") << 2 << QList<int>{18, 20, 1, 1} << true;
        QTest::addRow("HP") << 3 << QList<int>{19, 21, 1, 1} << true;
        QTest::addRow("LS") << 4 << QList<int>{4, 1, 1, 1} << false;
        QTest::addRow("HS") << 5 << QList<int>{5, 1, 1, 1} << false;
    }
    void rowKinds() {
        QFETCH(int, kind);
        QFETCH(QList<int>, codes);
        QFETCH(bool, alignmentShown);
        PageHost host;
        host.ShowPage(PageId::Output, eqkind::kSub);
        CEqEditor* ed = Output(host)->Equaliser();
        ed->AlignmentCombo()->setCurrentIndex(0);
        host.Clear();
        // Through the list's Type drop-down, as a user picks it.
        ed->List()->comboChosen(1, CEqEditor::kTypeColumn, kind - 1);
        QCOMPARE(RowSent(host.Writes()).codes, codes);
        QCOMPARE(!ed->AlignmentBox()->isHidden(), alignmentShown);
        if (alignmentShown) QCOMPARE(ed->AlignmentCombo()->currentText(), QStringLiteral("Butterworth 24dB"));
    }

    // Stored rows read back through the 25 patterns; one outside them keeps the drop-down.
    void reverseLookup_data() {
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<int>("combo");  // -1: left as it was
        QTest::addColumn<QString>("type");
        const QList<QList<int>> hp = HighPassCodes();
        for (int a = 0; a < 11; ++a) {
            const QList<int> lp = LowPass(hp[a]);
            QTest::addRow("LP %d", a) << lp << a << QStringLiteral("LP");
            QTest::addRow("HP %d", a) << hp[a] << a << QStringLiteral("HP");
        }
        QTest::addRow("PEQ") << QList<int>{1, 1, 1, 1} << -1 << QStringLiteral("PEQ");
        QTest::addRow("LS") << QList<int>{4, 1, 1, 1} << -1 << QStringLiteral("LS");
        QTest::addRow("HS") << QList<int>{5, 1, 1, 1} << -1 << QStringLiteral("HS");
        QTest::addRow("outside the patterns") << QList<int>{18, 18, 1, 1} << -1 << QStringLiteral("LP");
    }
    void reverseLookup() {
        QFETCH(QList<int>, codes);
        QFETCH(int, combo);
        QFETCH(QString, type);
        PageHost host(1);
        StoreRow(host, 3, codes);
        host.ShowPage(PageId::Output, eqkind::kSub);
        CEqEditor* ed = Output(host)->Equaliser();
        QCOMPARE(ed->List()->CellText(3, CEqEditor::kTypeColumn), type);
        ed->AlignmentCombo()->setCurrentIndex(5);  // what an earlier row left there
        ed->List()->rowSelected(3);
        QCOMPARE(ed->AlignmentCombo()->currentIndex(), combo < 0 ? 5 : combo);
        QCOMPARE(!ed->AlignmentBox()->isHidden(), type == QLatin1String("LP") || type == QLatin1String("HP"));
    }

    void subRowSendsItsStages() {
        PageHost host;
        StoreRow(host, 1, {18, 20, 1, 1});
        host.ShowPage(PageId::Output, eqkind::kSub);
        CEqEditor* ed = Output(host)->Equaliser();
        host.Clear();
        ed->List()->cellEdited(1, CEqEditor::kFreqColumn, QStringLiteral("80"));
        // Row band 4, then its stages 5, 6, 7, all at the row's 80 Hz and Q 0.7.
        const EqPlace sub{kSubModule, 0, kSubByte};
        std::vector<Report> want;
        const int codes[] = {18, 20, 1, 1};
        // The stored Q 0.700 as held: the float just above 0.7, which encodes back to 700.
        const float q = std::nextafter(0.7f, 1.0f);
        for (int k = 0; k < 4; ++k)
            for (const Report& r : BandSent(sub, 4 + k, codes[k], 0.0f, 80.0f, q)) want.push_back(r);
        QCOMPARE(Hex(host.Writes()), Hex(want));
    }

    void frequencyRules_data() {
        QTest::addColumn<bool>("list");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<float>("hz");
        QTest::addRow("list 0 keeps") << true << QStringLiteral("0") << 75.0f;
        QTest::addRow("list 5 clamps") << true << QStringLiteral("5") << 20.0f;
        QTest::addRow("editor 0 gives 20") << false << QStringLiteral("0") << 20.0f;
        QTest::addRow("editor 5 gives 20") << false << QStringLiteral("5") << 20.0f;
    }
    void frequencyRules() {
        QFETCH(bool, list);
        QFETCH(QString, typed);
        QFETCH(float, hz);
        PageHost host;
        host.ShowPage(PageId::Output, eqkind::kMain);
        CEqEditor* ed = Output(host)->Equaliser();
        if (list) {
            ed->List()->cellEdited(3, CEqEditor::kFreqColumn, typed);
        } else {
            ed->Panel()->bandChanged(3);  // as a press on the marker notifies
            ed->FreqEdit()->setText(typed);
            ed->ApplyEdits();
        }
        QCOMPARE(ed->Panel()->Band(3).frequency, hz);
        QCOMPARE(ed->List()->CellText(3, CEqEditor::kFreqColumn), QString::asprintf("%.0fHz", hz));
    }

    // The cells and boxes show rounded values; an edit of one sends the others as held.
    void typedValueKeepsTheOthers_data() {
        QTest::addColumn<bool>("list");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("descriptor");  // gain code, Hz, Q code, section code
        QTest::addRow("list gain") << true << int(CEqEditor::kGainColumn) << "-3.5" << QList<int>{115, 1234, 1414, 1};
        QTest::addRow("list Q") << true << int(CEqEditor::kQColumn) << "2.5" << QList<int>{173, 1234, 2500, 1};
        QTest::addRow("list freq") << true << int(CEqEditor::kFreqColumn) << "500" << QList<int>{173, 500, 1414, 1};
        QTest::addRow("editor gain") << false << int(CEqEditor::kGainColumn) << "-3.5"
                                     << QList<int>{115, 1234, 1414, 1};
        QTest::addRow("editor freq") << false << int(CEqEditor::kFreqColumn) << "500" << QList<int>{173, 500, 1414, 1};
    }
    void typedValueKeepsTheOthers() {
        QFETCH(bool, list);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QList<int>, descriptor);
        PageHost host;
        StoreBand(host, kOuts[0].firstByte, 3, 173, 1234, 1414, 1);
        host.ShowPage(PageId::Output, eqkind::kMain);
        CEqEditor* ed = Output(host)->Equaliser();
        if (list) {
            host.Clear();
            ed->List()->cellEdited(3, column, typed);
        } else {
            ed->Panel()->bandChanged(3);  // as a press on the marker notifies
            host.Settle();
            host.Clear();
            (column == CEqEditor::kGainColumn ? ed->GainEdit() : ed->FreqEdit())->setText(typed);
            ed->ApplyEdits();
        }
        std::uint8_t d[7];
        Put16(d, descriptor[0]);
        Put16(d + 2, descriptor[1]);
        Put16(d + 4, descriptor[2]);
        d[6] = static_cast<std::uint8_t>(descriptor[3]);
        const auto writes = host.Writes();
        QVERIFY(!writes.empty());
        QCOMPARE(HexOf(writes.front()), HexOf(BuildMemoryWrite(kOuts[0].firstByte + 7 * 3, d)));
    }

    void bypassAndReset() {
        PageHost host;
        host.ShowPage(PageId::Output, eqkind::kTop);
        StoreBand(host, 1043, 0, 250, 777, 2000, 1);
        host.Clear();
        host.page->ToggleEqBypass();
        QCOMPARE(Hex(host.Writes()), Hex({Ints(9, 18, {1})}));
        QVERIFY(Output(host)->Equaliser()->Panel()->Bypass());
        host.page->ResetEq();
        QCOMPARE(Output(host)->Equaliser()->Panel()->Band(0).frequency, 31.0f);
        QCOMPARE(Output(host)->Equaliser()->Panel()->Band(0).gain, 0.0f);
    }

    // The eight buttons: which page each hosts, which is drawn pressed, the remembered type.
    void navigation_data() {
        QTest::addColumn<int>("from");  // -1: the limiter page
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("outputType");
        QTest::addColumn<bool>("samePage");
        const int types[] = {5, 4, 3, 2, 11};
        for (int b = 0; b < 5; ++b) {
            QTest::addRow("MAIN to %s", kNames[b]) << 5 << b << int(PageId::Output) << types[b] << true;
            QTest::addRow("limiter to %s", kNames[b]) << -1 << b << int(PageId::Output) << types[b] << false;
        }
        QTest::addRow("SUB to limiter") << 2 << 7 << int(PageId::Compressor) << 2 << false;
        QTest::addRow("limiter to limiter") << -1 << 7 << int(PageId::Compressor) << 5 << true;
    }
    void navigation() {
        QFETCH(int, from);
        QFETCH(int, button);
        QFETCH(int, page);
        QFETCH(int, outputType);
        QFETCH(bool, samePage);
        PageHost host;
        host.ShowPage(from < 0 ? PageId::Compressor : PageId::Output, from < 0 ? 0 : from);
        QPointer<CPageBase> before = host.page;
        auto* nav = host.page->findChild<CNavigationBar*>();
        nav->Button(button)->click();
        QTest::qWait(0);
        QCOMPARE(int(host.page->Id()), page);
        QCOMPARE(host.page == before, samePage);
        QCOMPARE(host.state.outputType, outputType);
        nav = host.page->findChild<CNavigationBar*>();
        for (int b = 0; b < CNavigationBar::kButtons; ++b) QCOMPARE(nav->Button(b)->IsLatched(), b == button);
    }

    void texts_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("nav");
        QTest::addColumn<QString>("mute");
        QTest::addColumn<QString>("mix");
        QTest::addColumn<QString>("picture");
        QTest::addRow("Chinese") << 0 << QStringLiteral("超低音箱") << QStringLiteral("超低静音")
                                 << QStringLiteral("直达音量") << QStringLiteral("2/0");
        QTest::addRow("English") << 1 << QStringLiteral("SUB") << QStringLiteral("SUB Mute") << QStringLiteral("Direct")
                                 << QStringLiteral("2/1");
    }
    void texts() {
        QFETCH(int, language);
        QFETCH(QString, nav);
        QFETCH(QString, mute);
        QFETCH(QString, mix);
        QFETCH(QString, picture);
        PageHost host(1 - language);
        host.ShowPage(PageId::Output, eqkind::kSub);
        host.SetLanguage(language);
        QCOMPARE(Output(host)->Navigation()->Button(3)->text(), nav);
        QCOMPARE(Output(host)->MuteBox(3)->text(), mute);
        QCOMPARE(Output(host)->MixCaption(0)->text(), mix);
        QCOMPARE(Output(host)->PictureKey(), picture);
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::OutputPageTest)
#include "OutputPageTest.moc"
