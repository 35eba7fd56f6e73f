#include "app/CRemoteAccessDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "app/QrImage.h"
#include "app/RemoteAccess.h"
#include "ui/UiText.h"

namespace kv {

CRemoteAccessDlg::CRemoteAccessDlg(RemoteAccess& access, std::function<int()> language, QWidget* parent)
    : QDialog(parent), m_access(access), m_language(std::move(language)) {
    setObjectName(QStringLiteral("remoteAccessWindow"));
    auto* layout = new QVBoxLayout(this);
    m_switch = new QCheckBox(this);
    m_switch->setObjectName(QStringLiteral("remoteAccessSwitch"));
    m_url = new QLabel(this);
    m_url->setObjectName(QStringLiteral("remoteAccessUrl"));
    m_url->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_qr = new QLabel(this);
    m_qr->setObjectName(QStringLiteral("remoteAccessCode"));
    m_qr->setAlignment(Qt::AlignCenter);
    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    m_note->setMinimumWidth(320);
    layout->addWidget(m_switch);
    layout->addWidget(m_url);
    layout->addWidget(m_qr);
    layout->addWidget(m_note);
    connect(m_switch, &QCheckBox::toggled, this, &CRemoteAccessDlg::Toggle);
    connect(&m_access, &RemoteAccess::stateChanged, this, &CRemoteAccessDlg::Relabel);
}

void CRemoteAccessDlg::Toggle(bool on) {
    QString error;
    m_problem = m_access.SetEnabled(on, error) ? QString() : error;
    Relabel();
}

void CRemoteAccessDlg::Relabel() {
    const int language = m_language();
    setWindowTitle(Bi(language, "远程访问", "Remote access"));
    {
        const QSignalBlocker block(m_switch);
        m_switch->setText(Bi(language, "远程访问（用手机在听音位置调音）",
                             "Remote access (tune from a phone at the listening seat)"));
        m_switch->setChecked(m_access.Running());
    }
    const QString url = m_access.Url();
    m_url->setText(url);
    m_url->setVisible(!url.isEmpty());
    const QImage code = url.isEmpty() ? QImage() : QrImage(url, kQrScale);
    m_qr->setPixmap(code.isNull() ? QPixmap() : QPixmap::fromImage(code));
    m_qr->setVisible(!code.isNull());
    if (!m_problem.isEmpty())
        m_note->setText(Bi(language, "无法开启远程访问：", "Remote access could not start: ") + m_problem);
    else if (url.isEmpty())
        m_note->setText(Bi(language, "已关闭。开启后，同一网络中的手机扫描二维码即可打开控制页面。",
                           "Off. Once on, a phone on the same network opens the control page by scanning the code."));
    else
        m_note->setText(Bi(language, "用手机扫描二维码打开控制页面。知道此地址的人都能修改设备参数，用完请关闭。",
                           "Scan the code with a phone to open the control page. Anyone who has this address can "
                           "change the box's settings: turn it off when done."));
    adjustSize();
}

}  // namespace kv
