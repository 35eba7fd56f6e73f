#pragma once
// Editing a mode file without a box: the link goes to a box whose memory is the file, so
// every page and window works on it; saving writes the file. When a box arrives meanwhile,
// the link goes to it, and once it was read the user says whose settings win: the edited
// ones are sent (only what differs), or the box's are kept and the edited ones go to
// memory B.

#include <QObject>
#include <QString>
#include <memory>

#include "device/Transport.h"

namespace kv {

class CKV4420v13App;
class FileBox;
struct DeviceContext;

class OfflineEditing : public QObject {
    Q_OBJECT
public:
    // boxOpener finds the box that may arrive while a file is edited.
    OfflineEditing(CKV4420v13App& app, TransportOpener boxOpener, QObject* parent = nullptr);
    ~OfflineEditing() override;

    // Puts the file in the box's place (the link must be closed); asks before taking values
    // out of range, says why a file cannot be used. False, and nothing changed, when the file
    // is not taken.
    bool Begin(const QString& path);
    // A mode file named at start, edited if no box is found then.
    void SetStartFile(const QString& path) { m_startFile = path; }
    bool BeginWithStartFile();

    bool Active() const { return m_file != nullptr; }
    QString Path() const { return m_path; }

    // A box arrived while a file is edited: the edited settings are remembered and the link
    // is closed and pointed at the box. False when the file cannot be left now (a transfer
    // runs) or no box opens (the notice was another device's).
    bool LeaveForBox();
    // The box could not be opened after all: the file again, with every edit in it.
    void ReturnToFile();
    // After a read-back: a box that differs from the settings edited asks its question.
    void OnAccepted();
    // The question, once a box that differs was read; asked from the event loop.
    void AskArrivalQuestion();

    // Writes the settings being edited into the file, atomically.
    bool Save();

    // Memory B of the A/B compare, a mode file beside the application's settings.
    QString MemoryBPath() const;
    // Keeps settings as memory B; false when the file could not be written.
    bool KeepAsMemoryB(const DeviceContext& settings, QString* error = nullptr);

    static QString ArrivalQuestionText(const QString& file, int differing, const QString& memoryB, int language);
    static QString PaneText(const QString& file, int language);
    static QString BalloonText(const QString& file, int language);

private:
    void UpdateTitle();
    void UseFile();

    CKV4420v13App& m_app;
    TransportOpener m_boxOpener;
    std::shared_ptr<FileBox> m_file;
    QString m_path;
    QString m_startFile;
    QString m_leftFile;                       // the file the edited settings came from
    std::shared_ptr<FileBox> m_leftBox;       // its box, until the box that arrived was read
    bool m_meterPoll = true;                  // the box's meter poll, kept while a file stands in
    std::unique_ptr<DeviceContext> m_edited;  // the settings edited, while a box is read
};

}  // namespace kv
