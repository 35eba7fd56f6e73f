#pragma once
// Balloons in the notification area. Each balloon puts up a fresh icon that is removed
// after the balloon's duration or when clicked. Without a notification area the text
// goes to the fallback (the status bar).

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QSystemTrayIcon;

namespace kv {

class TrayNotifier : public QObject {
    Q_OBJECT
public:
    using Fallback = std::function<void(const QString& title, const QString& text, int durationMs)>;

    explicit TrayNotifier(QObject* parent = nullptr);
    ~TrayNotifier() override;

    void SetFallback(Fallback fallback) { m_fallback = std::move(fallback); }
    void ShowBalloon(const QString& text, const QString& title, int durationMs);
    void RemoveIcon();
    bool IconShown() const { return m_icon != nullptr; }

private:
    QSystemTrayIcon* m_icon = nullptr;
    QTimer m_removeTimer;
    Fallback m_fallback;
};

}  // namespace kv
