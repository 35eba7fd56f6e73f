#include "dialogs/CRemoteStudyDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "device/DeviceContext.h"
#include "dialogs/AuxContext.h"
#include "ui/UiText.h"
#include "ui/WindowLook.h"
#include "ui/WindowParts.h"

namespace kv {

namespace {

struct FunctionPrompt {
    const char* english;
    const char* chinese;
};
// The double spaces and the trailing space are the box maker's texts, kept as users know them.
constexpr FunctionPrompt kPrompts[15] = {
    {"Learning key: load user mode 1", "您正在学习的键：载入模式一"},
    {"Learning key: load user mode 2", "您正在学习的键：载入模式二"},
    {"Learning key: load user mode 3", "您正在学习的键：载入模式三"},
    {"Learning key: load user mode 4", "您正在学习的键：载入模式四"},
    {"Learning key: mic vol+,increment mic vol", "您正在学习的键：增加话筒音量"},
    {"Learning key: mic vol-,decrement mic vol", "您正在学习的键：降低话筒音量"},
    {"Learning key: music vol+,increment music vol", "您正在学习的键：增加音乐音量"},
    {"Learning key: music vol-,decrement music vol", "您正在学习的键：降低音乐音量"},
    {"Learning key:  music mute", "您正在学习的键：音乐静音"},
    {"Learning key: tone increment ", "您正在学习的键：升调"},
    {"Learning key:  reset tone", "您正在学习的键：原调"},
    {"Learning key: tone decrement", "您正在学习的键：降调"},
    {"Learning key: Change music input", "您正在学习的键：音乐输入切换"},
    {"Learning key: Effect vol+,increment effect vol", "您正在学习的键：增加效果音量"},
    {"Learning key: Effect vol-,decrement effect vol", "您正在学习的键：降低效果音量"},
};
}  // namespace

QString CRemoteStudyDlg::Prompt(int function, int language) {
    if (function < 1 || function > 15) return {};
    const FunctionPrompt& p = kPrompts[function - 1];
    return Bi(language, p.chinese, p.english);
}

CRemoteStudyDlg::CRemoteStudyDlg(AuxContext& context, int function, QWidget* parent)
    : QDialog(parent), m_context(context) {
    const int lang = context.Language();
    setModal(true);
    setWindowTitle(Bi(lang, "键码学习中...", "Learning key..."));
    PaintWindowBackground(*this);

    auto* press =
        new QLabel(Bi(lang, "请您按下遥控器上的对应的按键", "Please press the key on your remote control"), this);
    SetControlId(press, 1007);
    auto* current = new QLabel(Bi(lang, "您当前学习的按键是:", "The key you are learning:"), this);
    m_prompt = new QLabel(Prompt(function, lang), this);
    SetControlId(m_prompt, kPromptId);
    m_code = new QLineEdit(this);
    m_code->setReadOnly(true);
    m_code->setMaximumWidth(60);
    SetControlId(m_code, kCodeId);
    m_closing = new QLabel(this);
    SetControlId(m_closing, kClosingId);
    m_abandon = WindowButton(Bi(lang, "放弃学习", "Abandon"), kAbandonId, this);
    m_close = WindowButton(Bi(lang, "关闭", "Close"), kCloseId, this);
    m_close->hide();
    connect(m_abandon, &QPushButton::clicked, this, &CRemoteStudyDlg::reject);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(press);
    layout->addWidget(current);
    layout->addWidget(m_prompt);
    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(new QLabel(Bi(lang, "键码:", "Key code:"), this));
    codeRow->addWidget(m_code);
    codeRow->addStretch();
    layout->addLayout(codeRow);
    layout->addWidget(m_closing);
    // The two buttons share one place; only one shows at a time.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_abandon);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    resize(360, 190);

    context.ApplyTable(this, kDialogId);
    // The table's entry for the prompt control is the fixed lead-in; the function shows here.
    m_prompt->setText(Prompt(function, lang));

    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(kCloseAfterMs);
    m_closeTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_closeTimer, &QTimer::timeout, this, &QDialog::accept);
}

void CRemoteStudyDlg::KeyLearned(int keyCode) {
    m_learned = true;
    m_code->setText(QString::asprintf("%02X", keyCode & 0xFF));
    m_abandon->hide();
    m_close->show();
    m_closing->setText(Bi(m_context.Language(), "窗口将自动关闭", "Window will be closed!"));
    m_closeTimer.start();
}

void CRemoteStudyDlg::reject() {
    m_closeTimer.stop();
    // Once the key came the box is no longer listening; there is nothing to stop.
    if (!m_learned) m_context.Device().encoders.RemoteLearnStop();
    QDialog::reject();
}

}  // namespace kv
