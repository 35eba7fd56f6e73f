#include "dialogs/CSynDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "ui/UiText.h"

namespace kv {

namespace {
constexpr int kProgressMax = 100;
constexpr int kProgressStep = 10;
const QColor kBackground(240, 250, 255);
}  // namespace

CSynDlg::CSynDlg(int language, QWidget* parent, int giveUpMs, AnswerCount answers)
    : QDialog(parent), m_answers(std::move(answers)) {
    if (m_answers) m_lastAnswers = m_answers();
    setWindowTitle(Bi(language, "同步过程", "Synchronize"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    setCursor(Qt::WaitCursor);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);

    m_progress = new QProgressBar(this);
    m_progress->setRange(0, kProgressMax);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    SetControlId(m_progress, kProgressId);

    m_text = new QLabel(Bi(language, "当前正在与机器同步数据,请稍后......", "Please wait a moment……"), this);
    SetControlId(m_text, kTextId);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_progress);
    layout->addWidget(m_text);
    setFixedSize(360, 110);

    m_stepTimer.setInterval(kStepMs);
    connect(&m_stepTimer, &QTimer::timeout, this, &CSynDlg::Step);
    m_giveUpTimer.setSingleShot(true);
    m_giveUpTimer.setInterval(giveUpMs);
    connect(&m_giveUpTimer, &QTimer::timeout, this, &CSynDlg::GiveUp);
    m_stepTimer.start();
    m_giveUpTimer.start();
}

void CSynDlg::CloseProgress() {
    m_stepTimer.stop();
    m_giveUpTimer.stop();
    done(QDialog::Accepted);
}

void CSynDlg::Step() {
    // The bar wraps to its start once it reached the end.
    int next = m_progress->value() + kProgressStep;
    m_progress->setValue(next > kProgressMax ? 0 : next);
    if (!m_answers) return;
    // The box answered since the last step: it is still there, the give-up time starts again.
    const std::uint64_t now = m_answers();
    if (now != m_lastAnswers) {
        m_lastAnswers = now;
        m_giveUpTimer.start();
    }
}

void CSynDlg::GiveUp() {
    m_stepTimer.stop();
    m_giveUpTimer.stop();
    done(kTimedOut);
}

}  // namespace kv
