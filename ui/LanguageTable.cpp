#include "ui/LanguageTable.h"

#include <QFile>
#include <QGroupBox>
#include <QWidget>

#include "ui/UiLog.h"
#include "ui/UiText.h"

// The tables live in a static archive; this reference makes the linker keep them.
static void InitLanguageResources() { Q_INIT_RESOURCE(kv4420); }

namespace kv {

namespace {
const QString kSection = QStringLiteral("string");

QString Unquote(QString value) {
    if (value.size() >= 2 &&
        ((value.startsWith('"') && value.endsWith('"')) || (value.startsWith('\'') && value.endsWith('\'')))) {
        value = value.mid(1, value.size() - 2);
    }
    return value;
}
}  // namespace

bool LanguageTable::Load(int language) {
    InitLanguageResources();
    const int number = language == kLanguageEnglish ? kEnglishTable : kChineseTable;
    QFile file(QStringLiteral(":/lang/%1.ini").arg(number));
    m_entries.clear();
    m_loaded = false;
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcKvUi, "language table %s not found", qUtf8Printable(file.fileName()));
        return false;
    }
    LoadText(file.readAll());
    return true;
}

void LanguageTable::LoadText(const QByteArray& utf8) {
    m_entries.clear();
    const QString text = QString::fromUtf8(utf8);
    bool inSection = false;
    for (QString line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QStringLiteral("//")) || line.startsWith(';')) continue;
        if (line.startsWith('[')) {
            const int end = line.indexOf(']');
            inSection = end > 0 && line.mid(1, end - 1).trimmed().toLower() == kSection;
            continue;
        }
        if (!inSection) continue;
        const int eq = line.indexOf('=');
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed().toLower();
        if (m_entries.contains(key)) continue;  // the first entry of a key wins
        m_entries.insert(key, Unquote(line.mid(eq + 1).trimmed()).left(kMaxValueChars));
    }
    m_loaded = true;
}

QString LanguageTable::Value(const QString& key) const { return m_entries.value(key.toLower()); }

QString LanguageTable::Title(int dialog) const { return Value(QStringLiteral("IDD%1_title").arg(dialog)); }

QString LanguageTable::Text(int dialog, int control) const {
    return Value(QStringLiteral("IDD%1_%2").arg(dialog).arg(control));
}

void LanguageTable::Apply(QWidget* window, int dialog) const {
    if (!window || !m_loaded) return;
    const QString title = Title(dialog);
    if (!title.isEmpty()) window->setWindowTitle(title);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        const int id = ControlId(child);
        if (id == 0) continue;
        const QString text = Text(dialog, id);
        if (text.isEmpty()) continue;
        if (auto* group = qobject_cast<QGroupBox*>(child)) {
            group->setTitle(text);
        } else if (child->metaObject()->indexOfProperty("text") >= 0) {
            child->setProperty("text", text);
        }
    }
}

}  // namespace kv
