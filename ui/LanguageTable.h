#pragma once
// The dialog texts of one language, read from the table compiled into the program and
// looked up by "IDD<dialog>_title" and "IDD<dialog>_<control>" in section "String".

#include <QByteArray>
#include <QHash>
#include <QString>

class QWidget;

namespace kv {

class LanguageTable {
public:
    static constexpr int kChineseTable = 331;
    static constexpr int kEnglishTable = 332;
    static constexpr int kMaxValueChars = 499;

    // Picks the English table for index 1 and the Chinese one for any other index.
    bool Load(int language);
    // Parses an INI text; used by Load and by tests with tables of their own.
    void LoadText(const QByteArray& utf8);
    bool Loaded() const { return m_loaded; }

    // Empty when the key is missing or its value is empty.
    QString Value(const QString& key) const;
    QString Title(int dialog) const;
    QString Text(int dialog, int control) const;

    // Caption from the title entry, then every control that carries an identifier and has
    // a non-empty entry; everything else keeps its text.
    void Apply(QWidget* window, int dialog) const;

private:
    QHash<QString, QString> m_entries;  // keys lower-cased: look-ups ignore case
    bool m_loaded = false;
};

}  // namespace kv
