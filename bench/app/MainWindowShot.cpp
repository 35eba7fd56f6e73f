// Saves a picture of the main window with the simulated box connected:
//   kv4420-shot zh|en OUTPUT.png [WIDTHxHEIGHT]
//   [music|mica|micb|effects:KIND|output:TYPE|comp|delay|speakers|speakers-outside|denied|refused|locked|reset-question]
//   An output page may end in ":phase" or ":group-delay" for the graph's other views; "align"
//   is the speaker page's alignment table.
// Settings go to a throw-away directory so the user's settings are not touched. "refused" shows
// a typed frequency the F box did not take, with its reason; its tooltip and notice are windows
// of their own, so it grabs the screen and needs a real display (xvfb-run).

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <cstdio>
#include <vector>

#include "ShotSettings.h"
#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CMainFrame.h"
#include "app/CMyMFCRibbonBar.h"
#include "app/QtUiPrompts.h"
#include "device/Encoders.h"
#include "device/Report.h"
#include "device/SettingTable.h"
#include "eq/CEqPanel.h"
#include "eq/Crossover.h"
#include "pages/CEqEditor.h"
#include "pages/CGridListCtrlEx.h"
#include "pages/CSSVCDlg.h"
#include "sim/SimBox.h"
#include "ui/UiText.h"

namespace {
// A subwoofer as installers set it: high-pass below the speaker's range, low-pass at the
// crossover to the mains, one peaking band for the room.
void SetCrossovers(kv::CPageBase& page) {
    kv::CEqEditor* ed = page.Equaliser();
    if (!ed) return;
    const struct { int row, kind, hz, alignment; } rows[] = {{0, 3, 25, 3}, {1, 2, 90, 1}};
    for (const auto& r : rows) {
        ed->SetBandKind(r.row, r.kind);
        ed->Panel()->Band(r.row).frequency = static_cast<float>(r.hz);
        ed->List()->rowSelected(r.row);
        ed->AlignmentCombo()->setCurrentIndex(r.alignment);
        ed->AlignmentCombo()->activated(r.alignment);
    }
    ed->Panel()->SetGain(2, -4.0);
    ed->Panel()->Band(2).frequency = 45.0f;
    ed->Panel()->EvaluateBand(2);
    ed->Relabel();
}

// Band 9 selected and "1k2x" typed into its F box: refused, the reason on the box.
QLineEdit* TypeRefusedFrequency(kv::CPageBase& page) {
    kv::CEqEditor* ed = page.Equaliser();
    if (!ed) return nullptr;
    constexpr int kBand = 8;
    ed->Panel()->SetSelectedBand(kBand);
    Q_EMIT ed->Panel()->bandChanged(kBand);
    QLineEdit* box = ed->FreqEdit();
    box->setFocus();
    box->setText(QStringLiteral("1k2x"));
    Q_EMIT box->returnPressed();
    return box;
}
}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr,
                     "usage: kv4420-shot zh|en OUTPUT.png [WIDTHxHEIGHT] "
                     "[music|mica|micb|effects:KIND|output:TYPE|comp|delay|speakers|speakers-outside|denied|refused|"
                     "locked|reset-question]\n");
        return 2;
    }
    QSize size(kv::CMainFrame::kMinWidth, kv::CMainFrame::kMinHeight);
    if (argc > 3) {
        const QStringList wh = QString::fromLatin1(argv[3]).split('x');
        if (wh.size() == 2) size = QSize(wh[0].toInt(), wh[1].toInt());
    }
    const QString pageArg = argc > 4 ? QString::fromLatin1(argv[4]) : QStringLiteral("music");
    kv::PageId page = kv::PageId::Music;
    int kind = 0;
    if (pageArg == QLatin1String("mica")) kind = 1;
    if (pageArg == QLatin1String("micb")) kind = 8;
    if (pageArg.startsWith(QLatin1String("effects:"))) {
        page = kv::PageId::Effects;
        kind = pageArg.mid(8).toInt();
    }
    kv::eq::EqView view = kv::eq::EqView::Magnitude;
    if (pageArg.startsWith(QLatin1String("output:"))) {
        page = kv::PageId::Output;
        const QStringList parts = pageArg.split(':');
        kind = parts.value(1).toInt();
        if (parts.value(2) == QLatin1String("phase")) view = kv::eq::EqView::Phase;
        if (parts.value(2) == QLatin1String("group-delay")) view = kv::eq::EqView::GroupDelay;
    }
    // "readout:N": the MAIN page with band N selected, its read-out beside the marker.
    const bool readout = pageArg.startsWith(QLatin1String("readout:"));
    if (readout) {
        page = kv::PageId::Output;
        kind = kv::eqkind::kMain;
    }
    if (pageArg == QLatin1String("align")) page = kv::PageId::SpeakerPosition;
    if (pageArg == QLatin1String("comp")) page = kv::PageId::Compressor;
    if (pageArg == QLatin1String("delay")) page = kv::PageId::Delay;
    if (pageArg.startsWith(QLatin1String("speakers"))) page = kv::PageId::SpeakerPosition;
    QTemporaryDir settingsDir;
    kv::shot::UseThrowAwaySettings(settingsDir, argv[1]);

    // A box with the levels of an evening's use rather than its factory zeros.
    auto box = std::make_shared<kv::SimBox>();
    const auto set = [&](int module, int parameter, float value, int count) {
        std::vector<kv::ParamValue> values(static_cast<std::size_t>(count), kv::ParamValue::FromFloat(value));
        box->Handle(kv::BuildParamWrite(module, parameter, values));
    };
    set(1, 30, 0.80f, 1);
    set(1, 43, 0.80f, 1);
    set(3, 26, 0.60f, 2);
    set(2, 28, 0.55f, 2);
    set(4, 15, 0.70f, 6);
    set(4, 16, 1.00f, 2);
    set(4, 17, 0.75f, 2);
    set(4, 18, 0.50f, 2);
    set(4, 25, 1.0f, 1);
    set(4, 28, 0.002f, 1);
    for (int module : {5, 6, 7, 9}) {
        const int first = module == 5 ? 28 : module == 7 ? 12 : 14;
        set(module, first, 0.80f, 1);
        set(module, first + 1, 0.45f, 1);
        set(module, first + 2, 0.35f, 1);
        set(module, first + 3, 0.70f, 1);
    }
    set(8, 25, 1.50f, 1);
    // Delays as a room of that size needs them (samples at 48 kHz).
    const int delays[][3] = {{5, 35, 600},  {5, 36, 600},  {7, 19, 384}, {8, 29, 960},
                             {6, 21, 1440}, {6, 22, 1440}, {9, 21, 192}, {9, 22, 192}};
    for (const auto& d : delays) {
        const kv::ParamValue v = kv::ParamValue::FromInt(d[2]);
        box->Handle(kv::BuildParamWrite(d[0], d[1], std::span<const kv::ParamValue>(&v, 1)));
    }
    // Limiters on MAIN and SUB: -20 dB at 4:1, 10 ms attack, 200 ms release.
    for (auto [module, parameter] : {std::pair{5, 33}, std::pair{8, 27}}) {
        const float coeffs[7] = {
            -20.0f, 0.0f, 0.75f, 20.0f, 0.05f, kv::CompressorTimeCoeff(10.0), kv::CompressorTimeCoeff(200.0)};
        std::vector<kv::ParamValue> values;
        for (float c : coeffs) values.push_back(kv::ParamValue::FromFloat(c));
        box->Handle(kv::BuildParamWrite(module, parameter, values));
    }

    const kv::AppOptions options = kv::shot::OnSimulatedBox(box);
    kv::CKV4420v13App app(options);
    app.Start();
    app.Frame()->resize(size);

    const QString out = QString::fromLocal8Bit(argv[2]);
    int rc = 1;
    // Grab once the box is accepted and the window settled.
    QObject::connect(&app.View()->Connection(), &kv::ConnectionLifecycle::accepted, &application, [&] {
        if (page == kv::PageId::Output && kind == kv::eqkind::kSub) {
            // MAIN high-passed where SUB hands over (24 dB Linkwitz-Riley at 90 Hz).
            const kv::eq::RowCodes high = kv::eq::AlignmentCodes(kv::eq::kCodeHighPass, 1);
            for (int b = 0; b < 4; ++b)
                app.View()->Device().encoders.EqBand(kv::EqId::Main, b, high[static_cast<std::size_t>(b)], 0.0, 90.0,
                                                     0.7);
            // SUB waits for the longer way to MAIN left and half a period more: the sum dips.
            kv::DeviceContext& d = app.View()->Device();
            for (const char* side : {"delay.main.l", "delay.sub"}) {
                kv::FindSetting(std::string(side) + ".on")->apply(d, 1);
                kv::FindSetting(std::string(side) + ".mode")->apply(d, 1);  // the whole channel
            }
            kv::FindSetting("delay.main.l")->apply(d, 1.5);
            kv::FindSetting("delay.sub")->apply(d, 8.2);
        }
        if (page == kv::PageId::Output && kind == kv::eqkind::kMain) {
            // A MAIN as installers set it: high-pass at the crossover, a room dip, a shelf.
            kv::Encoders& e = app.View()->Device().encoders;
            e.EqBand(kv::EqId::Main, 0, kv::eq::kCodeHighPass, 0.0, 90.0, 0.7);
            e.EqBand(kv::EqId::Main, 3, kv::eq::kCodePeaking, -5.0, 160.0, 2.0);
            e.EqBand(kv::EqId::Main, 16, kv::eq::kCodeHighShelf, 3.0, 6000.0, 0.7);
        }
        if (page != kv::PageId::Music && page != kv::PageId::Effects)
            app.Frame()->Ribbon()->SetActiveCategory(kv::kCategoryOutput);
        app.View()->ShowPage(page, kind);
        if (page == kv::PageId::Output && kind == kv::eqkind::kSub) SetCrossovers(*app.View()->Page());
        if (readout)
            if (auto* panel = app.View()->Page()->findChild<kv::CEqPanel*>())
                panel->SetSelectedBand(pageArg.mid(8).toInt());
        if (kv::CEqEditor* ed = app.View()->Page()->Equaliser()) {
            ed->Panel()->SetView(view);
        }
        if (pageArg == QLatin1String("align")) {
            // The listener a metre behind the centre and off to the left.
            kv::ApplySpeakerPoint(app.View()->Device(), 0, -0.6, -0.8, 8);
            // One row switched off: the table says it will be switched on.
            kv::FindSetting("delay.top.r.on")->apply(app.View()->Device(), 0);
            app.View()->Page()->Reload();
            auto* speakers = qobject_cast<kv::CSSVCDlg*>(app.View()->Page());
            speakers->OpenAlignment();
            QTimer::singleShot(500, &application, [&, speakers] {
                QWidget* w = speakers->AlignWindow();
                w->adjustSize();
                rc = w->grab().save(out) ? 0 : 1;
                std::printf("%s %dx%d\n", qPrintable(out), w->width(), w->height());
                app.Shutdown();
                QApplication::exit(rc);
            });
            return;
        }
        if (pageArg == QLatin1String("speakers-outside")) {
            // A 10 x 4 m room made from a longer one, leaving a speaker behind the front wall.
            kv::DeviceContext& d = app.View()->Device();
            kv::ApplyRoomSize(d, 10, 8);
            kv::ApplySpeakerPoint(d, 2, 3.0, 3.0, 8);
            kv::ApplyRoomSize(d, 10, 4);
            app.View()->Page()->Reload();
        }
        if (pageArg == QLatin1String("refused")) {
            QTimer::singleShot(500, &application, [&] {
                QLineEdit* box = TypeRefusedFrequency(*app.View()->Page());
                if (!box) return;
                // Left of the box, so that the whole reason stays inside the window at its smallest.
                QToolTip::showText(box->mapToGlobal(QPoint(-box->width(), box->height())), box->toolTip(), box);
                QTimer::singleShot(300, &application, [&] {
                    const QRect r = app.Frame()->frameGeometry();
                    const QPixmap shot = app.Frame()->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
                    rc = shot.save(out) ? 0 : 1;
                    std::printf("%s %dx%d\n", qPrintable(out), shot.width(), shot.height());
                    app.Shutdown();
                    QApplication::exit(rc);
                });
            });
            return;
        }
        if (pageArg == QLatin1String("reset-question")) {
            // The reset question as it opens over the window: No is the default button.
            QTimer::singleShot(300, &application, [&] {
                auto question =
                    kv::QtUiPrompts::DestructiveBox(app.Frame(), QStringLiteral("提示"),
                                                    app.Text("您确定要将机器复位吗? \n机器复位后将自动重新启动并连接.",
                                                             "Are you sure reset machine? "));
                question->show();
                QTimer::singleShot(300, &application, [&, box = question.get()] {
                    rc = box->grab().save(out) ? 0 : 1;
                    std::printf("%s %dx%d\n", qPrintable(out), box->width(), box->height());
                    box->close();
                    app.Shutdown();
                    QApplication::exit(rc);
                });
                question.release()->setAttribute(Qt::WA_DeleteOnClose);
            });
            return;
        }
        if (pageArg == QLatin1String("locked")) app.View()->SetLocked(true);
        QTimer::singleShot(800, &application, [&] {
            // The status pane as a user without the udev rule sees it.
            if (pageArg == QLatin1String("denied")) app.View()->ShowPermissionProblem(QStringLiteral("/dev/hidraw3"));
            rc = app.Frame()->grab().save(out) ? 0 : 1;
            std::printf("%s %dx%d\n", qPrintable(out), app.Frame()->width(), app.Frame()->height());
            app.Shutdown();
            QApplication::exit(rc);
        });
    });
    QTimer::singleShot(30000, &application, [] { QApplication::exit(3); });
    application.exec();
    return rc;
}
