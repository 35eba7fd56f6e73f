// Shows every equaliser control filled with realistic settings; with
// --screenshot FILE it renders the window to a PNG and exits.
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <array>
#include <cstdio>

#include "eq/CEqPanel.h"
#include "eq/CGdipButton.h"
#include "eq/CPeakMeterCtrl.h"
#include "eq/CSmallEqPanel.h"
#include "eq/CXBmpSlider.h"
#include "eq/Crossover.h"

using namespace kv;

namespace {

const QColor kPageBackground(240, 250, 255);

// Button faces drawn here, so the demo needs no image files.
QImage ButtonFace(QSize size, QColor top, QColor bottom) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    painter.setBrush(g);
    painter.setPen(QPen(bottom.darker(140), 1));
    painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 5, 5);
    return image;
}

CEqPanel* MusicPanel() {
    auto* panel = new CEqPanel;
    panel->SetKind(0);
    panel->SetLanguage(0);
    panel->setMinimumSize(760, 300);
    panel->SetBandCount(15);
    panel->SetCode(0, 3);  // high-pass at 40 Hz
    panel->Band(0).frequency = 40.0f;
    panel->EvaluateBand(0);
    panel->SetGain(2, 4.5);
    panel->SetGain(4, -3.0);
    panel->SetQ(4, 2.5);
    panel->SetGain(6, 2.0);
    panel->SetGain(8, 7.5);
    panel->SetQ(8, 3.0);
    panel->SetCode(12, 5);  // high shelf
    panel->SetGain(12, -11.0);
    panel->SetCode(14, 2);
    panel->SetSelectedBand(8);
    return panel;
}

CEqPanel* SubPanel() {
    auto* panel = new CEqPanel;
    panel->SetKind(CEqPanel::kSubKind);
    panel->SetLanguage(1);
    panel->setMinimumSize(760, 300);
    panel->SetBandCount(kv::eq::kCrossoverBands);
    // Row 0: 24 dB/oct high-pass at 25 Hz; row 1: 48 dB/oct low-pass at 90 Hz.
    panel->Band(0).code = 3;
    panel->Band(0).frequency = 25.0f;
    panel->ApplyAlignment(0, 1);
    panel->Band(1).code = 2;
    panel->Band(1).frequency = 90.0f;
    panel->ApplyAlignment(1, 3);
    panel->Band(2).frequency = 45.0f;
    panel->EvaluateBand(2);
    panel->SetGain(2, 5.0);
    panel->SetQ(2, 2.0);
    panel->Band(3).frequency = 63.0f;
    panel->SetCode(3, 4);
    panel->SetGain(3, -3.0);
    panel->Band(4).code = 0;
    panel->SetSelectedBand(1);
    return panel;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString screenshot;
    const QStringList args = app.arguments();
    const auto at = args.indexOf("--screenshot");
    if (at >= 0 && at + 1 < args.size()) screenshot = args[at + 1];

    QWidget window;
    window.setWindowTitle("KV4420 equaliser controls");
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, kPageBackground);
    window.setPalette(pal);
    window.setAutoFillBackground(true);

    auto* grid = new QGridLayout(&window);
    grid->addWidget(MusicPanel(), 0, 0);
    grid->addWidget(SubPanel(), 1, 0);

    auto* side = new QVBoxLayout;
    grid->addLayout(side, 0, 1, 2, 1);

    std::array<CSmallEqPanel*, 2> smalls = {new CSmallEqPanel, new CSmallEqPanel};
    smalls[0]->SetGain(1, 6.0);
    smalls[0]->SetGain(4, -5.0);
    smalls[0]->BandAt(6).code = 2;
    smalls[0]->BandAt(6).q = 0.7f;
    smalls[0]->SetFrequency(6, 4000.0);
    smalls[1]->SetCurveColor(0xFF00DC00);
    smalls[1]->SetGain(3, 4.0);
    smalls[1]->SetBypass(true);
    auto* smallRow = new QHBoxLayout;
    for (CSmallEqPanel* s : smalls) {
        s->setFixedSize(150, 80);
        smallRow->addWidget(s);
    }
    side->addLayout(smallRow);

    auto* meters = new QHBoxLayout;
    const std::array<int, 10> levels = {230, 215, 190, 160, 120, 90, 60, 30, 205, 0};
    for (int i = 0; i < 10; ++i) {
        auto* meter = new CPeakMeterCtrl(nullptr, 1, 15);
        meter->SetDecayPeriod(35);
        meter->SetBackground(kPageBackground);
        meter->setFixedSize(14, 150);
        if (!screenshot.isEmpty()) meter->SetAutoDecay(false);
        meter->SetLevels(std::span(levels).subspan(static_cast<std::size_t>(i), 1));
        meter->Tick();  // let the bar drop below its held peak
        meters->addWidget(meter);
    }
    auto* wide = new CPeakMeterCtrl(nullptr, 8, 8);
    wide->setFixedSize(120, 150);
    if (!screenshot.isEmpty()) wide->SetAutoDecay(false);
    const std::array<int, 8> eight = {40, 80, 120, 160, 200, 230, 100, 10};
    wide->SetLevels(eight);
    meters->addWidget(wide);
    side->addLayout(meters);

    auto* sliders = new QHBoxLayout;
    auto* volume = new CXBmpSlider(1001, Qt::Vertical);
    volume->SetRange(0, 100);
    volume->SetPosition(72);
    volume->setFixedSize(30, 160);
    auto* balance = new CXBmpSlider(1002, Qt::Horizontal);
    balance->SetRange(-20, 20);
    balance->SetPosition(-6);
    balance->setFixedSize(200, 28);
    auto* status = new QLabel("slider: -");
    QObject::connect(volume, &CXBmpSlider::changed, status,
                     [status](int id, int pos) { status->setText(QString("slider %1: %2").arg(id).arg(pos)); });
    QObject::connect(balance, &CXBmpSlider::changed, status,
                     [status](int id, int pos) { status->setText(QString("slider %1: %2").arg(id).arg(pos)); });
    sliders->addWidget(volume);
    auto* sliderColumn = new QVBoxLayout;
    sliderColumn->addWidget(balance);
    sliderColumn->addWidget(status);
    sliders->addLayout(sliderColumn);
    side->addLayout(sliders);

    auto* buttons = new QHBoxLayout;
    const QStringList captions = {QStringLiteral("音乐"), QStringLiteral("话筒"), "MAIN", "SUB"};
    for (int i = 0; i < captions.size(); ++i) {
        auto* button = new CGdipButton;
        button->setText(captions[i]);
        button->SetImages(ButtonFace({64, 30}, QColor(236, 242, 250), QColor(186, 202, 222)),
                          ButtonFace({64, 30}, QColor(40, 120, 200), QColor(10, 70, 150)));
        button->SetToolTipText(QString("Page %1").arg(i + 1));
        button->setFixedSize(64, 30);
        button->SetLatched(i == 0);
        buttons->addWidget(button);
    }
    side->addLayout(buttons);
    side->addStretch();

    window.resize(1200, 700);
    if (screenshot.isEmpty()) {
        window.show();
        return QApplication::exec();
    }
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    QApplication::processEvents();
    const bool ok = window.grab().save(screenshot);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "saved" : "could not save", qPrintable(screenshot));
    return ok ? 0 : 1;
}
