#pragma once
// Takes kv4420ctl's commands for one held box on its Unix socket and runs each on the box
// as it is held, answering with what the command printed and its exit status: the command
// line gets through a server exactly what it gets directly.

#include <QObject>
#include <QString>
#include <map>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace kv::net {

class BoxHolder;

class CommandServer : public QObject {
    Q_OBJECT
public:
    explicit CommandServer(BoxHolder* box, QObject* parent = nullptr);
    ~CommandServer() override;

    // Listens on the box's socket. False with the reason in problem when the commands go
    // directly to the box instead (no runtime folder, an unsafe one, or another server
    // that already takes them).
    bool Listen(std::string& problem);

Q_SIGNALS:
    // A command ran on the box (it may have changed settings).
    void Ran();

private:
    void TakeConnection();
    void Read(QLocalSocket* socket);
    std::string Run(const std::vector<std::string>& request);

    BoxHolder* m_box;
    QLocalServer* m_server = nullptr;
    std::map<QLocalSocket*, std::string> m_buffers;  // what each client sent so far
};

}  // namespace kv::net
