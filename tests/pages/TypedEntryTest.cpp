// Typed values on the pages: the shared rows through every box and list cell that shows their
// setting. A text that is taken sends what the value's own text sends; one that is refused
// sends nothing, puts the field back and says why on the field and in the page's notice.

#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include "EqEditing.h"
#include "PageFixture.h"
#include "pages/CDelayDlg.h"
#include "pages/CSSVCDlg.h"
#include "tests/common/TypedRows.h"
#include "ui/SettingTip.h"

namespace kv::test {

namespace {

enum Field { GainBox, FreqBox, QBox, GainCell, FreqCell, QCell, DelayBox, SpeakerX, RoomWidth };

struct Place {
    Field field;
    const char* name;
    const char* address;  // the setting the field shows
};
const Place kPlaces[] = {
    {GainBox, "gain box", "eq.music.9.gain"},
    {FreqBox, "F box", "eq.music.9.freq"},
    {QBox, "Q box", "eq.music.9.q"},
    {GainCell, "gain cell", "eq.music.9.gain"},
    {FreqCell, "freq cell", "eq.music.9.freq"},
    {QCell, "Q cell", "eq.music.9.q"},
    {DelayBox, "delay box", "delay.main.l"},
    {SpeakerX, "speaker X box", "position.main.l.x"},
    {RoomWidth, "room width", "room.width"},
};

constexpr int kBand = 8;  // eq.music.9
constexpr int kMusicFirstByte = 406;
constexpr EqPlace kMusic{4, 0, kMusicFirstByte};
constexpr int kMainLeft = 1;

bool IsCell(Field f) { return f == GainCell || f == FreqCell || f == QCell; }
int Column(Field f) { return f == GainCell ? 2 : f == FreqCell ? 3 : 4; }
CEqEditor* Editor(PageHost& host) { return host.page->Equaliser(); }

// Opens the page of the field; an equaliser box needs its band selected.
bool Open(PageHost& host, Field f) {
    if (f == DelayBox) {
        host.ShowPage(PageId::Delay, 0);
        return host.page;
    }
    if (f == SpeakerX || f == RoomWidth) {
        host.ShowPage(PageId::SpeakerPosition, 0);
        return host.page;
    }
    StoreBand(host, kMusicFirstByte, kBand, kStartGainCode, kStartHz, kStartQCode, 1);
    if (!ShowOnScreen(host, PageId::Music, 0)) return false;
    if (!IsCell(f)) ClickMarker(host, Editor(host)->Panel(), kBand);
    return IsCell(f) || Editor(host)->SelectedBand() == kBand;
}

QLineEdit* Box(PageHost& host, Field f) {
    switch (f) {
        case GainBox:
            return Editor(host)->GainEdit();
        case FreqBox:
            return Editor(host)->FreqEdit();
        case QBox:
            return Editor(host)->QEdit();
        case DelayBox:
            return qobject_cast<CDelayDlg*>(host.page.data())->DelayEdit(0);
        case SpeakerX:
            return qobject_cast<CSSVCDlg*>(host.page.data())->Edit(kMainLeft, 0);
        case RoomWidth:
            return qobject_cast<CSSVCDlg*>(host.page.data())->RoomEdit(0);
        default:
            return nullptr;
    }
}

void Enter(PageHost& host, Field f, const QString& text) {
    if (IsCell(f)) {
        auto* e = qobject_cast<QLineEdit*>(Editor(host)->List()->EditCell(kBand, Column(f)));
        QVERIFY(e);
        e->clear();
        QTest::keyClicks(e, text);
        const QPointer<QLineEdit> open(e);
        QTest::keyClick(e, Qt::Key_Return);
        // The list reports the text once its editor has gone.
        QTRY_VERIFY(open.isNull());
        return;
    }
    QLineEdit* e = Box(host, f);
    e->setText(text);
    Q_EMIT e->returnPressed();
}

QString Shown(PageHost& host, Field f) {
    return IsCell(f) ? Editor(host)->List()->CellText(kBand, Column(f)) : Box(host, f)->text();
}
QString Tip(PageHost& host, Field f) {
    return IsCell(f) ? Editor(host)->List()->CellToolTip(kBand, Column(f)) : Box(host, f)->toolTip();
}

// Nothing said beyond the field's own tip (a bound box keeps its setting's).
bool SaysNothingMore(PageHost& host, Field f) {
    return IsCell(f) ? Tip(host, f).isEmpty() : Box(host, f)->toolTip() == SettingTipOf(Box(host, f));
}

}  // namespace

class TypedEntryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void takenAsItsValue_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("canonical");
        for (const Place& p : kPlaces)
            for (const TypedRow& r : TypedRows())
                if (!*r.refused && std::string_view(r.address) == p.address)
                    QTest::addRow("%s: %s", p.name, r.name) << int(p.field) << r.typed << r.shown;
    }
    // The same bytes, the same field text, as the value typed the plain way.
    void takenAsItsValue() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, canonical);
        const Field f = Field(field);
        PageHost plain(1);
        QVERIFY(Open(plain, f));
        plain.Clear();
        Enter(plain, f, canonical);
        const std::vector<Report> want = plain.Writes();
        QVERIFY(!want.empty());

        PageHost host(1);
        QVERIFY(Open(host, f));
        host.Clear();
        host.notices.clear();
        Enter(host, f, typed);
        QCOMPARE(Hex(host.Writes()), Hex(want));
        QCOMPARE(Shown(host, f), Shown(plain, f));
        QVERIFY(SaysNothingMore(host, f));
        QVERIFY(host.notices.empty());
    }

    void refusedSendsNothing_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("reason");
        for (const Place& p : kPlaces)
            for (const TypedRow& r : TypedRows())
                if (*r.refused && std::string_view(r.address) == p.address)
                    QTest::addRow("%s: %s", p.name, r.name) << int(p.field) << 1 << r.typed << r.refused;
        // The interface's own language, Chinese by default.
        QTest::addRow("F box, letters, Chinese") << int(FreqBox) << 0 << "1kx"
                                                 << "单位应为 Hz";
        QTest::addRow("Q cell, letters, Chinese") << int(QCell) << 0 << "abc"
                                                  << "不是数字";
        QTest::addRow("delay box, metres, Chinese") << int(DelayBox) << 0 << "3m"
                                                    << "单位应为 ms";
        QTest::addRow("room width, empty, Chinese") << int(RoomWidth) << 0 << ""
                                                    << "不是数字";
    }
    void refusedSendsNothing() {
        QFETCH(int, field);
        QFETCH(int, language);
        QFETCH(QString, typed);
        QFETCH(QString, reason);
        const Field f = Field(field);
        PageHost host(language);
        QVERIFY(Open(host, f));
        const QString before = Shown(host, f);
        host.Clear();
        host.notices.clear();
        Enter(host, f, typed);
        QVERIFY(host.Writes().empty());
        QCOMPARE(Shown(host, f), before);
        QCOMPARE(Tip(host, f), reason);
        QCOMPARE(host.notices.size(), std::size_t(1));
        QVERIFY2(host.notices.back().contains(reason), qPrintable(host.notices.back()));

        // The value that stands, typed again, is taken and the field says nothing more.
        Enter(host, f, before);
        QVERIFY(SaysNothingMore(host, f));
    }

    // Enter in one box applies all three; a refused text in another box holds them all back.
    void refusedBoxHoldsBackTheOthers() {
        PageHost host(1);
        QVERIFY(Open(host, FreqBox));
        CEqEditor* ed = Editor(host);
        host.Clear();
        ed->FreqEdit()->setText(QStringLiteral("12k3"));
        ed->GainEdit()->setText(QStringLiteral("-2"));
        Q_EMIT ed->GainEdit()->returnPressed();
        QVERIFY(host.Writes().empty());
        QCOMPARE(ed->FreqEdit()->text(), QStringLiteral("1234Hz"));
        QCOMPARE(ed->GainEdit()->text(), QStringLiteral("+6.0dB"));
        QCOMPARE(ed->FreqEdit()->toolTip(), QStringLiteral("unit Hz expected"));
        QVERIFY(ed->GainEdit()->toolTip().isEmpty());
    }

    // A slider step still goes out, with the band's own value for a box that does not read.
    void sliderStepGoesOutPastARefusedBox() {
        PageHost host(1);
        QVERIFY(Open(host, FreqBox));
        CEqEditor* ed = Editor(host);
        host.Clear();
        ed->FreqEdit()->setText(QStringLiteral("abc"));
        QTest::keyClick(ed->GainSlider(), Qt::Key_Right);
        const std::vector<Report> want = BandSent(kMusic, kBand, 1, 6.1f, float(kStartHz), 2.0f);
        QCOMPARE(Hex(WritesAfter(host, want.size())), Hex(want));
        QCOMPARE(ed->FreqEdit()->text(), QStringLiteral("1234Hz"));
        QCOMPARE(ed->FreqEdit()->toolTip(), QStringLiteral("not a number"));
    }

    // A refused partner box holds back a typed position: both boxes show the point as it stands.
    void speakerPartnerBox() {
        PageHost host(1);
        QVERIFY(Open(host, SpeakerX));
        auto* page = qobject_cast<CSSVCDlg*>(host.page.data());
        host.Clear();
        page->Edit(kMainLeft, 1)->setText(QStringLiteral("up"));
        Enter(host, SpeakerX, QStringLiteral("0.5"));
        QVERIFY(host.Writes().empty());
        QCOMPARE(page->Edit(kMainLeft, 0)->text(), QStringLiteral("-1.0m"));
        QCOMPARE(page->Edit(kMainLeft, 1)->text(), QStringLiteral("+1.0m"));
        QCOMPARE(page->Edit(kMainLeft, 1)->toolTip(), QStringLiteral("not a number"));
        QCOMPARE(host.core->store.Float(CSSVCDlg::XField(kMainLeft)), -1.0f);
    }
};

}  // namespace kv::test

QTEST_MAIN(kv::test::TypedEntryTest)
#include "TypedEntryTest.moc"
