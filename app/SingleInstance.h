#pragma once
// One running copy per user: the first copy listens on a local socket; a later copy asks
// it to raise its window and ends. A name left behind by a crashed copy is reclaimed.

#include <QObject>
#include <QString>

class QLocalServer;

namespace kv {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr int kConnectTimeoutMs = 500;

    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first copy (and now listens); false when another copy
    // answered and was asked to raise its window.
    bool Claim();
    bool Listening() const;

Q_SIGNALS:
    void raiseRequested();

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};

}  // namespace kv
