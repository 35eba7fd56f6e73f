#include "app/TrayNotifier.h"

#include <QSystemTrayIcon>

#include "dialogs/AppIcon.h"

namespace kv {

TrayNotifier::TrayNotifier(QObject* parent) : QObject(parent) {
    m_removeTimer.setSingleShot(true);
    connect(&m_removeTimer, &QTimer::timeout, this, &TrayNotifier::RemoveIcon);
}

TrayNotifier::~TrayNotifier() { RemoveIcon(); }

void TrayNotifier::ShowBalloon(const QString& text, const QString& title, int durationMs) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (m_fallback) m_fallback(title, text, durationMs);
        return;
    }
    RemoveIcon();
    m_icon = new QSystemTrayIcon(AppIcon(), this);
    m_icon->setToolTip(title);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason) { RemoveIcon(); });
    connect(m_icon, &QSystemTrayIcon::messageClicked, this, &TrayNotifier::RemoveIcon);
    m_icon->show();
    m_icon->showMessage(title, text, QSystemTrayIcon::Information, durationMs);
    m_removeTimer.start(durationMs);
}

void TrayNotifier::RemoveIcon() {
    m_removeTimer.stop();
    if (!m_icon) return;
    m_icon->hide();
    m_icon->deleteLater();
    m_icon = nullptr;
}

}  // namespace kv
