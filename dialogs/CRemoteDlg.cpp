#include "dialogs/CRemoteDlg.h"

#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <cstring>

#include "device/DeviceContext.h"
#include "dialogs/AuxContext.h"
#include "dialogs/CRemoteStudyDlg.h"
#include "dialogs/DialogsLog.h"
#include "model/RemoteFile.h"
#include "ui/LockLook.h"
#include "ui/UiText.h"
#include "ui/WindowLook.h"
#include "ui/WindowParts.h"

namespace kv {

namespace {
constexpr int kButtonFontPixels = 12;

// Key captions in function order; the last three stand for functions the box lacks.
struct KeyText {
    const char* chinese;
    const char* english;
};
constexpr KeyText kKeyTexts[CRemoteDlg::kKeyCount] = {
    {"模式一", "M1"},  {"模式二", "M2"},    {"模式三", "M3"},    {"模式四", "M4"},  {"话筒+", "MIC+"},
    {"话筒-", "MIC-"}, {"音乐+", "MUSIC+"}, {"音乐-", "MUSIC-"}, {"静音", "MUTE"},  {"升调", "KEY+"},
    {"原调", "KEY 0"}, {"降调", "KEY-"},    {"输入", "INPUT"},   {"效果+", "EFF+"}, {"效果-", "EFF-"},
    {"电源", "POWER"}, {"菜单", "MENU"},    {"确认", "ENTER"},
};
// Where each key sits on the picture: column, row.
constexpr int kKeyPlace[CRemoteDlg::kKeyCount][2] = {
    {0, 1}, {1, 1}, {2, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 3}, {1, 4}, {2, 2},
    {0, 5}, {1, 5}, {2, 5}, {1, 2}, {2, 3}, {2, 4}, {0, 0}, {1, 0}, {2, 0},
};
constexpr int kPictureX = 10, kPictureY = 10, kPictureW = 240, kPictureH = 470;
constexpr int kKeyX = 28, kKeyY = 80, kKeyDx = 66, kKeyDy = 62, kKeyW = 56, kKeyH = 38;
constexpr int kColumnX = 265, kColumnY = 40, kColumnDy = 46, kColumnW = 110, kColumnH = 32;
constexpr int kHelpX = 390, kHelpW = 370;
constexpr int kCompactW = 385, kHeight = 490;

// The remote itself, drawn: a dark body with an infrared window and its name.
class RemoteBody : public QWidget {
public:
    explicit RemoteBody(QWidget* parent) : QWidget(parent) {}
    void SetCaption(const QString& caption) {
        m_caption = caption;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF body = QRectF(rect()).adjusted(4, 4, -4, -4);
        QLinearGradient shade(body.topLeft(), body.topRight());
        shade.setColorAt(0, QColor(58, 62, 70));
        shade.setColorAt(0.5, QColor(40, 43, 49));
        shade.setColorAt(1, QColor(28, 30, 35));
        p.setPen(QPen(QColor(20, 20, 24), 2));
        p.setBrush(shade);
        p.drawRoundedRect(body, 36, 36);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 20, 30));
        p.drawRoundedRect(QRectF(body.center().x() - 30, body.top() + 14, 60, 16), 8, 8);
        p.setPen(QColor(210, 214, 220));
        QFont f = font();
        f.setPixelSize(13);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(body.left(), body.bottom() - 40, body.width(), 28), Qt::AlignCenter, m_caption);
    }

private:
    QString m_caption;
};

// The help picture: the steps of teaching a key, with a remote pointed at the box.
QPixmap HelpPixmap(int language, QSize size) {
    QPixmap pm(size);
    pm.fill(QColor(250, 252, 255));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 170, 190), 1));
    p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
    // The remote, the infrared beam and the box.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(45, 48, 55));
    p.drawRoundedRect(QRectF(30, 30, 40, 90), 10, 10);
    p.setBrush(QColor(120, 20, 30));
    p.drawRoundedRect(QRectF(42, 36, 16, 6), 3, 3);
    p.setPen(QPen(QColor(200, 40, 50), 2, Qt::DashLine));
    for (int i = 0; i < 3; ++i) p.drawArc(QRectF(60 + i * 14, 20 - i * 6, 30, 40 + i * 12), -40 * 16, 80 * 16);
    p.setPen(QPen(QColor(60, 70, 80), 1));
    p.setBrush(QColor(200, 206, 214));
    p.drawRect(QRectF(140, 50, 190, 50));
    p.setBrush(QColor(40, 200, 120));
    p.drawEllipse(QRectF(150, 68, 10, 10));
    p.setPen(QColor(40, 44, 50));
    QFont f = p.font();
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(20, 140, size.width() - 40, 24), Qt::AlignLeft,
               Bi(language, "如何学习遥控器按键", "How to teach a key"));
    f.setBold(false);
    f.setPixelSize(13);
    p.setFont(f);
    const QString steps = Bi(language,
                             "1. 在左边的遥控器图上点击要学习的按键。\n\n"
                             "2. 出现提示窗口后，将遥控器对准机器，按下遥控器上对应的按键。\n\n"
                             "3. 窗口显示学到的键码后自动关闭；按“放弃学习”可取消。\n\n"
                             "4. 学习完所有按键后，点击“应用设置”保存到机器，或点击“保存参数”保存为文件。",
                             "1. Click the key to teach on the picture of the remote.\n\n"
                             "2. When the prompt appears, point the remote at the box and press the key on it.\n\n"
                             "3. The window shows the learned code and closes itself; \"Abandon\" cancels.\n\n"
                             "4. When all keys are taught, \"Apply\" saves them in the box, \"Save\" to a file.");
    p.drawText(QRectF(20, 175, size.width() - 40, size.height() - 190), Qt::TextWordWrap, steps);
    return pm;
}
}  // namespace

QString CRemoteDlg::WithRemoteExtension(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    // The directory part is kept exactly as given.
    return path.left(path.size() - info.fileName().size()) + name + QStringLiteral(".remo");
}

CRemoteDlg::CRemoteDlg(AuxContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
    MakeModeless(*this);
    PaintWindowBackground(*this);

    // No meter poll answer may arrive while the box listens for a key.
    auto& link = context.Device().link;
    m_pollWasOn = link.MeterPollEnabled();
    link.SetMeterPollEnabled(false);

    QFont buttonFont(QStringLiteral("宋体"));
    buttonFont.setPixelSize(kButtonFontPixels);

    m_picture = new RemoteBody(this);
    m_picture->setGeometry(kPictureX, kPictureY, kPictureW, kPictureH);
    for (int i = 0; i < kKeyCount; ++i) {
        QPushButton* key = WindowButton(QString(), KeyId(i), m_picture);
        key->setCursor(Qt::PointingHandCursor);
        key->setGeometry(kKeyX + kKeyPlace[i][0] * kKeyDx, kKeyY + kKeyPlace[i][1] * kKeyDy, kKeyW, kKeyH);
        key->setStyleSheet(QStringLiteral("QPushButton { color: #e8ecf0; background: %1; border: 1px solid #15171b;"
                                          " border-radius: 12px; font-size: 12px; }"
                                          "QPushButton:hover { background: #5a6270; }"
                                          "QPushButton:pressed { background: #2a7fd4; }")
                               .arg(i < kLearnable ? QStringLiteral("#474c57") : QStringLiteral("#353840")));
        connect(key, &QPushButton::clicked, this, [this, i] { OnKey(i); });
        m_keys[static_cast<std::size_t>(i)] = key;
    }

    // Apply, close, load, save, help: identifiers 1..5, shown in this order.
    static const int kOrder[5] = {kSaveToBoxId, kLoadFileId, kSaveFileId, kHelpId, kCloseId};
    for (int n = 0; n < 5; ++n) {
        const int id = kOrder[n];
        QPushButton* b = WindowButton(QString(), id, this);
        b->setFont(buttonFont);
        b->setGeometry(kColumnX, kColumnY + n * kColumnDy, kColumnW, kColumnH);
        m_buttons[static_cast<std::size_t>(id - 1)] = b;
    }
    connect(ButtonById(kSaveToBoxId), &QPushButton::clicked, this, &CRemoteDlg::SaveToBox);
    connect(ButtonById(kCloseId), &QPushButton::clicked, this, &QDialog::close);
    connect(ButtonById(kLoadFileId), &QPushButton::clicked, this, &CRemoteDlg::LoadFile);
    connect(ButtonById(kSaveFileId), &QPushButton::clicked, this, &CRemoteDlg::SaveFile);
    connect(ButtonById(kHelpId), &QPushButton::clicked, this, [this] { resize(FullSize()); });

    // Beyond the compact width until help is asked for.
    m_help = new QLabel(this);
    SetControlId(m_help, kHelpPictureId);
    m_help->setGeometry(kHelpX, kPictureY, kHelpW, kPictureH);

    resize(CompactSize());
    Refresh();
}

CRemoteDlg::~CRemoteDlg() {
    if (m_pollWasOn) m_context.Device().link.SetMeterPollEnabled(true);
}

QSize CRemoteDlg::CompactSize() const { return {kCompactW, kHeight}; }
QSize CRemoteDlg::FullSize() const { return {kHelpX + kHelpW + 10, kHeight}; }

QPushButton* CRemoteDlg::ButtonById(int id) const {
    return id >= 1 && id <= 5 ? m_buttons[static_cast<std::size_t>(id - 1)] : nullptr;
}

void CRemoteDlg::Refresh() {
    const int lang = m_context.Language();
    setWindowTitle(Bi(lang, "遥控学习", "Remote control"));
    for (int i = 0; i < kKeyCount; ++i)
        m_keys[static_cast<std::size_t>(i)]->setText(Bi(lang, kKeyTexts[i].chinese, kKeyTexts[i].english));
    static_cast<RemoteBody*>(m_picture)->SetCaption(Bi(lang, "遥控器", "REMOTE"));
    ButtonById(kSaveToBoxId)->setText(Bi(lang, "应用设置", "Apply"));
    ButtonById(kCloseId)->setText(Bi(lang, "关闭", "Close"));
    ButtonById(kLoadFileId)->setText(Bi(lang, "载入参数", "Load"));
    ButtonById(kSaveFileId)->setText(Bi(lang, "保存参数", "Save"));
    ButtonById(kHelpId)->setText(Bi(lang, "帮助", "Help"));
    m_help->setPixmap(HelpPixmap(lang, m_help->size()));
    m_context.ApplyTable(this, kDialogId);
    ApplyLock();
}

void CRemoteDlg::ApplyLock() {
    const bool locked = m_context.Locked();
    for (QPushButton* key : m_keys) SetLockLook(key, locked);
    SetLockLook(ButtonById(kSaveToBoxId), locked);
    SetLockLook(ButtonById(kLoadFileId), locked);
}

bool CRemoteDlg::CheckConnected() {
    if (m_context.Device().link.IsOpen()) return true;
    m_context.Notice(m_context.Text("请先连接机器再进行此操作!", "Please connect the device first!"));
    return false;
}

void CRemoteDlg::OnKey(int index) {
    const int lang = m_context.Language();
    if (index >= kLearnable) {
        m_context.Message(Bi(lang, "提示", "Information"), Bi(lang, "不支持该功能", "No support!"),
                          AuxContext::Icon::Information);
        return;
    }
    if (m_context.Locked() || !CheckConnected()) return;
    const int function = index + 1;
    m_context.Device().encoders.RemoteLearn(function);
    CRemoteStudyDlg study(m_context, function, this);
    m_study = &study;
    study.exec();
    m_study = nullptr;
}

void CRemoteDlg::SaveToBox() {
    if (m_context.Locked() || !CheckConnected()) return;
    m_context.Device().encoders.WriteRemoteTable();
    m_context.Notice(m_context.Text("遥控器键码保存成功!", "Save successed !"));
}

namespace {
QString RemoteFilter() { return QStringLiteral("Remote Data File (*.remo)"); }
}  // namespace

void CRemoteDlg::LoadFile() {
    if (m_context.Locked() || !CheckConnected()) return;
    const QString chosen = m_context.OpenFile(RemoteFilter());
    if (!chosen.isEmpty()) LoadFileFrom(chosen);
}

void CRemoteDlg::LoadFileFrom(const QString& chosen) {
    if (m_context.Locked() || !CheckConnected()) return;
    DeviceContext& dev = m_context.Device();
    ParameterStore::RemoteTable table{};
    const QString path = WithRemoteExtension(chosen);
    const RemoteFileRead read = ReadRemoteFileChecked(path.toStdString(), table);
    if (!read.ok) {
        // The warning box says why; the notice is the short form.
        const int lang = m_context.Language();
        QString why;
        if (read.systemError)
            why = QString::fromLocal8Bit(std::strerror(read.systemError));
        else if (read.notRegular)
            why = Bi(lang, "不是普通文件", "not a regular file");
        else if (read.size > kRemoteTableSize)
            why = Bi(lang, "文件超过 %1 字节", "longer than %1 bytes").arg(kRemoteTableSize);
        else
            why = Bi(lang, "文件只有 %1 字节,应为 %2 字节", "%1 bytes of %2").arg(read.size).arg(kRemoteTableSize);
        m_context.Message(Bi(lang, "错误", "Error"),
                          Bi(lang, "无法载入遥控文件:\n%1\n%2", "Can't load the remote file:\n%1\n%2").arg(path, why),
                          AuxContext::Icon::Warning);
        m_context.Notice(m_context.Text("载入遥控文件失败", "Failed to load the remote file"));
        return;
    }
    dev.store.SetRemoteTable(table);
    dev.encoders.WriteRemoteTable();
    m_context.Notice(m_context.Text("载入遥控文件成功", "Remote file loaded"));
}

void CRemoteDlg::SaveFile() {
    if (!CheckConnected()) return;
    const QString chosen = m_context.SaveFile(QStringLiteral("remo"), RemoteFilter());
    if (chosen.isEmpty()) return;
    const QString path = WithRemoteExtension(chosen);
    // The file dialog asked about the name typed; the name written may be another one.
    if (path != chosen && QFileInfo::exists(path)) {
        const int lang = m_context.Language();
        const QString text = Bi(lang, "%1 已存在。\n要替换它吗?", "%1 already exists.\nDo you want to replace it?")
                                 .arg(QFileInfo(path).fileName());
        if (!m_context.AskYes(Bi(lang, "确认另存为", "Confirm Save As"), text)) return;
    }
    int error = 0;
    if (!WriteRemoteFile(path.toStdString(), m_context.Device().store.GetRemoteTable(), &error)) {
        qCWarning(lcKvDialogs, "remote file %s not written: %s", qUtf8Printable(path), std::strerror(error));
        m_context.Message(QStringLiteral("Can't write to file"),
                          QString::asprintf("Errcode=%d,Can't write to file:\n%s\nProbaby it is write protected.",
                                            error, path.toLocal8Bit().constData()),
                          AuxContext::Icon::Warning);
        m_context.Notice(m_context.Text("保存遥控文件失败", "Failed to save the remote file"));
        return;
    }
    m_context.Notice(m_context.Text("保存遥控文件成功", "Remote file saved"));
}

}  // namespace kv
