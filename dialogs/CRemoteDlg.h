#pragma once
// Remote-control teaching: a picture of the remote with one button per key. A key button
// asks the box to listen and waits in the learning dialog; the table learned so far can be
// saved into the box and to and from ".remo" files. The level-meter poll is suspended while
// the window is open, so that no poll answer disturbs learning.

#include <QDialog>
#include <QPointer>
#include <array>

#include "ui/PageContext.h"

class QLabel;
class QPushButton;

namespace kv {

class AuxContext;
class CRemoteStudyDlg;

class CRemoteDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 373;
    static constexpr int kSaveToBoxId = 1;
    static constexpr int kCloseId = 2;
    static constexpr int kLoadFileId = 3;
    static constexpr int kSaveFileId = 4;
    static constexpr int kHelpId = 5;
    static constexpr int kHelpPictureId = 1216;
    static constexpr int kKeyCount = 18;
    static constexpr int kLearnable = 15;
    static constexpr int kFirstKeyId = 1587;   // function 1
    static constexpr int kSecondKeyId = 1600;  // functions 2..15, then three the box lacks

    explicit CRemoteDlg(AuxContext& context, QWidget* parent = nullptr);
    ~CRemoteDlg() override;

    // Control identifier of key button i (0..17).
    static int KeyId(int index) { return index == 0 ? kFirstKeyId : kSecondKeyId + index - 1; }
    // The name a remote file is written and read under: the extension is always "remo".
    static QString WithRemoteExtension(const QString& path);

    // Texts in the interface language, the picture of that language and the table's texts.
    void Refresh();
    // Locked: learning, loading and sending keys look unusable and are refused.
    void ApplyLock();

    QPushButton* Key(int index) const { return m_keys[static_cast<std::size_t>(index)]; }
    QPushButton* ButtonById(int id) const;
    QLabel* HelpPicture() const { return m_help; }
    // The learning dialog while it is open.
    CRemoteStudyDlg* Study() const { return m_study; }

    QSize CompactSize() const;
    QSize FullSize() const;

    // A remote file named by the user elsewhere (a file manager): loaded and sent as LoadFile does.
    void LoadFileFrom(const QString& path);

private:
    void OnKey(int index);
    void SaveToBox();
    void LoadFile();
    void SaveFile();
    bool CheckConnected();

    AuxContext& m_context;
    bool m_pollWasOn = false;
    QWidget* m_picture = nullptr;
    std::array<QPushButton*, kKeyCount> m_keys{};
    std::array<QPushButton*, 5> m_buttons{};  // by identifier 1..5
    QLabel* m_help = nullptr;
    QPointer<CRemoteStudyDlg> m_study;
};

}  // namespace kv
