#include "dialogs/CInfoDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/UiText.h"
#include "ui/WindowLook.h"

namespace kv {

namespace {
constexpr int kMessagePixelSize = 18;
constexpr int kMessageWeight = 500;
}  // namespace

CInfoDlg::CInfoDlg(int language, QWidget* parent) : QDialog(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setModal(false);
    setWindowTitle(Bi(language, "信息", "Information"));
    PaintWindowBackground(*this);

    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));

    m_message = new QLabel(this);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(kMessagePixelSize);
    font.setWeight(static_cast<QFont::Weight>(kMessageWeight));
    m_message->setFont(font);
    m_message->setAttribute(Qt::WA_TranslucentBackground);
    SetControlId(m_message, kMessageId);

    m_close = new QPushButton(Bi(language, "关闭", "Close"), this);
    SetControlId(m_close, kCloseId);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);

    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addWidget(m_message, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addLayout(buttons);
    resize(380, 130);

    m_closeTimer.setSingleShot(true);
    connect(&m_closeTimer, &QTimer::timeout, this, &QDialog::close);
}

void CInfoDlg::ShowInfo(const QString& text, int durationMs) {
    m_message->setText(text);
    m_closeTimer.start(durationMs);
}

QString CInfoDlg::Message() const { return m_message->text(); }

}  // namespace kv
